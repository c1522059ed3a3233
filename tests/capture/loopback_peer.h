#pragma once
#include "live_test_support.h"  // LoopbackConnection
