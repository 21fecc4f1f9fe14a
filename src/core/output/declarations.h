#pragma once

#include "core/model/network.h"
#include "core/output/generated_file.h"
#include "core/output/variables.h"

#include <string>
#include <string_view>
#include <vector>

namespace busmason::output {

/// The export file of the PLC declarations.
inline constexpr std::string_view kExportFileName = "var.exp";

/// projectName + ".gvl".
std::string globalVariableListName(std::string_view projectName);

/// The global variable list: every variable of a PDO-mapped entry as a located variable in
/// area 2 (channel "0") or 3 (any other channel), named with the network's prefix. Bits take
/// their byte number from the entry's sub-index minus 1 and count 0 to 7; bytes start at 4096,
/// words at 8192 (step 2), double words at 12288 (step 4), separately for inputs and outputs.
/// Variables whose PLC type is not Bit, Byte, Word or Dword are left out and reported; a Bit
/// variable without a sub-index from 1 up takes byte number 0 and is reported.
GeneratedFile globalVariableList(const model::Network& net, std::string_view projectName);
/// The same over variables already collected from net.
GeneratedFile globalVariableList(const model::Network& net, const std::vector<Variable>& variables,
                                 std::string_view projectName);

/// One declaration of the global variable list: the variable, the address it is declared at
/// ("IX2.0.3", "QW2.8194": direction, address letter, area and number) and its IEC type.
struct GlobalDeclaration {
    Variable variable;
    std::string address;
    /// "BOOL", "BYTE", "INT" or "DINT".
    std::string_view iecType;
};

/// The declarations of the global variable list in file order, by its address rule (see
/// globalVariableList). The variables it leaves out, and Bit variables without a sub-index from
/// 1 up, are reported in file.
std::vector<GlobalDeclaration> globalDeclarations(const model::Network& net,
                                                  const std::vector<Variable>& variables,
                                                  GeneratedFile& file);

/// Which declaration files declare a variable of a PDO-mapped entry with PLC type varType: the
/// global variable list takes Bit, Byte, Word and Dword, the export file Bit, Byte and Word.
struct DeclarationForms {
    bool globalList = false;
    bool exportFile = false;
};
DeclarationForms declarationFormsOf(int varType);

/// "var.exp": the Bit, Byte and Word variables of PDO-mapped entries in the areas 100 to 105
/// (channel "0") or 200 to 205, prefixed "ch0_" or "ch1_", then the status variables of the
/// network and of each node. Dword variables, which the file has no area for, and variables
/// without a declaration form are left out and reported.
GeneratedFile exportFile(const model::Network& net);
GeneratedFile exportFile(const model::Network& net, const std::vector<Variable>& variables);

} // namespace busmason::output
