#include "qt/qt_menu_bar.h"

#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMetaObject>

namespace quorvel::qt {

namespace {}  // namespace

QtMenuBar::QtMenuBar(const std::vector<ports::AppMenuItem>& menus, Perform perform, QWidget* parent)
    : QMenuBar(parent), perform_(std::move(perform)) {
    // Inside a window on every desktop, even where a global menu bar exists:
    // the commands belong to the settings window.
    setNativeMenuBar(false);
    for (const ports::AppMenuItem& top : menus) {
        QMenu* submenu = addMenu(QString::fromStdString(top.title));
        for (const ports::AppMenuItem& entry : top.submenu) {
            if (entry.separator) {
                submenu->addSeparator();
                continue;
            }
            QAction* action = submenu->addAction(QString::fromStdString(entry.title));
            if (!entry.shortcut.empty()) {
                action->setShortcut(
                    QKeySequence(QStringLiteral("Ctrl+") + QString::fromStdString(entry.shortcut)));
            }
            connect(action, &QAction::triggered, this,
                    [this, name = entry.action] { trigger(name); });
        }
    }
}

void QtMenuBar::trigger(const std::string& action) {
    if (action.empty() || (perform_ && perform_(action))) return;
    // The editing actions name the focused control's slot ("copy" → copy()).
    if (QWidget* focused = QApplication::focusWidget()) {
        const QByteArray slot = QByteArray::fromStdString(action);
        if (focused->metaObject()->indexOfMethod(slot + "()") >= 0) {
            QMetaObject::invokeMethod(focused, slot.constData());
        }
    }
}

}  // namespace quorvel::qt
