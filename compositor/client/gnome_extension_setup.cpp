#include "compositor/client/gnome_extension_setup.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

#include "app/session_environment.h"
#include "compositor/client/compositor_client.h"
#include "core/log.h"

namespace quorvel::compositor {

namespace {

const QString kShell = QStringLiteral("org.gnome.Shell");
const QString kShellPath = QStringLiteral("/org/gnome/Shell");
const QString kExtensions = QStringLiteral("org.gnome.Shell.Extensions");
constexpr int kEnabled = 1, kError = 3, kOutOfDate = 4;

std::string enableLine() {
    return std::string("run 'gnome-extensions enable ") + app::kGnomeExtensionUuid + "'";
}

std::string majorOf(const std::string& version) {
    return version.substr(0, version.find('.'));
}

}  // namespace

std::vector<std::string> declaredShellVersions(const std::string& metadataJson) {
    std::vector<std::string> versions;
    const auto root = nlohmann::json::parse(metadataJson, nullptr, false);
    if (!root.is_object()) return versions;
    const auto list = root.find("shell-version");
    if (list == root.end() || !list->is_array()) return versions;
    for (const auto& v : *list) {
        if (v.is_string()) versions.push_back(v.get<std::string>());
    }
    return versions;
}

std::optional<std::string> undeclaredVersionLine(const std::string& shellVersion,
                                                 const std::vector<std::string>& declared) {
    if (shellVersion.empty() || declared.empty()) return std::nullopt;
    // The shell matches an entry by major version ("43") or exactly ("3.38").
    for (const std::string& d : declared) {
        if (d == shellVersion || d == majorOf(shellVersion)) return std::nullopt;
    }
    std::string list;
    for (const std::string& d : declared) list += (list.empty() ? "" : ", ") + d;
    return "⚠️ GNOME Shell " + shellVersion +
           " is not among the versions Quorvel's extension " + "declares (" + list +
           "), so the shell does not load it";
}

std::optional<ExtensionInfo> GnomeExtensionSetup::info() const {
    QDBusMessage call = QDBusMessage::createMethodCall(kShell, kShellPath, kExtensions,
                                                       QStringLiteral("GetExtensionInfo"));
    call << QString::fromLatin1(app::kGnomeExtensionUuid);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    const QVariantMap map = qdbus_cast<QVariantMap>(reply.arguments().front());
    ExtensionInfo result;
    result.installed = !map.isEmpty();
    result.state = int(map.value(QStringLiteral("state")).toDouble());
    result.path = map.value(QStringLiteral("path")).toString().toStdString();
    result.error = map.value(QStringLiteral("error")).toString().toStdString();
    return result;
}

std::string GnomeExtensionSetup::shellVersion() const {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kShell, kShellPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kExtensions << QStringLiteral("ShellVersion");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().front().value<QDBusVariant>().variant().toString().toStdString();
}

bool GnomeExtensionSetup::waitForAnswer() const {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kAnswerTimeoutMs) {
        if (bus && bus->isServiceRegistered(compositor::CompositorClient::kService)) return true;
        QThread::msleep(50);
    }
    return false;
}

bool GnomeExtensionSetup::offerToEnable() {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Quorvel"),
                    QStringLiteral("Quorvel draws its veil through its GNOME Shell extension, "
                                   "which is installed but not enabled.\n\nEnable it now?"),
                    QMessageBox::NoButton);
    QPushButton* enable = box.addButton(QStringLiteral("Enable"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Not Now"), QMessageBox::RejectRole);
    box.setDefaultButton(enable);
    box.exec();
    if (box.clickedButton() != enable) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kShell, kShellPath, kExtensions,
                                                       QStringLiteral("EnableExtension"));
    call << QString::fromLatin1(app::kGnomeExtensionUuid);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        core::log("⚠️ GNOME Shell did not enable the extension: " +
                  reply.errorMessage().toStdString());
        return false;
    }
    core::log("🔧 Enabled GNOME Shell's Quorvel extension");
    return waitForAnswer();
}

std::optional<std::string> GnomeExtensionSetup::run() {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    if (bus && bus->isServiceRegistered(compositor::CompositorClient::kService))
        return std::nullopt;
    const auto extension = info();
    if (!extension)
        return "⚠️ GNOME Shell does not answer on the session bus, so Quorvel's extension "
               "cannot be reached";
    if (!extension->installed) {
        return "⚠️ Quorvel's GNOME Shell extension is not installed: install Quorvel's "
               "package, "
               "log out and in, then " +
               enableLine();
    }
    if (extension->state == kOutOfDate) {
        std::ifstream file(extension->path + "/metadata.json");
        std::stringstream text;
        text << file.rdbuf();
        return undeclaredVersionLine(shellVersion(), declaredShellVersions(text.str()))
            .value_or("⚠️ GNOME Shell calls Quorvel's extension out of date");
    }
    if (extension->state == kError)
        return "⚠️ Quorvel's GNOME Shell extension failed to start: " + extension->error;
    if (extension->state == kEnabled) {
        if (waitForAnswer()) return std::nullopt;
        return std::string("⚠️ Quorvel's GNOME Shell extension is enabled but does not answer");
    }
    const std::string disabled =
        "⚠️ Quorvel's GNOME Shell extension is installed but not enabled: " + enableLine();
    if (!interactive_) return disabled;
    core::log(disabled);
    if (offerToEnable()) return std::nullopt;
    return disabled;
}

}  // namespace quorvel::compositor
