#include "tally/percent_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace dorvex {

namespace {

constexpr int kSignificantDigits = 18;

// round(|value| * 100) with halves away from zero, taken from the value's first 18 significant
// decimal digits, so that binary noise below them (0.12499999... for 1/800) cannot decide.
std::uint64_t HundredthsOf(long double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*Le", kSignificantDigits - 1, value);
  // text: d.ddddddddddddddddde[+-]XX
  char digits[kSignificantDigits];
  int count = 0;
  const char* p = text;
  for (; *p != '\0' && *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9' && count < kSignificantDigits) digits[count++] = *p;
  }
  if (*p != 'e' || count != kSignificantDigits) return 0;  // inf or nan: not reachable
  const int exponent = std::atoi(p + 1);

  // value * 100 = 0.d1d2...d18 * 10^(exponent + 3): its integer part has exponent + 3 digits.
  const int integerDigits = exponent + 3;
  if (integerDigits < 0) return 0;
  std::uint64_t hundredths = 0;
  for (int i = 0; i < integerDigits; ++i) {
    const int digit = i < kSignificantDigits ? digits[i] - '0' : 0;  // 0..9
    hundredths = hundredths * 10 + static_cast<std::uint64_t>(digit);
  }
  if (integerDigits < kSignificantDigits && digits[integerDigits] >= '5') ++hundredths;
  return hundredths;
}

}  // namespace

QString FormatPercent(std::int64_t total, std::int64_t grandTotal, const QLocale& locale) {
  const long double denominator = grandTotal == 0 ? 1.0L : static_cast<long double>(grandTotal);
  const long double percent = static_cast<long double>(total) / denominator * 100.0L;
  const std::uint64_t hundredths = HundredthsOf(percent < 0 ? -percent : percent);
  QString text = percent < 0 && hundredths != 0 ? QStringLiteral("-") : QString();
  text += QString::number(hundredths / 100);
  text += locale.decimalPoint();
  text += QStringLiteral("%1").arg(hundredths % 100, 2, 10, QLatin1Char('0'));
  return text;
}

}  // namespace dorvex
