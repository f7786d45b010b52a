#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

namespace KWin {
class EffectWindow;
class EffectScreen;
}  // namespace KWin

namespace quorvel::kwin {

/// What GetState reports, and Changed when any of it may have moved. Window
/// ids are handed out here and stay with a window for its whole life.
class DesktopState : public QObject {
    Q_OBJECT
public:
    explicit DesktopState(QObject* parent = nullptr);

    QString json() const;
    KWin::EffectWindow* window(quint64 id) const { return windows_.value(id); }

Q_SIGNALS:
    /// At most once per event-loop turn, however many things moved.
    void changed();
    /// The window is closing; `successor` is the window right above it
    /// among the living (null when none), where its veils should go.
    void windowClosing(KWin::EffectWindow* window, KWin::EffectWindow* successor);
    void windowGone(KWin::EffectWindow* window);

private Q_SLOTS:
    void queueChanged();

private:
    void track(KWin::EffectWindow* w);
    void watchScreen(KWin::EffectScreen* screen);
    void onClosed(KWin::EffectWindow* w);
    void onDeleted(KWin::EffectWindow* w);

    QHash<KWin::EffectWindow*, quint64> ids_;
    QHash<quint64, KWin::EffectWindow*> windows_;
    quint64 nextId_ = 1;
    QTimer changedTimer_;
};

}  // namespace quorvel::kwin
