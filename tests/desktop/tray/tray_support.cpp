#include "tray_support.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdlib>
#include <memory>

namespace quorvel::testing {

void settle(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

QString run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(10'000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

void xdotool(const QStringList& arguments) {
    run(QStringLiteral("xdotool"), arguments);
}

TrayHost::TrayHost(const QString& tint) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("trayer"),
                   {"--edge", "bottom", "--align", "right", "--widthtype", "request", "--height",
                    "24", "--SetDockType", "true", "--SetPartialStrut", "true", "--transparent",
                    "true", "--alpha", "0", "--tint", tint});
    spinUntil([this] { return isReady(); });
}

TrayHost::~TrayHost() {
    process_.terminate();
    if (!process_.waitForFinished(3000)) process_.kill();
    process_.waitForFinished(3000);
    spinUntil([] { return managerWindow() == 0; }, 3000);
}

bool TrayHost::isReady() const {
    return process_.state() == QProcess::Running && managerWindow() != 0;
}

xcb_window_t TrayHost::managerWindow() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_window_t owner = 0;
    const char name[] = "_NET_SYSTEM_TRAY_S0";
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof(name) - 1, name), nullptr);
    if (atom) {
        auto* reply =
            xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
        if (reply) owner = reply->owner;
        std::free(reply);
    }
    std::free(atom);
    xcb_disconnect(c);
    return owner;
}

QImage grabScreen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

void keepScreenshot(const QImage& image, const QString& name) {
    const QString dir = qEnvironmentVariable("QUORVEL_SCREENSHOTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    image.save(dir + QLatin1Char('/') + name);
}

double meanLuminance(const QImage& image, const QRect& area) {
    double sum = 0;
    int count = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            sum += qGray(image.pixel(x, y));
            ++count;
        }
    }
    return count ? sum / count : 0;
}

OtherClient::OtherClient() : c_(xcb_connect(nullptr, nullptr)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
}

OtherClient::~OtherClient() {
    xcb_disconnect(c_);
}

bool OtherClient::grab(std::uint8_t keycode, std::uint16_t mask) {
    auto* error =
        xcb_request_check(c_, xcb_grab_key_checked(c_, 0, root_, mask, keycode, XCB_GRAB_MODE_ASYNC,
                                                   XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
}

xcb_window_t OtherClient::focusWindow() {
    const xcb_window_t w = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 100, 100, 300, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_map_window(c_, w);
    xcb_flush(c_);
    settle(300);
    xcb_set_input_focus(c_, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
    xcb_flush(c_);
    return w;
}

xcb_window_t OtherClient::focusedWindow() const {
    auto* reply = xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr);
    const xcb_window_t w = reply ? reply->focus : 0;
    std::free(reply);
    return w;
}

}  // namespace quorvel::testing
