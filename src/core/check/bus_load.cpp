#include "core/check/check_support.h"

#include "core/editor/parameters.h"
#include "core/model/lookup.h"

#include <algorithm>
#include <cstdio>

namespace busmason::check {

namespace {

/// Transmission types above this one are event-driven (254, 255), not sent with the SYNC.
constexpr std::int64_t kLastSynchronousType = 240;

/// A PDO counts in the cycle unless its transmission type (its write, else its EDS default)
/// makes it asynchronous; an unknown type counts.
bool isSynchronous(const model::node& n, const UsedPdo& used) {
    const model::EntryId type =
        model::findEntryIdByNumber(n, communicationIndex(used.direction, used.pdo), 2);
    const auto value = type == model::kNoEntry ? std::nullopt : effectiveValue(n, type);
    return !value || *value <= kLastSynchronousType;
}

std::string percentText(double percent) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %%", percent);
    return text;
}

} // namespace

int frameBits(int dataBytes) {
    const int n = std::clamp(dataBytes, 0, 8);
    // 47 bits of frame around the data; stuffing runs over the 34 + 8n bits from the start of
    // frame to the end of the CRC, at worst one stuff bit per four after the first.
    return 8 * n + 47 + (34 + 8 * n - 1) / 4;
}

std::optional<BusLoad> measureBusLoad(const model::Network& net, const UsedPdosByAddress& usedPdos,
                                      std::vector<model::Diagnostic>& out) {
    using editor::ParameterField;
    const model::NetworkParameters& p = net.parameters;
    const auto kbits = editor::parameterValue(ParameterField::BaudRate, p.baudRate);
    const auto cycle = editor::parameterValue(ParameterField::CycleTime, p.cycleTime);
    const auto guard = editor::parameterValue(ParameterField::GuardTime, p.guardTime);
    if (!kbits || !cycle || *cycle == 0) {
        return std::nullopt;
    }
    BusLoad load;
    // kbit/s times ms gives bits.
    load.capacityBits = static_cast<double>(*kbits) * static_cast<double>(*cycle);
    load.syncBits = p.enableSync ? frameBits(0) : 0;
    double pdoBits = 0;
    net.forEachNode([&](const model::node& n) {
        for (const UsedPdo& used : usedPdos[static_cast<std::size_t>(n.address)]) {
            if (!isSynchronous(n, used)) {
                ++load.asynchronousPdos;
                continue;
            }
            ++load.synchronousPdos;
            pdoBits += frameBits((used.bits + 7) / 8);
        }
        if (!n.ngDisabled && guard && *guard > 0) {
            ++load.guardedNodes;
            // The controller's remote request and the node's one-byte answer, per guard time.
            load.guardingBits += (frameBits(0) + frameBits(1)) * static_cast<double>(*cycle) /
                                 static_cast<double>(*guard);
        }
    });
    load.bitsPerCycle = load.syncBits + pdoBits + load.guardingBits;
    load.percent = 100.0 * load.bitsPerCycle / load.capacityBits;
    if (load.percent > kLoadWarning) {
        const bool error = load.percent > kLoadError;
        out.push_back(finding(
            kBusLoad, error ? model::Severity::Error : model::Severity::Warning, 0, {},
            "the bus load of one cycle is " + percentText(load.percent) + " of " + p.baudRate +
                " (" + std::to_string(static_cast<long long>(load.bitsPerCycle)) + " of " +
                std::to_string(static_cast<long long>(load.capacityBits)) + " bits in " +
                p.cycleTime + " ms)" +
                (error ? ": the frames of one cycle do not fit into it"
                       : ": above 70 % frames are delayed and the cycle may overrun") +
                "; raise the cycle time or the bit rate, or exchange fewer PDOs"));
    }
    return load;
}

} // namespace busmason::check
