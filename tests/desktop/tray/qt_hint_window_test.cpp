#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QWindow>
#include <string>
#include <vector>

#include "desktop/qt/qt_hint_window.h"
#include "tray_support.h"

namespace quorvel {
namespace {

using testing::spinUntil;

struct CloseRequests final : platform::HintWindowEvents {
    void closeRequested() override { ++count; }
    int count = 0;
};

class QtHintWindowTest : public ::testing::Test {
protected:
    void SetUp() override { hint.setEvents(&requests); }
    void TearDown() override { QApplication::setPalette(QPalette()); }
    int screenHeight() const { return QGuiApplication::primaryScreen()->geometry().height(); }

    qt::QtHintWindow hint;
    CloseRequests requests;
};

TEST_F(QtHintWindowTest, ContentIsTheThreeInstructionsAndTheButton) {
    const core::Size size = hint.size();
    EXPECT_EQ(size.width, 240);
    EXPECT_GT(size.height, 100);
    EXPECT_LT(size.height, 220);
    QStringList texts;
    for (auto* label : hint.findChildren<QLabel*>()) texts << label->text();
    for (const char* expected : {"Click to toggle focus", "⇧ + click to switch mode",
                                 "Right-click\nto open menu", "⌃", "⌥", "⌘", "F", "M", "/"}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(expected))) << expected;
    }
    EXPECT_EQ(hint.closeButton()->text(), "Got it!");
    EXPECT_EQ(hint.closeButton()->accessibleName(), "Close tooltip");
}

TEST_F(QtHintWindowTest, ShowsWhereToldWithoutTakingTheFocus) {
    testing::OtherClient other;
    xcb_connection_t* c = other.connection();
    const xcb_window_t root = other.root();
    const xcb_window_t editor = other.focusWindow();
    ASSERT_TRUE(spinUntil([&] { return other.focusedWindow() == editor; }));

    const core::Size size = hint.size();
    hint.setFrame({300, 200, size.width, size.height}, true);  // bottom-left origin
    hint.orderFront();
    ASSERT_TRUE(spinUntil([&] { return hint.isVisible(); }));
    testing::settle(300);

    // Where X puts it: y counted from the top.
    xcb_generic_error_t* error = nullptr;
    auto* at = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, xcb_window_t(hint.windowHandle()->winId()), root, 0, 0),
        &error);
    ASSERT_NE(at, nullptr) << "X error " << (error ? int(error->error_code) : 0) << " window "
                           << hint.winId();
    EXPECT_EQ(at->dst_x, 300);
    EXPECT_EQ(at->dst_y, screenHeight() - 200 - int(size.height));
    std::free(at);
    EXPECT_EQ(other.focusedWindow(), editor);
    auto* attributes = xcb_get_window_attributes_reply(
        c, xcb_get_window_attributes(c, xcb_window_t(hint.windowHandle()->winId())), nullptr);
    ASSERT_NE(attributes, nullptr);
    EXPECT_TRUE(attributes->override_redirect);  // floats above everything, never managed
    std::free(attributes);

    hint.orderOut();
    EXPECT_TRUE(spinUntil([&] { return !hint.isVisible(); }));
}

TEST_F(QtHintWindowTest, FadesEndAtTheTargetAndAReplacedFadeCompletesAtOnce) {
    std::vector<std::string> log;
    hint.animateAlpha(1, 0.3, [&] { log.push_back("in"); });
    EXPECT_TRUE(log.empty());  // never within the call
    ASSERT_TRUE(spinUntil([&] { return !log.empty(); }));
    EXPECT_EQ(hint.alpha(), 1.0);

    hint.animateAlpha(0, 10, [&] { log.push_back("slow out"); });
    testing::settle(100);
    EXPECT_GT(hint.alpha(), 0.0);
    hint.animateAlpha(1, 0.1, [&] { log.push_back("back in"); });
    EXPECT_EQ(log, (std::vector<std::string>{"in", "slow out"}));
    ASSERT_TRUE(spinUntil([&] { return log.size() == 3; }));
    EXPECT_EQ(hint.alpha(), 1.0);
    testing::settle(200);
    EXPECT_EQ(log.size(), 3u);
}

TEST_F(QtHintWindowTest, GotItAsksToClose) {
    const core::Size size = hint.size();
    hint.setFrame({200, 300, size.width, size.height}, true);
    hint.orderFront();
    hint.animateAlpha(1, 0, [] {});
    ASSERT_TRUE(spinUntil([&] { return hint.isVisible(); }));
    testing::settle(300);
    const QPoint button = hint.closeButton()->mapToGlobal(hint.closeButton()->rect().center());
    testing::xdotool(
        {"mousemove", QString::number(button.x()), QString::number(button.y()), "click", "1"});
    EXPECT_TRUE(spinUntil([&] { return requests.count == 1; }, 3000));
}

TEST_F(QtHintWindowTest, ArrowPointsAtTheIconFromEitherSide) {
    const core::Size size = hint.size();
    const qreal w = size.width, h = size.height, c = w / 2;
    hint.setFrame({0, 0, w, h}, true);
    QPainterPath path = hint.bodyPath();
    EXPECT_TRUE(path.contains(QPointF(c, 1.2)));         // the rounded tip
    EXPECT_FALSE(path.contains(QPointF(c - 9, 4)));      // beside the arrow's base
    EXPECT_FALSE(path.contains(QPointF(c + 1.4, 0.3)));  // the tip is rounded, not sharp
    EXPECT_TRUE(path.contains(QPointF(c, h - 1)));

    hint.setFrame({0, 0, w, h}, false);
    path = hint.bodyPath();
    EXPECT_TRUE(path.contains(QPointF(c, h - 1.2)));
    EXPECT_FALSE(path.contains(QPointF(c - 9, h - 4)));
    EXPECT_TRUE(path.contains(QPointF(c, 1)));
}

TEST_F(QtHintWindowTest, BodyColoursFollowTheScheme) {
    struct Case {
        bool dark;
        QRgb ink;
        int alpha;
    };
    for (const Case& k : {Case{false, qRgb(255, 255, 255), 204}, Case{true, qRgb(0, 0, 0), 153}}) {
        QPalette palette;
        palette.setColor(QPalette::Window,
                         k.dark ? QColor(0x2b, 0x2b, 0x2b) : QColor(0xef, 0xef, 0xef));
        QApplication::setPalette(palette);
        testing::settle(50);
        EXPECT_EQ(hint.isDark(), k.dark);
        const core::Size size = hint.size();
        hint.setFrame({0, 0, size.width, size.height}, true);
        const QImage image = hint.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QRgb p = image.pixel(5, image.height() / 2);  // inside the body, beside the text
        EXPECT_NEAR(qAlpha(p), k.alpha, 3) << "dark " << k.dark;
        EXPECT_NEAR(qRed(p), qRed(k.ink), 3);
    }
}

}  // namespace
}  // namespace quorvel
