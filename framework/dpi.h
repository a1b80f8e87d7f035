#pragma once
// Scaling for the screen's dots per inch: sizes in pixels are written for
// 96 dpi (100 %) and scaled to the dpi a window is shown at.
#include <windows.h>

namespace velto {

constexpr UINT kDefaultDpi = 96;

// The dpi `window` is shown at: its monitor's where the system scales per
// monitor, else the system's.
UINT WindowDpi(HWND window);

// `pixels` at 96 dpi, at `dpi`.
int ScaleForDpi(int pixels, UINT dpi);

// A system metric (SM_CXICON, SM_CXSMICON, ...) at `dpi`.
int SystemMetricForDpi(int index, UINT dpi);

}  // namespace velto
