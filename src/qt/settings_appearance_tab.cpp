#include "qt/settings_appearance_tab.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "qt/settings_widgets.h"

namespace quorvel::qt {

namespace sw = settings_window;
using settings::FocusMode;

SettingsAppearanceTab::SettingsAppearanceTab(sw::SettingsWindowServices& services, QWidget* parent)
    : QWidget(parent), view_(std::make_unique<sw::AppearanceView>(services)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(32);
    column->addLayout(makeTop());
    column->addLayout(makeLooksRow());
    column->addWidget(makeDivider(this));
    column->addLayout(makeMotionRow());
    column->addStretch();
    connection_ = view_->changed.connect([this] { refresh(); });
    refresh();
}

QLayout* SettingsAppearanceTab::makeTop() {
    auto* header = new QVBoxLayout;
    header->setSpacing(24);
    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    logo_ = new LogoButton(this);
    connect(logo_, &QAbstractButton::clicked, this, [this] { view_->pressLogo(); });
    top->addWidget(logo_);
    top->addStretch();
    modePicker_ = new SegmentedControl({QStringLiteral("Ambient"), QStringLiteral("Deep")}, this);
    modePicker_->setFixedWidth(180);
    modePicker_->onChanged = [this](int i) {
        view_->selectFocusMode(i == 0 ? FocusMode::ambient : FocusMode::deep);
        refresh();  // a refused change puts the picker back
    };
    top->addWidget(modePicker_);
    header->addLayout(top);
    header->addWidget(makeDivider(this));
    return header;
}

QLayout* SettingsAppearanceTab::makeLooksRow() {
    opacity_ = makeSlider(sw::opacitySlider);
    connect(opacity_, &QSlider::valueChanged, this,
            [this](int p) { view_->setOpacity(sw::opacitySlider.valueAt(p)); });
    auto* opacityHeader = new QWidget(this);
    auto* opacityRow = new QHBoxLayout(opacityHeader);
    opacityRow->setContentsMargins(0, 0, 2, 0);
    opacityRow->addWidget(makeHeader(themedIcon("weather-overcast", QStyle::SP_DesktopIcon),
                                     QStringLiteral("Opacity"), opacityHeader));
    opacityRow->addStretch();
    auto* note = makeSecondaryLabel(QStringLiteral("Experimental"), opacityHeader);
    QFont italic = note->font();
    italic.setItalic(true);
    note->setFont(italic);
    opacityRow->addWidget(note);

    theme_ = new QComboBox(this);
    for (auto mode : settings::allThemeModes) {
        theme_->addItem(QString::fromUtf8(settings::rawValue(mode).data()));
    }
    connect(theme_, &QComboBox::activated, this, [this](int i) {
        view_->selectTheme(settings::allThemeModes[static_cast<std::size_t>(i)]);
    });
    auto* themeHeader = makeHeader(themedIcon("preferences-desktop-theme", QStyle::SP_DesktopIcon),
                                   QStringLiteral("Theme"), this);
    headers_ << opacityHeader << themeHeader;

    auto* row = new QHBoxLayout;
    row->setSpacing(20);
    row->addWidget(makeColumn(opacityHeader, opacity_), 1, Qt::AlignTop);
    row->addWidget(makeColumn(themeHeader, theme_), 1, Qt::AlignTop);
    return row;
}

QLayout* SettingsAppearanceTab::makeMotionRow() {
    grain_ = makeSlider(sw::grainSlider);
    connect(grain_, &QSlider::valueChanged, this,
            [this](int p) { view_->setGrain(sw::grainSlider.valueAt(p)); });
    fade_ = makeSlider(sw::fadeSlider);
    connect(fade_, &QSlider::valueChanged, this,
            [this](int p) { view_->setFade(sw::fadeSlider.valueAt(p)); });
    auto* fadeHeader = new QWidget(this);
    auto* fadeRow = new QHBoxLayout(fadeHeader);
    fadeRow->setContentsMargins(0, 0, 0, 0);
    fadeRow->addWidget(makeHeader(themedIcon("chronometer", QStyle::SP_BrowserReload),
                                  QStringLiteral("Fade"), fadeHeader));
    fadeRow->addStretch();
    fadeValue_ = makeSecondaryLabel({}, fadeHeader, false);
    fadeRow->addWidget(fadeValue_);
    auto* grainHeader = makeHeader(themedIcon("view-grid", QStyle::SP_FileDialogListView),
                                   QStringLiteral("Grain"), this);
    headers_ << grainHeader << fadeHeader;

    auto* row = new QHBoxLayout;
    row->setSpacing(20);
    row->addWidget(makeColumn(grainHeader, grain_), 1, Qt::AlignTop);
    row->addWidget(makeColumn(fadeHeader, fade_), 1, Qt::AlignTop);
    return row;
}

SettingsAppearanceTab::~SettingsAppearanceTab() = default;

QSlider* SettingsAppearanceTab::makeSlider(const sw::SliderSteps& steps) {
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setRange(0, steps.positions() - 1);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setContentsMargins(2, 0, 2, 0);
    return slider;
}

QWidget* SettingsAppearanceTab::makeColumn(QWidget* header, QWidget* control) {
    auto* holder = new QWidget(this);
    auto* column = new QVBoxLayout(holder);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    column->addWidget(header);
    column->addWidget(control);
    return holder;
}

void SettingsAppearanceTab::refresh() {
    const auto s = view_->state();
    const bool on = view_->controlsEnabled();
    logo_->setOn(s.focusOn);
    {
        const QSignalBlocker b1(opacity_), b2(grain_), b3(fade_), b4(theme_);
        modePicker_->setCurrentIndex(s.focusMode == FocusMode::ambient ? 0 : 1);
        opacity_->setValue(sw::opacitySlider.positionOf(s.opacity));
        grain_->setValue(sw::grainSlider.positionOf(s.grain));
        fade_->setValue(sw::fadeSlider.positionOf(s.fadeDuration));
        theme_->setCurrentIndex(static_cast<int>(s.theme));
    }
    fadeValue_->setText(QString::fromStdString(view_->fadeLabel()));
    for (QWidget* w : {static_cast<QWidget*>(modePicker_)}) {
        w->setEnabled(on);
        setOpacity(w, on ? 1.0 : 0.5);
    }
    for (QWidget* w : {static_cast<QWidget*>(opacity_), static_cast<QWidget*>(grain_),
                       static_cast<QWidget*>(fade_), static_cast<QWidget*>(theme_)}) {
        w->setEnabled(on);
        setOpacity(w, on ? 1.0 : 0.75);
    }
    for (QWidget* h : headers_) setOpacity(h, on ? 1.0 : 0.5);
}

}  // namespace quorvel::qt
