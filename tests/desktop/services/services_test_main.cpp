#include <gtest/gtest.h>
#include <QApplication>

// The adapters need an event loop; the update dialog needs widgets, which the
// offscreen platform provides without a display.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
