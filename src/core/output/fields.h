#pragma once

#include "core/model/node.h"
#include "core/output/generated_file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace busmason::output {

/// Appends the low-order size bytes of value, least significant first.
void appendLittleEndian(std::string& out, std::uint64_t value, int size);

/// Appends text and the CR LF that ends every line of the text files.
void appendLine(std::string& out, std::string_view text);

/// "node 5, 0x1017" for messages about one entry of one node.
std::string where(const model::node& n, const model::object_dict& e);

/// text read as an integer; on failure an error naming the node, the entry, what the text is
/// and the text is added to file.
std::optional<std::int64_t> readField(std::string_view text, const model::node& n,
                                      const model::object_dict& e, std::string_view what,
                                      GeneratedFile& file);

/// The entry's object index ("0x" + index read as an integer, 0 to 0xFFFF), or an error in file.
std::optional<std::uint16_t> objectIndexOf(const model::node& n, const model::object_dict& e,
                                           GeneratedFile& file);

/// The entry's sub-index: 0 for a main entry, else its sub-index text read as hexadecimal
/// (0 to 0xFF); otherwise an error in file.
std::optional<std::uint8_t> subIndexOf(const model::node& n, const model::object_dict& e,
                                       GeneratedFile& file);

} // namespace busmason::output
