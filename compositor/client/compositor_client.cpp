#include "compositor/client/compositor_client.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include "compositor1_proxy.h"
#include "core/log.h"

namespace quorvel::compositor {

namespace {

std::unique_ptr<Compositor1Proxy> proxy(int timeoutMs) {
    auto p = std::make_unique<Compositor1Proxy>(QString::fromLatin1(CompositorClient::kService),
                                                QString::fromLatin1(CompositorClient::kPath),
                                                QDBusConnection::sessionBus());
    p->setTimeout(timeoutMs);
    return p;
}

/// Waits for `reply` (at most the proxy's timeout); false, with a line, when it
/// is an error.
template <typename Reply>
bool answered(Reply& reply, const char* method, const std::string& component) {
    reply.waitForFinished();
    if (!reply.isError()) return true;
    core::log("⚠️ " + component + " did not answer " + method + ": " +
              reply.error().message().toStdString());
    return false;
}

}  // namespace

CompositorClient::CompositorClient(std::string component)
    : component_(std::move(component)),
      now_(proxy(kCallTimeoutMs)),
      later_(proxy(kSendTimeoutMs)),
      watcher_(QString::fromLatin1(kService), QDBusConnection::sessionBus(),
               QDBusServiceWatcher::WatchForOwnerChange) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) { ownerChanged(owner); });
    connectSignals();
    available_ = bus.interface() && bus.interface()->isServiceRegistered(kService);
    if (available_) refresh();
}

CompositorClient::~CompositorClient() = default;

void CompositorClient::ownerChanged(const QString& owner) {
    available_ = !owner.isEmpty();
    // The veils those looks were for went with the component.
    looks_.clear();
    if (!available_) {
        core::log("⚠️ " + component_ + " left the session bus");
        left_.emit();
        return;
    }
    core::log("🔧 " + component_ + " is back: veils made anew");
    refresh();
    returned_.emit();
}

void CompositorClient::connectSignals() {
    // The component sends its signals to Quorvel alone.
    connect(later_.get(), &Compositor1Proxy::Changed, this, [this] { requestState(); });
    connect(later_.get(), &Compositor1Proxy::AcceleratorActivated, this,
            [this](uint action) { acceleratorActivated_.emit(action); });
    connect(later_.get(), &Compositor1Proxy::TrayItemClicked, this,
            [this](const QString& button, uint modifiers) {
                trayItemClicked_.emit(button.toStdString(), modifiers);
            });
    connect(later_.get(), &Compositor1Proxy::TrayMenuItemActivated, this,
            [this](const QString& action, int tag) {
                trayMenuItemActivated_.emit(action.toStdString(), tag);
            });
}

void CompositorClient::refresh() {
    QDBusPendingReply<QString> reply = now_->GetState();
    if (answered(reply, "GetState", component_)) applyState(reply.value());
}

void CompositorClient::requestState() {
    // One reading at a time, and one more if the compositor changed
    // meanwhile: a busy compositor answers late, and the last change must
    // never be missed.
    if (stateInFlight_) {
        stateWanted_ = true;
        return;
    }
    stateInFlight_ = true;
    auto* call = new QDBusPendingCallWatcher(later_->GetState(), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        stateInFlight_ = false;
        QDBusPendingReply<QString> reply = *w;
        if (!reply.isError()) applyState(reply.value());
        w->deleteLater();
        if (std::exchange(stateWanted_, false)) requestState();
    });
}

void CompositorClient::applyState(const QString& json) {
    std::string reason;
    auto parsed = parseCompositorState(json.toStdString(), &reason);
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
    // never waits on the compositor; the next one sees this request's.
    if (!pointerInFlight_) {
        pointerInFlight_ = true;
        auto* call = new QDBusPendingCallWatcher(later_->GetPointer(), this);
        connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
            pointerInFlight_ = false;
            QDBusPendingReply<int, int> reply = *w;
            if (!reply.isError())
                pointer_ =
                    core::Point{double(reply.argumentAt<0>()), double(reply.argumentAt<1>())};
            w->deleteLater();
        });
    }
    return pointer_;
}

void CompositorClient::watch(const char* method, const QDBusPendingCall& call) {
    // Nothing waits for these, so a busy compositor may take its time; but a
    // refusal is worth a line: the veil would be wrong.
    auto* w = new QDBusPendingCallWatcher(call, this);
    connect(w, &QDBusPendingCallWatcher::finished, this,
            [name = std::string(method), component = component_](QDBusPendingCallWatcher* done) {
                if (done->isError() && done->error().type() == QDBusError::NoReply) {
                    core::log("⚠️ " + component + " did not answer " + name + " within " +
                              std::to_string(kSendTimeoutMs / 1000) + " s");
                } else if (done->isError()) {
                    core::log("⚠️ " + component + " refused " + name + ": " +
                              done->error().message().toStdString());
                }
                done->deleteLater();
            });
}

