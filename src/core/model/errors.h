#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace busmason::model {

/// A text that had to be read as an integer and is not one.
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(std::string text);
    /// The offending text, as it was found.
    const std::string& text() const noexcept { return m_text; }

private:
    std::string m_text;
};

/// An add beyond one of the model's limits (127 nodes, 100 writes, 10 values, 32 variables, ...).
class LimitError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A file that cannot be read or written; the message names the file.
class FileError : public std::runtime_error {
public:
    FileError(std::string path, const std::string& what);
    const std::string& path() const noexcept { return m_path; }

private:
    std::string m_path;
};

enum class Severity {
    Warning, ///< something was read leniently or dropped; the result is still usable
    Error,   ///< the read stopped; there is no result
    Note,    ///< worth knowing; nothing is wrong
};

/// One finding of a reader, the checker, the build or the network check: where it is and what is
/// wrong.
struct Diagnostic {
    Severity severity = Severity::Warning;
    std::string file;
    /// The line number (starting from 1), or 0 when the finding names an element instead.
    int line = 0;
    /// The XML element or record the finding is about, when there is no line.
    std::string element;
    std::string message;
    /// A stable code for findings that have one ("BM101"); empty otherwise.
    std::string code = {};
    /// The node address the finding is about (1 to 127), or 0.
    int node = 0;
    /// The object the finding is about ("0x1600:01"), or empty.
    std::string object = {};
};

/// "file:line: warning: message", as compilers print their findings.
std::string formatDiagnostic(const Diagnostic& d);

/// True when one of the diagnostics is an error.
bool hasError(const std::vector<Diagnostic>& diagnostics);

} // namespace busmason::model
