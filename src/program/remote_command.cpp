#include "program/remote_command.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>
#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "program/dbus_service.h"

namespace quorvel::program {

namespace {

constexpr int kTimeoutMs = 5000;

struct Verb {
    const char* word;
    const char* method;  // empty: handled on its own
    int arguments;       // after the word
};

constexpr std::array kVerbs{
    Verb{"toggle", "Toggle", 0},
    Verb{"on", "SetFocus", 0},
    Verb{"off", "SetFocus", 0},
    Verb{"mode", "SetMode", 1},
    Verb{"exclude", "ExcludeFrontmost", 0},
    Verb{"include", "IncludeFrontmost", 0},
    Verb{"settings", "OpenSettings", 0},
    Verb{"status", "", 0},
};

const Verb* findVerb(const std::string& word) {
    for (const auto& verb : kVerbs) {
        if (word == verb.word) return &verb;
    }
    return nullptr;
}

int failWith(const std::string& line, int status) {
    std::fprintf(stderr, "quorvel: %s\n", line.c_str());
    return status;
}

/// The reply, or the one line that says why there is none.
QDBusMessage call(const QString& interface, const QString& method, const QVariantList& args) {
    auto message =
        QDBusMessage::createMethodCall(dbus_names::service, dbus_names::path, interface, method);
    message.setArguments(args);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, kTimeoutMs);
}

}  // namespace

bool RemoteCommand::instanceRuns() {
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) return false;
    return bus.interface()->isServiceRegistered(dbus_names::service).value();
}

bool RemoteCommand::isCommand(const std::vector<std::string>& args) {
    return !args.empty() && findVerb(args.front()) != nullptr;
}

int RemoteCommand::run() const {
    const Verb* verb = findVerb(args_.front());
    const bool json =
        verb->word == std::string("status") && args_.size() == 2 && args_[1] == "--json";
    if (args_.size() != 1 + static_cast<std::size_t>(verb->arguments) && !json) {
        return failWith(
            "usage: quorvel toggle|on|off|mode ambient|mode deep|exclude|include|"
            "settings|status [--json]",
            kMisuse);
    }
    if (!instanceRuns())
        return failWith("Quorvel is not running (no " + dbus_names::service.toStdString() +
                            " on the session bus)",
                        kFailed);
    if (std::string(verb->method).empty()) return status(json);
    QVariantList arguments;
    if (verb->word == std::string("on")) arguments << true;
    if (verb->word == std::string("off")) arguments << false;
    if (verb->arguments == 1) arguments << QString::fromStdString(args_[1]);
    const auto reply = call(dbus_names::interface, verb->method, arguments);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        return failWith(reply.errorMessage().toStdString(), kFailed);
    }
    return 0;
}

int RemoteCommand::status(bool json) const {
    const auto reply = call(QStringLiteral("org.freedesktop.DBus.Properties"),
                            QStringLiteral("GetAll"), {dbus_names::interface});
    if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty()) {
        return failWith(
            "no status from the running instance: " + reply.errorMessage().toStdString(), kFailed);
    }
    const auto properties = qdbus_cast<QVariantMap>(reply.arguments().front());
    const bool focus = properties.value("FocusEnabled").toBool();
    const std::string mode = properties.value("Mode").toString().toStdString();
    const bool excluded = properties.value("Excluded").toBool();
    if (json) {
        const nlohmann::json out{{"focus", focus},
                                 {"mode", mode},
                                 {"excluded", excluded},
                                 {"backend", properties.value("Backend").toString().toStdString()}};
        std::printf("%s\n", out.dump().c_str());
        return 0;
    }
    std::string line = focus ? "focus on, " + mode : "focus off";
    if (excluded) line += " (application excluded)";
    std::printf("%s\n", line.c_str());
    return 0;
}

}  // namespace quorvel::program
