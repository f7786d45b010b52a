#include "app/remote_control.h"

namespace quorvel::app {

RemoteControl::RemoteControl(Application& application) : application_(application) {
    last_ = state();
    for (core::Signal<>* signal :
         {&application.session().changed(), &application.front().changed()}) {
        watches_.push_back(signal->connect([this] { refresh(); }));
    }
}

void RemoteControl::toggle() {
    application_.session().toggle();
}

void RemoteControl::setFocus(bool on) {
    application_.session().setOn(on);
}

bool RemoteControl::setMode(std::string_view mode) {
    const auto parsed = settings::parseFocusMode(mode);
    if (!parsed) return false;
    application_.session().setMode(*parsed);
    return true;
}

void RemoteControl::openSettings() {
    if (application_.hooks().showSettings) application_.hooks().showSettings("appearance");
}

RemoteState RemoteControl::state() const {
    return RemoteState{application_.session().isOn(),
                       std::string(settings::rawValue(application_.session().mode())),
                       application_.front().isExcluded()};
}

void RemoteControl::refresh() {
    const RemoteState now = state();
    if (last_ && *last_ == now) return;
    const RemoteState before = last_.value_or(now);
    last_ = now;
    if (handler_) handler_(now, before);
}

}  // namespace quorvel::app
