#pragma once

#include "core/model/network.h"
#include "core/model/node.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace busmason::output::fixtures {

/// An entry [index] or [index"sub"sub] of the given data type.
model::object_dict entry(std::string index, std::string sub = "-1", int dataType = 0x07);

/// A new node at address with the entries (indexed for lookups) and the identity texts.
model::node& addNode(model::Network& net, int address, std::vector<model::object_dict> entries,
                     std::string deviceType = "0x191", std::string vendorId = "76",
                     std::string productCode = "");

/// The first entry of n with that index and sub-index text.
model::object_dict& entryOf(model::node& n, const std::string& index,
                            const std::string& sub = "-1");

/// Marks the entry as mapped into a PDO (pdoKind 2 receive, 1 transmit) at a position.
void mapEntry(model::object_dict& e, int varType, int pdoKind, int pdoNumber, int position);
/// Marks the entry as exchanged by SDO with variables of varType.
void sdoEntry(model::object_dict& e, int varType);
/// Appends a variable to the entry.
void addVariable(model::object_dict& e, std::string name, int shift = 0);

/// Bytes from a list of byte values.
std::string bytes(std::initializer_list<int> values);

} // namespace busmason::output::fixtures
