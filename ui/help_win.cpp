#include "ui/help.h"

#include <utility>

#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "ui/link_controls.h"

namespace velto {

namespace {

struct LoaderState {
  HMODULE library = nullptr;
  HtmlHelpFunction entryPoint = nullptr;
  bool failed = false;
  HtmlHelpLoader::SystemCalls calls = HtmlHelpLoader::RealSystemCalls();
};

LoaderState& State() {
  static LoaderState state;
  return state;
}

// Text in the ANSI code page; lossy tells whether a character had no match.
std::string WideToAnsi(const std::wstring& text, bool& lossy) {
  lossy = false;
  if (text.empty()) return {};
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       &usedDefault);
  if (size <= 0) {
    lossy = true;
    return {};
  }
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), result.data(), size, nullptr,
                      &usedDefault);
  lossy = usedDefault != FALSE;
  return result;
}

}  // namespace

HtmlHelpLoader::SystemCalls HtmlHelpLoader::RealSystemCalls() {
  SystemCalls calls;
  calls.readRegisteredLibrary = [](std::wstring& path) {
    return ReadRegistryDefault(HKEY_CLASSES_ROOT, kEngineClassKey, path) == ERROR_SUCCESS;
  };
  calls.loadLibrary = [](const std::wstring& name) { return LoadLibraryW(name.c_str()); };
  calls.findExport = [](HMODULE module, WORD ordinal) {
    return GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
  };
  return calls;
}

void HtmlHelpLoader::UseSystemCalls(SystemCalls calls) {
  LoaderState& state = State();
  state = LoaderState{};
  state.calls = std::move(calls);
}

bool HtmlHelpLoader::IsLoaded() { return State().library != nullptr; }
bool HtmlHelpLoader::HasFailed() { return State().failed; }

HWND HtmlHelpLoader::Call(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
  LoaderState& state = State();
  if (!state.library && !state.failed) {
    std::wstring registered;
    if (state.calls.readRegisteredLibrary(registered) && !registered.empty()) {
      state.library = state.calls.loadLibrary(registered);
    }
    if (!state.library) state.library = state.calls.loadLibrary(kEngineLibrary);
    if (!state.library) {
      state.failed = true;
      return nullptr;
    }
  }
  if (state.failed) return nullptr;
  if (!state.entryPoint) {
    state.entryPoint = reinterpret_cast<HtmlHelpFunction>(
        reinterpret_cast<void*>(state.calls.findExport(state.library, kHtmlHelpOrdinal)));
    if (!state.entryPoint) {
      state.failed = true;
      return nullptr;
    }
  }
  return state.entryPoint(owner, file, command, data);
}

std::string HelpContentsTopic(const std::string& programFolder) {
  const std::wstring folder = Utf8ToWide(programFolder);
  bool lossy = false;
  std::string ansiFolder = WideToAnsi(folder, lossy);
  if (lossy) {
    // A folder the code page cannot spell may still have a short name it can.
    wchar_t shortName[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(folder.c_str(), shortName, MAX_PATH);
    if (length > 0 && length < MAX_PATH) ansiFolder = WideToAnsi(shortName, lossy);
  }
  std::string topic = ansiFolder + kHelpTopic;
  if (topic.size() + 1 > kHelpTopicLimit) return {};  // a cut-off path names no file
  return topic;
}

void ShowHelpContents() {
  const std::string topic = HelpContentsTopic(ModuleDirectory());
  if (topic.empty()) return;
  HtmlHelpLoader::Call(nullptr, topic.c_str(), kHelpDisplayTopic, 0);
}

}  // namespace velto
