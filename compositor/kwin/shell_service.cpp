#include "shell_service.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTimer>

#include "desktop_state.h"
#include "kwin_compat.h"
#include "shortcuts.h"
#include "veil.h"

namespace quorvel::kwin {
namespace {

const QString busName = QStringLiteral("io.github.quorvel.Shell1");
const QString objectPath = QStringLiteral("/io/github/quorvel/Shell1");
const QString errorPrefix = QStringLiteral("io.github.quorvel.Shell1.Error.");

}  // namespace

ShellService::ShellService(DesktopState& state, VeilStore& veils, Shortcuts& shortcuts,
                           QObject* parent)
    : QObject(parent), state_(state), veils_(veils), shortcuts_(shortcuts) {
    owners_.setConnection(QDBusConnection::sessionBus());
    owners_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    // A caller that crashes or disconnects must not leave the screen veiled
    // or its shortcuts taken.
    connect(&owners_, &QDBusServiceWatcher::serviceUnregistered, this, &ShellService::dropOwner);
    connect(&state_, &DesktopState::changed, this, &ShellService::Changed);
    connect(&shortcuts_, &Shortcuts::activated, this, &ShellService::AcceleratorActivated);
}

ShellService::~ShellService() {
    if (!published_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(objectPath);
    bus.unregisterService(busName);
}

bool ShellService::publish() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(
            objectPath, this,
            QDBusConnection::ExportScriptableContents | QDBusConnection::ExportAllProperties))
        return false;
    if (!bus.registerService(busName)) {
        bus.unregisterObject(objectPath);
        return false;
    }
    published_ = true;
    return true;
}

QString ShellService::GetState() {
    return state_.json();
}

int ShellService::GetPointer(int& y) {
    const QPoint p = KWin::effects->cursorPos();
    y = p.y();
    return p.x();
}

uint ShellService::CreateVeil(int x, int y, int width, int height) {
    watchCaller();
    const QRect frame(x, y, std::max(0, width), std::max(0, height));
    return veils_.create(message().service(), frame).id;
}

void ShellService::SetVeilFrame(uint veil, int x, int y, int width, int height) {
    if (Veil* v = callerVeil(veil)) {
        v->frame = QRect(x, y, std::max(0, width), std::max(0, height));
        Q_EMIT veilsChanged();
    }
}

bool ShellService::PlaceVeil(uint veil, const QString& how, qulonglong window) {
    Veil* v = callerVeil(veil);
    if (!v) return false;
    if (how == QLatin1String("below")) {
        KWin::EffectWindow* w = state_.window(window);
        if (!w) return false;
        v->placement = Placement::Below;
        v->below = w;
    } else if (how == QLatin1String("covering")) {
        v->placement = Placement::Covering;
        v->below = nullptr;
    } else if (how == QLatin1String("none")) {
        v->placement = Placement::None;
        v->below = nullptr;
    } else {
        invalidArgs(QStringLiteral("no placement \"%1\"").arg(how));
        return false;
    }
    Q_EMIT veilsChanged();
    return true;
}

void ShellService::FadeVeil(uint veil, double opacity, double seconds) {
    if (Veil* v = callerVeil(veil)) {
        v->fade.start(opacity, seconds, Clock::now());
        Q_EMIT veilsChanged();
    }
}

void ShellService::SetVeilLook(uint veil, int width, int height, const QByteArray& pixels,
                               const QByteArray& mask, double sigma) {
    Veil* v = callerVeil(veil);
    if (!v) return;
    if (width < 0 || height < 0 || qint64(pixels.size()) != qint64(width) * height * 4) {
        invalidArgs(QStringLiteral("%1 bytes of pixels for a %2x%3 image")
                        .arg(pixels.size())
                        .arg(width)
                        .arg(height));
        return;
    }
    VeilLook look;
    if (width > 0 && height > 0) {
        // ARGB32 is B, G, R, A in memory on the little-endian machines KWin runs on.
        look.tint = QImage(reinterpret_cast<const uchar*>(pixels.constData()), width, height,
                           width * 4, QImage::Format_ARGB32_Premultiplied)
                        .copy();
    }
    look.mask = mask;
    look.sigma = std::max(0.0, sigma);
    setLook(veils_, *v, std::move(look));
    Q_EMIT veilsChanged();
}

void ShellService::DestroyVeil(uint veil) {
    if (callerVeil(veil)) {
        veils_.destroy(veil);
        Q_EMIT veilsChanged();
    }
}

uint ShellService::GrabAccelerator(const QString& accelerator) {
    watchCaller();
    return shortcuts_.grab(message().service(), accelerator);
}

void ShellService::UngrabAccelerator(uint action) {
    if (!shortcuts_.ungrab(message().service(), action)) {
        sendErrorReply(errorPrefix + QStringLiteral("NoSuchAction"),
                       QStringLiteral("no shortcut %1 of this caller").arg(action));
    }
}

bool ShellService::Screenshot(const QString&) {
    return false;  // tests use KWin's own screenshot interface
}

Veil* ShellService::callerVeil(uint id) {
    Veil* veil = veils_.find(id, message().service());
    if (!veil) {
        sendErrorReply(errorPrefix + QStringLiteral("NoSuchVeil"),
                       QStringLiteral("no veil %1 of this caller").arg(id));
    }
    return veil;
}

void ShellService::invalidArgs(const QString& text) {
    sendErrorReply(errorPrefix + QStringLiteral("InvalidArgs"), text);
}

void ShellService::watchCaller() {
    const QString caller = message().service();
    if (owners_.watchedServices().contains(caller)) return;
    owners_.addWatchedService(caller);
    // A caller gone before the watch began is never reported by it; what it
    // is creating now is dropped once the call that creates it is done.
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    if (bus && !bus->isServiceRegistered(caller).value())
        QTimer::singleShot(0, this, [this, caller] { dropOwner(caller); });
}

void ShellService::dropOwner(const QString& owner) {
    owners_.removeWatchedService(owner);
    veils_.dropOwner(owner);
    shortcuts_.dropOwner(owner);
    Q_EMIT veilsChanged();
}

}  // namespace quorvel::kwin
