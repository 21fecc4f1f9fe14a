#include "core/output/decode.h"

#include "core/model/node.h"
#include "core/output/io_map.h"
#include "core/util/text.h"

#include <bit>

namespace busmason::output {

namespace {

/// Reads little-endian integers from a byte string, front to back.
class Reader {
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes) {}

    std::size_t offset() const { return m_pos; }
    std::size_t left() const { return m_bytes.size() - m_pos; }

    std::uint32_t take(int size) {
        std::uint32_t v = 0;
        for (int i = 0; i < size; ++i) {
            v |= static_cast<std::uint32_t>(static_cast<unsigned char>(m_bytes[m_pos++]))
                 << (8 * i);
        }
        return v;
    }
    std::string_view takeBytes(std::size_t n) {
        const std::string_view out = m_bytes.substr(m_pos, n);
        m_pos += n;
        return out;
    }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

std::string bytesLeft(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " byte" : " bytes");
}

constexpr std::uint8_t kSizeBits = kKindBit | kKindByte | kKindWord | kKindDword;
constexpr std::uint8_t kExchangeBits = kKindReceivePdo | kKindTransmitPdo | kKindSdo;

} // namespace

DecodedNetworkFile decodeNetworkFile(std::string_view bytes) {
    DecodedNetworkFile file;
    Reader r(bytes);
    if (r.left() < kNetworkHeaderSize) {
        file.problems.push_back({0, true,
                                 "the file ends inside the " + std::to_string(kNetworkHeaderSize) +
                                     "-byte header: " + bytesLeft(r.left()) + " not decoded"});
        return file;
    }
    BusParameters& h = file.header.emplace();
    h.cycleWord = static_cast<std::uint16_t>(r.take(2));
    h.bitRate = static_cast<std::uint16_t>(r.take(2));
    h.channel = static_cast<std::uint8_t>(r.take(1));
    h.guardTime = static_cast<std::uint16_t>(r.take(2));
    h.lifeTime = static_cast<std::uint8_t>(r.take(1));

    int previous = 0;
    while (r.left() > 0) {
        const std::size_t start = r.offset();
        const std::string record = "node record " + std::to_string(file.nodes.size() + 1);
        if (r.left() < kNodeRecordSize) {
            file.problems.push_back({start, true,
                                     "the file ends inside " + record + " (" +
                                         std::to_string(kNodeRecordSize) +
                                         " bytes): " + bytesLeft(r.left()) + " not decoded"});
            break;
        }
        DecodedNode& n = file.nodes.emplace_back();
        n.offset = start;
        n.address = static_cast<std::uint8_t>(r.take(1));
        n.reserved = static_cast<std::uint8_t>(r.take(1));
        n.deviceType = r.take(4);
        n.vendorId = r.take(4);
        n.productCode = r.take(4);
        n.writeCount = static_cast<std::uint16_t>(r.take(2));
        if (n.address < 1 || n.address > model::kMaxNodes) {
            file.problems.push_back({start, false,
                                     record + " has the address " + std::to_string(n.address) +
                                         ", outside 1 to " + std::to_string(model::kMaxNodes)});
        } else if (n.address <= previous) {
            file.problems.push_back({start, false,
                                     record + " (node " + std::to_string(n.address) +
                                         ") does not follow node " + std::to_string(previous) +
                                         " in increasing address"});
        }
        previous = n.address;
        if (n.reserved != 0) {
            file.problems.push_back({start + 1, false,
                                     record + " has " + std::to_string(n.reserved) +
                                         " in the byte after its address, where the build "
                                         "writes 0"});
        }
        for (std::uint16_t i = 0; i < n.writeCount; ++i) {
            if (r.left() < kWriteEntrySize) {
                file.problems.push_back(
                    {r.offset(), true,
                     "the file ends inside start-up write " + std::to_string(i + 1) + " of " +
                         std::to_string(n.writeCount) + " of node " + std::to_string(n.address) +
                         ": " + bytesLeft(r.left()) + " not decoded"});
                r.takeBytes(r.left());
                break;
            }
            DecodedWrite& w = n.writes.emplace_back();
            w.offset = r.offset();
            w.index = static_cast<std::uint16_t>(r.take(2));
            w.sub = static_cast<std::uint8_t>(r.take(1));
            w.length = static_cast<std::uint8_t>(r.take(1));
            w.value = r.take(4);
        }
    }
    return file;
}

bool DecodedVariable::isPdo() const {
    return (kind & kKindSdo) == 0;
}

bool DecodedVariable::isOutput() const {
    return (kind & kKindReceivePdo) != 0;
}

int DecodedVariable::bits() const {
    switch (kind & kSizeBits) {
    case kKindBit:
        return 1;
    case kKindByte:
        return 8;
    case kKindWord:
        return 16;
    case kKindDword:
        return 32;
    default:
        return 0;
    }
}

DecodedIoMap decodeIoMap(std::string_view bytes) {
    DecodedIoMap map;
    Reader r(bytes);
    while (r.left() >= kIoMapRecordSize) {
        DecodedVariable& v = map.variables.emplace_back();
        v.offset = r.offset();
        const std::string_view field = r.takeBytes(kIoMapNameSize);
        const std::size_t end = field.find('\0');
        v.fillsField = end == std::string_view::npos;
        v.name = util::toUtf8(field.substr(0, end));
        v.address = static_cast<std::uint8_t>(r.take(1));
        v.kind = static_cast<std::uint8_t>(r.take(1));
        if (v.isPdo()) {
            v.pdoNumber = static_cast<std::uint8_t>(r.take(1));
            v.position = static_cast<std::uint8_t>(r.take(1));
            v.shift = static_cast<std::uint8_t>(r.take(1));
        } else {
            v.index = static_cast<std::uint16_t>(r.take(2));
            v.sub = static_cast<std::uint8_t>(r.take(1));
        }
        const auto exchange = static_cast<std::uint8_t>(v.kind & kExchangeBits);
        if (std::popcount(static_cast<unsigned>(v.kind & kSizeBits)) > 1 ||
            std::popcount(static_cast<unsigned>(exchange)) != 1 ||
            (v.kind & ~(kSizeBits | kExchangeBits)) != 0) {
            map.problems.push_back({v.offset + kIoMapNameSize + 1, false,
                                    "variable '" + v.name + "' has the kind byte 0x" +
                                        util::hexUpper(v.kind, 2) +
                                        ", which the build does not write"});
        }
    }
    if (r.left() > 0) {
        map.problems.push_back({r.offset(), true,
                                "the file ends inside record " +
                                    std::to_string(map.variables.size() + 1) + " (" +
                                    std::to_string(kIoMapRecordSize) +
                                    " bytes): " + bytesLeft(r.left()) + " not decoded"});
    }
    return map;
}

std::optional<ControllerFile> controllerFileOf(std::string_view fileName) {
    if (!util::iendsWith(fileName, ".cmg")) {
        return std::nullopt;
    }
    if (util::istartsWith(fileName, "network")) {
        return ControllerFile::Network;
    }
    if (util::istartsWith(fileName, "iomap")) {
        return ControllerFile::IoMap;
    }
    return std::nullopt;
}

} // namespace busmason::output
