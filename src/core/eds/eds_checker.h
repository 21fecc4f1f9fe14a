#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::eds {

/// One thing an EDS file gets wrong.
struct CheckFinding {
    /// The line number (starting from 1), or 0 when the finding is about the file as a whole.
    int line = 0;
    /// What is wrong, on one line ("DataType 0x0040 is not a known data type").
    std::string message;
};

/// Checks EDS or DCF text against the rules of the EDS format (CiA 306): the [FileInfo],
/// [DeviceInfo] and [MandatoryObjects] sections, the object lists, every object section's keys
/// (ObjectType, DataType, AccessType, PDOMapping, SubNumber, numbers in DefaultValue, LowLimit
/// and HighLimit, "$NODEID" forms allowed) and the PDO mapping values. Findings come in line
/// order, file-wide ones first; valid text gives none.
std::vector<CheckFinding> checkEds(std::string_view bytes);

/// Checks a file; throws model::FileError naming it when it cannot be read.
std::vector<CheckFinding> checkEdsFile(const std::filesystem::path& path);

} // namespace busmason::eds
