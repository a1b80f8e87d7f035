// veltoenc.exe: no window of its own; everything happens in the run.
#include <windows.h>

#include "encoder/front_end_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return velto::RunEncoderFrontEnd(GetCommandLineW());
}
