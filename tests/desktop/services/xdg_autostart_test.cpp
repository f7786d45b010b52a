// Before any Qt header: Qt's `emit` keyword macro would eat Signal::emit.
#include "services/autostart.h"
//
#include "x11/xdg_autostart.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QStandardPaths>

#include "sim/temp_dir.h"

namespace quorvel::x11 {
namespace {

using quorvel::testing::readFile;
using quorvel::testing::writeFile;

// desktop-file-validate's complaints, when it is installed; else nothing.
std::string complaints(const std::filesystem::path& entry) {
    const QString tool = QStandardPaths::findExecutable("desktop-file-validate");
    if (tool.isEmpty()) return {};
    QProcess p;
    p.start(tool, {QString::fromStdString(entry.string())});
    p.waitForFinished(10'000);
    const std::string out = (p.readAllStandardOutput() + p.readAllStandardError()).toStdString();
    return p.exitCode() != 0 || out.find("error") != std::string::npos ? out : "";
}

class XdgAutostartTest : public ::testing::Test {
protected:
    XdgAutostart make(std::string program = "/usr/bin/quorvel") const {
        return XdgAutostart(user, {system}, std::move(program));
    }
    quorvel::testing::TempDir dir;
    const std::filesystem::path user = dir / "config/autostart", system = dir / "xdg/autostart";
    const std::filesystem::path entry = user / "quorvel.desktop";
};

TEST_F(XdgAutostartTest, EnablingWritesAValidEntryThatStartsTheProgramAndDisablingRemovesIt) {
    auto autostart = make("/opt/Quorvel Beta/bin/quorvel");
    services::Autostart manager(autostart);
    EXPECT_FALSE(manager.isEnabled());
    manager.setEnabled(true);
    EXPECT_TRUE(manager.isEnabled());
    const std::string text = readFile(entry);
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u) << text;
    EXPECT_NE(text.find("Exec=\"/opt/Quorvel Beta/bin/quorvel\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("TryExec=/opt/Quorvel Beta/bin/quorvel\n"), std::string::npos) << text;
    EXPECT_EQ(complaints(entry), "");
    manager.setEnabled(false);
    EXPECT_FALSE(manager.isEnabled());
    EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST_F(XdgAutostartTest, AnEntryMadeOutsideTheProgramIsReadAsItSays) {
    const std::string head = "[Desktop Entry]\nType=Application\nName=Quorvel\nExec=quorvel\n";
    const std::pair<std::string, bool> cases[] = {
        {head, true},
        {head + "Hidden=true\n", false},
        {head + "X-GNOME-Autostart-enabled=false\n", false},
        {head + "Hidden=false\n", true},
        {head + "[Desktop Action x]\nHidden=true\n", true},
    };
    auto autostart = make();
    services::Autostart manager(autostart);
    for (const auto& [body, enabled] : cases) {
        writeFile(entry, body);
        manager.refresh();
        EXPECT_EQ(manager.isEnabled(), enabled) << body;
        std::filesystem::remove(entry);
        manager.refresh();
        EXPECT_FALSE(manager.isEnabled());
    }
}

TEST_F(XdgAutostartTest, DisablingHidesASystemWideEntry) {
    writeFile(system / "quorvel.desktop",
              "[Desktop Entry]\nType=Application\nName=Q\nExec=quorvel\n");
    auto autostart = make();
    EXPECT_TRUE(autostart.isEnabled());
    EXPECT_EQ(autostart.disable(), std::nullopt);
    EXPECT_FALSE(autostart.isEnabled());
    EXPECT_TRUE(std::filesystem::exists(system / "quorvel.desktop"));
    EXPECT_EQ(complaints(entry), "");
}

}  // namespace
}  // namespace quorvel::x11
