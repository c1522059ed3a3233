#pragma once
// Payload files: each file's whole content is one TCP payload.

#include <QStringList>

#include "tools/dorvex-cli/payload_source.h"

namespace dorvex::cli {

class PayloadFileSource : public PayloadSource {
 public:
  explicit PayloadFileSource(QStringList paths) : paths_(std::move(paths)) {}

  // Fails on the first file that is missing, unreadable or empty.
  bool Deliver(const PayloadSink& sink, SourceError& error) override;

 private:
  QStringList paths_;
};

}  // namespace dorvex::cli
