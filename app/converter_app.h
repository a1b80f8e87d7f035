#pragma once
// ConverterApp: the converter's application object. Before the main window
// exists it registers the player control, starts the skin layer and loads
// the skin, and offers the Tip of the Day; then it runs the main window
// modally and ends the program when that window closes. The skin layer is
// shut down last.
//
// Each step of start-up and shutdown is written to the debug output as a
// line "VeltoConverter: <step>", so that a debug-output viewer (or a test)
// can follow the order.
#include "framework/application.h"

namespace velto {

// The folder below the user's application-data folder that holds the
// program's per-user profile (the Tip of the Day settings).
inline constexpr wchar_t kProfileFolderName[] = L"Velto ASF Converter";

// Prefix of every start-up and shutdown line in the debug output.
inline constexpr wchar_t kStartupLogPrefix[] = L"VeltoConverter: ";

class ConverterApp : public Application {
 public:
  // Runs the main window; false in every case, so that no message loop
  // follows once it has closed.
  bool InitInstance() override;
  // Shuts the skin layer down; the framework's exit code.
  int ExitInstance() override;

 private:
  void UsePerUserProfile();
  void ShowStartupTip();
};

}  // namespace velto
