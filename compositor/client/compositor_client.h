#pragma once

#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compositor/client/compositor_state.h"
#include "core/geometry.h"
#include "core/signal.h"

namespace quorvel::compositor {

/// Quorvel's component inside the compositor (GNOME Shell's extension, the
/// KWin effect), on the session bus. It keeps the
/// last state the extension reported and reads it anew, without waiting, on
/// every Changed signal, so the window list, screens and workspace ports
/// sample a copy and never wait on the shell during a tick.
class CompositorClient final : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kService = "io.github.quorvel.Shell1";
    static constexpr const char* kPath = "/io/github/quorvel/Shell1";
    static constexpr const char* kInterface = "io.github.quorvel.Shell1";
    /// A call the shell does not answer in this many ms is given up: a busy
    /// shell must not freeze the tray and the settings window.
    static constexpr int kCallTimeoutMs = 800;
    /// Calls nothing waits for may take longer, as a new look does on a slow GPU.
    static constexpr int kSendTimeoutMs = 10000;

    /// `component` names it in log lines ("GNOME Shell's Quorvel extension").
    explicit CompositorClient(std::string component);
    ~CompositorClient() override;

    /// True while the extension is on the bus.
    bool available() const { return available_; }
    /// The interface version the extension reports, 0 when it cannot be read.
    std::uint32_t interfaceVersion() const;
    const CompositorState& state() const { return state_; }
    /// Reads the state now, waiting for the answer (at most kCallTimeoutMs):
    /// for acting on what the user sees at this moment.
    void readNow() { refresh(); }
    /// The pointer in the shell's coordinates as last reported (a tick late at
    /// most); nothing until the shell has answered once.
    std::optional<core::Point> pointer();

    /// A new veil's id, 0 when the extension could not make one.
    std::uint32_t createVeil(const core::Rect& shellFrame);
    void setVeilFrame(std::uint32_t veil, const core::Rect& shellFrame);
    void placeVeil(std::uint32_t veil, const std::string& how, std::uint64_t window);
    void fadeVeil(std::uint32_t veil, double opacity, double seconds);
    void setVeilLook(std::uint32_t veil, int width, int height,
                     const std::vector<std::uint32_t>& pixels,
                     const std::vector<std::uint8_t>& mask, double sigma);
    void destroyVeil(std::uint32_t veil);

    /// The action of a grabbed accelerator, 0 when the shell refuses it.
    std::uint32_t grabAccelerator(const std::string& accelerator);
    void ungrabAccelerator(std::uint32_t action);

    /// After every new state.
    core::Signal<>& changed() { return changed_; }
    /// When the extension came back after going away: veils and grabs made
    /// before are gone and must be made again.
    core::Signal<>& returned() { return returned_; }
    core::Signal<std::uint32_t>& acceleratorActivated() { return acceleratorActivated_; }

private:
    Q_SLOT void onChanged();
    Q_SLOT void onAccelerator(uint action);
    /// Reads the state at once (at start and when the extension comes back).
    void refresh();
    void requestState();
    void applyState(const std::string& json);
    void connectSignals();
    void send(const char* method, const QList<QVariant>& args);

    std::string component_;
    QDBusServiceWatcher watcher_;
    bool available_ = false;
    bool warnedState_ = false;
    bool stateInFlight_ = false;
    bool stateWanted_ = false;
    bool pointerInFlight_ = false;
    std::optional<core::Point> pointer_;
    CompositorState state_;
    core::Signal<> changed_;
    core::Signal<> returned_;
    core::Signal<std::uint32_t> acceleratorActivated_;
};

}  // namespace quorvel::compositor
