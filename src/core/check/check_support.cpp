#include "core/check/check_support.h"

#include "core/model/data_types.h"
#include "core/model/numbers.h"
#include "core/util/text.h"

#include <array>

namespace busmason::check {

std::vector<UsedPdo> usedPdos(const model::node& n, std::span<const output::Variable> variables) {
    // Receive PDOs 1 to 16, then transmit PDOs 1 to 16.
    std::array<UsedPdo, 2 * kPdosPerDirection> byNumber;
    bool any = false;
    for (const output::Variable& v : variables) {
        const model::object_dict& e = *v.entry;
        if (v.slot != 0 || !v.isPdo() || e.pdoNumber < 1 || e.pdoNumber > kPdosPerDirection) {
            continue;
        }
        const bool receive = v.isOutput();
        UsedPdo& pdo =
            byNumber[static_cast<std::size_t>((receive ? 0 : kPdosPerDirection) + e.pdoNumber - 1)];
        pdo.direction = receive ? PdoDirection::Receive : PdoDirection::Transmit;
        pdo.pdo = e.pdoNumber;
        pdo.entries.push_back(n.idOf(e));
        pdo.bits += model::bitsOf(e.DataType);
        any = true;
    }
    std::vector<UsedPdo> out;
    if (any) {
        for (UsedPdo& pdo : byNumber) {
            if (!pdo.entries.empty()) {
                out.push_back(std::move(pdo));
            }
        }
    }
    return out;
}

unsigned communicationIndex(PdoDirection direction, int pdo) {
    return (direction == PdoDirection::Receive ? 0x1400u : 0x1800u) +
           static_cast<unsigned>(pdo - 1);
}

unsigned mappingIndex(PdoDirection direction, int pdo) {
    return (direction == PdoDirection::Receive ? 0x1600u : 0x1A00u) +
           static_cast<unsigned>(pdo - 1);
}

std::string pdoName(PdoDirection direction, int pdo) {
    return std::string(direction == PdoDirection::Receive ? "receive" : "transmit") + " PDO " +
           std::to_string(pdo);
}

std::string nodeName(const model::node& n) {
    return "node " + std::to_string(n.address) + " (" + n.fileInfo.FileName + ")";
}

std::string objectText(unsigned index) {
    return "0x" + util::hexUpper(index, 4);
}

std::string objectText(unsigned index, int sub) {
    return objectText(index) + ":" + util::hexUpper(static_cast<unsigned>(sub), 2);
}

std::optional<std::int64_t> evaluateValue(std::string_view text, int address) {
    if (const auto comment = text.find(';'); comment != std::string_view::npos) {
        text = text.substr(0, comment);
    }
    text = util::trim(text);
    if (const auto plain = model::tryReadInteger(text)) {
        return plain;
    }
    std::int64_t sum = 0;
    bool any = false;
    while (!text.empty()) {
        const auto plus = text.find('+');
        const std::string_view term = util::trim(text.substr(0, plus));
        text = plus == std::string_view::npos ? std::string_view{} : text.substr(plus + 1);
        if (util::iequals(term, "$NODEID")) {
            sum += address;
        } else if (const auto v = model::tryReadInteger(term)) {
            sum += *v;
        } else {
            return std::nullopt;
        }
        any = true;
    }
    return any ? std::optional<std::int64_t>(sum) : std::nullopt;
}

const model::record* lastWriteTo(const model::node& n, model::EntryId id) {
    for (auto it = n.sdoRecords.rbegin(); it != n.sdoRecords.rend(); ++it) {
        if (it->target == id) {
            return &*it;
        }
    }
    return nullptr;
}

std::optional<std::int64_t> effectiveValue(const model::node& n, model::EntryId id) {
    if (id >= n.objects.size()) {
        return std::nullopt;
    }
    if (const model::record* r = lastWriteTo(n, id)) {
        return evaluateValue(r->data, n.address);
    }
    return evaluateValue(n.entry(id).DefaultValue, n.address);
}

std::optional<unsigned> indexNumber(const model::object_dict& e) {
    if (e.index.empty() || e.index.size() > 4 || !util::isHexText(e.index)) {
        return std::nullopt;
    }
    return static_cast<unsigned>(std::stoul(e.index, nullptr, 16));
}

model::Diagnostic finding(std::string_view code, model::Severity severity, int node,
                          std::string object, std::string message) {
    model::Diagnostic d;
    d.severity = severity;
    d.code = std::string(code);
    d.node = node;
    d.object = std::move(object);
    d.message = std::move(message);
    return d;
}

std::string joinList(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            out += i + 1 == items.size() ? " and " : ", ";
        }
        out += items[i];
    }
    return out;
}

} // namespace busmason::check