std::uint32_t CompositorClient::createVeil(const core::Rect& r) {
    if (!available_) return 0;
    QDBusPendingReply<uint> reply =
        now_->CreateVeil(int(r.x), int(r.y), int(r.width), int(r.height));
    return answered(reply, "CreateVeil", component_) ? reply.value() : 0;
}

void CompositorClient::setVeilFrame(std::uint32_t veil, const core::Rect& r) {
    if (available_)
        watch("SetVeilFrame",
              later_->SetVeilFrame(veil, int(r.x), int(r.y), int(r.width), int(r.height)));
}

void CompositorClient::placeVeil(std::uint32_t veil, const std::string& how, std::uint64_t window) {
    if (available_)
        watch("PlaceVeil", later_->PlaceVeil(veil, QString::fromStdString(how), window));
}

void CompositorClient::fadeVeil(std::uint32_t veil, double opacity, double seconds) {
    if (available_) watch("FadeVeil", later_->FadeVeil(veil, opacity, seconds));
}

void CompositorClient::setVeilLook(std::uint32_t veil, int width, int height,
                                   const std::vector<std::uint32_t>& pixels,
                                   const std::vector<std::uint8_t>& mask, double blur) {
    if (!available_) return;
    // B, G, R, A in memory: the packed ARGB words, little-endian.
    Look look{width, height, {}, {}, blur};
    look.pixels.reserve(qsizetype(pixels.size() * 4));
    for (std::uint32_t p : pixels) {
        const char quad[4] = {char(p & 0xff), char((p >> 8) & 0xff), char((p >> 16) & 0xff),
                              char(p >> 24)};
        look.pixels.append(quad, 4);
    }
    look.mask = QByteArray(reinterpret_cast<const char*>(mask.data()), qsizetype(mask.size()));
    // A glide makes a look every frame, each a picture as tall as the
    // monitor. A compositor slower than that would queue them, and every
    // call after them (a menu, a new frame) would wait behind the backlog.
    if (auto busy = looks_.find(veil); busy != looks_.end()) {
        busy->second.next = std::move(look);
        return;
    }
    sendLook(veil, look);
}

void CompositorClient::sendLook(std::uint32_t veil, const Look& look) {
    const std::uint64_t serial = ++lookSerial_;
    looks_[veil] = LookInFlight{serial, std::nullopt};
    const QDBusPendingCall call =
        later_->SetVeilLook(veil, look.width, look.height, look.pixels, look.mask, look.blur);
    watch("SetVeilLook", call);
    auto* done = new QDBusPendingCallWatcher(call, this);
    connect(done, &QDBusPendingCallWatcher::finished, this,
            [this, veil, serial](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                auto entry = looks_.find(veil);
                // Gone with its veil, or with the component.
                if (entry == looks_.end() || entry->second.serial != serial) return;
                std::optional<Look> next = std::move(entry->second.next);
                looks_.erase(entry);
                if (next && available_) sendLook(veil, *next);
            });
}

void CompositorClient::destroyVeil(std::uint32_t veil) {
    looks_.erase(veil);
    if (available_) watch("DestroyVeil", later_->DestroyVeil(veil));
}

std::uint32_t CompositorClient::grabAccelerator(const std::string& accelerator) {
    if (!available_) return 0;
    QDBusPendingReply<uint> reply = now_->GrabAccelerator(QString::fromStdString(accelerator));
    return answered(reply, "GrabAccelerator", component_) ? reply.value() : 0;
}

void CompositorClient::ungrabAccelerator(std::uint32_t action) {
    if (available_) watch("UngrabAccelerator", later_->UngrabAccelerator(action));
}

void CompositorClient::activateWindow(std::uint64_t window) {
    if (available_) watch("ActivateWindow", later_->ActivateWindow(window));
}

void CompositorClient::showTrayItem(const std::string& icon, const std::string& tooltip) {
    if (available_)
        watch("ShowTrayItem",
              later_->ShowTrayItem(QString::fromStdString(icon), QString::fromStdString(tooltip)));
}

void CompositorClient::hideTrayItem() {
    if (available_) watch("HideTrayItem", later_->HideTrayItem());
}

void CompositorClient::openTrayMenu(const std::string& menuJson) {
    if (available_) watch("OpenTrayMenu", later_->OpenTrayMenu(QString::fromStdString(menuJson)));
}

void CompositorClient::setTopBarHidden(bool hidden) {
    if (available_) watch("SetTopBarHidden", later_->SetTopBarHidden(hidden));
}

}  // namespace quorvel::compositor
