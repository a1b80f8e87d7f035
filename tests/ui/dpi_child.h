#pragma once
// The child runs of DpiScaling (dpi_test.cpp): each runs the DpiChild tests
// with the screen's dpi set in the registry to the one it is told.
#include <windows.h>

#include <cstdlib>

namespace velto::testing {

inline constexpr char kDpiVariable[] = "VELTO_TEST_DPI";

// The dpi this child run is to see; 0 outside a child run.
inline UINT ChildDpi() {
  const char* wanted = std::getenv(kDpiVariable);
  return wanted ? static_cast<UINT>(std::atoi(wanted)) : 0;
}

}  // namespace velto::testing
