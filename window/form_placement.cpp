#include "window/form_placement.h"

#include <QWidget>
#include <algorithm>
#include <array>

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

// Positions of the key groups in PlacementKeys.
constexpr std::size_t kShowStateKeys = 0;
constexpr std::size_t kMinMaxKeys = 2;
constexpr std::size_t kLeftTopKeys = 6;
constexpr std::size_t kRightBottomKeys = 8;

std::int32_t SaturatedSum(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(std::int64_t{a} + b, INT32_MIN, INT32_MAX));
}

}  // namespace

void ReadFormPlacement(const TIniFile& ini, QWidget& form, const QString& section,
                       TPlacementParts parts) {
  WindowPlacementRecord placement = GetWindowPlacement(form);
  const PlacementRect current = placement.normalPosition;
  const std::array<PlacementKey, 10> keys = PlacementKeys(placement);
  const auto readKeys = [&](std::size_t first, std::size_t count) {
    for (std::size_t i = first; i < first + count; ++i) {
      *keys[i].member = ini.ReadInteger(section, keys[i].name, *keys[i].member);
    }
  };

  if (parts.Has(ppShowState)) readKeys(kShowStateKeys, 2);
  if (parts.Has(ppMinMaxPos)) readKeys(kMinMaxKeys, 4);
  readKeys(kLeftTopKeys, 2);
  PlacementRect& normal = placement.normalPosition;
  if (parts.Has(ppNormalSize)) {
    readKeys(kRightBottomKeys, 2);
  } else {  // move, keeping the current restored size
    normal.right = SaturatedSum(normal.left, current.right - current.left);
    normal.bottom = SaturatedSum(normal.top, current.bottom - current.top);
  }
  if (!form.isVisible()) placement.showCmd = kShowHide;
  SetWindowPlacement(form, placement);
}

void WriteFormPlacement(TIniFile& ini, const QWidget& form, const QString& section) {
  WindowPlacementRecord placement = GetWindowPlacement(form);
  for (const PlacementKey& key : PlacementKeys(placement)) {
    ini.WriteInteger(section, key.name, *key.member);
  }
}

void LoadFormPlacement(QWidget& form, const QString& section, TPlacementParts parts) {
  const TIniFile ini(GetIniFileName());
  ReadFormPlacement(ini, form, section, parts);
}

void LoadFormPlacement(QWidget& form, const QString& section) {
  LoadFormPlacement(form, section, TPlacementParts::All());
}

void SaveFormPlacement(QWidget& form, const QString& section) {
  TIniFile ini(GetIniFileName());
  WriteFormPlacement(ini, form, section);
}

}  // namespace dorvex
