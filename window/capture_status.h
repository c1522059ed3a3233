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
  QString libraryProblem;  // why nothing can be captured on this computer (no Npcap), if so
};

// "Capturing on <adapter> (filter: <filter>)", "Not capturing: " with the reason (the capture
// library's problem before any other; a hint to the README when the capture was refused for want
// of rights), or, with no adapter wanted, "Pick the adapter the game uses" naming the adapter of
// the default route when there is one.
QString CaptureStatusText(const CaptureState& state,
                          const std::optional<QString>& defaultRouteAdapter = std::nullopt);

// The status line: the capture status, then a short note of each problem (the history's, empty
// when it is saved; a missing Japanese font), so that none hides another; its tooltip holds all
// in full, the problems first.
struct StatusLine {
  QString text;
  QString tooltip;
};
StatusLine MakeStatusLine(const QString& captureStatus, const QString& historyStatus,
                          const QString& fontProblem = {});

// The font problem for the status line when no installed font has Japanese glyphs (the report,
// the check boxes and the copy button would show boxes), empty otherwise.
QString JapaneseFontProblem(bool japaneseFontInstalled);

// The adapter list's text for one adapter: its name, and its description when it has one
// ("any: Pseudo-device that captures on all interfaces"), or only that for Npcap's adapters
// ("\Device\NPF_{GUID}"); the adapter of the default route is marked " (default route)".
QString AdapterLabel(const QString& name, const QString& description,
                     bool carriesDefaultRoute = false);

// The route table the window finds the default route in (/proc/net/route); tests set a file of
// their own.
const QString& RouteTablePath();
void SetRouteTablePath(const QString& path);

}  // namespace dorvex
