#pragma once

#include <QByteArray>
#include <QDBusContext>
#include <QObject>
#include <QString>

namespace quorvel::kwin {

class AccessGuard;
class DesktopState;
class ScreenCapture;
class Shortcuts;
class VeilStore;
struct Veil;

/// io.github.quorvel.Compositor1 (compositor/interface/), exported through
/// the adaptor generated from the interface's XML, which calls these slots.
/// It reports and carries out; Quorvel decides.
class CompositorService : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    struct Parts {
        DesktopState& state;
        VeilStore& veils;
        Shortcuts& shortcuts;
        ScreenCapture& capture;
        bool testSession;  // QUORVEL_COMPOSITOR_TEST=1
    };
    explicit CompositorService(Parts parts, QObject* parent = nullptr);
    ~CompositorService() override;

    /// False when the bus name or object path is taken.
    bool publish();

public Q_SLOTS:
    QString GetState();
    int GetPointer(int& y);
    uint CreateVeil(int x, int y, int width, int height);
    void SetVeilFrame(uint veil, int x, int y, int width, int height);
    bool PlaceVeil(uint veil, const QString& how, qulonglong window);
    void FadeVeil(uint veil, double opacity, double seconds);
    void SetVeilLook(uint veil, int width, int height, const QByteArray& pixels,
                     const QByteArray& mask, double blur);
    void DestroyVeil(uint veil);
    uint GrabAccelerator(const QString& accelerator);
    void UngrabAccelerator(uint action);
    bool ActivateWindow(qulonglong window);
    void ShowTrayItem(const QString& icon, const QString& tooltip);
    void HideTrayItem();
    void OpenTrayMenu(const QString& menu);
    void SetTopBarHidden(bool hidden);
    bool Screenshot(const QString& path);

Q_SIGNALS:
    /// Something about the veils changed: the screen needs painting.
    void veilsChanged();

private:
    /// Runs `body` for Quorvel alone, answering AccessDenied to anyone else
    /// and Failed for anything thrown inside.
    template <typename Body>
    auto guard(Body body);
    Veil* callerVeil(uint id);
    void fail(const char* error, const QString& message);
    /// A signal of the interface, to the owner alone.
    void signalOwner(const char* name, const QVariantList& arguments = {});
    void dropOwner(const QString& owner);

    Parts parts_;
    AccessGuard* access_;
    bool published_ = false;
};

}  // namespace quorvel::kwin
