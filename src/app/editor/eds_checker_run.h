#pragma once

#include <QString>

namespace busmason::app {

/// What the installation's EDS checker said about a file.
struct CheckerRun {
    enum class Outcome {
        Accepted, ///< the verdict file holds no finding
        Findings, ///< the verdict file holds a finding: the user decides
        Failed,   ///< there is no verdict: the checker is missing, did not run or wrote nothing
    };
    Outcome outcome = Outcome::Failed;
    /// Findings: the first finding, with its line in the verdict file.
    QString finding;
    /// Failed: why there is no verdict, naming the checker or the verdict file.
    QString failure;
};

/// The checker of an installation: templateFolder/bin/EDSCheck.
QString edsCheckerPath(const QString& templateFolder);

/// Runs the checker of templateFolder on edsFile and waits until it has finished (at most
/// timeoutMs): its arguments are the bin folder (with a trailing separator) and the file's
/// path, and it runs in a fresh temporary folder, never the process's current one, where it
/// leaves its verdict file "eds.err".
CheckerRun runEdsChecker(const QString& templateFolder, const QString& edsFile,
                         int timeoutMs = 120000);

} // namespace busmason::app
