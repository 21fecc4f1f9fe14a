#pragma once

#include "core/check/network_check.h"

#include <ostream>
#include <string>

namespace busmason::cli {

/// Prints the check's findings compiler-style ("plant1.bsm: node 3, 0x1804:01: error: BM101:
/// ..."), the bus load and the one-line summary.
void printCheck(std::ostream& out, const check::CheckResult& result,
                const model::NetworkParameters& parameters, const std::string& file);

/// "2 errors, 1 warning, no notes".
std::string checkSummary(const check::CheckResult& result);

} // namespace busmason::cli
