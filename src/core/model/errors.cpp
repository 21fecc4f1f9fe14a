#include "core/model/errors.h"

#include <algorithm>

namespace busmason::model {

ConversionError::ConversionError(std::string text)
    : std::runtime_error("'" + text + "' is not a valid integer value"), m_text(std::move(text)) {}

FileError::FileError(std::string path, const std::string& what)
    : std::runtime_error(path + ": " + what), m_path(std::move(path)) {}

std::string formatDiagnostic(const Diagnostic& d) {
    std::string out = d.file;
    if (d.line > 0) {
        out += ":" + std::to_string(d.line);
    }
    if (!d.element.empty()) {
        out += (out.empty() ? "" : ": ") + d.element;
    }
    switch (d.severity) {
    case Severity::Error:
        out += ": error: ";
        break;
    case Severity::Warning:
        out += ": warning: ";
        break;
    case Severity::Note:
        out += ": note: ";
        break;
    }
    if (!d.code.empty()) {
        out += d.code + ": ";
    }
    out += d.message;
    return out;
}

bool hasError(const std::vector<Diagnostic>& diagnostics) {
    return std::any_of(diagnostics.begin(), diagnostics.end(),
                       [](const Diagnostic& d) { return d.severity == Severity::Error; });
}

} // namespace busmason::model
