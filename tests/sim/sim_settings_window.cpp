#include "sim/sim_settings_window.h"

namespace quorvel::sim {

SimSettingsWindow::SimSettingsWindow(SimSettingsWindowHost& host,
                                     ports::SettingsWindowEvents& events)
    : host_(host), events_(events) {}

SimSettingsWindow::~SimSettingsWindow() {
    if (host_.current_ == this) host_.current_ = nullptr;
}

void SimSettingsWindow::bringToFront() {
    ++bringToFrontCount_;
    shown_ = true;
    minimized_ = false;
    setKey(true);
}

void SimSettingsWindow::close() {
    if (closed_) return;
    closed_ = true;
    events_.windowWillClose();
    shown_ = false;
}

void SimSettingsWindow::resignKey() {
    setKey(false);
}

void SimSettingsWindow::setKey(bool key) {
    if (key == key_) return;
    key_ = key;
    if (key) {
        events_.windowDidBecomeKey();
    } else {
        events_.windowDidResignKey();
    }
}

bool SimSettingsWindow::pressKey(std::uint32_t keyCode, std::uint32_t modifiers) {
    if (!isVisible()) return false;
    return events_.keyDown(keyCode, modifiers);
}

std::unique_ptr<ports::SettingsWindow> SimSettingsWindowHost::createWindow(
    ports::SettingsWindowEvents& events) {
    ++created_;
    auto window = std::make_unique<SimSettingsWindow>(*this, events);
    current_ = window.get();
    return window;
}

}  // namespace quorvel::sim
