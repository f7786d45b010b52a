#pragma once

#include <QColor>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/scheduler.h"
#include "ports/tray.h"

class QMenu;

namespace quorvel::qt {

/// The tray icon through QSystemTrayIcon (a StatusNotifierItem where the
/// desktop runs a watcher, an XEmbed icon otherwise). Qt is never given a
/// context menu: a left click must never open one, so the menu is popped up
/// here when the behaviour asks, and the scheduler holds its default-mode
/// timers while it is open.
class QtTray final : public QObject, public ports::Tray {
public:
    /// `iconDirectory` holds the "<name>.svg" status icons (the built-in
    /// resources unless a test says otherwise).
    explicit QtTray(core::Scheduler& scheduler, QString iconDirectory = {});
    ~QtTray() override;

    void show() override;
    bool isAvailable() const override;
    void setIcon(const std::string& name) override;
    void setToolTip(const std::string& text) override;
    void showMenu(const ports::MenuModel& menu) override;
    std::optional<core::Rect> geometry() const override;
    void addObserver(ports::TrayEvents& observer) override;
    void removeObserver(ports::TrayEvents& observer) override;

    /// The colour the icon is drawn in: what the tray host asks for, else a
    /// tone that stands out against the panel colour the palette suggests.
    QColor foreground() const;
    /// The panel's colour around the icon as the screen shows it; nothing when unseen.
    std::optional<QColor> panelBehindIcon() const;
    /// The menu on screen, if any (for tests and the hint's placement).
    QMenu* openMenu() const { return menu_; }
    /// The image now handed to the tray, at `extent` pixels.
    QImage iconImage(int extent) const;

    /// A monochrome SVG drawn in `colour` at the usual tray sizes; empty icon
    /// when the file cannot be read.
    static QIcon renderTinted(const QString& svgPath, const QColor& colour);
    /// A copy of `icon` at `extent` pixels in grey at half opacity.
    static QPixmap faded(const QIcon& icon, int extent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void activated(QSystemTrayIcon::ActivationReason reason);
    void poll();
    void refreshIcon();
    QIcon menuIcon(const ports::MenuItem& item) const;
    template <typename F>
    void notify(F&& f);

    core::Scheduler& scheduler_;
    QString iconDirectory_;
    QSystemTrayIcon tray_;
    QTimer pollTimer_;
    std::string iconName_;
    std::string shownName_;  // what the tray shows now, in `drawnIn_`
    QColor drawnIn_;
    /// Each icon drawn once per colour and handed over again when it comes
    /// back: Qt keeps a tray-sized copy of every icon it paints in its pixmap
    /// cache, under that icon's own key, so a fresh icon per change would
    /// leave one copy behind each time.
    std::map<std::string, QIcon> rendered_;
    bool available_ = false;
    std::optional<core::Rect> lastGeometry_;
    QPointer<QMenu> menu_;
    std::vector<ports::TrayEvents*> observers_;
};

}  // namespace quorvel::qt
