#include "core/check/check_support.h"

#include "core/model/data_types.h"
#include "core/output/declarations.h"
#include "core/output/io_map.h"
#include "core/util/text.h"

#include <string_view>
#include <unordered_map>

namespace busmason::check {

namespace {

using model::Severity;

/// Variables sharing an address that a finding names; the others are counted.
constexpr std::size_t kNamedSharers = 4;

std::string variableText(const output::Variable& v) {
    return "'" + v.name() + "' of node " + std::to_string(v.owner->address) + " (" +
           model::describeEntry(*v.entry) + ")";
}

void checkSharedAddresses(const model::Network& net, const std::vector<output::Variable>& variables,
                          std::vector<model::Diagnostic>& out) {
    output::GeneratedFile scratch;
    const std::vector<output::GlobalDeclaration> declarations =
        output::globalDeclarations(net, variables, scratch);
    // Declarations by address, in the order of their first declaration.
    std::unordered_map<std::string_view, std::size_t> groupOf;
    std::vector<std::vector<std::size_t>> groups;
    groupOf.reserve(declarations.size());
    for (std::size_t i = 0; i < declarations.size(); ++i) {
        const auto [it, added] = groupOf.try_emplace(declarations[i].address, groups.size());
        if (added) {
            groups.emplace_back();
        }
        groups[it->second].push_back(i);
    }
    for (const std::vector<std::size_t>& users : groups) {
        if (users.size() < 2) {
            continue;
        }
        const std::string& address = declarations[users[0]].address;
        std::vector<std::string> names;
        for (std::size_t k = 0; k < users.size() && k < kNamedSharers; ++k) {
            names.push_back(variableText(declarations[users[k]].variable));
        }
        if (users.size() > kNamedSharers) {
            names.push_back(std::to_string(users.size() - kNamedSharers) + " other variables");
        }
        const output::Variable& at = declarations[users[1]].variable;
        out.push_back(finding(kSharedAddress, Severity::Warning, at.owner->address,
                              model::describeEntry(*at.entry),
                              joinList(names) + " are declared at the same address %" + address +
                                  " in the global variable list, so a PLC program using it "
                                  "reaches one of them through both names: bit variables take "
                                  "their byte number from the sub-index, so use the export "
                                  "file's addresses or place the bits on other sub-indexes"));
    }
}

void checkNames(const std::vector<output::Variable>& variables,
                std::vector<model::Diagnostic>& out) {
    for (const output::Variable& v : variables) {
        std::vector<std::string> problems;
        if (v.entry->pdoMapped) {
            const output::DeclarationForms forms = output::declarationFormsOf(v.entry->varType);
            const std::string_view plc = model::plcTypeOf(v.entry->varType);
            if (!forms.globalList) {
                problems.push_back("is declared in neither declaration file (its PLC type '" +
                                   std::string(plc) + "' has no declaration form)");
            } else if (!forms.exportFile) {
                problems.push_back("is left out of " + std::string(output::kExportFileName) +
                                   ", which has no area for " + std::string(plc) + " variables");
            }
        }
        const std::string_view kept = util::cutUtf8(v.name(), output::kIoMapNameSize);
        if (kept.size() != v.name().size()) {
            problems.push_back("is cut to '" + std::string(kept) +
                               "' in the I/O map, which keeps " +
                               std::to_string(output::kIoMapNameSize) + " bytes of a name");
        }
        if (!problems.empty()) {
            out.push_back(finding(kNameLeftOut, Severity::Warning, v.owner->address,
                                  model::describeEntry(*v.entry),
                                  "variable " + variableText(v) + " " + joinList(problems) +
                                      ": the PLC program cannot reach it by that name"));
        }
    }
}

} // namespace

void checkDeclarations(const model::Network& net, const std::vector<output::Variable>& variables,
                       std::vector<model::Diagnostic>& out) {
    checkSharedAddresses(net, variables, out);
    checkNames(variables, out);
}

} // namespace busmason::check
