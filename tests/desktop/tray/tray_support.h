#pragma once

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

#include "spin_until.h"

namespace quorvel::testing {

/// Turns the event loop for `ms` so that nothing that should not happen does.
void settle(int ms = 300);

/// Runs a helper tool to its end; its standard output, trimmed.
QString run(const QString& program, const QStringList& arguments);

/// `xdotool` with these arguments, waiting for it to finish.
void xdotool(const QStringList& arguments);

/// The tray host of the test: trayer at the bottom right of the screen, its
/// panel painted in `tint`. Stopped (by its own pid) when destroyed.
class TrayHost {
public:
    explicit TrayHost(const QString& tint);
    ~TrayHost();
    TrayHost(const TrayHost&) = delete;
    TrayHost& operator=(const TrayHost&) = delete;

    /// True once the host owns the tray selection.
    bool isReady() const;
    /// The tray manager window (owner of _NET_SYSTEM_TRAY_S0); 0 without one.
    static xcb_window_t managerWindow();

private:
    QProcess process_;
};

/// Another X client: holds grabs and a focused window of its own.
class OtherClient {
public:
    OtherClient();
    ~OtherClient();
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    xcb_connection_t* connection() const { return c_; }
    xcb_window_t root() const { return root_; }
    /// Grabs a key on the root; false when another client holds it.
    bool grab(std::uint8_t keycode, std::uint16_t mask);
    /// Maps a window and gives it the keyboard focus, as a user's editor would have.
    xcb_window_t focusWindow();
    /// The window with the keyboard focus, as the server reports it.
    xcb_window_t focusedWindow() const;

private:
    xcb_connection_t* c_;
    xcb_window_t root_;
};

/// The whole screen as the X server shows it.
QImage grabScreen();
/// Saves `image` as `name` under $QUORVEL_SCREENSHOTS (if set).
void keepScreenshot(const QImage& image, const QString& name);
/// Mean luminance (0–255) of the pixels of `image` inside `area`.
double meanLuminance(const QImage& image, const QRect& area);

}  // namespace quorvel::testing
