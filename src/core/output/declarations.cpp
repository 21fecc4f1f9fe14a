#include "core/output/declarations.h"

#include "core/model/data_types.h"
#include "core/output/fields.h"
#include "core/output/variables.h"

#include <array>
#include <optional>

namespace busmason::output {

namespace {

enum class Form { Bit, Byte, Word, Dword };

struct FormRow {
    std::string_view plcType;
    std::string_view iecType;
    /// Address letter after I or Q.
    char letter;
    /// First address number and step in the global variable list.
    int listBase;
    int listStep;
    /// Area digits of inputs and outputs in the export file; 0 when it has no area.
    char exportInput;
    char exportOutput;
};

constexpr std::array<FormRow, 4> kForms{{
    {"Bit", "BOOL", 'X', 0, 1, '0', '1'},
    {"Byte", "BYTE", 'B', 4096, 1, '2', '3'},
    {"Word", "INT", 'W', 8192, 2, '4', '5'},
    {"Dword", "DINT", 'D', 12288, 4, 0, 0},
}};

const FormRow& row(Form f) {
    return kForms[static_cast<std::size_t>(f)];
}

std::optional<Form> formOf(int varType) {
    const std::string_view plc = model::plcTypeOf(varType);
    for (std::size_t i = 0; i < kForms.size(); ++i) {
        if (plc == kForms[i].plcType) {
            return static_cast<Form>(i);
        }
    }
    return std::nullopt;
}

/// One counter per form and direction, all starting at 0.
struct Counters {
    std::array<int, 4> input{};
    std::array<int, 4> output{};

