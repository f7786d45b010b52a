#pragma once

#include <QSocketNotifier>
#include <QtGlobal>
#include <functional>
#include <string>

namespace quorvel::x11 {
class Connection;
}

namespace quorvel::program {

/// Hands the X connection's events (window list, monitors, keyboard) to its
/// handlers through the event loop, like Qt's own, and ends the program when
/// the X server goes away. Qt notices that on its own connection too and then
/// ends the process at once (status 1, after one warning) from inside the
/// event loop, where no destructor runs; so the last words, a line that says
/// what happened and the panels given back, are said on whichever comes
/// first: Quorvel's connection failing, or a warning from Qt while Qt's
/// connection is broken.
class XConnectionWatch final {
public:
    static constexpr int serverGoneStatus = 1;

    /// `farewell` gives back what focus took (panels) and saves what is unsaved.
    XConnectionWatch(x11::Connection& connection, std::string display,
                     std::function<void()> farewell);
    ~XConnectionWatch();
    XConnectionWatch(const XConnectionWatch&) = delete;
    XConnectionWatch& operator=(const XConnectionWatch&) = delete;

private:
    [[noreturn]] void serverGone();
    static void onMessage(QtMsgType type, const QMessageLogContext& context,
                          const QString& message);

    x11::Connection& connection_;
    std::string display_;
    std::function<void()> farewell_;
    QSocketNotifier events_;
};

}  // namespace quorvel::program
