#pragma once

#include "core/check/network_check.h"
#include "core/model/errors.h"
#include "core/model/network.h"
#include "core/nodeconfig/pdo_layout.h"
#include "core/output/variables.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::check {

using nodeconfig::PdoDirection;

inline constexpr int kPredefinedPdos = 4;
inline constexpr int kPdosPerDirection = 16;
/// Bits one CAN data frame carries.
inline constexpr int kFrameDataBits = 64;
/// COB-ID bits: invalid (PDO not in use), extended 29-bit identifier.
inline constexpr std::uint32_t kCobIdInvalid = 0x80000000u;
inline constexpr std::uint32_t kCobIdExtended = 0x20000000u;

/// A PDO of a node that placed variables use.
struct UsedPdo {
    PdoDirection direction = PdoDirection::Receive;
    /// 1 to 16.
    int pdo = 0;
    /// The entries mapped into it, in the node's list order.
    std::vector<model::EntryId> entries;
    /// The bits they take, from their data types.
    int bits = 0;
};

/// The PDOs the node's variables (its part of the network's variables, in their order) use:
/// entries carrying variables with a pdoKind above 0 (2 a receive PDO, any other a transmit
/// PDO, as the I/O map reads it) and a PDO number 1 to 16. Receive PDOs first, each direction
/// by number.
std::vector<UsedPdo> usedPdos(const model::node& n, std::span<const output::Variable> variables);

/// 0x1400 + pdo - 1 (receive) or 0x1800 + pdo - 1 (transmit).
unsigned communicationIndex(PdoDirection direction, int pdo);
/// 0x1600 + pdo - 1 (receive) or 0x1A00 + pdo - 1 (transmit).
unsigned mappingIndex(PdoDirection direction, int pdo);

/// "receive PDO 5", "transmit PDO 1".
std::string pdoName(PdoDirection direction, int pdo);

/// "node 3 (KM110.eds)".
std::string nodeName(const model::node& n);

/// "0x1804" and "0x1804:01" for objects that may be missing from a node.
std::string objectText(unsigned index);
std::string objectText(unsigned index, int sub);

/// A value as EDS files and start-up writes give it: an integer in the notations the build
/// reads, or a sum of such integers and "$NODEID" (any letter case) as EDS default values write
/// COB-IDs ("$NODEID+0x180"); blanks around the terms and a comment after ";" are ignored.
/// None when the text is none of these.
std::optional<std::int64_t> evaluateValue(std::string_view text, int address);

/// The last start-up write of the node to entry id, or nullptr.
const model::record* lastWriteTo(const model::node& n, model::EntryId id);

/// The value an entry holds when the controller has made its writes: the last write's value,
/// else the EDS default, evaluated for the node's address; none when neither reads.
std::optional<std::int64_t> effectiveValue(const model::node& n, model::EntryId id);

/// The object index of an entry as a number, or none when its index text is not hexadecimal.
std::optional<unsigned> indexNumber(const model::object_dict& e);

/// A finding of the check.
model::Diagnostic finding(std::string_view code, model::Severity severity, int node,
                          std::string object, std::string message);

/// "a", "a and b", "a, b and c".
std::string joinList(const std::vector<std::string>& items);

/// The rules, each adding its findings.
void checkCobIds(const model::Network& net, std::vector<model::Diagnostic>& out);
void checkPdos(const model::node& n, const std::vector<UsedPdo>& used,
               std::vector<model::Diagnostic>& out);
void checkWrites(const model::node& n, std::vector<model::Diagnostic>& out);
void checkDeclarations(const model::Network& net, const std::vector<output::Variable>& variables,
                       std::vector<model::Diagnostic>& out);
/// The PDOs in use of each node, by address (1 to 127).
using UsedPdosByAddress = std::array<std::vector<UsedPdo>, model::kMaxNodes + 1>;
/// The load, and its finding when it is above the warning level.
std::optional<BusLoad> measureBusLoad(const model::Network& net, const UsedPdosByAddress& used,
                                      std::vector<model::Diagnostic>& out);

} // namespace busmason::check
