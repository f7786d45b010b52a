#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

namespace KWin {
class EffectWindow;
}

namespace quorvel::kwin {

/// What GetState reports, and changed() when any of it may have moved.
/// Window ids are handed out here and stay with a window for its whole
/// life; a window that went away has none, so nothing holds on to it.
class DesktopState : public QObject {
    Q_OBJECT
public:
    explicit DesktopState(QObject* parent = nullptr);

    QString json() const;
    /// Null for an unknown id or a window that is closing or gone.
    KWin::EffectWindow* window(quint64 id) const { return windows_.value(id); }
    quint64 id(KWin::EffectWindow* w) const { return ids_.value(w); }
    /// The process whose windows count as "own" (0: none).
    void setOwnerPid(qint64 pid);
    bool switching() const { return switching_; }
    /// A frame has been painted: a desktop switch whose animation is over
    /// ends here.
    void framePainted();

Q_SIGNALS:
    /// At most once per event-loop turn, however many things moved.
    void changed();
    /// The window is closing; `successor` is the id of the window right
    /// above it among the living (0 when none), where its veils should go.
    void windowClosing(quint64 window, quint64 successor);

private:
    void queueChanged();
    void track(KWin::EffectWindow* w);
    void onClosed(KWin::EffectWindow* w);
    void setSwitching(bool switching);

    QHash<KWin::EffectWindow*, quint64> ids_;
    QHash<quint64, KWin::EffectWindow*> windows_;
    quint64 nextId_ = 1;
    qint64 ownerPid_ = 0;
    bool switching_ = false;
    QTimer changedTimer_;
};

}  // namespace quorvel::kwin
