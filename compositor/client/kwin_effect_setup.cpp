#include "compositor/client/kwin_effect_setup.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include "compositor/client/compositor_client.h"
#include "core/log.h"

namespace quorvel::compositor {

bool KwinEffectSetup::answers() const {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(compositor::CompositorClient::kService);
}

bool KwinEffectSetup::waitForAnswer() const {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kAnswerTimeoutMs) {
        if (answers()) return true;
        QThread::msleep(50);
    }
    return false;
}

std::optional<std::string> KwinEffectSetup::run() {
    if (answers()) return std::nullopt;
    QDBusMessage load = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.KWin"), QStringLiteral("/Effects"),
        QStringLiteral("org.kde.kwin.Effects"), QStringLiteral("loadEffect"));
    load << QString::fromLatin1(kEffectId);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(load, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return "⚠️ KWin does not answer on the session bus, so Quorvel's KWin effect cannot be "
               "loaded (" +
               reply.errorMessage().toStdString() + ")";
    if (reply.arguments().isEmpty() || !reply.arguments().front().toBool())
        return std::string(
            "⚠️ KWin could not load Quorvel's effect: install Quorvel's package "
            "with its KWin effect (built against this KWin), then start Quorvel "
            "again");
    // Kept on in KWin's own settings, as System Settings would: KWin unloads
    // an effect its configuration does not name at its next reconfigure.
    QString writer = QStandardPaths::findExecutable(QStringLiteral("kwriteconfig6"));
    if (writer.isEmpty()) writer = QStandardPaths::findExecutable(QStringLiteral("kwriteconfig5"));
    const bool kept =
        !writer.isEmpty() &&
        QProcess::execute(
            writer, {QStringLiteral("--file"), QStringLiteral("kwinrc"), QStringLiteral("--group"),
                     QStringLiteral("Plugins"), QStringLiteral("--key"),
                     QStringLiteral("quorvelEnabled"), QStringLiteral("true")}) == 0;
    core::log(std::string("🔧 Loaded Quorvel's KWin effect") +
              (kept ? " and kept it on for the next sessions (kwinrc)"
                    : "; turn it on for good in System Settings, Desktop Effects"));
    if (waitForAnswer()) return std::nullopt;
    return std::string("⚠️ Quorvel's KWin effect is loaded but does not answer");
}

}  // namespace quorvel::compositor
