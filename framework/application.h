#pragma once
// Application: the one application object. wWinMain constructs it (or finds
// the static one) and calls Run, which calls InitInstance; when that returns
// true, a message loop runs until WM_QUIT. ExitInstance gives the exit code.
//
//   int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
//     return theApp.Run(instance, show);
//   }
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace velto {

class Window;

// The application's name: title of message boxes and main window.
inline constexpr char kApplicationName[] = "Velto ASF Converter";

// What the standard command-line switches say.
struct CommandLineInfo {
  bool showSplash = true;    // cleared by /Embedding and /Automation
  bool runEmbedded = false;  // /Embedding
  bool runAutomated = false; // /Automation
  std::string fileName;      // the first argument that is not a switch
};

// Switches start with '/' or '-'; Embedding and Automation in any case.
CommandLineInfo ParseCommandLineArguments(const std::vector<std::string>& arguments);

class Application {
 public:
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The object constructed last and not yet destroyed, or null.
  static Application* Current();

  int Run(HINSTANCE instance, int showCommand);

  virtual bool InitInstance() { return false; }
  virtual int ExitInstance() { return exitCode_; }

  HINSTANCE Instance() const { return instance_; }
  int ShowCommand() const { return showCommand_; }
  Window* MainWindow() const { return mainWindow_; }
  void SetMainWindow(Window* window) { mainWindow_ = window; }

  // The process command line, parsed (the executable's name left out).
  CommandLineInfo ParseCommandLine() const;

  // The application profile: "<executable base name>.INI", which the system
  // looks for in the Windows directory. Values are UTF-8.
  const std::wstring& ProfileName() const { return profileName_; }
  void SetProfileName(std::wstring name) { profileName_ = std::move(name); }
  int GetProfileInt(std::string_view section, std::string_view key, int defaultValue) const;
  bool WriteProfileInt(std::string_view section, std::string_view key, int value) const;
  std::string GetProfileString(std::string_view section, std::string_view key,
                               std::string_view defaultValue = {}) const;
  bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value) const;

 protected:
  void SetExitCode(int code) { exitCode_ = code; }

 private:
  int RunMessageLoop();

  HINSTANCE instance_ = nullptr;
  int showCommand_ = SW_SHOWNORMAL;
  Window* mainWindow_ = nullptr;
  int exitCode_ = 0;
  std::wstring profileName_;
  Application* previous_ = nullptr;
};

// The module that holds the dialog templates, icons and strings: the
// application's instance, or the executable when there is no application.
HINSTANCE ResourceInstance();

// A message box of the given type (buttons and icon: a warning or an
// error carries its icon), titled with the application's name unless a
// caption is given; the owner is the application's main window (its last
// active popup) or the active window.
int ShowMessageBox(std::string_view text, UINT type, std::string_view caption = {});

// A string resource of ResourceInstance as UTF-8; empty when missing.
std::string LoadResourceString(UINT id);

// Tracks a pop-up menu as the platform's TrackPopupMenu does: the chosen
// command goes to owner as WM_COMMAND.
using PopupMenuTracker = void (*)(HMENU popup, UINT flags, int x, int y, HWND owner);

// Opens the first pop-up of menu resource menuId of ResourceInstance at the
// mouse cursor (5 pixels into window's client area when the cursor's place is
// unknown), left-aligned, taking the right button as well; the first window
// upwards from window that is not a child owns it. track, when given, tracks
// it instead of the platform.
void ShowMenuAtCursor(HWND window, int menuId, PopupMenuTracker track = nullptr);

}  // namespace velto
