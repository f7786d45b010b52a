#include "qt/qt_tray.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QScreen>
#include <QSvgRenderer>
#include <algorithm>

#include "core/log.h"
#include "qt/qt_tray_colors.h"
#include "x11/monitor_layout.h"

// Resources of a static library are registered by hand (outside any namespace).
static void initStatusIconResources() {
    Q_INIT_RESOURCE(quorvel);
}

namespace quorvel::qt {

namespace {

constexpr int kMenuIconExtent = 20;
constexpr int kPollMs = 1000;
constexpr int kTraySizes[] = {16, 22, 24, 32, 48, 64};

/// Menu icons at 20 × 20 instead of the style's small-icon size.
class MenuIconStyle final : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_SmallIconSize) return kMenuIconExtent;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

ports::KeyModifiers modifiersNow() {
    // An XEmbed icon is our own window: the press that activated it carries the
    // modifiers exactly, even when the keys are let go before we get to it. A
    // StatusNotifier host only calls us over D-Bus, so there the keyboard is asked.
    const Qt::KeyboardModifiers held = QGuiApplication::mouseButtons() != Qt::NoButton
                                           ? QGuiApplication::keyboardModifiers()
                                           : QGuiApplication::queryKeyboardModifiers();
    return {.shift = held.testFlag(Qt::ShiftModifier),
            .control = held.testFlag(Qt::ControlModifier),
            .alt = held.testFlag(Qt::AltModifier),
            .super = held.testFlag(Qt::MetaModifier)};
}

QString menuText(const std::string& title) {
    return QString::fromStdString(title).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

QtTray::QtTray(core::Scheduler& scheduler, QString iconDirectory)
    : scheduler_(scheduler), iconDirectory_(std::move(iconDirectory)) {
    initStatusIconResources();
    if (iconDirectory_.isEmpty()) iconDirectory_ = QStringLiteral(":/icons/status");
    connect(&tray_, &QSystemTrayIcon::activated, this, &QtTray::activated);
    pollTimer_.setInterval(kPollMs);
    connect(&pollTimer_, &QTimer::timeout, this, &QtTray::poll);
    qGuiApp->installEventFilter(this);  // palette changes repaint the icon
    available_ = QSystemTrayIcon::isSystemTrayAvailable();
}

QtTray::~QtTray() {
    if (menu_) {
        delete menu_.data();
        scheduler_.setMenuTracking(false);
    }
}

bool QtTray::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qGuiApp && event->type() == QEvent::ApplicationPaletteChange) refreshIcon();
    return QObject::eventFilter(watched, event);
}

void QtTray::show() {
    if (iconName_.empty()) iconName_ = "menubar-icon-inactive";
    refreshIcon();
    tray_.show();
    pollTimer_.start();
    core::log(available_ ? "🪟 Tray icon shown"
                         : "⚠️ No tray host yet: the icon appears when one starts");
}

bool QtTray::isAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTray::setIcon(const std::string& name) {
    iconName_ = name;
    refreshIcon();
}

void QtTray::setToolTip(const std::string& text) {
    tray_.setToolTip(QString::fromStdString(text));
}

QColor QtTray::foreground() const {
    if (auto asked = trayHostForeground()) return *asked;
    // WORKAROUND(XEmbed hosts without _NET_SYSTEM_TRAY_COLORS): the panel shows
    // through the icon's transparent corners, so its own colour decides; a dark
    // panel under a light application theme is common. Where nothing can be
    // seen (StatusNotifier hosts), the application palette stands in for it.
    QColor behind = panelBehindIcon().value_or(QGuiApplication::palette().color(QPalette::Window));
    return behind.lightness() < 128 ? QColor(0xf2, 0xf2, 0xf2) : QColor(0x20, 0x20, 0x20);
}

std::optional<QColor> QtTray::panelBehindIcon() const {
    const QRect r = tray_.geometry();
    QScreen* screen = r.isEmpty() ? nullptr : QGuiApplication::screenAt(r.center());
    if (!screen) return std::nullopt;
    const QPoint at = r.topLeft() - screen->geometry().topLeft();
    const QImage shot = screen->grabWindow(0, at.x(), at.y(), r.width(), r.height()).toImage();
    if (shot.width() < 2 || shot.height() < 2) return std::nullopt;
    int lightness = 0;
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(shot.width() - 1, 0), QPoint(0, shot.height() - 1),
          QPoint(shot.width() - 1, shot.height() - 1)}) {
        lightness += shot.pixelColor(corner).lightness();
    }
    return QColor::fromHsl(0, 0, lightness / 4);
}

void QtTray::refreshIcon() {
    if (iconName_.empty()) return;
    const QColor colour = foreground();
    if (colour == drawnIn_ && iconName_ == shownName_) return;
    if (colour != drawnIn_) rendered_.clear();
    QIcon& icon = rendered_[iconName_];
    if (icon.isNull()) {
        const QString path = iconDirectory_ + QLatin1Char('/') + QString::fromStdString(iconName_) +
                             QStringLiteral(".svg");
        icon = renderTinted(path, colour);
    }
    if (icon.isNull()) {
        rendered_.erase(iconName_);
        core::log("⚠️ Status icon " + iconName_ + " could not be drawn");
        return;
    }
    drawnIn_ = colour;
    shownName_ = iconName_;
    tray_.setIcon(icon);
}

