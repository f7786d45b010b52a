#include "program/x_connection_watch.h"

#include <xcb/xcb.h>

#include <QAbstractEventDispatcher>
#include <QGuiApplication>
#include <QThread>
#include <cstdlib>

#include "core/log.h"
#include "x11/connection.h"

namespace quorvel::program {

namespace {

XConnectionWatch* active = nullptr;
QtMessageHandler previousHandler = nullptr;

bool qtConnectionBroken() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    return c && xcb_connection_has_error(c) != 0;
}

}  // namespace

XConnectionWatch::XConnectionWatch(x11::Connection& connection, std::string display,
                                   std::function<void()> farewell)
    : connection_(connection),
      display_(std::move(display)),
      farewell_(std::move(farewell)),
      events_(connection.fd(), QSocketNotifier::Read) {
    QObject::connect(&events_, &QSocketNotifier::activated, [this] {
        connection_.processEvents();
        if (!connection_.isOpen()) serverGone();
    });
    // A reply waited for during the turn (a sample reads the active window)
    // takes the events that came with it off the socket, and the notifier
    // never fires for them: the window switch that came last would wait for
    // the next X event, which may never come.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &events_, [this] { connection_.processQueuedEvents(); });
    active = this;
    previousHandler = qInstallMessageHandler(&XConnectionWatch::onMessage);
}

XConnectionWatch::~XConnectionWatch() {
    qInstallMessageHandler(previousHandler);
    active = nullptr;
}

void XConnectionWatch::serverGone() {
    // Qt's own warning may come while the farewell runs; it must not start another.
    active = nullptr;
    core::log("⚠️ The X server of display " + display_ +
              " went away: giving the panels back, then quitting with status " +
              std::to_string(serverGoneStatus));
    if (farewell_) farewell_();
    std::exit(serverGoneStatus);
}

void XConnectionWatch::onMessage(QtMsgType type, const QMessageLogContext& context,
                                 const QString& message) {
    if (previousHandler) previousHandler(type, context, message);
    // Only the main thread may run the farewell; Qt ends the process right
    // after the warning it gives from there.
    if (active && type >= QtWarningMsg && QThread::currentThread() == qApp->thread() &&
        qtConnectionBroken()) {
        active->serverGone();
    }
}

}  // namespace quorvel::program