    int& of(Form f, bool isOutput) {
        return (isOutput ? output : input)[static_cast<std::size_t>(f)];
    }
};

bool isChannelZero(const model::Network& net) {
    return net.parameters.channel == "0";
}

/// Calls f with the form of every declared variable: those of PDO-mapped entries whose PLC type
/// has a form; the others are reported in file.
template <typename F>
void forEachDeclared(const std::vector<Variable>& variables, GeneratedFile& file, F f) {
    for (const Variable& v : variables) {
        if (!v.entry->pdoMapped) {
            continue;
        }
        if (const auto form = formOf(v.entry->varType)) {
            f(v, *form);
            continue;
        }
        const std::string_view plc = model::plcTypeOf(v.entry->varType);
        file.warning(where(*v.owner, *v.entry) + ": variable '" + v.name() + "' of PLC type '" +
                     std::string(plc) + "' (" + std::to_string(model::bitsOf(v.entry->varType)) +
                     " bits) has no declaration form and is not declared");
    }
}

/// "IX2.0.3": direction, address letter, area and number.
std::string address(const Variable& v, Form form, std::string_view area,
                    const std::string& number) {
    std::string out(1, v.isOutput() ? 'Q' : 'I');
    out += row(form).letter;
    out += area;
    out += number;
    return out;
}

std::string declaration(std::string_view prefix, const Variable& v, const std::string& at,
                        std::string_view iecType) {
    std::string line = "\t";
    line += prefix;
    line += v.name();
    line += " AT %";
    line += at;
    line += ": ";
    line += iecType;
    line += ";";
    return line;
}

/// Byte number of a Bit variable in the global variable list: its sub-index minus 1.
int bitByteNumber(const Variable& v, GeneratedFile& file) {
    const auto sub = subIndexOf(*v.owner, *v.entry, file);
    if (!sub) {
        return 0;
    }
    if (*sub == 0) {
        file.warning(where(*v.owner, *v.entry) + ": Bit variable '" + v.name() +
                     "' has no sub-index from 1 up to take its byte number from; declared "
                     "with byte number 0");
        return 0;
    }
    return *sub - 1;
}

void statusLine(std::string& out, std::string_view channelPrefix, const std::string& name,
                std::string_view address, int& counter, std::string_view type) {
    appendLine(out, "\t" + std::string(channelPrefix) + name + " AT %" + std::string(address) +
                        std::to_string(counter++) + std::string(type));
}

} // namespace

DeclarationForms declarationFormsOf(int varType) {
    const auto form = formOf(varType);
    return {form.has_value(), form.has_value() && row(*form).exportInput != 0};
}

std::string globalVariableListName(std::string_view projectName) {
    return std::string(projectName) + ".gvl";
}

GeneratedFile globalVariableList(const model::Network& net, std::string_view projectName) {
    return globalVariableList(net, collectVariables(net), projectName);
}

std::vector<GlobalDeclaration> globalDeclarations(const model::Network& net,
                                                  const std::vector<Variable>& variables,
                                                  GeneratedFile& file) {
    std::vector<GlobalDeclaration> out;
    out.reserve(variables.size());
    const std::string_view area = isChannelZero(net) ? "2." : "3.";
    Counters counters;
    // The byte number of the last entry whose Bit variables were declared without a finding:
    // the variables of one entry come one after the other.
    const model::object_dict* byteEntry = nullptr;
    int byteNumber = 0;
    forEachDeclared(variables, file, [&](const Variable& v, Form form) {
        int& counter = counters.of(form, v.isOutput());
        std::string number;
        if (form == Form::Bit) {
            if (v.entry != byteEntry) {
                const std::size_t findings = file.diagnostics.size();
                byteNumber = bitByteNumber(v, file);
                byteEntry = file.diagnostics.size() == findings ? v.entry : nullptr;
            }
            number = std::to_string(byteNumber) + "." + std::to_string(counter);
            counter = (counter + 1) % 8;
        } else {
            number = std::to_string(row(form).listBase + counter);
            counter += row(form).listStep;
        }
        out.push_back({v, address(v, form, area, number), row(form).iecType});
    });
    return out;
}

GeneratedFile globalVariableList(const model::Network& net, const std::vector<Variable>& variables,
                                 std::string_view projectName) {
    GeneratedFile file;
    file.name = globalVariableListName(projectName);
    std::string& out = file.bytes;
    appendLine(out, "(* Global var file *)");
    appendLine(out, "VAR_GLOBAL");
    for (const GlobalDeclaration& d : globalDeclarations(net, variables, file)) {
        appendLine(out, declaration(net.prefix, d.variable, d.address, d.iecType));
    }
    appendLine(out, "END_VAR");
    return file;
}

GeneratedFile exportFile(const model::Network& net) {
    return exportFile(net, collectVariables(net));
}

GeneratedFile exportFile(const model::Network& net, const std::vector<Variable>& variables) {
    GeneratedFile file;
    file.name = std::string(kExportFileName);
    std::string& out = file.bytes;
    const bool zero = isChannelZero(net);
    const std::string_view channelPrefix = zero ? "ch0_" : "ch1_";
    Counters counters;
    for (const char* line :
         {"(******************************)", "(*                            *)",
          "(*     EXPORTED VARIABLES     *)", "(*                            *)",
          "(******************************)", "VAR_GLOBAL", "{G: CANOpen}", "", ""}) {
        appendLine(out, line);
    }
    forEachDeclared(variables, file, [&](const Variable& v, Form form) {
        const char digit = v.isOutput() ? row(form).exportOutput : row(form).exportInput;
        if (digit == 0) {
            file.warning(where(*v.owner, *v.entry) + ": Dword variable '" + v.name() +
                         "' has no area in " + file.name + " and is not exported");
            return;
        }
        const std::string area = std::string(zero ? "10" : "20") + digit + ".";
        int& counter = counters.of(form, v.isOutput());
        appendLine(out,
                   declaration(channelPrefix, v, address(v, form, area, std::to_string(counter++)),
                               row(form).iecType));
    });

    // The status variables continue the bit counters; their areas are the same on both channels.
    int& inputBit = counters.of(Form::Bit, false);
    int& outputBit = counters.of(Form::Bit, true);
    int inputDword = 0;
    auto statusBlock = [&](const std::string& stem, std::string_view goodType) {
        statusLine(out, channelPrefix, stem + "RUN", "IX100.", inputBit, " : BOOL;");
        statusLine(out, channelPrefix, stem + "GOOD", "IX100.", inputBit, goodType);
        statusLine(out, channelPrefix, stem + "ERR", "ID106.", inputDword, " : UDINT;");
        statusLine(out, channelPrefix, stem + "RST", "QX101.", outputBit, " : BOOL;");
        statusLine(out, channelPrefix, stem + "DIS", "QX101.", outputBit, " : BOOL;");
    };
    // The network's GOOD line has no blank before its colon, as the controller's tools know it.
    statusBlock("$NET", ": BOOL;");
    net.forEachNode(
        [&](const model::node& n) { statusBlock("$N" + std::to_string(n.address), " : BOOL;"); });
    appendLine(out, "END_VAR");
    return file;
}

} // namespace busmason::output
