#pragma once

#include "core/model/errors.h"

#include <string>
#include <vector>

namespace busmason::output {

/// One controller file built in memory: its name, its bytes and what was found on the way.
/// The bytes are only meaningful when no error was found.
struct GeneratedFile {
    /// File name without folder ("network0.cmg").
    std::string name;
    std::string bytes;
    /// Warnings and errors, each naming this file.
    std::vector<model::Diagnostic> diagnostics;

    bool hasErrors() const { return model::hasError(diagnostics); }
    void error(std::string message);
    void warning(std::string message);
};

} // namespace busmason::output
