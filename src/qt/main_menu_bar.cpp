#include "qt/main_menu_bar.h"

#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMetaObject>

namespace quorvel::qt {

namespace {

/// The editing actions name the focused control's slot ("copy:" → copy()).
QByteArray slotName(const std::string& action) {
    std::string name = action;
    if (!name.empty() && name.back() == ':') name.pop_back();
    return QByteArray::fromStdString(name);
}

}  // namespace

MainMenuBar::MainMenuBar(ports::MainMenu& menu, Perform perform, QWidget* parent)
    : QMenuBar(parent), menu_(menu), perform_(std::move(perform)) {
    // Inside a window on every desktop, even where a global menu bar exists:
    // the commands belong to the settings window.
    setNativeMenuBar(false);
    changed_ = menu_.changed().connect([this] { rebuild(); });
    rebuild();
}

void MainMenuBar::rebuild() {
    clear();
    for (const ports::MainMenuItem& top : menu_.items) {
        QMenu* submenu = addMenu(QString::fromStdString(top.title));
        for (const ports::MainMenuItem& entry : top.submenu) {
            if (entry.separator) {
                submenu->addSeparator();
                continue;
            }
            QAction* action = submenu->addAction(QString::fromStdString(entry.title));
            if (!entry.keyEquivalent.empty()) {
                // The desktop's command modifier is Control.
                action->setShortcut(QKeySequence(QStringLiteral("Ctrl+") +
                                                 QString::fromStdString(entry.keyEquivalent)));
            }
            connect(action, &QAction::triggered, this,
                    [this, name = entry.action] { trigger(name); });
        }
    }
}

void MainMenuBar::trigger(const std::string& action) {
    if (action.empty() || (perform_ && perform_(action))) return;
    if (QWidget* focused = QApplication::focusWidget()) {
        const QByteArray slot = slotName(action);
        if (focused->metaObject()->indexOfMethod(slot + "()") >= 0) {
            QMetaObject::invokeMethod(focused, slot.constData());
        }
    }
}

}  // namespace quorvel::qt
