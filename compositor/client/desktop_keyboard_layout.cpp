#include "compositor/client/desktop_keyboard_layout.h"

#include <xkbcommon/xkbcommon.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <chrono>
#include <regex>

#include "core/log.h"
#include "x11/key_table.h"
#include "x11/keymap_text.h"

namespace quorvel::compositor {

namespace {

std::string firstOf(const std::string& list) {
    return list.substr(0, list.find(','));
}

std::string run(const QString& program, const QStringList& args) {
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) return {};
    QProcess process;
    process.start(path, args);
    if (!process.waitForFinished(2000) || process.exitCode() != 0) return {};
    return process.readAllStandardOutput().trimmed().toStdString();
}

}  // namespace

std::optional<LayoutNames> gnomeLayout(const std::string& sources, const std::string& options) {
    static const std::regex xkbSource(R"(\(\s*'xkb'\s*,\s*'([^'+]+)(?:\+([^']*))?'\s*\))");
    std::smatch match;
    if (!std::regex_search(sources, match, xkbSource)) return std::nullopt;
    LayoutNames names{match[1].str(), match[2].str(), {}};
    static const std::regex option(R"('([^']+)')");
    for (auto it = std::sregex_iterator(options.begin(), options.end(), option);
         it != std::sregex_iterator(); ++it)
        names.options += (names.options.empty() ? "" : ",") + (*it)[1].str();
    return names;
}

std::optional<LayoutNames> plasmaLayout(const std::string& kxkbrc) {
    static const std::regex line(R"(^\s*(LayoutList|VariantList|Options)\s*=\s*(.*?)\s*$)");
    LayoutNames names;
    bool inLayout = false;
    std::string text = kxkbrc + "\n";
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1) {
        const std::string row = text.substr(start, end - start);
        if (!row.empty() && row.front() == '[') inLayout = row.rfind("[Layout]", 0) == 0;
        std::smatch match;
        if (!inLayout || !std::regex_match(row, match, line)) continue;
        if (match[1] == "LayoutList") names.layout = firstOf(match[2]);
        if (match[1] == "VariantList") names.variant = firstOf(match[2]);
        if (match[1] == "Options") names.options = match[2];
    }
    if (names.layout.empty()) return std::nullopt;
    return names;
}

std::function<std::optional<LayoutNames>()> DesktopKeyboardLayout::readerFor(bool gnome) {
    if (gnome) {
        return [] {
            const QString schema = QStringLiteral("org.gnome.desktop.input-sources");
            return gnomeLayout(run("gsettings", {"get", schema, "sources"}),
                               run("gsettings", {"get", schema, "xkb-options"}));
        };
    }
    return []() -> std::optional<LayoutNames> {
        const QString path =
            QStandardPaths::locate(QStandardPaths::GenericConfigLocation, QStringLiteral("kxkbrc"));
        QFile file(path);
        if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
        return plasmaLayout(file.readAll().toStdString());
    };
}

DesktopKeyboardLayout::DesktopKeyboardLayout(std::function<std::optional<LayoutNames>()> names)
    : names_(std::move(names)), context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {}

DesktopKeyboardLayout::~DesktopKeyboardLayout() {
    if (keymap_) xkb_keymap_unref(keymap_);
    if (context_) xkb_context_unref(context_);
}

bool DesktopKeyboardLayout::ensureKeymap() const {
    if (!context_) return false;
    // Asked at most every two seconds: a redraw names several keys at once,
    // and a layout the user just changed is seen the next time.
    const auto clock = std::chrono::steady_clock::now();
    if (!asked_ || clock - *asked_ > std::chrono::seconds(2)) {
        // Unnamed: xkbcommon's default (XKB_DEFAULT_LAYOUT, else US).
        current_ = names_().value_or(LayoutNames{});
        asked_ = clock;
    }
    const LayoutNames now = current_;
    if (keymap_ && compiled_ == now) return true;
    const xkb_rule_names rules{nullptr, nullptr, now.layout.empty() ? nullptr : now.layout.c_str(),
                               now.variant.empty() ? nullptr : now.variant.c_str(),
                               now.options.empty() ? nullptr : now.options.c_str()};
    xkb_keymap* fresh = xkb_keymap_new_from_names(context_, &rules, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!fresh) {
        if (compiled_ != now) core::log("⚠️ No keymap for the layout '" + now.layout + "'");
        compiled_ = now;
        return keymap_ != nullptr;
    }
    if (keymap_) xkb_keymap_unref(keymap_);
    keymap_ = fresh;
    compiled_ = now;
    return true;
}

std::optional<std::string> DesktopKeyboardLayout::characters(std::uint32_t keyCode) const {
    const auto key = x11::xKeycodeFor(keyCode);
    if (!key || !ensureKeymap()) return std::nullopt;
    std::string text = x11::typedText(keymap_, *key, x11::asciiGroup(keymap_, 0));
    if (text.empty()) return std::nullopt;
    return text;
}

}  // namespace quorvel::compositor
