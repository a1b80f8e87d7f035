// The converter program's entry point.
#include <windows.h>

#include "app/converter_app.h"

namespace {
velto::ConverterApp theApp;
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  return theApp.Run(instance, showCommand);
}
