#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>

// The tray adapters on a real X display with a private session bus: run under
// tests/sessions/with-x-server and dbus-run-session.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY") ||
        qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        std::fprintf(stderr, "quorvel_tray_tests needs an X display and a session bus\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
