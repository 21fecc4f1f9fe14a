#include "app/editor/eds_checker_run.h"

#include "app/shell/app_context.h"

#include "core/eds/eds_library.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace busmason::app {

namespace {

CheckerRun failed(const QString& why) {
    return CheckerRun{CheckerRun::Outcome::Failed, {}, why};
}

/// The first line the checker wrote to its error output, as a reason.
QString firstErrorLine(QProcess& process) {
    const QString text = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return text.section('\n', 0, 0);
}

} // namespace

QString edsCheckerPath(const QString& templateFolder) {
    return QDir(QDir(templateFolder).filePath("bin")).filePath("EDSCheck");
}

CheckerRun runEdsChecker(const QString& templateFolder, const QString& edsFile, int timeoutMs) {
    const QString checker = edsCheckerPath(templateFolder);
    const QFileInfo info(checker);
    if (templateFolder.isEmpty() || !info.isFile()) {
        return failed(QStringLiteral("the EDS checker %1 does not exist")
                          .arg(QDir::toNativeSeparators(checker)));
    }
    if (!info.isExecutable()) {
        return failed(QStringLiteral("the EDS checker %1 is not executable")
                          .arg(QDir::toNativeSeparators(checker)));
    }
    QTemporaryDir work;
    if (!work.isValid()) {
        return failed(
            QStringLiteral("no folder to run the EDS checker in: %1").arg(work.errorString()));
    }
    QProcess process;
    process.setProgram(checker);
    process.setArguments({QDir::toNativeSeparators(info.absolutePath()) + QDir::separator(),
                          QDir::toNativeSeparators(QFileInfo(edsFile).absoluteFilePath())});
    process.setWorkingDirectory(work.path());
    process.start();
    if (!process.waitForStarted()) {
        return failed(QStringLiteral("the EDS checker %1 could not be started: %2")
                          .arg(QDir::toNativeSeparators(checker), process.errorString()));
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return failed(QStringLiteral("the EDS checker %1 did not finish within %2 s")
                          .arg(QDir::toNativeSeparators(checker))
                          .arg(timeoutMs / 1000));
    }
    const QString verdictName = QString::fromLatin1(
        eds::kVerdictFileName.data(), static_cast<qsizetype>(eds::kVerdictFileName.size()));
    const QString verdictFile = QDir(work.path()).filePath(verdictName);
    const eds::CheckerVerdict verdict = eds::readVerdict(toPath(verdictFile));
    switch (verdict.outcome) {
    case eds::CheckerVerdict::Outcome::Accepted:
        return CheckerRun{CheckerRun::Outcome::Accepted, {}, {}};
    case eds::CheckerVerdict::Outcome::Findings:
        return CheckerRun{CheckerRun::Outcome::Findings,
                          QStringLiteral("%1:%2: %3")
                              .arg(verdictName)
                              .arg(verdict.line)
                              .arg(QString::fromStdString(verdict.firstFinding)),
                          {}};
    case eds::CheckerVerdict::Outcome::Missing:
        break;
    }
    QString why = QStringLiteral("the EDS checker %1 left no %2 (exit status %3)")
                      .arg(QDir::toNativeSeparators(checker), verdictName)
                      .arg(process.exitCode());
    if (const QString reason = firstErrorLine(process); !reason.isEmpty()) {
        why += ": " + reason;
    }
    return failed(why);
}

} // namespace busmason::app
