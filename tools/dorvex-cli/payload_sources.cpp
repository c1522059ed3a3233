#include "tools/dorvex-cli/payload_sources.h"

#include "tools/dorvex-cli/capture_file_source.h"
#include "tools/dorvex-cli/live_capture_source.h"
#include "tools/dorvex-cli/payload_file_source.h"

namespace dorvex::cli {

std::vector<std::unique_ptr<PayloadSource>> MakePayloadSources(const CliOptions& options) {
  std::vector<std::unique_ptr<PayloadSource>> sources;
  if (!options.payloadFiles.isEmpty()) {
    sources.push_back(std::make_unique<PayloadFileSource>(options.payloadFiles));
  }
  const CaptureOptions& capture = options.capture;
  if (!capture.readFile.isEmpty()) {
    sources.push_back(std::make_unique<CaptureFileSource>(capture.readFile, capture.Filter()));
  }
  if (!capture.interfaceName.isEmpty()) {
    sources.push_back(std::make_unique<LiveCaptureSource>(capture));
  }
  return sources;
}

}  // namespace dorvex::cli
