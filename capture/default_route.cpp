#include "capture/default_route.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>

namespace dorvex {

namespace {
// A real route table holds a few hundred lines at most; anything beyond this is not one.
constexpr qint64 kMaxRouteTableBytes = 1 << 20;

enum RouteField : qsizetype { kIface = 0, kDestination = 1, kMetric = 6, kMask = 7, kFieldCount };

bool IsZeroAddress(const QString& hex) {
  return hex == QLatin1String("00000000");
}
}  // namespace

std::optional<QString> DefaultRouteAdapter(const QString& routeFile) {
  QFile file(routeFile);
  // /proc files report a size of 0, so the file is read up to the limit, not by its size.
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QString text = QString::fromLatin1(file.read(kMaxRouteTableBytes));

  static const QRegularExpression kSpaces(QStringLiteral("\\s+"));
  std::optional<QString> best;
  qulonglong bestMetric = 0;
  for (const QString& line : text.split(u'\n')) {
    const QStringList fields = line.split(kSpaces, Qt::SkipEmptyParts);
    if (fields.size() < kFieldCount) continue;
    if (!IsZeroAddress(fields[kDestination]) || !IsZeroAddress(fields[kMask])) continue;
    bool ok = false;
    const qulonglong metric = fields[kMetric].toULongLong(&ok, 10);
    if (!ok) continue;
    if (!best || metric < bestMetric) {
      best = fields[kIface];
      bestMetric = metric;
    }
  }
  return best;
}

}  // namespace dorvex
