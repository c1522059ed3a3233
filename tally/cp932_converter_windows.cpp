#include <windows.h>

#include "tally/cp932_converter.h"

namespace dorvex {

namespace {
constexpr UINT kCodePage932 = 932;
}

struct Cp932Converter::State {};

Cp932Converter::Cp932Converter() = default;

Cp932Converter::~Cp932Converter() = default;

std::optional<QString> Cp932Converter::Decode(QByteArrayView bytes) {
  if (bytes.isEmpty()) return QString();
  const int byteCount = static_cast<int>(bytes.size());  // names and reports: far below 2 GiB
  const int size =
      MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, bytes.data(), byteCount, nullptr, 0);
  if (size <= 0) return std::nullopt;
  QString text(size, Qt::Uninitialized);
  MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, bytes.data(), byteCount,
                      reinterpret_cast<wchar_t*>(text.data()), size);
  return text;
}

QByteArray Cp932Converter::Encode(QStringView text) {
  if (text.isEmpty()) return {};
  const auto* chars = reinterpret_cast<const wchar_t*>(text.utf16());
  const int charCount = static_cast<int>(text.size());
  // No best fit: a character that code page 932 lacks becomes '?', not a look-alike.
  const int size = WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, chars, charCount,
                                       nullptr, 0, "?", nullptr);
  if (size <= 0) return {};
  QByteArray bytes(size, Qt::Uninitialized);
  WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, chars, charCount, bytes.data(), size, "?",
                      nullptr);
  return bytes;
}

}  // namespace dorvex
