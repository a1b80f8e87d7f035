#pragma once
// The help file help.chm beside the program, shown with the platform's HTML
// Help engine. The engine is loaded on first use only, so the program runs
// without it.
#include <windows.h>

#include <functional>
#include <string>

namespace velto {

// The topic the help command opens, after the program's folder.
inline constexpr char kHelpTopic[] = "help.chm::/overview/overview.htm";
// HtmlHelp's command that shows a topic.
inline constexpr UINT kHelpDisplayTopic = 0;
// The topic text is formed in a buffer of this many bytes.
inline constexpr size_t kHelpTopicLimit = 256;

// The HTML Help engine's HtmlHelpA: owner window, file text, command, data;
// a window handle, or null on failure.
using HtmlHelpFunction = HWND(WINAPI*)(HWND owner, LPCSTR file, UINT command, DWORD_PTR data);

// Finds, loads and calls the engine. The library stays loaded until the
// process ends; once loading has failed, it is not tried again and every
// call returns null.
class HtmlHelpLoader {
 public:
  static HWND Call(HWND owner, LPCSTR file, UINT command, DWORD_PTR data);

  static bool IsLoaded();
  static bool HasFailed();

  // The system calls the loader makes; tests put stand-ins here.
  struct SystemCalls {
    // The default value of the engine's registered in-process server key.
    std::function<bool(std::wstring& path)> readRegisteredLibrary;
    std::function<HMODULE(const std::wstring& name)> loadLibrary;
    std::function<FARPROC(HMODULE module, WORD ordinal)> findExport;
  };
  static SystemCalls RealSystemCalls();
  // Replaces the calls and forgets what was loaded (the library stays).
  static void UseSystemCalls(SystemCalls calls);

  // HtmlHelpA's export number in hhctrl.ocx.
  static constexpr WORD kHtmlHelpOrdinal = 14;
  static constexpr wchar_t kEngineClassKey[] =
      L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
  static constexpr wchar_t kEngineLibrary[] = L"hhctrl.ocx";
};

// The text ShowHelpContents asks the engine for: the program folder (with
// its trailing backslash) and kHelpTopic, in the ANSI code page. Empty when
// it does not fit kHelpTopicLimit bytes with its terminator.
std::string HelpContentsTopic(const std::string& programFolder);

// Opens help.chm at its overview topic; nothing is reported on failure.
void ShowHelpContents();

}  // namespace velto
