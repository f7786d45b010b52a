// Test helper: writes one boolean through the preference store, says so, and
// then keeps the event loop running until it is killed.
#include <QCoreApplication>
#include <cstdio>
#include <cstring>

#include "core/preference_store.h"
#include "qt/qt_scheduler.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s FILE KEY true|false\n", argv[0]);
        return 64;
    }
    QCoreApplication app(argc, argv);
    quorvel::qt::QtScheduler scheduler;
    quorvel::core::PreferenceStore store(argv[1], scheduler);
    store.set(argv[2], std::strcmp(argv[3], "true") == 0);
    std::puts("written");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
