#include "window/window_placement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdint>

namespace dorvex {
namespace {

constexpr Qt::WindowStates kNotNormalStates =
    Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

// A rectangle in 64-bit numbers, so that stored coordinates of any size cannot overflow.
struct WideRect {
  std::int64_t left;
  std::int64_t top;
  std::int64_t width;
  std::int64_t height;
};

QMargins FrameMargins(const QWidget& window) {
  const QWindow* handle = window.windowHandle();
  return handle != nullptr ? handle->frameMargins() : QMargins();
}

bool Intersects(const WideRect& rect, const QRect& screen) {
  return rect.left < screen.x() + std::int64_t{screen.width()} &&
         screen.x() < rect.left + rect.width &&
         rect.top < screen.y() + std::int64_t{screen.height()} &&
         screen.y() < rect.top + rect.height;
}

std::int64_t ClampStart(std::int64_t start, std::int64_t length, std::int64_t areaStart,
                        std::int64_t areaLength) {
  return std::max(areaStart, std::min(start, areaStart + areaLength - length));
}

// A window on no present screen would be out of reach: bring it onto the primary screen.
void KeepOnSomeScreen(WideRect& frame) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (primary == nullptr || std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
        return Intersects(frame, screen->geometry());
      })) {
    return;
  }
  const QRect area = primary->availableGeometry();
  frame.left = ClampStart(frame.left, frame.width, area.x(), area.width());
  frame.top = ClampStart(frame.top, frame.height, area.y(), area.height());
}

// The window system decides where windows go on Wayland; a program may only size them.
bool WindowSystemPlacesWindows() {
  return QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

void ApplyShowCommand(QWidget& window, const WindowPlacementRecord& placement) {
  switch (placement.showCmd) {
    case kShowHide:
      window.hide();
      break;
    case kShowMinimized:
    case 6:   // minimize
    case 7:   // show minimized, not active
    case 11:  // force minimize
      window.setWindowState((placement.flags & kRestoreToMaximized) != 0
                                ? Qt::WindowMinimized | Qt::WindowMaximized
                                : Qt::WindowMinimized);
      window.show();
      break;
    case kShowMaximized:
      window.showMaximized();
      break;
    default:  // the show commands that show the window in its normal state
      window.showNormal();
      break;
  }
}

}  // namespace

void KeepOnPrimaryScreen(QWidget& window) {
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (primary == nullptr || WindowSystemPlacesWindows()) return;
  const QRect area = primary->availableGeometry();
  const QRect frame = window.geometry().marginsAdded(FrameMargins(window));
  if (area.contains(frame)) return;
  window.move(static_cast<int>(ClampStart(frame.x(), frame.width(), area.x(), area.width())),
              static_cast<int>(ClampStart(frame.y(), frame.height(), area.y(), area.height())));
}

WindowPlacementRecord GetWindowPlacement(const QWidget& window) {
  WindowPlacementRecord placement;
  const Qt::WindowStates state = window.windowState();
  if (state & Qt::WindowMinimized) {
    placement.showCmd = kShowMinimized;
    if (state & Qt::WindowMaximized) placement.flags |= kRestoreToMaximized;
  } else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
    placement.showCmd = kShowMaximized;
  }

  QRect client = window.geometry();
  if ((state & kNotNormalStates) && window.normalGeometry().isValid()) {
    client = window.normalGeometry();
  }
  const QRect frame = client.marginsAdded(FrameMargins(window));
  placement.normalPosition = {frame.x(), frame.y(), frame.x() + frame.width(),
                              frame.y() + frame.height()};
  return placement;
}

void SetWindowPlacement(QWidget& window, const WindowPlacementRecord& placement) {
  const PlacementRect& stored = placement.normalPosition;
  const QMargins margins = FrameMargins(window);
  const auto frameLength = [](std::int64_t from, std::int64_t to, int frameParts) {
    return std::clamp<std::int64_t>(to - from, frameParts + 1, QWIDGETSIZE_MAX);
  };
  WideRect frame{stored.left, stored.top,
                 frameLength(stored.left, stored.right, margins.left() + margins.right()),
                 frameLength(stored.top, stored.bottom, margins.top() + margins.bottom())};
  KeepOnSomeScreen(frame);
  // Keep the far edges representable even with no screen to compare with.
  frame.left = std::min<std::int64_t>(frame.left, INT32_MAX - frame.width);
  frame.top = std::min<std::int64_t>(frame.top, INT32_MAX - frame.height);
  const QSize clientSize(static_cast<int>(frame.width) - margins.left() - margins.right(),
                         static_cast<int>(frame.height) - margins.top() - margins.bottom());

  if (window.windowState() & kNotNormalStates) {
    window.setWindowState(window.windowState() & ~kNotNormalStates);
  }
  window.resize(clientSize);
  // move() places the outer frame, so the position holds even where the frame's size is not
  // known yet (before the window manager has decorated a newly shown window).
  if (!WindowSystemPlacesWindows())
    window.move(static_cast<int>(frame.left), static_cast<int>(frame.top));
  ApplyShowCommand(window, placement);
}

}  // namespace dorvex
