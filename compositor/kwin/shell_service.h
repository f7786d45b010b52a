#pragma once

#include <QByteArray>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>

namespace quorvel::kwin {

class DesktopState;
class Shortcuts;
class VeilStore;
struct Veil;

/// io.github.quorvel.Shell1 on the session bus, as the GNOME extension
/// offers it (compositor/interface/io.github.quorvel.Shell1.xml). It reports
/// and carries out; Quorvel decides.
class ShellService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.quorvel.Shell1")
    Q_PROPERTY(uint Version READ version)
public:
    ShellService(DesktopState& state, VeilStore& veils, Shortcuts& shortcuts,
                 QObject* parent = nullptr);
    ~ShellService() override;

    /// False when the bus name or object path is taken.
    bool publish();
    uint version() const { return 1; }

public Q_SLOTS:
    Q_SCRIPTABLE QString GetState();
    Q_SCRIPTABLE int GetPointer(int& y);
    Q_SCRIPTABLE uint CreateVeil(int x, int y, int width, int height);
    Q_SCRIPTABLE void SetVeilFrame(uint veil, int x, int y, int width, int height);
    Q_SCRIPTABLE bool PlaceVeil(uint veil, const QString& how, qulonglong window);
    Q_SCRIPTABLE void FadeVeil(uint veil, double opacity, double seconds);
    Q_SCRIPTABLE void SetVeilLook(uint veil, int width, int height, const QByteArray& pixels,
                                  const QByteArray& mask, double sigma);
    Q_SCRIPTABLE void DestroyVeil(uint veil);
    Q_SCRIPTABLE uint GrabAccelerator(const QString& accelerator);
    Q_SCRIPTABLE void UngrabAccelerator(uint action);
    Q_SCRIPTABLE bool Screenshot(const QString& path);

Q_SIGNALS:
    Q_SCRIPTABLE void Changed();
    Q_SCRIPTABLE void AcceleratorActivated(uint action);
    /// Something about the veils changed: the screen needs painting.
    void veilsChanged();

private:
    Veil* callerVeil(uint id);
    void invalidArgs(const QString& message);
    void watchCaller();
    void dropOwner(const QString& owner);

    DesktopState& state_;
    VeilStore& veils_;
    Shortcuts& shortcuts_;
    QDBusServiceWatcher owners_;
    bool published_ = false;
};

}  // namespace quorvel::kwin
