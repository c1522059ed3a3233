#pragma once
// The one-line capture status under the window's layout: what is being captured, or why nothing
// is.

#include <QString>

namespace dorvex {

struct CaptureState {
  bool active = false;
  int wantedIndex = -1;  // the adapter the window wants captured; -1: none
  QString adapterLabel;  // the captured adapter as the adapter list shows it
  QString filter;
  QString lastError;
};

// The README section that tells how to give the program the right to capture.
inline constexpr char kCaptureRightsHint[] = R"(see "Capture rights" in the README)";

// "Capturing on <adapter> (filter: <filter>)", "No adapter selected", or "Not capturing: " with
// the reason (a hint to the README when the reason is missing rights).
QString CaptureStatusText(const CaptureState& state);

// The adapter list's text for one adapter: its description, or its name when it has none.
QString AdapterLabel(const QString& name, const QString& description);

}  // namespace dorvex
