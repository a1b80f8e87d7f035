#pragma once
// The folder of the running program, where option.ini, version.ini,
// veltoenc.exe and help.chm are looked for.
#include <string>
#include <string_view>

namespace velto {

// The part of a Windows program path up to and including its last backslash:
// "C:\Tools\Conv\app.exe" gives "C:\Tools\Conv\", "\app.exe" gives "\", and a
// bare "app.exe" gives "". Paths of any length keep their folder.
std::string DirectoryOfProgramPath(std::string_view programPath);

// The directory of the running executable, taken from the loaded module's
// full path (not from how the program was started), ending with the
// separator; "" when it cannot be had.
std::string ModuleDirectory();

}  // namespace velto
