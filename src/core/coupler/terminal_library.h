#pragma once

#include "core/model/errors.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::coupler {

/// At most this many terminal types are offered at once.
inline constexpr int kMaxTerminalTypes = 20;
/// Terminal type codes run from 1 (digital inputs) to 5 (analogue outputs).
inline constexpr int kMinTypeCode = 1;
inline constexpr int kMaxTypeCode = 5;

/// One terminal type, read from a terminal description file.
struct terminal_type {
    /// Type code 1 to 5: the `ID` of terminals of this type.
    int ID = 0;
    /// Display name (holds the family word, "KM120" or "KM130", that selects the manual).
    std::string name;
    /// Number of channels, 1 to 32.
    int channels = 0;
    /// The fifth value of the file, kept with the type and not interpreted.
    std::string kept;
    /// The description file the type was read from, without folder.
    std::string file;
};

/// The terminal types offered for a coupler, in slot order.
class TerminalLibrary {
public:
    /// The types in slot order (at most kMaxTerminalTypes).
    const std::vector<terminal_type>& types() const { return m_types; }
    bool empty() const { return m_types.empty(); }

    /// The type whose display name equals name (exactly, else ignoring letter case), or nullptr.
    const terminal_type* find(std::string_view name) const;
    /// The first type of the type code (1 to 5), or nullptr.
    const terminal_type* byTypeCode(int code) const;

    /// Adds a type in the next slot; false when every slot is taken.
    bool add(terminal_type type);

private:
    std::vector<terminal_type> m_types;
};

/// What reading the terminal folder gives: the library and the findings about files not taken.
struct TerminalLibraryResult {
    TerminalLibrary library;
    std::vector<model::Diagnostic> diagnostics;
};

/// The folder of the terminal description files: templateFolder/CANOpen/Terminali.
std::filesystem::path terminalFolder(const std::filesystem::path& templateFolder);

/// Reads one terminal description: an XML document whose element children give, by position,
/// the type code, the display name, an unused value, the channel count and a kept value. A
/// description that cannot be taken gives one warning in diagnostics and no type.
std::optional<terminal_type> parseTerminalDescription(std::string_view bytes,
                                                      const std::string& fileName,
                                                      std::vector<model::Diagnostic>& diagnostics);

/// Reads every "*.xml" file (extension matched ignoring case) of the template folder's terminal
/// folder, sorted by file name so the slots do not depend on the file system's listing order.
/// Files that are not well-formed, whose type code is not 1 to 5 or whose channel count is not
/// 1 to 32 are left out with one warning each; so are the valid files beyond the 20 slots. An
/// absent or empty folder gives an empty library and no findings.
TerminalLibraryResult readTerminalLibrary(const std::filesystem::path& templateFolder);

} // namespace busmason::coupler
