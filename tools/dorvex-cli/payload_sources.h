#pragma once
// The payload sources that the options ask for.

#include <memory>
#include <vector>

#include "tools/dorvex-cli/cli_options.h"
#include "tools/dorvex-cli/payload_source.h"

namespace dorvex::cli {

// In the order in which they feed the reader: the payload files first. Sources of captured
// traffic join here, each in a file of its own. Empty when the options name no source.
std::vector<std::unique_ptr<PayloadSource>> MakePayloadSources(const CliOptions& options);

}  // namespace dorvex::cli
