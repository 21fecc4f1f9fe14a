#include "core/check/network_check.h"

#include "core/check/check_support.h"
#include "core/editor/parameters.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace busmason::check {

namespace {

using model::Severity;

/// The bit rates in kbit/s with the [DeviceInfo] flag that lists each.
struct RateFlag {
    int kbits;
    const char* key;
    bool model::DeviceInfo::*flag;
};

constexpr std::array<RateFlag, 8> kRateFlags{{
    {10, "BaudRate_10", &model::DeviceInfo::BaudRate_10},
    {20, "BaudRate_20", &model::DeviceInfo::BaudRate_20},
    {50, "BaudRate_50", &model::DeviceInfo::BaudRate_50},
    {125, "BaudRate_125", &model::DeviceInfo::BaudRate_125},
    {250, "BaudRate_250", &model::DeviceInfo::BaudRate_250},
    {500, "BaudRate_500", &model::DeviceInfo::BaudRate_500},
    {800, "BaudRate_800", &model::DeviceInfo::BaudRate_800},
    {1000, "BaudRate_1000", &model::DeviceInfo::BaudRate_1000},
}};

void checkBitRate(const model::Network& net, const model::node& n,
                  std::vector<model::Diagnostic>& out) {
    const auto kbits =
        editor::parameterValue(editor::ParameterField::BaudRate, net.parameters.baudRate);
    if (!kbits) {
        return;
    }
    std::vector<std::string> listed;
    const RateFlag* wanted = nullptr;
    for (const RateFlag& rate : kRateFlags) {
        if (n.deviceInfo.*rate.flag) {
            listed.push_back(std::to_string(rate.kbits));
        }
        if (static_cast<std::uint32_t>(rate.kbits) == *kbits) {
            wanted = &rate;
        }
    }
    if (!wanted || n.deviceInfo.*wanted->flag) {
        return;
    }
    out.push_back(
        finding(kBitRate, Severity::Error, n.address, {},
                nodeName(n) + " does not list the network's bit rate " + std::to_string(*kbits) +
                    " kbit/s (" + wanted->key + " in [DeviceInfo]), so it cannot take part: " +
                    (listed.empty() ? std::string("its EDS lists no bit rate at all; check the EDS")
                                    : "it lists " + joinList(listed) +
                                          " kbit/s; choose a bit rate every node supports")));
}

void checkGuarding(const model::Network& net, const model::node& n,
                   std::vector<model::Diagnostic>& out) {
    using editor::ParameterField;
    if (n.ngDisabled) {
        return;
    }
    const auto guard = editor::parameterValue(ParameterField::GuardTime, net.parameters.guardTime);
    const auto life = editor::parameterValue(ParameterField::LifeTime, net.parameters.lifeTime);
    std::vector<std::string> zeros;
    if (guard && *guard == 0) {
        zeros.push_back("guard time 0 ms");
    }
    if (life && *life == 0) {
        zeros.push_back("life time factor 0");
    }
    if (zeros.empty()) {
        return;
    }
    out.push_back(finding(kGuarding, Severity::Warning, n.address, {},
                          "node guarding is enabled on " + nodeName(n) + " with " +
                              joinList(zeros) +
                              ", so the loss of the node goes unnoticed: set the guard time "
                              "and the life time factor above 0, or disable node guarding on "
                              "the node"));
}

} // namespace

int CheckResult::count(model::Severity severity) const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [&](const auto& d) { return d.severity == severity; }));
}

CheckResult checkNetwork(const model::Network& net) {
    CheckResult result;
    std::vector<model::Diagnostic>& out = result.findings;
    checkCobIds(net, out);
    // One walk over every entry of the network: the variables, from which the PDOs in use
    // follow node by node.
    const std::vector<output::Variable> variables = output::collectVariables(net);
    UsedPdosByAddress used;
    auto first = variables.begin();
    net.forEachNode([&](const model::node& n) {
        auto last = std::find_if(first, variables.end(),
                                 [&](const output::Variable& v) { return v.owner != &n; });
        used[static_cast<std::size_t>(n.address)] = usedPdos(n, {first, last});
        first = last;
        checkBitRate(net, n, out);
        checkPdos(n, used[static_cast<std::size_t>(n.address)], out);
        checkWrites(n, out);
        checkGuarding(net, n, out);
    });
    checkDeclarations(net, variables, out);
    result.busLoad = measureBusLoad(net, used, out);
    // Network-wide findings first, then node by node; each node's in rule order.
    std::array<std::vector<model::Diagnostic>, model::kMaxNodes + 1> byNode;
    for (model::Diagnostic& d : out) {
        byNode[static_cast<std::size_t>(std::clamp(d.node, 0, model::kMaxNodes))].push_back(
            std::move(d));
    }
    out.clear();
    for (std::vector<model::Diagnostic>& findings : byNode) {
        std::stable_sort(findings.begin(), findings.end(),
                         [](const auto& a, const auto& b) { return a.code < b.code; });
        std::move(findings.begin(), findings.end(), std::back_inserter(out));
    }
    return result;
}

} // namespace busmason::check
