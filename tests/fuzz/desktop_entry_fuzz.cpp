// A desktop entry (.desktop file) as every reader of them in the program sees
// it: the application catalog (the picker, the excluded list's names and
// icons), the window-to-application matcher, and the autostart entry.
#include <cstddef>
#include <cstdint>
#include <string>

#include "sim/temp_dir.h"
#include "x11/desktop_entry_matcher.h"
#include "x11/xdg_app_catalog.h"
#include "x11/xdg_autostart.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvel;
    static const testing::TempDir dir;  // under $TMPDIR, in memory when scripts/fuzz runs it
    std::filesystem::remove_all(dir / "applications");
    const auto entry = dir / "applications/org.example.App.desktop";
    const auto autostart = dir / "autostart";
    testing::writeFile(entry, std::string(reinterpret_cast<const char*>(data), size));
    testing::writeFile(autostart / x11::XdgAutostart::kEntryName, testing::readFile(entry));

    // A locale with every part, so that every localized name key is tried.
    const x11::XdgAppCatalog catalog({dir / "applications"}, "sr_RS.UTF-8@latin");
    (void)catalog.read(entry.string());
    (void)catalog.iconForFile(entry.string());
    (void)catalog.installedApplications();
    (void)catalog.hiddenApplications();
    (void)catalog.locate("org.example.App");

    x11::DesktopEntryMatcher matcher(catalog);
    (void)matcher.match({std::string("org.example.App"), "app", "App", std::string("app")});
    (void)matcher.match({std::nullopt, "example", "Example", std::string("example-bin")});

    (void)x11::XdgAutostart(autostart, {}, "/usr/bin/quorvel").isEnabled();
    return 0;
}
