#pragma once

#include "core/model/network.h"

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::editor {

/// The network parameters the user types or chooses as text.
enum class ParameterField {
    BaudRate,  ///< one of the bit rate names
    Channel,   ///< the CAN channel, "0" or "1"
    CycleTime, ///< cycle time in ms
    GuardTime, ///< node-guarding time in ms
    LifeTime,  ///< life time factor
};

inline constexpr std::array<ParameterField, 5> kParameterFields{
    ParameterField::BaudRate, ParameterField::Channel, ParameterField::CycleTime,
    ParameterField::GuardTime, ParameterField::LifeTime};

/// The field as messages name it: "bit rate", "CAN channel", "cycle time", ...
std::string_view fieldLabel(ParameterField field);

/// Largest cycle time in ms: the controller keeps the sync and toggle-bit flags in the two high
/// bits of the cycle time's word.
inline constexpr int kMaxCycleTime = 0x3FFF;
/// Largest guard time in ms (a 16-bit field).
inline constexpr int kMaxGuardTime = 0xFFFF;
/// Largest life time factor (an 8-bit field).
inline constexpr int kMaxLifeTime = 0xFF;

/// The text of field in parameters.
const std::string& fieldText(const model::NetworkParameters& parameters, ParameterField field);
/// The same, for writing.
std::string& fieldText(model::NetworkParameters& parameters, ParameterField field);

/// Why the controller cannot take text for field, or none when it can. The bit rate must be
/// one of the eight names; the channel "0" or "1"; the times plain decimal digits within their
/// fields (cycle time 0 to 16383 ms, guard time 0 to 65535 ms, life time factor 0 to 255).
std::optional<std::string> parameterProblem(ParameterField field, std::string_view text);

/// The value the controller receives for a valid text (the bit rate in kbit/s), or none.
std::optional<std::uint32_t> parameterValue(ParameterField field, std::string_view text);

/// One field the controller cannot take, with the reason.
struct ParameterProblem {
    ParameterField field = ParameterField::BaudRate;
    std::string message;
};

/// Every field of parameters that the controller cannot take, in field order. Editing refuses
/// such a text, loading keeps it and reports it, and the build names it and writes nothing.
std::vector<ParameterProblem> checkParameters(const model::NetworkParameters& parameters);

/// A parameter text refused where it was entered; the parameters are unchanged.
class ParameterError : public std::runtime_error {
public:
    ParameterError(ParameterField field, const std::string& message)
        : std::runtime_error(message), m_field(field) {}
    ParameterField field() const noexcept { return m_field; }

private:
    ParameterField m_field;
};

} // namespace busmason::editor
