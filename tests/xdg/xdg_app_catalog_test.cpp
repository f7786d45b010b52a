#include "x11/xdg_app_catalog.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "settings/excluded_app.h"
#include "sim/temp_dir.h"
#include "x11/desktop_entry_matcher.h"

namespace quorvel::x11 {
namespace {

using quorvel::testing::TempDir;
using quorvel::testing::writeFile;

std::string entry(const std::string& body) {
    return "[Desktop Entry]\nType=Application\n" + body;
}

// Three data directories, most important first: the user's, then two system ones.
class XdgAppCatalogTest : public ::testing::Test {
protected:
    std::filesystem::path user() const { return tmp_ / "home/applications"; }
    std::filesystem::path local() const { return tmp_ / "local/applications"; }
    std::filesystem::path system() const { return tmp_ / "system/applications"; }

    XdgAppCatalog catalog(const std::string& locale = "") const {
        return XdgAppCatalog({user(), local(), system()}, locale);
    }
    std::string put(const std::filesystem::path& dir, const std::string& name,
                    const std::string& text) {
        writeFile(dir / name, text);
        return (dir / name).string();
    }

    TempDir tmp_;
};

TEST_F(XdgAppCatalogTest, OnlyVisibleApplicationsAreListedButHiddenFromMenusStillLocate) {
    const auto helper = put(system(), "helper.desktop", entry("Name=Helper\nNoDisplay=true\n"));
    put(system(), "link.desktop", "[Desktop Entry]\nType=Link\nName=Site\nURL=https://x\n");
    put(system(), "untyped.desktop", "[Desktop Entry]\nName=Untyped\n");
    put(system(), "readme.txt", entry("Name=Not an entry\n"));
    put(system(), "b.desktop", entry("Name=beta\n"));
    put(system(), "z.desktop", entry("Name=Zeta\n"));
    put(system(), "a.desktop", entry("Name=Alpha\n"));
    auto c = catalog();
    EXPECT_EQ(c.locate("helper"), helper);
    EXPECT_EQ(c.locate("link"), std::nullopt);
    EXPECT_EQ(c.locate("untyped"), std::nullopt);
    EXPECT_EQ(c.locate("readme"), std::nullopt);
    std::vector<std::string> listed;
    for (const auto& e : c.installedApplications()) listed.push_back(*e.name);
    EXPECT_EQ(listed, (std::vector<std::string>{"Alpha", "beta", "Zeta"}))
        << "listed by name, whatever the case";
}

TEST_F(XdgAppCatalogTest, LocalizedNameFollowsTheLocaleMatchingOrder) {
    const auto path = put(system(), "files.desktop",
                          entry("Name=Files\nName[de]=Dateien\nName[de_AT]=Dateien (AT)\n"
                                "Name[sr@latin]=Datoteke\nName[sr]=Датотеке\n"));
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"de_AT.UTF-8", "Dateien (AT)"},
        {"de_DE.UTF-8", "Dateien"},
        {"de", "Dateien"},
        {"sr_RS.UTF-8@latin", "Datoteke"},
        {"sr_RS", "Датотеке"},
        {"fr_FR.UTF-8", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [locale, expected] : cases) {
        auto e = catalog(locale).read(path);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->localizedName, expected) << locale;
        EXPECT_EQ(e->name, "Files");
    }
}

// The window matcher reads a file's keys as the catalog does.
TEST_F(XdgAppCatalogTest, MatcherReadsTheKeysTheCatalogReads) {
    const struct {
        const char* body;
        const char* wmClass;
        const char* program;
    } cases[] = {{"StartupWMClass=Term\r\nExec=xterm -e\r\n", "Term", "xterm"},
                 {"StartupWMClass = Term\nExec = /usr/bin/xterm\n", "Term", "xterm"},
                 {"Exec=\"/opt/My App/my-app\" %U\n", "", "my-app"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        const auto keys =
            DesktopEntryMatcher::readFileKeys(put(system(), "t.desktop", entry(c.body)));
        EXPECT_EQ(keys.startupWMClass, c.wmClass);
        EXPECT_EQ(keys.execProgram, c.program);
    }
}

TEST(XdgEnvironment, LocalePrefersLcAllThenMessagesThenLang) {
    const struct {
        const char *all, *messages, *lang, *locale;
    } cases[] = {{nullptr, nullptr, "fr_FR.UTF-8", "fr_FR.UTF-8"},
                 {nullptr, "de_DE.UTF-8", "fr_FR.UTF-8", "de_DE.UTF-8"},
                 {"C.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8", ""}};
    const auto set = [](const char* name, const char* value) {
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    };
    for (const auto& c : cases) {
        set("LC_ALL", c.all);
        set("LC_MESSAGES", c.messages);
        set("LANG", c.lang);
        EXPECT_EQ(XdgAppCatalog::localeFromEnvironment(), c.locale) << "LANG " << c.lang;
    }
}

}  // namespace
}  // namespace quorvel::x11
