#include "core/output/generated_file.h"

namespace busmason::output {

void GeneratedFile::error(std::string message) {
    diagnostics.push_back({model::Severity::Error, name, 0, {}, std::move(message)});
}

void GeneratedFile::warning(std::string message) {
    diagnostics.push_back({model::Severity::Warning, name, 0, {}, std::move(message)});
}

} // namespace busmason::output
