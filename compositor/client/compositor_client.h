#pragma once

#include <QByteArray>
#include <QDBusPendingCall>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compositor/client/compositor_state.h"
#include "core/geometry.h"
#include "core/signal.h"

class Compositor1Proxy;

namespace quorvel::compositor {

/// Quorvel's component inside the compositor (GNOME Shell's extension, the
/// KWin effect), on the session bus. It keeps the last state the component
/// reported and reads it anew, without waiting, on every Changed signal, so
/// the desktop port samples a copy and never waits on the compositor during
/// a tick. The component answers only the process that owns Quorvel's own
/// bus name, so that name is claimed before this client calls.
class CompositorClient final : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kService = "io.github.quorvel.Compositor1";
    static constexpr const char* kPath = "/io/github/quorvel/Compositor1";
    /// A call the compositor does not answer in this many ms is given up: a
    /// busy compositor must not freeze the tray and the settings window.
    static constexpr int kCallTimeoutMs = 800;
    /// Calls nothing waits for may take longer, as a new look does on a slow GPU.
    static constexpr int kSendTimeoutMs = 10000;

    /// `component` names it in log lines ("GNOME Shell's Quorvel extension").
    explicit CompositorClient(std::string component);
    ~CompositorClient() override;

    /// True while the component is on the bus.
    bool available() const { return available_; }
    const CompositorState& state() const { return state_; }
    /// Reads the state now, waiting for the answer (at most kCallTimeoutMs):
    /// for acting on what the user sees at this moment.
    void readNow() { refresh(); }
    /// The pointer in the compositor's coordinates as last reported (a tick
    /// late at most); nothing until the compositor has answered once.
    std::optional<core::Point> pointer();

    /// A new veil's id, 0 when the component could not make one.
    std::uint32_t createVeil(const core::Rect& frame);
    void setVeilFrame(std::uint32_t veil, const core::Rect& frame);
    void placeVeil(std::uint32_t veil, const std::string& how, std::uint64_t window);
    void fadeVeil(std::uint32_t veil, double opacity, double seconds);
    /// One look per veil is on its way at a time; of those made meanwhile
    /// only the newest follows it.
    void setVeilLook(std::uint32_t veil, int width, int height,
                     const std::vector<std::uint32_t>& pixels,
                     const std::vector<std::uint8_t>& mask, double blur);
    void destroyVeil(std::uint32_t veil);

    /// The action of a grabbed accelerator, 0 when the compositor refuses it.
    std::uint32_t grabAccelerator(const std::string& accelerator);
    void ungrabAccelerator(std::uint32_t action);
    void activateWindow(std::uint64_t window);

    /// The top-bar item (GNOME only); `icon` is one of the component's four.
    void showTrayItem(const std::string& icon, const std::string& tooltip);
    void hideTrayItem();
    void openTrayMenu(const std::string& menuJson);
    void setTopBarHidden(bool hidden);

    /// After every new state.
    core::Signal<>& changed() { return changed_; }
    /// When the component came back after going away: veils, grabs and the
    /// top-bar item made before are gone and must be made again.
    core::Signal<>& returned() { return returned_; }
    /// When the component left the bus (KWin unloads an effect it was not
    /// told to keep on).
    core::Signal<>& left() { return left_; }
    core::Signal<std::uint32_t>& acceleratorActivated() { return acceleratorActivated_; }
    /// button "left", "middle" or "right"; modifiers 1 Shift, 2 Control, 4 Alt, 8 Super.
    core::Signal<std::string, std::uint32_t>& trayItemClicked() { return trayItemClicked_; }
    core::Signal<std::string, int>& trayMenuItemActivated() { return trayMenuItemActivated_; }

private:
    /// Reads the state at once (at start and when the component comes back).
    void refresh();
    void requestState();
    void applyState(const QString& json);
    void connectSignals();
    void ownerChanged(const QString& owner);
    /// Logs a refusal or a timeout of a call nothing waits for.
    void watch(const char* method, const QDBusPendingCall& call);
    struct Look {
        int width = 0;
        int height = 0;
        QByteArray pixels;
        QByteArray mask;
        double blur = 0;
    };
    void sendLook(std::uint32_t veil, const Look& look);

    std::string component_;
    std::unique_ptr<Compositor1Proxy> now_;    // calls waited for, kCallTimeoutMs
    std::unique_ptr<Compositor1Proxy> later_;  // calls sent, kSendTimeoutMs
    QDBusServiceWatcher watcher_;
    bool available_ = false;
    bool warnedState_ = false;
    bool stateInFlight_ = false;
    bool stateWanted_ = false;
    bool pointerInFlight_ = false;
    std::optional<core::Point> pointer_;
    struct LookInFlight {
        std::uint64_t serial = 0;
        std::optional<Look> next;
    };
    std::map<std::uint32_t, LookInFlight> looks_;
    std::uint64_t lookSerial_ = 0;
    CompositorState state_;
    core::Signal<> changed_;
    core::Signal<> returned_;
    core::Signal<> left_;
    core::Signal<std::uint32_t> acceleratorActivated_;
    core::Signal<std::string, std::uint32_t> trayItemClicked_;
    core::Signal<std::string, int> trayMenuItemActivated_;
};

}  // namespace quorvel::compositor
