#include "window/form_placement.h"

#include <QWidget>
#include <array>

#include "settings/ini_file.h"
#include "settings/ini_path.h"
#include "window/window_placement.h"

namespace dorvex {
namespace {

struct PlacementKey {
  QString name;
  std::int32_t* member;
};

// The ten keys in their stored order, bound to the members of `placement`.
std::array<PlacementKey, 10> PlacementKeys(WindowPlacementRecord& placement) {
  return {{
      {QStringLiteral("PlaceFlags"), &placement.flags},
      {QStringLiteral("PlaceShowCmd"), &placement.showCmd},
      {QStringLiteral("PlaceMinPos.X"), &placement.minPosition.x},
      {QStringLiteral("PlaceMinPos.Y"), &placement.minPosition.y},
      {QStringLiteral("PlaceMaxPos.X"), &placement.maxPosition.x},
      {QStringLiteral("PlaceMaxPos.Y"), &placement.maxPosition.y},
      {QStringLiteral("PlaceNormalPos.Left"), &placement.normalPosition.left},
      {QStringLiteral("PlaceNormalPos.Top"), &placement.normalPosition.top},
      {QStringLiteral("PlaceNormalPos.Right"), &placement.normalPosition.right},
      {QStringLiteral("PlaceNormalPos.Bottom"), &placement.normalPosition.bottom},
  }};
}

}  // namespace

void LoadFormPlacement(QWidget& form, const QString& section) {
  const TIniFile ini(GetIniFileName());
  WindowPlacementRecord placement = GetWindowPlacement(form);
  for (const PlacementKey& key : PlacementKeys(placement)) {
    *key.member = ini.ReadInteger(section, key.name, *key.member);
  }
  if (!form.isVisible()) placement.showCmd = kShowHide;
  SetWindowPlacement(form, placement);
}

void SaveFormPlacement(QWidget& form, const QString& section) {
  TIniFile ini(GetIniFileName());
  WindowPlacementRecord placement = GetWindowPlacement(form);
  for (const PlacementKey& key : PlacementKeys(placement)) {
    ini.WriteInteger(section, key.name, *key.member);
  }
}

}  // namespace dorvex
