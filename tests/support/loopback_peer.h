#pragma once
#include "tests/support/live_test_support.h"  // LoopbackConnection
