#include "core/check/check_support.h"

#include "core/model/lookup.h"
#include "core/util/text.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace busmason::check {

namespace {

/// One user of a CAN identifier.
struct CobUser {
    /// The identifier, with kCobIdExtended for a 29-bit one.
    std::uint32_t id = 0;
    int node = 0;
    /// "transmit PDO 5 of node 1 (0x1804:01)".
    std::string what;
    /// The object that sets the identifier, when there is one.
    std::string object;
    /// A start-up write sets it (rather than the predefined connection set).
    bool written = false;
};

std::uint32_t identifierOf(std::int64_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return (v & kCobIdExtended) ? (v & 0x1FFFFFFFu) | kCobIdExtended : v & 0x7FFu;
}

/// The PDO whose COB-ID an entry holds (sub-index 1 of a communication object), or none.
std::optional<std::pair<PdoDirection, int>> cobIdOf(const model::object_dict& e) {
    // Communication objects are 14xx, 15xx, 18xx and 19xx.
    if (e.index.size() != 4 || e.index[0] != '1' ||
        std::string_view("4589").find(e.index[1]) == std::string_view::npos) {
        return std::nullopt;
    }
    const auto index = indexNumber(e);
    if (!index || model::subIndexNumber(e) != 1) {
        return std::nullopt;
    }
    if (*index >= 0x1400 && *index <= 0x15FF) {
        return std::pair{PdoDirection::Receive, static_cast<int>(*index - 0x1400 + 1)};
    }
    if (*index >= 0x1800 && *index <= 0x19FF) {
        return std::pair{PdoDirection::Transmit, static_cast<int>(*index - 0x1800 + 1)};
    }
    return std::nullopt;
}

/// The users of the node's PDOs: a start-up write of a PDO's COB-ID sets it (the last such
/// write); a predefined PDO (1 to 4) without one whose communication object the EDS has is in
/// use with the predefined COB-ID unless its default COB-ID is marked invalid.
void pdoUsers(const model::node& n, std::vector<CobUser>& users) {
    std::map<std::pair<PdoDirection, int>, const model::record*> written;
    for (const model::record& r : n.sdoRecords) {
        if (r.target < n.objects.size()) {
            if (const auto pdo = cobIdOf(n.entry(r.target))) {
                written[*pdo] = &r;
            }
        }
    }
    const auto what = [&](PdoDirection direction, int pdo) {
        return pdoName(direction, pdo) + " of node " + std::to_string(n.address);
    };
    for (const auto& [pdo, write] : written) {
        // A write the build cannot read is reported with the writes.
        const auto value = evaluateValue(write->data, n.address);
        if (value && !(static_cast<std::uint32_t>(*value) & kCobIdInvalid)) {
            const std::string object = model::describeEntry(n.entry(write->target));
            users.push_back({identifierOf(*value), n.address,
                             what(pdo.first, pdo.second) + " (" + object + ")", object, true});
        }
    }
    for (const PdoDirection direction : {PdoDirection::Transmit, PdoDirection::Receive}) {
        for (int pdo = 1; pdo <= kPredefinedPdos; ++pdo) {
            const unsigned comm = communicationIndex(direction, pdo);
            if (written.count({direction, pdo}) ||
                model::findEntryIdByNumber(n, comm, -1) == model::kNoEntry) {
                continue;
            }
            const model::EntryId cob = model::findEntryIdByNumber(n, comm, 1);
            if (cob != model::kNoEntry) {
                const auto fallback = evaluateValue(n.entry(cob).DefaultValue, n.address);
                if (fallback && (static_cast<std::uint32_t>(*fallback) & kCobIdInvalid)) {
                    continue;
                }
            }
            users.push_back(
                {nodeconfig::pdoCobId(pdo - 1, direction, n.address), n.address,
                 what(direction, pdo),
                 cob == model::kNoEntry ? std::string() : model::describeEntry(n.entry(cob)),
                 false});
        }
    }
}

std::string hexId(std::uint32_t id) {
    const bool extended = id & kCobIdExtended;
    return "0x" + util::hexUpper(id & ~kCobIdExtended, extended ? 8 : 3) +
           (extended ? " (29-bit)" : "");
}

} // namespace

void checkCobIds(const model::Network& net, std::vector<model::Diagnostic>& out) {
    std::vector<CobUser> users;
    users.push_back({0x000, 0, "the controller's NMT commands", {}, false});
    if (net.parameters.enableSync) {
        users.push_back({0x080, 0, "the controller's SYNC", {}, false});
    }
    net.forEachNode([&](const model::node& n) {
        const int a = n.address;
        const auto fixed = [&](std::uint32_t base, std::string what) {
            users.push_back({base + static_cast<std::uint32_t>(a),
                             a,
                             what + " of node " + std::to_string(a),
                             {},
                             false});
        };
        fixed(0x080, "the emergency messages");
        pdoUsers(n, users);
        fixed(0x580, "the SDO answers");
        fixed(0x600, "the SDO requests");
        fixed(0x700, "the node guarding");
    });
    std::stable_sort(users.begin(), users.end(),
                     [](const CobUser& x, const CobUser& y) { return x.id < y.id; });

    for (auto first = users.begin(); first != users.end();) {
        auto last =
            std::find_if(first, users.end(), [&](const CobUser& u) { return u.id != first->id; });
        if (last - first >= 2) {
            // The finding goes to a user the tool's own writes made, else to the last one.
            auto reported =
                std::find_if(std::make_reverse_iterator(last), std::make_reverse_iterator(first),
                             [](const CobUser& u) { return u.written; });
            const CobUser& at =
                reported != std::make_reverse_iterator(first) ? *reported : *(last - 1);
            std::vector<std::string> names;
            for (auto it = first; it != last; ++it) {
                names.push_back(it->what);
            }
            std::string advice = "move one of the nodes to another address";
            if (at.written) {
                advice += ", or write another COB-ID to " + at.object;
            }
            out.push_back(finding(kCobIdCollision, model::Severity::Error, at.node, at.object,
                                  "COB-ID " + hexId(first->id) + " is used by " + joinList(names) +
                                      "; frames of one identifier from two senders collide "
                                      "on the bus: " +
                                      advice));
        }
        first = last;
    }
}

} // namespace busmason::check
