#include "compositor/client/compositor_client.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include "core/log.h"

namespace quorvel::compositor {

namespace {

QDBusMessage methodCall(const char* method) {
    return QDBusMessage::createMethodCall(CompositorClient::kService, CompositorClient::kPath,
                                          CompositorClient::kInterface, QString::fromLatin1(method));
}

QDBusMessage callNow(const char* method, const QList<QVariant>& args) {
    QDBusMessage call = methodCall(method);
    call.setArguments(args);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, CompositorClient::kCallTimeoutMs);
}

bool answered(const QDBusMessage& reply, const char* method, const std::string& component) {
    if (reply.type() == QDBusMessage::ReplyMessage) return true;
    core::log("⚠️ " + component + " did not answer " + std::string(method) + ": " +
              reply.errorMessage().toStdString());
    return false;
}

QList<QVariant> rectArgs(const core::Rect& r) {
    return {int(r.x), int(r.y), int(r.width), int(r.height)};
}

}  // namespace

CompositorClient::CompositorClient(std::string component)
    : component_(std::move(component)),
      watcher_(QString::fromLatin1(kService), QDBusConnection::sessionBus(),
               QDBusServiceWatcher::WatchForOwnerChange) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                available_ = !newOwner.isEmpty();
                if (!available_) {
                    core::log("⚠️ " + component_ + " left the session bus");
                    return;
                }
                core::log("🔧 " + component_ + " is back: veils made anew");
                refresh();
                returned_.emit();
            });
    connectSignals();
    available_ = bus.interface() && bus.interface()->isServiceRegistered(kService);
    if (available_) refresh();
}

CompositorClient::~CompositorClient() = default;

void CompositorClient::connectSignals() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(kService, kPath, kInterface, QStringLiteral("Changed"), this, SLOT(onChanged()));
    bus.connect(kService, kPath, kInterface, QStringLiteral("AcceleratorActivated"), this,
                SLOT(onAccelerator(uint)));
}

std::uint32_t CompositorClient::interfaceVersion() const {
    QDBusMessage get =
        QDBusMessage::createMethodCall(kService, kPath, "org.freedesktop.DBus.Properties", "Get");
    get << QString::fromLatin1(kInterface) << QStringLiteral("Version");
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(get, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return 0;
    return reply.arguments().front().value<QDBusVariant>().variant().toUInt();
}

void CompositorClient::onChanged() {
    requestState();
}

void CompositorClient::onAccelerator(uint action) {
    acceleratorActivated_.emit(action);
}

void CompositorClient::refresh() {
    const QDBusMessage reply = callNow("GetState", {});
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
        applyState(reply.arguments().front().toString().toStdString());
}

void CompositorClient::requestState() {
    // One reading at a time, and one more if the shell changed meanwhile: a
    // busy shell answers late, and the last change must never be missed.
    if (stateInFlight_) {
        stateWanted_ = true;
        return;
    }
    stateInFlight_ = true;
    auto* watch = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(methodCall("GetState"), kSendTimeoutMs), this);
    connect(watch, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        stateInFlight_ = false;
        const QDBusMessage reply = w->reply();
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            applyState(reply.arguments().front().toString().toStdString());
        w->deleteLater();
        if (std::exchange(stateWanted_, false)) requestState();
    });
}

void CompositorClient::applyState(const std::string& json) {
    std::string reason;
    auto parsed = parseShellState(json, &reason);
    if (!parsed) {
        // Said once: a mismatched component would say it at every change.
        if (!warnedState_) core::log("⚠️ " + component_ + " sent " + reason);
        warnedState_ = true;
        return;
    }
    state_ = std::move(*parsed);
    changed_.emit();
}

