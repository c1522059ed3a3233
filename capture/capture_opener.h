#pragma once
// How this platform opens a live capture for the capture component: on Linux the capture helper,
// a process of its own that alone holds the right to capture; on Windows in this process through
// Npcap, whose driver decides who may capture. Both have the same members (Start, Stop, Finish,
// ExitStatus).

#ifdef _WIN32
#include "capture/npcap_capture_windows.h"
namespace dorvex {
using CaptureOpener = NpcapCapture;
}
#else
#include "capture/capture_helper.h"
namespace dorvex {
using CaptureOpener = CaptureHelper;
}
#endif
