#include "tools/dorvex-cli/report_output.h"

#include "tally/cp932_converter.h"

namespace dorvex::cli {

QByteArray EncodeReport(const QString& text, OutputEncoding encoding) {
  if (encoding == OutputEncoding::kUtf8) return text.toUtf8();
  return Cp932Converter::Encode(text);
}

bool WriteAll(std::FILE* stream, const QByteArray& bytes) {
  const auto size = static_cast<std::size_t>(bytes.size());
  return std::fwrite(bytes.constData(), 1, size, stream) == size && std::fflush(stream) == 0;
}

}  // namespace dorvex::cli
