#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings/ReadWrite.h"

namespace quillon::robustness {

// A configuration file with lines the program never owns in every odd form the engine
// must carry through untouched: comments, unknown keys and sections, odd spacing, LF-only
// and CR-only line ends.
std::string InitialConfiguration();

// Those lines, each with its own line end, in file order.
std::vector<std::string> UnownedLines();

// What one event of the window does to the configuration: adding an entry, removing one
// with the renumbering of every later entry, or a scheme-style burst over the custom files
// and "Memory". The choice depends only on the seed, the batch number and the file as it
// is, so two processes applying batch n to the same file write the same bytes.
void ApplyBatch(ReadWrite& ini, std::uint32_t seed, int batch);

}  // namespace quillon::robustness
