#pragma once

#include "core/model/errors.h"
#include "core/model/network.h"
#include "core/persistence/project_file.h"

#include <string>
#include <string_view>
#include <vector>

namespace busmason::persistence {

/// The coupler module file (.pco): one block per node that has a coupler, in increasing address,
/// with its terminals in row order and their channels; CR LF line ends, texts escaped.
std::string writeCouplerFile(const model::Network& network);

/// Gives the nodes of network the couplers held in coupler file bytes. A block naming an address
/// without a node is skipped and reported (with the EDS from unbuilt when the project named
/// one); a second block for the same node replaces the first; channels beyond a terminal's
/// Varnumb (or beyond 32) are dropped and reported. A file that is not XML or holds a value that
/// cannot be read as an integer gives an error diagnostic and false. fileName names the file in
/// diagnostics.
bool readCouplerFile(std::string_view bytes, const std::string& fileName, model::Network& network,
                     std::vector<model::Diagnostic>& diagnostics, const UnbuiltNodes& unbuilt);

} // namespace busmason::persistence
