// Before any Qt header: Qt's `emit` keyword macro would eat Signal::emit.
#include "services/autostart.h"
//
#include "x11/xdg_autostart.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <fstream>
#include <sstream>

#include "core/log.h"

namespace quorvel::x11 {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
}

// Runs desktop-file-validate when it is installed; its complaints, or nothing.
std::optional<std::string> validate(const fs::path& entry) {
    const QString tool = QStandardPaths::findExecutable("desktop-file-validate");
    if (tool.isEmpty()) return std::nullopt;
    QProcess p;
    p.start(tool, {QString::fromStdString(entry.string())});
    p.waitForFinished(10'000);
    const std::string out = (p.readAllStandardOutput() + p.readAllStandardError()).toStdString();
    if (p.exitCode() != 0 || out.find("error") != std::string::npos) return out;
    return std::nullopt;
}

class XdgAutostartTest : public ::testing::Test {
protected:
    fs::path root() const { return fs::path(dir.path().toStdString()); }
    fs::path userDir() const { return root() / "config" / "autostart"; }
    fs::path systemDir() const { return root() / "xdg" / "autostart"; }
    XdgAutostart make(std::string program = "/usr/bin/quorvel") const {
        return XdgAutostart(userDir(), {systemDir()}, std::move(program));
    }
    QTemporaryDir dir;
};

TEST_F(XdgAutostartTest, EnablingWritesAValidEntryThatStartsTheProgram) {
    auto autostart = make("/opt/Quorvel Beta/bin/quorvel");
    services::Autostart manager(autostart);
    EXPECT_FALSE(manager.isEnabled());
    manager.setEnabled(true);
    EXPECT_TRUE(manager.isEnabled());
    ASSERT_TRUE(fs::exists(userDir() / "quorvel.desktop"));
    const std::string text = readFile(userDir() / "quorvel.desktop");
    EXPECT_NE(text.find("Exec=\"/opt/Quorvel Beta/bin/quorvel\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("TryExec=/opt/Quorvel Beta/bin/quorvel\n"), std::string::npos) << text;
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_EQ(validate(userDir() / "quorvel.desktop"), std::nullopt);

    manager.setEnabled(false);
    EXPECT_FALSE(manager.isEnabled());
    EXPECT_FALSE(fs::exists(userDir() / "quorvel.desktop"));
}

TEST_F(XdgAutostartTest, EntryMadeOutsideTheProgramIsReadAsItSays) {
    struct Case {
        const char* name;
        std::string body;
        bool enabled;
    };
    const std::string head = "[Desktop Entry]\nType=Application\nName=Quorvel\nExec=quorvel\n";
    const Case cases[] = {
        {"plain", head, true},
        {"hidden", head + "Hidden=true\n", false},
        {"gnome off", head + "X-GNOME-Autostart-enabled=false\n", false},
        {"hidden false", head + "Hidden=false\n", true},
        {"other group", head + "[Desktop Action x]\nHidden=true\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto autostart = make();
        services::Autostart manager(autostart);
        writeFile(userDir() / "quorvel.desktop", c.body);
        manager.refresh();
        EXPECT_EQ(manager.isEnabled(), c.enabled);
        fs::remove(userDir() / "quorvel.desktop");
        manager.refresh();
        EXPECT_FALSE(manager.isEnabled());
    }
}

TEST_F(XdgAutostartTest, DisablingHidesASystemWideEntry) {
    writeFile(systemDir() / "quorvel.desktop",
              "[Desktop Entry]\nType=Application\nName=Q\nExec=quorvel\n");
    auto autostart = make();
    EXPECT_EQ(autostart.isEnabled(), true);
    EXPECT_EQ(autostart.disable(), std::nullopt);
    EXPECT_EQ(autostart.isEnabled(), false);
    EXPECT_TRUE(fs::exists(systemDir() / "quorvel.desktop"));
    EXPECT_EQ(validate(userDir() / "quorvel.desktop"), std::nullopt);
}

}  // namespace
}  // namespace quorvel::x11
