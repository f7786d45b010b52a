#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <memory>

#include "accelerator.h"

class QAction;

namespace quorvel::kwin {

/// Global shortcuts taken on behalf of bus clients, each with its own action.
class Shortcuts : public QObject {
    Q_OBJECT
public:
    explicit Shortcuts(QObject* parent = nullptr);
    ~Shortcuts() override;

    /// 0 when KWin refuses the accelerator: taken, or no key here.
    quint32 grab(const QString& owner, const Accelerator& accelerator, const QString& text);
    /// False when `action` is not one of `owner`'s.
    bool ungrab(const QString& owner, quint32 action);
    void dropOwner(const QString& owner);
    int count(const QString& owner) const;

Q_SIGNALS:
    void activated(quint32 action);

private:
    struct Grab {
        QString owner;
        std::unique_ptr<QAction> action;
        bool held = false;
        qint64 lastKey = -1000000;  // ms on clock_, of the last press or release
    };
    void pressed(quint32 action);
    void keyReleased(QAction* action);
    void release(quint32 action);

    QHash<quint32, std::shared_ptr<Grab>> grabs_;
    QElapsedTimer clock_;
    quint32 nextAction_ = 1;
};

}  // namespace quorvel::kwin
