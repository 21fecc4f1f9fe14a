#pragma once

#include "core/model/node.h"

#include <string_view>

namespace busmason::model {

/// The object lookup: the entry of a node by index text and sub-index text.
///
/// index is "0x" and the object's hexadecimal digits ("0x1018"); sub is "-1" for the main entry,
/// or "0x" and hexadecimal digits ("0x0", "0x1"). Texts are compared ignoring letter case:
/// 1. the first entry whose "0x" + index equals index is the main entry; none: no result;
/// 2. a main entry without SubNumber (a simple variable) is the result for sub "0x0" or "0x00";
/// 3. sub "-1" gives the main entry;
/// 4. otherwise the entries after it are walked: the walk ends without result at the first entry
///    of another index, or at the end of the list; before that, the first whose sub-index key
///    ("0x" + subindex, or subindex when it already begins with "0x") equals sub is the result.
EntryId findEntryId(const node& n, std::string_view index, std::string_view sub);

object_dict* findEntry(node& n, std::string_view index, std::string_view sub);
const object_dict* findEntry(const node& n, std::string_view index, std::string_view sub);

/// The same walk comparing numbers instead of texts: the entry of object index with
/// sub-index sub (-1 for the main entry), so "[6000sub0B]" is found as 0x6000 sub 11.
EntryId findEntryIdByNumber(const node& n, unsigned index, int sub);

/// Lookup texts for numbers: "0x" + four upper-case hexadecimal digits, and "0x" + the
/// sub-index in upper-case hexadecimal without leading zeros.
std::string indexText(unsigned index);
std::string subText(unsigned sub);

} // namespace busmason::model
