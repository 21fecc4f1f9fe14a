#include "core/check/check_support.h"

#include "core/model/data_types.h"
#include "core/model/lookup.h"
#include "core/util/text.h"

#include <algorithm>

namespace busmason::check {

namespace {

using model::Severity;

/// Highest sub-index of a mapping object.
constexpr int kMaxMappedObjects = 0x40;

std::string entriesText(const model::node& n, const UsedPdo& used, bool withBits) {
    std::vector<std::string> names;
    for (const model::EntryId id : used.entries) {
        const model::object_dict& e = n.entry(id);
        names.push_back(model::describeEntry(e) +
                        (withBits ? " (" + std::to_string(model::bitsOf(e.DataType)) + " bits)"
                                  : std::string()));
    }
    return joinList(names);
}

/// The entry stands in a slot of the PDO in the standard layout of its direction.
bool placedByLayout(const model::object_dict& e, PdoDirection direction, int pdo) {
    const auto index = indexNumber(e);
    const int sub = model::subIndexNumber(e);
    if (!index || sub < 0) {
        return false;
    }
    const nodeconfig::PdoLayout& layout = nodeconfig::pdoLayout(direction);
    return std::any_of(layout.begin(), layout.end(), [&](const nodeconfig::PdoSlot& s) {
        return s.pdo == pdo &&
               ((s.analogBits > 0 && s.analogIndex == *index && s.analogSub == sub) ||
                (s.digitalBits > 0 && s.digitalIndex == *index && s.digitalSub == sub));
    });
}

void checkLength(const model::node& n, const UsedPdo& used, std::vector<model::Diagnostic>& out) {
    if (used.bits <= kFrameDataBits) {
        return;
    }
    const std::string advice = n.coupler ? "place the coupler's digital terminals before its "
                                           "analogue ones, or use fewer channels"
                                         : "unmap some of these entries";
    out.push_back(finding(
        kPdoLength, Severity::Error, n.address, objectText(mappingIndex(used.direction, used.pdo)),
        pdoName(used.direction, used.pdo) + " of node " + std::to_string(n.address) + " maps " +
            std::to_string(used.bits) + " bits: " + entriesText(n, used, true) +
            "; a CAN frame carries at most 64 bits, so no PDO can hold them: " + advice));
}

/// False when the device lacks the PDO (and says so in out).
bool checkPresence(const model::node& n, const UsedPdo& used, std::vector<model::Diagnostic>& out) {
    const unsigned comm = communicationIndex(used.direction, used.pdo);
    const unsigned mapping = mappingIndex(used.direction, used.pdo);
    std::vector<std::string> reasons;
    if (model::findEntryIdByNumber(n, comm, -1) == model::kNoEntry) {
        reasons.push_back("no communication object " + objectText(comm));
    }
    if (model::findEntryIdByNumber(n, mapping, -1) == model::kNoEntry) {
        reasons.push_back("no mapping object " + objectText(mapping));
    }
    const bool receive = used.direction == PdoDirection::Receive;
    const int count = receive ? n.deviceInfo.NrOfRXPDO : n.deviceInfo.NrOfTXPDO;
    if (used.pdo > count) {
        reasons.push_back(std::string("only ") + std::to_string(count) + " " +
                          (receive ? "receive" : "transmit") + " PDOs (" +
                          (receive ? "NrOfRXPDO" : "NrOfTXPDO") + "=" + std::to_string(count) +
                          ")");
    }
    if (reasons.empty()) {
        return true;
    }
    const std::string advice =
        n.coupler ? "use fewer channels in this direction on the coupler" : "unmap these entries";
    out.push_back(finding(kMissingPdo, Severity::Error, n.address, objectText(comm),
                          pdoName(used.direction, used.pdo) + " of node " +
                              std::to_string(n.address) + " holds " + entriesText(n, used, false) +
                              ", but the device does not have it: its EDS lists " +
                              joinList(reasons) + "; " + advice));
    return false;
}

/// A predefined PDO in use whose COB-ID is marked invalid, by the EDS default or by a write.
void checkEnabled(const model::node& n, const UsedPdo& used, std::vector<model::Diagnostic>& out) {
    if (used.pdo > kPredefinedPdos) {
        return;
    }
    const model::EntryId cob =
        model::findEntryIdByNumber(n, communicationIndex(used.direction, used.pdo), 1);
    const auto value = cob == model::kNoEntry ? std::nullopt : effectiveValue(n, cob);
    if (!value || !(static_cast<std::uint32_t>(*value) & kCobIdInvalid)) {
        return;
    }
    const std::string object = model::describeEntry(n.entry(cob));
    const std::string source =
        lastWriteTo(n, cob) ? "the start-up write to " + object : "the EDS default of " + object;
    const std::string enable =
        "0x" + util::hexUpper(nodeconfig::pdoCobId(used.pdo - 1, used.direction, n.address), 3);
    out.push_back(
        finding(kDisabledPdo, Severity::Warning, n.address, object,
                pdoName(used.direction, used.pdo) + " of node " + std::to_string(n.address) +
                    " holds " + entriesText(n, used, false) + ", but its COB-ID 0x" +
                    util::hexUpper(static_cast<std::uint32_t>(*value), 8) + " (" + source +
                    ") marks the PDO invalid, so the device will neither send nor take it: write " +
                    enable + " to " + object + " at start-up"));
}

/// The device's default mapping against the layout's positions. Returns false when the EDS
/// gives no mapping values for the PDO at all.
bool checkDefaultMapping(const model::node& n, const UsedPdo& used,
                         std::vector<model::Diagnostic>& out) {
    const unsigned mapping = mappingIndex(used.direction, used.pdo);
    std::vector<model::EntryId> placed;
    for (const model::EntryId id : used.entries) {
        if (placedByLayout(n.entry(id), used.direction, used.pdo) && n.entry(id).object >= 1) {
            placed.push_back(id);
        }
    }
    if (placed.empty()) {
        return true;
    }
    bool anyValue = false;
    for (int s = 1; s <= kMaxMappedObjects && !anyValue; ++s) {
        const model::EntryId id = model::findEntryIdByNumber(n, mapping, s);
        if (id != model::kNoEntry) {
            const auto v = evaluateValue(n.entry(id).DefaultValue, n.address);
            anyValue = v && *v != 0;
        }
    }
    if (!anyValue) {
        return false;
    }
    const model::EntryId countEntry = model::findEntryIdByNumber(n, mapping, 0);
    // The number of objects the device maps by default, or -1 when the EDS does not say.
    std::int64_t count = -1;
    if (countEntry != model::kNoEntry) {
        count = evaluateValue(n.entry(countEntry).DefaultValue, n.address).value_or(-1);
    }
    std::stable_sort(placed.begin(), placed.end(), [&](model::EntryId x, model::EntryId y) {
        return n.entry(x).object < n.entry(y).object;
    });

    std::vector<std::string> differences;
    for (const model::EntryId id : placed) {
        const model::object_dict& e = n.entry(id);
        const int position = e.object;
        const model::EntryId deviceId = model::findEntryIdByNumber(n, mapping, position);
        std::string device;
        if (count >= 0 && count < position) {
            device = "nothing (it maps " + std::to_string(count) + " objects)";
        } else if (deviceId == model::kNoEntry) {
            device = "nothing (there is no " + objectText(mapping, position) + ")";
        } else {
            const model::object_dict& m = n.entry(deviceId);
            const auto v = evaluateValue(m.DefaultValue, n.address);
            if (!v || *v == 0) {
                device = "nothing";
            } else if (m.link == id) {
                continue;
            } else if (m.link != model::kNoEntry) {
                device = model::describeEntry(n.entry(m.link));
            } else {
                device = m.DefaultValue + " (an object its EDS does not have)";
            }
        }
        differences.push_back("position " + std::to_string(position) + " holds " +
                              model::describeEntry(e) + ", the device maps " + device + " there");
    }
    if (!differences.empty()) {
        const bool receive = used.direction == PdoDirection::Receive;
        out.push_back(
            finding(kDeviceMapping, Severity::Warning, n.address, objectText(mapping),
                    pdoName(used.direction, used.pdo) + " of node " + std::to_string(n.address) +
                        " is placed by the standard layout, but the device's default mapping (" +
                        objectText(mapping) + ") differs: " + joinList(differences) + "; " +
                        (receive ? "the device will take other data than the controller writes"
                                 : "the controller will read other data than the device sends") +
                        ": map the layout's objects with start-up writes to " +
                        objectText(mapping) + ", or check the device's manual"));
    }
    return true;
}

} // namespace

void checkPdos(const model::node& n, const std::vector<UsedPdo>& usedByNode,
               std::vector<model::Diagnostic>& out) {
    std::vector<std::string> withoutValues;
    std::string firstWithout;
    for (const UsedPdo& used : usedByNode) {
        checkLength(n, used, out);
        if (!checkPresence(n, used, out)) {
            continue;
        }
        checkEnabled(n, used, out);
        if (used.pdo <= kPredefinedPdos && !checkDefaultMapping(n, used, out)) {
            const std::string mapping = objectText(mappingIndex(used.direction, used.pdo));
            withoutValues.push_back(pdoName(used.direction, used.pdo) + " (" + mapping + ")");
            if (firstWithout.empty()) {
                firstWithout = mapping;
            }
        }
    }
    if (!withoutValues.empty()) {
        out.push_back(finding(kNoDefaultMapping, Severity::Note, n.address,
                              withoutValues.size() == 1 ? firstWithout : std::string(),
                              "the EDS of " + nodeName(n) + " gives no default mapping for " +
                                  joinList(withoutValues) +
                                  ": whether the device sends and takes its data where the "
                                  "standard layout places it cannot be checked; see the "
                                  "device's manual"));
    }
}

} // namespace busmason::check
