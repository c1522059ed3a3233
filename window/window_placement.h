#pragma once
// A window's placement in the terms of the Windows placement record, so that a settings file means
// the same on every platform: show command 0 hidden, 1 normal, 2 minimized, 3 maximized; positions
// and the restored rectangle in screen pixels of the outer frame.

#include <cstdint>

class QWidget;

namespace dorvex {

inline constexpr std::int32_t kShowHide = 0;
inline constexpr std::int32_t kShowNormal = 1;
inline constexpr std::int32_t kShowMinimized = 2;
inline constexpr std::int32_t kShowMaximized = 3;
// Placement flag: a minimized window comes back maximized.
inline constexpr std::int32_t kRestoreToMaximized = 2;

struct PlacementPoint {
  std::int32_t x = -1;
  std::int32_t y = -1;
  friend bool operator==(const PlacementPoint&, const PlacementPoint&) = default;
};

// Right and bottom lie just outside the rectangle: width = right - left.
struct PlacementRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  friend bool operator==(const PlacementRect&, const PlacementRect&) = default;
};

struct WindowPlacementRecord {
  std::int32_t flags = 0;
  std::int32_t showCmd = kShowNormal;
  PlacementPoint minPosition;  // Qt has none: always reported as -1,-1 and not applied
  PlacementPoint maxPosition;  // likewise
  PlacementRect normalPosition;
  friend bool operator==(const WindowPlacementRecord&, const WindowPlacementRecord&) = default;
};

// The current placement of top-level `window`. The show command follows the window state whether
// or not the window is visible, as on Windows.
WindowPlacementRecord GetWindowPlacement(const QWidget& window);

// Applies `placement` to top-level `window`, show command included. A restored rectangle that lies
// on no present screen is moved onto the primary screen. Where the window system places windows
// itself (Wayland) only the size and the show state are applied.
void SetWindowPlacement(QWidget& window, const WindowPlacementRecord& placement);

// Moves top-level `window` onto the available area of the primary screen unless its outer frame
// lies wholly there already; a window larger than the area has its top left corner there. Does
// nothing where the window system places windows itself.
void KeepOnPrimaryScreen(QWidget& window);

}  // namespace dorvex