std::optional<core::Point> CompositorClient::pointer() {
    if (!available_) return std::nullopt;
    // Asked every tick in single mode: the tick reads the last answer and
    // never waits on the shell; the next one sees this request's.
    if (!pointerInFlight_) {
        pointerInFlight_ = true;
        auto* watch = new QDBusPendingCallWatcher(
            QDBusConnection::sessionBus().asyncCall(methodCall("GetPointer"), kSendTimeoutMs),
            this);
        connect(
            watch, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
                pointerInFlight_ = false;
                const QDBusMessage reply = w->reply();
                if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 2) {
                    pointer_ = core::Point{double(reply.arguments()[0].toInt()),
                                           double(reply.arguments()[1].toInt())};
                }
                w->deleteLater();
            });
    }
    return pointer_;
}

std::uint32_t CompositorClient::createVeil(const core::Rect& shellFrame) {
    if (!available_) return 0;
    const QDBusMessage reply = callNow("CreateVeil", rectArgs(shellFrame));
    if (!answered(reply, "CreateVeil", component_) || reply.arguments().isEmpty()) return 0;
    return reply.arguments().front().toUInt();
}

void CompositorClient::send(const char* method, const QList<QVariant>& args) {
    if (!available_) return;
    QDBusMessage call = methodCall(method);
    call.setArguments(args);
    // Fire and forget, so a busy shell may take its time; but a refusal is
    // worth a line: the veil would be wrong.
    auto* watch = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(call, kSendTimeoutMs), this);
    const std::string name = method;
    connect(watch, &QDBusPendingCallWatcher::finished, this,
            [name, component = component_](QDBusPendingCallWatcher* w) {
                if (w->isError() && w->error().type() == QDBusError::NoReply) {
                    core::log("⚠️ " + component + " did not answer " + name + " within " +
                              std::to_string(kSendTimeoutMs / 1000) + " s");
                } else if (w->isError()) {
                    core::log("⚠️ " + component + " refused " + name + ": " +
                              w->error().message().toStdString());
                }
                w->deleteLater();
            });
}

void CompositorClient::setVeilFrame(std::uint32_t veil, const core::Rect& shellFrame) {
    send("SetVeilFrame", QList<QVariant>{veil} + rectArgs(shellFrame));
}

void CompositorClient::placeVeil(std::uint32_t veil, const std::string& how, std::uint64_t window) {
    send("PlaceVeil", {veil, QString::fromStdString(how), QVariant::fromValue<qulonglong>(window)});
}

void CompositorClient::fadeVeil(std::uint32_t veil, double opacity, double seconds) {
    send("FadeVeil", {veil, opacity, seconds});
}

void CompositorClient::setVeilLook(std::uint32_t veil, int width, int height,
                              const std::vector<std::uint32_t>& pixels,
                              const std::vector<std::uint8_t>& mask, double sigma) {
    // B, G, R, A in memory: the packed ARGB words, little-endian.
    QByteArray bytes;
    bytes.reserve(int(pixels.size() * 4));
    for (std::uint32_t p : pixels) {
        const char quad[4] = {char(p & 0xff), char((p >> 8) & 0xff), char((p >> 16) & 0xff),
                              char(p >> 24)};
        bytes.append(quad, 4);
    }
    const QByteArray rows(reinterpret_cast<const char*>(mask.data()), qsizetype(mask.size()));
    send("SetVeilLook", {veil, width, height, bytes, rows, sigma});
}

void CompositorClient::destroyVeil(std::uint32_t veil) {
    send("DestroyVeil", {veil});
}

std::uint32_t CompositorClient::grabAccelerator(const std::string& accelerator) {
    if (!available_) return 0;
    const QDBusMessage reply = callNow("GrabAccelerator", {QString::fromStdString(accelerator)});
    if (!answered(reply, "GrabAccelerator", component_) || reply.arguments().isEmpty()) return 0;
    return reply.arguments().front().toUInt();
}

void CompositorClient::ungrabAccelerator(std::uint32_t action) {
    send("UngrabAccelerator", {action});
}

}  // namespace quorvel::compositor
