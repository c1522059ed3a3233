#pragma once
// The percentage that the report shows beside a total.

#include <QLocale>
#include <QString>
#include <cstdint>

namespace dorvex {

// `total` as a percentage of `grandTotal` (of 1 when the grand total is 0), computed in extended
// precision, cut to 18 significant digits and then rounded to two decimals with halves away from
// zero; written with the locale's decimal separator and no grouping ("0.13" for 1 of 800).
QString FormatPercent(std::int64_t total, std::int64_t grandTotal, const QLocale& locale);

}  // namespace dorvex
