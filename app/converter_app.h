#pragma once
// ConverterApp: the converter's application object. It runs the main window
// modally and ends the program when that window closes.
#include "framework/application.h"

namespace velto {

class ConverterApp : public Application {
 public:
  // Runs the main window; false in every case, so that no message loop
  // follows once it has closed.
  bool InitInstance() override;
  int ExitInstance() override;
};

}  // namespace velto
