#pragma once

#include <string>
#include <vector>

namespace busmason::model {

/// One channel of a coupler terminal.
struct io_mod {
    /// PLC variable name of the channel.
    std::string Vname;
    /// Channel width in bits: 1 digital, 16 analogue.
    int bitnumb = 0;
    /// 0 input, 1 output.
    int dir = 0;
    /// Configuration code: 0 for digital channels; for analogue ones 0 "--", 1 "I", 2 "V", ...
    int Config = 0;
};

/// One I/O terminal plugged behind a coupler.
struct terminal {
    /// Terminal type code: 1 digital inputs, 2 digital outputs, 3 mixed digital (channels 0 to 7
    /// outputs, 8 and up inputs), 4 analogue inputs, 5 analogue outputs.
    int ID = 0;
    /// Display name of the terminal type.
    std::string Tname;
    /// Number of channels (at most 32).
    int Varnumb = 0;
    /// Position in the row, 0 for the first terminal after the coupler.
    int Pos = 0;
    /// The channels, channel 0 first; Varnumb of them.
    std::vector<io_mod> channels;
};

/// The coupler part of a coupler node: its row of terminals in order.
struct coupler_info {
    std::vector<terminal> terminals;

    /// Number of terminals; also the position the next added terminal takes.
    int terminalCount() const { return static_cast<int>(terminals.size()); }
};

} // namespace busmason::model
