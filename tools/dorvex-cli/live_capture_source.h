#pragma once
// A live capture on one adapter as a payload source, through the capture component: runs a Qt
// event loop until --seconds or --replies are reached, or until SIGINT / SIGTERM.

#include "tools/dorvex-cli/capture_options.h"
#include "tools/dorvex-cli/payload_source.h"

namespace dorvex::cli {

class LiveCaptureSource : public PayloadSource {
 public:
  explicit LiveCaptureSource(CaptureOptions options) : options_(std::move(options)) {}

  bool Deliver(const PayloadSink& sink, SourceError& error) override;

 private:
  CaptureOptions options_;
};

}  // namespace dorvex::cli
