#include <QStringDecoder>
#include <QStringEncoder>

#include "tally/cp932_converter.h"

namespace dorvex {

struct Cp932Converter::State {
  // Built in place: a moved or reset QStringDecoder (Qt 6.4) no longer reports errors reliably.
  void Renew() { decoder.emplace("CP932", QStringConverter::Flag::Stateless); }
  std::optional<QStringDecoder> decoder;
};

Cp932Converter::Cp932Converter() : state_(std::make_unique<State>()) {
  state_->Renew();
}

Cp932Converter::~Cp932Converter() = default;

std::optional<QString> Cp932Converter::Decode(QByteArrayView bytes) {
  QStringDecoder& decoder = *state_->decoder;
  if (!decoder.isValid()) return std::nullopt;
  QString text = decoder.decode(bytes);
  if (!decoder.hasError()) return text;
  state_->Renew();  // resetState() leaves the error flag set
  return std::nullopt;
}

QByteArray Cp932Converter::Encode(QStringView text) {
  QStringEncoder encoder("CP932");
  return encoder.encode(text);
}

}  // namespace dorvex
