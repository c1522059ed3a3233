#pragma once
// The one-line status under the window's layout: what is being captured, or why nothing is, and
// whether the count history is being saved.

#include <QString>
#include <optional>

#include "capture/capture_helper_status.h"

namespace dorvex {

struct CaptureState {
  bool active = false;
  int wantedIndex = -1;  // the adapter the window wants captured; -1: none
  QString adapterLabel;  // the captured adapter as the adapter list shows it
  QString filter;
  QString lastError;
  capture_helper::Status failure = capture_helper::kExitOk;  // the component's LastFailure
};

// "Capturing on <adapter> (filter: <filter>)", "Not capturing: " with the reason (a hint to the
// README when the capture was refused for want of rights), or, with no adapter wanted, "Pick the
// adapter the game uses" naming the adapter of the default route when there is one.
QString CaptureStatusText(const CaptureState& state,
                          const std::optional<QString>& defaultRouteAdapter = std::nullopt);

// The status line: a history problem (`historyStatus`, empty when the history is saved) comes
// first, since it is what the user must act on, then the capture status.
QString StatusLineText(const QString& captureStatus, const QString& historyStatus);

// The adapter list's text for one adapter: its description, or its name when it has none; the
// adapter of the default route is marked " (default route)".
QString AdapterLabel(const QString& name, const QString& description,
                     bool carriesDefaultRoute = false);

// The route table the window finds the default route in (/proc/net/route); tests set a file of
// their own.
const QString& RouteTablePath();
void SetRouteTablePath(const QString& path);

}  // namespace dorvex
