#include "capture/capture_failure.h"

namespace dorvex {

bool IsPermissionFailure(const QString& lastError) {
  // Both status texts of a refused activation say "permission"; the kernel's own word, when the
  // library passes it on alone, is "Operation not permitted".
  return lastError.contains(QLatin1String("permission"), Qt::CaseInsensitive) ||
         lastError.contains(QLatin1String("Operation not permitted"), Qt::CaseInsensitive);
}

}  // namespace dorvex
