// Behaviour headers first: Qt defines `emit` as a macro.
#include "qt_settings_window_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include "desktop/qt/settings_widgets.h"
#include "desktop/qt/settings_window_host.h"
#include "desktop/qt/settings_window_widget.h"
#include "desktop/qt/shortcut_recorder_widget.h"

namespace quorvel::settings_window::testing {
namespace {

// The scale of the whole application is fixed before QApplication exists, so
// the checks at 200 % run in a second process of this program.
constexpr const char* kChildMarker = "QUORVEL_SCALE_TEST_CHILD";

class SettingsWindowScaleTest : public QtSettingsWindowTest {
protected:
    void show(SettingsTab tab) {
        state.setSelectedTab(tab);
        QApplication::processEvents();
    }
};

/// Runs this test again in a process scaled to 200 %; true when it was run
/// there (its outcome is then this process's outcome).
bool ranScaledElsewhere() {
    if (qFuzzyCompare(qApp->devicePixelRatio(), 2.0)) return false;
    if (qEnvironmentVariableIsSet(kChildMarker)) {
        ADD_FAILURE() << "QT_SCALE_FACTOR=2 did not scale the application: device pixel ratio "
                      << qApp->devicePixelRatio();
        return true;
    }
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcess child;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    env.insert(QString::fromUtf8(kChildMarker), QStringLiteral("1"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM"))) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--gtest_filter=%1.%2").arg(info->test_suite_name(), info->name())});
    const bool finished = child.waitForFinished(120000);
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_TRUE(finished) << "the scaled run did not finish";
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
    return true;
}

/// The share of the region's colour changes between neighbouring device
/// pixels that fall inside a 2x2 block: a third to a half for artwork drawn
/// with twice the detail (edges on whole points fall between blocks), none for
/// artwork drawn at 100 % and enlarged by a painter, which doubles pixels.
double detailInsideBlocks(const QImage& image, const QRect& region) {
    auto differs = [&](int x1, int y1, int x2, int y2) {
        const QColor a = image.pixelColor(x1, y1), b = image.pixelColor(x2, y2);
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                   std::abs(a.blue() - b.blue()) + std::abs(a.alpha() - b.alpha()) >
               24;
    };
    long inside = 0, across = 0;
    for (int y = region.top(); y < region.bottom(); ++y) {
        for (int x = region.left(); x < region.right(); ++x) {
            if (differs(x, y, x + 1, y)) ++((x - region.left()) % 2 == 0 ? inside : across);
            if (differs(x, y, x, y + 1)) ++((y - region.top()) % 2 == 0 ? inside : across);
        }
    }
    return inside + across == 0 ? 0.0 : double(inside) / double(inside + across);
}

/// The same region as if drawn at 100 % and doubled pixel by pixel.
QImage doubledFromHalfSize(const QImage& image, const QRect& region) {
    const QImage part = image.copy(region);
    return part.scaled(part.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .scaled(part.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

/// Texts and controls that are narrower or lower than their content needs.
QStringList clippedTexts(QWidget& window) {
    QStringList clipped;
    auto report = [&](QWidget* w, const QString& text) {
        const QSize need = w->sizeHint(), have = w->size();
        if (need.width() > have.width() || need.height() > have.height()) {
            clipped << QStringLiteral("%1 \"%2\": needs %3x%4, has %5x%6")
                           .arg(QString::fromUtf8(w->metaObject()->className()), text)
                           .arg(need.width())
                           .arg(need.height())
                           .arg(have.width())
                           .arg(have.height());
        }
    };
    for (auto* label : window.findChildren<QLabel*>()) {
        if (label->isVisible() && !label->text().isEmpty() && !label->wordWrap()) {
            report(label, label->text());
        }
    }
    for (auto* button : window.findChildren<QAbstractButton*>()) {
        if (button->isVisible() && !button->text().isEmpty()) report(button, button->text());
    }
    return clipped;
}

TEST_F(SettingsWindowScaleTest, EveryTabHasTwiceThePixelsAndNoClippedText) {
    if (ranScaledElsewhere()) return;
    controller->showSettings();
    ASSERT_NE(host->widget(), nullptr);
    QDir().mkpath(QUORVEL_SCREENSHOT_DIR);
    for (auto tab : allSettingsTabs) {
        show(tab);
        const QString name = QString::fromUtf8(tabName(tab).data());
        const QImage shot = window().grab().toImage();
        EXPECT_EQ(shot.size(), QSize(920, 1080)) << name.toStdString();
        EXPECT_TRUE(
            shot.save(QStringLiteral("%1/settings-%2-200.png").arg(QUORVEL_SCREENSHOT_DIR, name)));
        const QStringList clipped = clippedTexts(window());
        EXPECT_TRUE(clipped.isEmpty()) << name.toStdString() << " tab:\n"
                                       << clipped.join(QLatin1Char('\n')).toStdString();
    }
    // The measure itself: a label squeezed below its text is reported.
    auto* squeezed = new QLabel(QStringLiteral("Highlight one window globally"), &window());
    squeezed->setGeometry(0, 0, 40, 10);
    squeezed->show();
    EXPECT_EQ(clippedTexts(window()).size(), 1);
    delete squeezed;
}

TEST_F(SettingsWindowScaleTest, ARecorderThatListensIsUnclippedAtTwiceTheScale) {
    if (ranScaledElsewhere()) return;
    controller->showSettings("shortcuts");
    ASSERT_NE(host->widget(), nullptr);
    auto recorders = window().findChildren<qt::ShortcutRecorderWidget*>();
    ASSERT_EQ(recorders.size(), 3);
    QTest::mouseClick(recorders[0], Qt::LeftButton);
    ASSERT_EQ(recorders[0]->text(), "Recording...");
    const QStringList clipped = clippedTexts(window());
    EXPECT_TRUE(clipped.isEmpty()) << clipped.join(QLatin1Char('\n')).toStdString();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(recorders[0], &escape);
    scheduler.runPending();
    EXPECT_EQ(recorders[0]->text(), "⌃⌥⌘F");
}

TEST_F(SettingsWindowScaleTest, TheLogoHasTwiceTheDetailAtTwiceTheScale) {
    if (ranScaledElsewhere()) return;
    controller->showSettings();
    ASSERT_NE(host->widget(), nullptr);
    ASSERT_FALSE(qt::logoPath().isEmpty()) << "the logo artwork is missing";
    // The big logo that switches focus, and the small one beside the version.
    const std::pair<SettingsTab, int> logos[] = {{SettingsTab::appearance, 128},
                                                 {SettingsTab::more, 80}};
    for (const auto& [tab, side] : logos) {
        show(tab);
        const QImage shot = window().grab().toImage();
        QWidget* logo = nullptr;
        for (auto* w : window().findChildren<QWidget*>()) {
            if (w->isVisible() && w->size() == QSize(side, side)) logo = w;
        }
        ASSERT_NE(logo, nullptr) << "no " << side << " point logo on " << tabName(tab);
        const QRect region(logo->mapTo(&window(), QPoint(0, 0)) * 2, logo->size() * 2);
        const double detail = detailInsideBlocks(shot, region);
        const double doubled = detailInsideBlocks(doubledFromHalfSize(shot, region),
                                                  QRect(QPoint(0, 0), region.size()));
        EXPECT_LT(doubled, 0.05) << "the measure must tell a doubled drawing apart";
        EXPECT_GT(detail, 0.2) << "the " << side << " point logo on " << tabName(tab)
                               << " looks drawn at 100 % and enlarged (inner share " << detail
                               << ")";
    }
}

}  // namespace
}  // namespace quorvel::settings_window::testing
