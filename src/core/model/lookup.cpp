#include "core/model/lookup.h"

#include "core/model/numbers.h"
#include "core/util/text.h"

#include <algorithm>

namespace busmason::model {

namespace {

/// "0x" + text equals wanted, ignoring case.
bool prefixedEquals(std::string_view text, std::string_view wanted) {
    return wanted.size() == text.size() + 2 && util::istartsWith(wanted, "0x") &&
           util::iequals(wanted.substr(2), text);
}

/// Position of the first entry whose "0x" + index equals the wanted index text.
EntryId firstOfIndex(const node& n, std::string_view index) {
    if (n.indexedCount == n.objects.size() && index.size() == 6 && util::istartsWith(index, "0x") &&
        util::isHexText(index.substr(2))) {
        const auto value = static_cast<std::uint16_t>(*tryReadInteger(index));
        auto it = std::lower_bound(n.objectIndex.begin(), n.objectIndex.end(), value,
                                   [](const auto& p, std::uint16_t v) { return p.first < v; });
        return it != n.objectIndex.end() && it->first == value ? it->second : kNoEntry;
    }
    for (EntryId id = 0; id < n.objects.size(); ++id) {
        if (prefixedEquals(n.objects[id].index, index)) {
            return id;
        }
    }
    return kNoEntry;
}

} // namespace

EntryId findEntryId(const node& n, std::string_view index, std::string_view sub) {
    const EntryId main = firstOfIndex(n, index);
    if (main == kNoEntry) {
        return kNoEntry;
    }
    const object_dict& m = n.objects[main];
    if (m.SubNumber == -1 && (sub == "0x0" || sub == "0x00")) {
        return main;
    }
    if (sub == "-1") {
        return main;
    }
    for (EntryId id = main + 1; id < n.objects.size(); ++id) {
        const object_dict& e = n.objects[id];
        // An entry of another object ends the walk, even when its sub-index text matches.
        if (!prefixedEquals(e.index, index)) {
            return kNoEntry;
        }
        const bool matches = util::istartsWith(e.subindex, "0x") ? util::iequals(e.subindex, sub)
                                                                 : prefixedEquals(e.subindex, sub);
        if (matches) {
            return id;
        }
    }
    return kNoEntry;
}

object_dict* findEntry(node& n, std::string_view index, std::string_view sub) {
    const EntryId id = findEntryId(n, index, sub);
    return id == kNoEntry ? nullptr : &n.objects[id];
}

const object_dict* findEntry(const node& n, std::string_view index, std::string_view sub) {
    const EntryId id = findEntryId(n, index, sub);
    return id == kNoEntry ? nullptr : &n.objects[id];
}

EntryId findEntryIdByNumber(const node& n, unsigned index, int sub) {
    const std::string idx = indexText(index);
    const EntryId main = firstOfIndex(n, idx);
    if (main == kNoEntry) {
        return kNoEntry;
    }
    const object_dict& m = n.objects[main];
    if (sub < 0 || (sub == 0 && m.SubNumber == -1)) {
        return main;
    }
    for (EntryId id = main + 1; id < n.objects.size(); ++id) {
        const object_dict& e = n.objects[id];
        if (!prefixedEquals(e.index, idx)) {
            return kNoEntry;
        }
        if (subIndexNumber(e) == sub) {
            return id;
        }
    }
    return kNoEntry;
}

std::string indexText(unsigned index) {
    return "0x" + util::hexUpper(index, 4);
}

std::string subText(unsigned sub) {
    return "0x" + util::hexUpper(sub);
}

} // namespace busmason::model
