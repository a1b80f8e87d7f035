#pragma once
// Lets this thread's queue run outside any modal loop, as the framework's
// loops handle it (pre-translation, then dispatch).
#include <windows.h>

#include "framework/window.h"

namespace velto::testing {

// Handles whatever is queued now.
inline void Pump() {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ProcessMessage(msg);
}

// Keeps the queue running for a while, for painting and timers.
inline void PumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    Pump();
    Sleep(10);
  } while (GetTickCount() - start < milliseconds);
}

}  // namespace velto::testing
