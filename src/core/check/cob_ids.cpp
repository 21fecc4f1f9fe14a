#include "core/check/check_support.h"

#include "core/model/lookup.h"
#include "core/util/text.h"

#include <algorithm>

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

/// The identifier a PDO of the node uses, or none when the PDO is not in use: a start-up write
/// of its COB-ID sets it; otherwise a predefined PDO (1 to 4) whose communication object the
/// EDS has is in use with the predefined COB-ID unless its default COB-ID is marked invalid.
std::optional<CobUser> pdoUser(const model::node& n, PdoDirection direction, int pdo) {
    const unsigned comm = communicationIndex(direction, pdo);
    const model::EntryId cobEntry = model::findEntryIdByNumber(n, comm, 1);
    CobUser user;
    user.node = n.address;
    user.what = pdoName(direction, pdo) + " of node " + std::to_string(n.address);
    if (cobEntry != model::kNoEntry) {
        user.object = model::describeEntry(n.entry(cobEntry));
        if (const model::record* write = lastWriteTo(n, cobEntry)) {
            // A write the build cannot read is reported with the writes.
            const auto value = evaluateValue(write->data, n.address);
            if (!value || (static_cast<std::uint32_t>(*value) & kCobIdInvalid)) {
                return std::nullopt;
            }
            user.id = identifierOf(*value);
            user.written = true;
            user.what += " (" + user.object + ")";
            return user;
        }
    }
    if (pdo > kPredefinedPdos || model::findEntryIdByNumber(n, comm, -1) == model::kNoEntry) {
        return std::nullopt;
    }
    if (cobEntry != model::kNoEntry) {
        const auto fallback = evaluateValue(n.entry(cobEntry).DefaultValue, n.address);
        if (fallback && (static_cast<std::uint32_t>(*fallback) & kCobIdInvalid)) {
            return std::nullopt;
        }
    }
    user.id = nodeconfig::pdoCobId(pdo - 1, direction, n.address);
    return user;
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
        for (const PdoDirection direction : {PdoDirection::Transmit, PdoDirection::Receive}) {
            for (int pdo = 1; pdo <= kPdosPerDirection; ++pdo) {
                if (auto user = pdoUser(n, direction, pdo)) {
                    users.push_back(std::move(*user));
                }
            }
        }
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
