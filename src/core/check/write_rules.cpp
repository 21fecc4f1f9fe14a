#include "core/check/check_support.h"

#include "core/model/data_types.h"
#include "core/model/numbers.h"
#include "core/util/text.h"

#include <array>

namespace busmason::check {

namespace {

using model::Severity;

/// Bytes of value a start-up write entry of the network file carries.
constexpr int kWriteValueBytes = 4;

constexpr std::array<std::string_view, 4> kWritableAccess{"rw", "wo", "rww", "rwr"};

bool isWritable(const model::object_dict& e) {
    const std::string access = util::toLower(util::trim(e.AccessType));
    for (const std::string_view a : kWritableAccess) {
        if (access == a) {
            return true;
        }
    }
    return false;
}

/// The signed integer types; their values may also be written as the bit pattern.
bool isSigned(int code) {
    return code == 0x02 || code == 0x03 || code == 0x04 || code == 0x10 ||
           (code >= 0x12 && code <= 0x15);
}

/// The range a value of bits bits may be written in: signed types take their negative values
/// and their bit patterns, the others 0 up. Real32 takes any 32-bit pattern.
std::pair<std::int64_t, std::int64_t> acceptedRange(int code, int bits) {
    const std::int64_t patterns = (std::int64_t{1} << bits) - 1;
    if (isSigned(code) || code == 0x08) {
        return {-(std::int64_t{1} << (bits - 1)), patterns};
    }
    return {0, patterns};
}

/// A value as the device reads it: bit patterns of signed types are their negative values.
std::int64_t asDeviceValue(std::int64_t v, int code, int bits) {
    if (isSigned(code) && bits < 64 && v >= (std::int64_t{1} << (bits - 1))) {
        return v - (std::int64_t{1} << bits);
    }
    return v;
}

std::string writeText(const model::node& n, const model::record& r, const model::object_dict& e) {
    return "the start-up write of '" + r.data + "' to " + model::describeEntry(e) + " of node " +
           std::to_string(n.address);
}

/// Checks the value against the entry's type; false when the type cannot take it at all.
bool checkFit(const model::node& n, const model::record& r, const model::object_dict& e,
              std::int64_t value, std::vector<model::Diagnostic>& out) {
    const model::DataTypeRow* type = model::dataType(e.DataType);
    // 0 when the type has no readable length.
    std::int64_t length = 0;
    if (type) {
        length = model::tryReadInteger(type->length).value_or(0);
    }
    const std::string typeName = type && !type->name.empty()
                                     ? std::string(type->name)
                                     : "data type " + std::to_string(e.DataType);
    if (length <= 0 || type->bits == 0) {
        out.push_back(finding(kValueDoesNotFit, Severity::Error, n.address, model::describeEntry(e),
                              writeText(n, r, e) + " cannot be built: " + typeName +
                                  " has no length a start-up write can carry; remove the write"));
        return false;
    }
    if (length > kWriteValueBytes) {
        const std::string object = model::describeEntry(e);
        out.push_back(finding(kValueDoesNotFit, Severity::Error, n.address, object,
                              writeText(n, r, e) + " cannot be made: " + object + " is " +
                                  typeName + " (" + std::to_string(length) +
                                  " bytes), and a start-up write carries at most 4 bytes; "
                                  "remove the write"));
        return false;
    }
    const auto [low, high] = acceptedRange(e.DataType, type->bits);
    if (value < low || value > high) {
        out.push_back(
            finding(kValueDoesNotFit, Severity::Error, n.address, model::describeEntry(e),
                    writeText(n, r, e) + " does not fit " + typeName + " (" + std::to_string(low) +
                        " to " + std::to_string(high) + "): the network file keeps only its low " +
                        (length == 1 ? std::string("byte") : std::to_string(length) + " bytes") +
                        ", so the device would get another value; write a value that fits"));
        return false;
    }
    return true;
}

void checkLimits(const model::node& n, const model::record& r, const model::object_dict& e,
                 std::int64_t value, std::vector<model::Diagnostic>& out) {
    const int bits = model::bitsOf(e.DataType);
    const std::int64_t v = asDeviceValue(value, e.DataType, bits);
    const auto low = model::tryReadInteger(util::trim(e.LowLimit));
    const auto high = model::tryReadInteger(util::trim(e.HighLimit));
    const bool below = low && v < asDeviceValue(*low, e.DataType, bits);
    const bool above = high && v > asDeviceValue(*high, e.DataType, bits);
    if (!below && !above) {
        return;
    }
    std::string limits;
    if (low) {
        limits += "LowLimit " + e.LowLimit;
    }
    if (high) {
        limits += (limits.empty() ? "" : ", ") + ("HighLimit " + e.HighLimit);
    }
    out.push_back(finding(
        kValueOutsideLimits, Severity::Warning, n.address, model::describeEntry(e),
        writeText(n, r, e) + " is " + (below ? "below" : "above") + " the object's limits (" +
            limits + "): the device may refuse it; write a value within them"));
}

/// The identity values the network file carries: device type and vendor ID must read as
/// integers, the product code too unless the EDS has none.
void checkIdentity(const model::node& n, std::vector<model::Diagnostic>& out) {
    struct Identity {
        const std::string& text;
        const char* what;
        const char* object;
        bool mayBeEmpty;
    };
    for (const Identity& id : {Identity{n.deviceType, "device type", "0x1000", false},
                               Identity{n.vendorId, "vendor ID", "0x1018:01", false},
                               Identity{n.productCode, "product code", "0x1018:02", true}}) {
        if ((id.mayBeEmpty && id.text.empty()) || model::tryReadInteger(id.text)) {
            continue;
        }
        out.push_back(finding(kValueNotInteger, Severity::Error, n.address, id.object,
                              "the " + std::string(id.what) + " '" + id.text + "' of " +
                                  nodeName(n) + ", the DefaultValue of " + id.object +
                                  ", is not an integer, so the build cannot write the node's "
                                  "identity: correct the EDS"));
    }
}

} // namespace

void checkWrites(const model::node& n, std::vector<model::Diagnostic>& out) {
    checkIdentity(n, out);
    for (const model::record& r : n.sdoRecords) {
        if (r.target >= n.objects.size()) {
            continue;
        }
        const model::object_dict& e = n.entry(r.target);
        if (!isWritable(e)) {
            const std::string access =
                e.AccessType.empty() ? "it has no AccessType" : "AccessType " + e.AccessType;
            out.push_back(finding(kNotWritable, Severity::Error, n.address, model::describeEntry(e),
                                  writeText(n, r, e) +
                                      " cannot succeed: the object is not "
                                      "writable (" +
                                      access + "), so the device will refuse it; remove it"));
        }
        const auto value = model::tryReadInteger(r.data);
        if (!value) {
            const auto meant = evaluateValue(r.data, n.address);
            out.push_back(finding(
                kValueNotInteger, Severity::Error, n.address, model::describeEntry(e),
                writeText(n, r, e) + " is not an integer, and the build writes only integers: " +
                    (meant ? "write 0x" + util::hexUpper(static_cast<std::uint64_t>(*meant)) +
                                 ", its value for node " + std::to_string(n.address)
                           : std::string("write a decimal number or 0x and hexadecimal "
                                         "digits"))));
            continue;
        }
        if (checkFit(n, r, e, *value, out)) {
            checkLimits(n, r, e, *value, out);
        }
    }
}

} // namespace busmason::check
