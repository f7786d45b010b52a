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

}  // namespace quorvel::testing
