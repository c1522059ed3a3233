#pragma once
// Code page 932 (Shift_JIS) conversion by the platform: Qt's converter on Linux (through ICU);
// Windows' own code page 932 on Windows, where Qt has no converter for it.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <memory>
#include <optional>

namespace dorvex {

class Cp932Converter {
 public:
  Cp932Converter();
  ~Cp932Converter();
  Cp932Converter(const Cp932Converter&) = delete;
  Cp932Converter& operator=(const Cp932Converter&) = delete;

  // The text of `bytes` decoded whole; nullopt when some part does not decode (or there is no
  // converter for code page 932).
  std::optional<QString> Decode(QByteArrayView bytes);

  // `text` in code page 932; characters that it lacks become '?'.
  static QByteArray Encode(QStringView text);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace dorvex
