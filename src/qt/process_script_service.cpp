#include "qt/process_script_service.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace quorvel::qt {

namespace {

constexpr const char* shell = "/bin/sh";

struct Run {
    bool started = false;
    bool finished = false;
    bool crashed = false;
    int exitCode = 0;
    QString out;
    QString err;
};

Run runShell(const QStringList& arguments, int timeoutMs) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QString::fromLatin1(shell), arguments);
    Run run;
    run.started = process.waitForStarted(timeoutMs);
    if (!run.started) return run;
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished(500);
        return run;
    }
    run.crashed = process.exitStatus() == QProcess::CrashExit;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    run.err = QString::fromUtf8(process.readAllStandardError()).trimmed();
    return run;
}

}  // namespace

ProcessScriptService::ProcessScriptService(std::chrono::milliseconds timeout) : timeout_(timeout) {}

ports::ScriptOutcome ProcessScriptService::execute(const std::string& source) {
    const QString text = QString::fromStdString(source);
    const int timeoutMs = static_cast<int>(timeout_.count());
    if (text.trimmed().isEmpty()) return ports::ScriptOutcome::notCompiled();
    // "Compiling" is the shell's own syntax check, which runs nothing.
    const Run syntax = runShell({QStringLiteral("-n"), QStringLiteral("-c"), text}, timeoutMs);
    if (!syntax.started || !syntax.finished || syntax.crashed || syntax.exitCode != 0) {
        return ports::ScriptOutcome::notCompiled();
    }

    const Run run = runShell({QStringLiteral("-c"), text}, timeoutMs);
    if (!run.started) return ports::ScriptOutcome::failed({127, "the shell could not be started"});
    if (!run.finished) {
        return ports::ScriptOutcome::failed(
            {ports::scriptNotPermittedError,
             "the desktop's settings service did not answer within " +
                 std::to_string(timeout_.count()) + " ms"});
    }
    if (run.crashed) return ports::ScriptOutcome::failed({std::nullopt, "the script crashed"});
    if (run.exitCode == ports::serviceNotAnsweringExitStatus) {
        return ports::ScriptOutcome::failed(
            {ports::scriptNotPermittedError,
             run.err.isEmpty() ? "the desktop's settings service does not answer yet"
                               : run.err.toStdString()});
    }
    if (run.exitCode != 0) {
        return ports::ScriptOutcome::failed(
            {run.exitCode, run.err.isEmpty() ? "exited with status " + std::to_string(run.exitCode)
                                             : run.err.toStdString()});
    }
    if (run.out.isEmpty()) return ports::ScriptOutcome::returned({});
    if (run.out == QLatin1String("true")) return ports::ScriptOutcome::returned(true);
    if (run.out == QLatin1String("false")) return ports::ScriptOutcome::returned(false);
    return ports::ScriptOutcome::returned(run.out.toStdString());
}

}  // namespace quorvel::qt
