#include "core/editor/parameters.h"

#include <charconv>

namespace busmason::editor {

namespace {

/// The value of plain decimal digits when it lies in 0 to max.
std::optional<std::uint32_t> decimalWithin(std::string_view text, std::uint32_t max) {
    if (text.empty() || text.size() > 10) {
        return std::nullopt;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    std::uint64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value > max) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::uint32_t fieldMax(ParameterField field) {
    switch (field) {
    case ParameterField::Channel:
        return 1;
    case ParameterField::CycleTime:
        return kMaxCycleTime;
    case ParameterField::GuardTime:
        return kMaxGuardTime;
    case ParameterField::LifeTime:
        return kMaxLifeTime;
    case ParameterField::BaudRate:
        break;
    }
    return 0;
}

} // namespace

std::string_view fieldLabel(ParameterField field) {
    switch (field) {
    case ParameterField::BaudRate:
        return "bit rate";
    case ParameterField::Channel:
        return "CAN channel";
    case ParameterField::CycleTime:
        return "cycle time";
    case ParameterField::GuardTime:
        return "guard time";
    case ParameterField::LifeTime:
        return "life time";
    }
    return "parameter";
}

const std::string& fieldText(const model::NetworkParameters& p, ParameterField field) {
    switch (field) {
    case ParameterField::BaudRate:
        return p.baudRate;
    case ParameterField::Channel:
        return p.channel;
    case ParameterField::CycleTime:
        return p.cycleTime;
    case ParameterField::GuardTime:
        return p.guardTime;
    case ParameterField::LifeTime:
        break;
    }
    return p.lifeTime;
}

std::string& fieldText(model::NetworkParameters& p, ParameterField field) {
    return const_cast<std::string&>(
        fieldText(static_cast<const model::NetworkParameters&>(p), field));
}

std::optional<std::uint32_t> parameterValue(ParameterField field, std::string_view text) {
    if (field == ParameterField::BaudRate) {
        const int position = model::baudRatePosition(text);
        if (position < 0) {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(
            model::kBaudRateKbits[static_cast<std::size_t>(position)]);
    }
    return decimalWithin(text, fieldMax(field));
}

std::optional<std::string> parameterProblem(ParameterField field, std::string_view text) {
    if (parameterValue(field, text)) {
        return std::nullopt;
    }
    const std::string quoted = "'" + std::string(text) + "'";
    switch (field) {
    case ParameterField::BaudRate: {
        std::string names;
        for (const char* name : model::kBaudRateNames) {
            names += (names.empty() ? "" : ", ") + std::string(name);
        }
        return "bit rate " + quoted + " is not one of " + names;
    }
    case ParameterField::Channel:
        return "CAN channel " + quoted + " is neither 0 nor 1";
    case ParameterField::CycleTime:
        return "cycle time " + quoted + " is not a whole number of ms from 0 to " +
               std::to_string(kMaxCycleTime) + " (the word's two high bits hold the flags)";
    case ParameterField::GuardTime:
        return "guard time " + quoted + " is not a whole number of ms from 0 to " +
               std::to_string(kMaxGuardTime);
    case ParameterField::LifeTime:
        return "life time " + quoted + " is not a whole number from 0 to " +
               std::to_string(kMaxLifeTime);
    }
    return std::nullopt;
}

std::vector<ParameterProblem> checkParameters(const model::NetworkParameters& parameters) {
    std::vector<ParameterProblem> problems;
    for (const ParameterField field : kParameterFields) {
        if (auto message = parameterProblem(field, fieldText(parameters, field))) {
            problems.push_back({field, std::move(*message)});
        }
    }
    return problems;
}

} // namespace busmason::editor
