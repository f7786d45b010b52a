#include "qt/settings_window_widget.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>

#include "qt/qt_menu_bar.h"
#include "qt/settings_appearance_tab.h"
#include "qt/settings_key_translation.h"
#include "qt/settings_more_tab.h"
#include "qt/settings_rules_tab.h"
#include "qt/settings_shortcuts_tab.h"
#include "qt/settings_widgets.h"

namespace quorvel::qt {

namespace sw = settings_window;

namespace {
QStyle::StandardPixmap fallbackIcon(sw::SettingsTab tab) {
    switch (tab) {
        case sw::SettingsTab::appearance:
            return QStyle::SP_FileDialogDetailedView;
        case sw::SettingsTab::exclude:
            return QStyle::SP_ComputerIcon;
        case sw::SettingsTab::shortcuts:
            return QStyle::SP_CommandLink;
        case sw::SettingsTab::more:
            return QStyle::SP_MessageBoxInformation;
    }
    return QStyle::SP_DesktopIcon;
}
}  // namespace

SettingsTabButton::SettingsTabButton(sw::SettingsTab tab, QWidget* parent)
    : QAbstractButton(parent), tab_(tab) {
    setCheckable(true);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setText(QString::fromUtf8(sw::tabTitle(tab).data()));
    setIcon(themedIcon(sw::tabIconName(tab).data(), fallbackIcon(tab)));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize SettingsTabButton::sizeHint() const {
    const QFontMetrics fm(font());
    return {std::max(fm.horizontalAdvance(text()), 20) + 16, 20 + 8 + fm.height() + 16};
}

void SettingsTabButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    const QColor accent = palette().color(QPalette::Highlight);
    QColor text = palette().color(QPalette::WindowText);
    if (isChecked()) {
        QColor fill = accent;
        fill.setAlphaF(0.16f);
        p.fillPath(shape, fill);
        text = accent;
    } else if (underMouse()) {
        QColor outline = text;
        outline.setAlphaF(0.05f);
        p.setPen(QPen(outline, 1));
        p.drawPath(shape);
    }
    const QRect inner = rect().adjusted(8, 8, -8, -8);
    const QRect iconRect(inner.center().x() - 10, inner.top(), 20, 20);
    icon().paint(&p, iconRect, Qt::AlignCenter, isChecked() ? QIcon::Selected : QIcon::Normal);
    p.setPen(text);
    p.drawText(QRect(inner.left(), iconRect.bottom() + 8, inner.width(), fontMetrics().height()),
               Qt::AlignHCenter | Qt::AlignTop, this->text());
}

SettingsWindowWidget::SettingsWindowWidget(sw::SettingsState& state,
                                           sw::SettingsWindowServices& services,
                                           ports::SettingsWindowEvents& events)
    : state_(state), services_(services), events_(events) {
    setWindowTitle(QStringLiteral("Quorvel Settings"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setFixedSize(kWidth, kHeight);
    setObjectName(QStringLiteral("QuorvelSettings"));

    auto* column = new QVBoxLayout(this);
    column_ = column;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(48, 12, 48, 24);
    bar->setSpacing(8);
    for (auto tab : sw::allSettingsTabs) {
        auto* button = new SettingsTabButton(tab, this);
        connect(button, &QAbstractButton::clicked, this,
                [this, tab] { state_.setSelectedTab(tab); });
        bar->addWidget(button);
        buttons_[static_cast<std::size_t>(tab)] = button;
    }
    column->addLayout(bar);
    column->addWidget(makeDivider(this));
    contentArea_ = new QVBoxLayout;
    contentArea_->setContentsMargins(48, 24, 48, 12);
    column->addLayout(contentArea_, 1);

    tabConnection_ = state_.selectedTabChanged.connect([this](sw::SettingsTab t) { showTab(t); });
    showTab(state_.selectedTab());
    qApp->installEventFilter(this);
}

void SettingsWindowWidget::addMenus(const std::vector<ports::AppMenuItem>& menus,
                                    std::function<bool(const std::string&)> perform) {
    auto* bar = new QtMenuBar(menus, std::move(perform), this);
    column_->setMenuBar(bar);
    setFixedSize(kWidth, kHeight + bar->sizeHint().height());
}

SettingsWindowWidget::~SettingsWindowWidget() {
    qApp->removeEventFilter(this);
}

void SettingsWindowWidget::showTab(sw::SettingsTab tab) {
    for (auto t : sw::allSettingsTabs) buttons_[static_cast<std::size_t>(t)]->setChecked(t == tab);
    if (content_) {
        content_->hide();  // the tab disappears before it goes
        contentArea_->removeWidget(content_);
        content_->deleteLater();
    }
    QWidget* page = nullptr;
    switch (tab) {
        case sw::SettingsTab::appearance:
            page = new SettingsAppearanceTab(services_, this);
            break;
        case sw::SettingsTab::exclude: {
            auto* scroll = new QScrollArea(this);
            scroll->setFrameShape(QFrame::NoFrame);
            scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            scroll->setWidgetResizable(true);
            scroll->setWidget(new SettingsRulesTab(services_, scroll));
            page = scroll;
            break;
        }
        case sw::SettingsTab::shortcuts:
            page = new SettingsShortcutsTab(services_, this);
            break;
        case sw::SettingsTab::more:
            page = new SettingsMoreTab(services_, this);
            break;
    }
    contentArea_->setContentsMargins(48, 24, tab == sw::SettingsTab::shortcuts ? 24 : 48, 12);
    content_ = page;
    contentArea_->addWidget(page);
}

void SettingsWindowWidget::detach() {
    closing_ = true;
    hide();
}

void SettingsWindowWidget::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        closing_ = true;
        if (content_) content_->hide();
        events_.windowWillClose();
    }
    event->accept();
}

void SettingsWindowWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !closing_) {
        if (isActiveWindow()) {
            events_.windowDidBecomeKey();
        } else {
            events_.windowDidResignKey();
        }
    }
    QWidget::changeEvent(event);
}

bool SettingsWindowWidget::eventFilter(QObject* watched, QEvent* event) {
    // Like a key monitor: the window sees its key presses before any control.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this && !closing_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (auto code = storedKeyCode(*key)) {
            if (events_.keyDown(*code, storedModifiers(key->modifiers()))) return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace quorvel::qt
