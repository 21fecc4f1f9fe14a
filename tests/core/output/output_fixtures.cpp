#include "output_fixtures.h"

#include <memory>
#include <stdexcept>

namespace busmason::output::fixtures {

model::object_dict entry(std::string index, std::string sub, int dataType) {
    model::object_dict e;
    e.index = std::move(index);
    e.subindex = std::move(sub);
    e.name = e.isSubEntry() ? e.index + "sub" + e.subindex : e.index;
    e.DataType = dataType;
    return e;
}

model::node& addNode(model::Network& net, int address, std::vector<model::object_dict> entries,
                     std::string deviceType, std::string vendorId, std::string productCode) {
    auto n = std::make_unique<model::node>();
    n->objects = std::move(entries);
    n->deviceType = std::move(deviceType);
    n->vendorId = std::move(vendorId);
    n->productCode = std::move(productCode);
    model::indexObjects(*n);
    net.put(address, std::move(n));
    return *net.at(address);
}

model::object_dict& entryOf(model::node& n, const std::string& index, const std::string& sub) {
    for (auto& e : n.objects) {
        if (e.index == index && e.subindex == sub) {
            return e;
        }
    }
    throw std::logic_error("no entry " + index + " " + sub + " in the fixture");
}

void mapEntry(model::object_dict& e, int varType, int pdoKind, int pdoNumber, int position) {
    e.varType = varType;
    e.pdoKind = pdoKind;
    e.pdoNumber = pdoNumber;
    e.object = position;
    e.pdoMapped = true;
    e.configured = true;
}

void sdoEntry(model::object_dict& e, int varType) {
    e.varType = varType;
    e.pdoKind = 0;
    e.pdoMapped = false;
    e.configured = true;
}

void addVariable(model::object_dict& e, std::string name, int shift) {
    const auto slot = static_cast<std::size_t>(e.varCount);
    e.setVarName(slot, std::move(name));
    e.setShift(slot, shift);
    ++e.varCount;
}

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out.push_back(static_cast<char>(v));
    }
    return out;
}

} // namespace busmason::output::fixtures