QIcon QtTray::renderTinted(const QString& svgPath, const QColor& colour) {
    QSvgRenderer renderer(svgPath);
    if (!renderer.isValid()) return {};
    QIcon icon;
    for (int extent : kTraySizes) {
        QImage image(extent, extent, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, extent, extent));
        // The artwork is a black template: keep its shape, take the colour.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), colour);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QImage QtTray::iconImage(int extent) const {
    return tray_.icon().pixmap(extent, extent).toImage();
}

QPixmap QtTray::faded(const QIcon& icon, int extent) {
    QImage image = icon.pixmap(extent, extent).toImage().convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) return {};
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(line[x]);
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 2);
        }
    }
    return QPixmap::fromImage(image);
}

QIcon QtTray::menuIcon(const ports::MenuItem& item) const {
    if (item.iconName.empty()) return {};
    const QString name = QString::fromStdString(item.iconName);
    QIcon icon = name.startsWith(QLatin1Char('/')) ? QIcon(name) : QIcon::fromTheme(name);
    if (icon.isNull()) return {};
    QPixmap pixmap = item.iconFaded ? faded(icon, kMenuIconExtent) : QPixmap();
    if (pixmap.isNull()) pixmap = icon.pixmap(kMenuIconExtent, kMenuIconExtent);
    return QIcon(pixmap);
}

void QtTray::showMenu(const ports::MenuModel& model) {
    if (menu_) menu_->close();  // a new menu replaces the one still open
    auto* menu = new QMenu();
    auto* style = new MenuIconStyle();
    style->setParent(menu);
    menu->setStyle(style);
    menu->setMinimumWidth(int(model.minimumWidth));
    for (const auto& item : model.items) {
        if (item.separator) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(menuIcon(item), menuText(item.title));
        action->setEnabled(item.enabled);
        action->setCheckable(item.checkable);
        action->setChecked(item.checked);
        connect(action, &QAction::triggered, this, [this, name = item.action, tag = item.tag] {
            notify([&](ports::TrayEvents& o) { o.menuItemActivated(name, tag); });
        });
    }
    connect(menu, &QMenu::aboutToShow, this, [this] { scheduler_.setMenuTracking(true); });
    connect(menu, &QMenu::aboutToHide, this, [this, menu] {
        scheduler_.setMenuTracking(false);
        menu->deleteLater();
    });
    menu_ = menu;
    const QRect at = tray_.geometry();
    QPoint position = QCursor::pos();
    if (at.isValid() && !at.isEmpty()) {
        const QScreen* screen = QGuiApplication::screenAt(at.center());
        const bool trayAtBottom = screen && at.center().y() > screen->geometry().center().y();
        position = trayAtBottom ? QPoint(at.left(), at.top() - menu->sizeHint().height())
                                : at.bottomLeft() + QPoint(0, 1);
    }
    menu->popup(position);
}

std::optional<core::Rect> QtTray::geometry() const {
    const QRect g = tray_.geometry();
    if (!g.isValid() || g.isEmpty()) return std::nullopt;
    return core::Rect{double(g.x()), double(g.y()), double(g.width()), double(g.height())};
}

void QtTray::addObserver(ports::TrayEvents& observer) {
    if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end()) {
        observers_.push_back(&observer);
    }
}

void QtTray::removeObserver(ports::TrayEvents& observer) {
    std::erase(observers_, &observer);
}

template <typename F>
void QtTray::notify(F&& f) {
    auto snapshot = observers_;
    for (auto* o : snapshot) {
        if (std::find(observers_.begin(), observers_.end(), o) != observers_.end()) f(*o);
    }
}

void QtTray::activated(QSystemTrayIcon::ActivationReason reason) {
    ports::MouseButton button = ports::MouseButton::Left;
    switch (reason) {
        case QSystemTrayIcon::Trigger:
        case QSystemTrayIcon::DoubleClick:  // the second click of a pair
            button = ports::MouseButton::Left;
            break;
        case QSystemTrayIcon::Context:
            button = ports::MouseButton::Right;
            break;
        case QSystemTrayIcon::MiddleClick:
            button = ports::MouseButton::Middle;
            break;
        default:
            return;
    }
    const ports::KeyModifiers modifiers = modifiersNow();
    notify([&](ports::TrayEvents& o) { o.clicked(button, modifiers); });
}

void QtTray::poll() {
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (available != available_) {
        available_ = available;
        notify([&](ports::TrayEvents& o) { o.availabilityChanged(available); });
    }
    refreshIcon();  // the host may have asked for other colours
    const auto now = geometry();
    if (now != lastGeometry_) {
        lastGeometry_ = now;
        notify([](ports::TrayEvents& o) { o.geometryChanged(); });
    }
}

}  // namespace quorvel::qt
