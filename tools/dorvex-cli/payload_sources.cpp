#include "payload_sources.h"

#include "payload_file_source.h"

namespace dorvex::cli {

std::vector<std::unique_ptr<PayloadSource>> MakePayloadSources(const CliOptions& options) {
  std::vector<std::unique_ptr<PayloadSource>> sources;
  if (!options.payloadFiles.isEmpty()) {
    sources.push_back(std::make_unique<PayloadFileSource>(options.payloadFiles));
  }
  return sources;
}

}  // namespace dorvex::cli
