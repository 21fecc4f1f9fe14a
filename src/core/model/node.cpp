#include "core/model/node.h"

#include "core/model/errors.h"
#include "core/model/numbers.h"
#include "core/util/text.h"

#include <algorithm>

namespace busmason::model {

namespace {
const std::string kEmpty;
}

const std::string& object_dict::varName(std::size_t i) const {
    return i < varNames.size() ? varNames[i] : kEmpty;
}

void object_dict::setVarName(std::size_t i, std::string value) {
    if (i >= static_cast<std::size_t>(kMaxVariables)) {
        throw LimitError("at most " + std::to_string(kMaxVariables) + " variables per entry (" +
                         describeEntry(*this) + ")");
    }
    if (varNames.size() <= i) {
        varNames.resize(i + 1);
    }
    varNames[i] = std::move(value);
}

int object_dict::shift(std::size_t i) const {
    return i < shifts.size() ? shifts[i] : 0;
}

void object_dict::setShift(std::size_t i, int value) {
    if (i >= static_cast<std::size_t>(kMaxVariables)) {
        throw LimitError("at most " + std::to_string(kMaxVariables) + " variables per entry (" +
                         describeEntry(*this) + ")");
    }
    if (shifts.size() <= i) {
        shifts.resize(i + 1, 0);
    }
    shifts[i] = value;
}

void object_dict::removeVariable(std::size_t i) {
    if (i >= static_cast<std::size_t>(varCount)) {
        return;
    }
    if (i < varNames.size()) {
        varNames.erase(varNames.begin() + static_cast<std::ptrdiff_t>(i));
    }
    if (i < shifts.size()) {
        shifts.erase(shifts.begin() + static_cast<std::ptrdiff_t>(i));
    }
    --varCount;
}

void object_dict::addValue(std::string value) {
    if (values.size() >= static_cast<std::size_t>(kMaxValues)) {
        throw LimitError("at most " + std::to_string(kMaxValues) + " values per entry (" +
                         describeEntry(*this) + ")");
    }
    values.push_back(std::move(value));
}

void node::addRecord(std::string data, EntryId target) {
    if (sdoRecords.size() >= static_cast<std::size_t>(kMaxSdoRecords)) {
        throw LimitError("at most " + std::to_string(kMaxSdoRecords) +
                         " start-up writes per node (node " + std::to_string(address) + ")");
    }
    sdoRecords.push_back(record{std::move(data), target});
}

int subIndexNumber(const object_dict& e) {
    if (!e.isSubEntry()) {
        return -1;
    }
    std::string_view s = e.subindex;
    if (util::istartsWith(s, "0x")) {
        s.remove_prefix(2);
    }
    if (s.empty() || s.size() > 4 || !util::isHexText(s)) {
        return -1;
    }
    int v = 0;
    for (const char c : s) {
        v = v * 16 + (c <= '9' ? c - '0' : util::toLowerAscii(c) - 'a' + 10);
    }
    return v;
}

void indexObjects(node& n) {
    n.objectIndex.clear();
    for (EntryId id = 0; id < n.objects.size(); ++id) {
        const std::string& idx = n.objects[id].index;
        if (idx.size() == 4 && util::isHexText(idx)) {
            n.objectIndex.emplace_back(static_cast<std::uint16_t>(std::stoul(idx, nullptr, 16)),
                                       id);
        }
    }
    // Stable: the first entry of an index stays first.
    std::stable_sort(n.objectIndex.begin(), n.objectIndex.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    n.objectIndex.erase(
        std::unique(n.objectIndex.begin(), n.objectIndex.end(),
                    [](const auto& a, const auto& b) { return a.first == b.first; }),
        n.objectIndex.end());
    n.indexedCount = n.objects.size();
}

std::string objectKey(const object_dict& e) {
    if (!e.isSubEntry()) {
        return e.index;
    }
    const std::size_t x = e.subindex.find('x');
    const std::string part =
        x == std::string::npos ? e.subindex.substr(0, 2) : e.subindex.substr(x + 1, 2);
    return e.index + "." + part;
}

std::string describeEntry(const object_dict& e) {
    std::string out = "0x" + util::toUpper(e.index);
    if (e.isSubEntry()) {
        std::string_view sub = e.subindex;
        if (util::istartsWith(sub, "0x")) {
            sub.remove_prefix(2);
        }
        if (auto v = tryReadInteger("0x" + std::string(sub))) {
            out += ":" + util::hexUpper(static_cast<unsigned long long>(*v), 2);
        } else {
            out += ":" + std::string(sub);
        }
    }
    return out;
}

std::unique_ptr<node> cloneNode(const node& n) {
    auto copy = std::make_unique<node>();
    copy->fileInfo = n.fileInfo;
    copy->deviceInfo = n.deviceInfo;
    copy->vendorId = n.vendorId;
    copy->deviceType = n.deviceType;
    copy->productCode = n.productCode;
    copy->address = n.address;
    copy->virtual_ = n.virtual_;
    copy->ngDisabled = n.ngDisabled;
    copy->objects = n.objects;
    copy->sdoRecords = n.sdoRecords;
    if (n.coupler) {
        copy->coupler = std::make_unique<coupler_info>(*n.coupler);
    }
    copy->objectIndex = n.objectIndex;
    copy->indexedCount = n.indexedCount;
    return copy;
}

} // namespace busmason::model
