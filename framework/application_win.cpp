#include "framework/application.h"

#include <shellapi.h>

#include <exception>
#include <string>

#include "base/owned_handles.h"
#include "base/text_encoding.h"
#include "framework/window.h"

namespace velto {

namespace {

Application* g_current = nullptr;

std::wstring ExecutableBaseName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L"Application";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0) name.resize(dot);
  return name;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

template <class F>
void Guarded(const char* where, F&& body) {
  try {
    body();
  } catch (const std::exception& e) {
    LogException(where, e.what());
  } catch (...) {
    LogException(where, nullptr);
  }
}

}  // namespace

CommandLineInfo ParseCommandLineArguments(const std::vector<std::string>& arguments) {
  CommandLineInfo info;
  for (const std::string& argument : arguments) {
    if (!argument.empty() && (argument[0] == '/' || argument[0] == '-')) {
      const std::string_view flag = std::string_view(argument).substr(1);
      if (EqualsIgnoringCase(flag, "Embedding")) info.runEmbedded = true;
      if (EqualsIgnoringCase(flag, "Automation")) info.runAutomated = true;
    } else if (info.fileName.empty()) {
      info.fileName = argument;
    }
  }
  info.showSplash = !info.runEmbedded && !info.runAutomated;
  return info;
}

Application::Application() : profileName_(ExecutableBaseName() + L".INI"), previous_(g_current) {
  g_current = this;
}

Application::~Application() {
  if (g_current == this) g_current = previous_;
}

Application* Application::Current() { return g_current; }

int Application::Run(HINSTANCE instance, int showCommand) {
  instance_ = instance;
  showCommand_ = showCommand;
  EnsureCommonControls();
  bool runLoop = false;
  Guarded("InitInstance", [&] { runLoop = InitInstance(); });
  if (runLoop) Guarded("the message loop", [&] { exitCode_ = RunMessageLoop(); });
  int code = exitCode_;
  Guarded("ExitInstance", [&] { code = ExitInstance(); });
  return code;
}

int Application::RunMessageLoop() {
  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return -1;
    ProcessMessage(msg);
  }
}

CommandLineInfo Application::ParseCommandLine() const {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
  if (list) {
    for (int i = 1; i < count; ++i) arguments.push_back(WideToUtf8(list[i]));
    LocalFree(list);
  }
  return ParseCommandLineArguments(arguments);
}

int Application::GetProfileInt(std::string_view section, std::string_view key, int defaultValue) const {
  return static_cast<int>(GetPrivateProfileIntW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(), defaultValue,
                                                profileName_.c_str()));
}

bool Application::WriteProfileInt(std::string_view section, std::string_view key, int value) const {
  return WriteProfileString(section, key, std::to_string(value));
}

std::string Application::GetProfileString(std::string_view section, std::string_view key,
                                          std::string_view defaultValue) const {
  const std::wstring wideSection = Utf8ToWide(section);
  const std::wstring wideKey = Utf8ToWide(key);
  const std::wstring wideDefault = Utf8ToWide(defaultValue);
  std::wstring buffer(256, L'\0');
  for (;;) {
    const DWORD length = GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideDefault.c_str(),
                                                  buffer.data(), static_cast<DWORD>(buffer.size()),
                                                  profileName_.c_str());
    if (length + 1 < buffer.size()) {
      buffer.resize(length);
      return WideToUtf8(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool Application::WriteProfileString(std::string_view section, std::string_view key, std::string_view value) const {
  return WritePrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(), Utf8ToWide(value).c_str(),
                                    profileName_.c_str()) != FALSE;
}

HINSTANCE ResourceInstance() {
  Application* app = Application::Current();
  if (app && app->Instance()) return app->Instance();
  return GetModuleHandleW(nullptr);
}

int ShowMessageBox(std::string_view text, UINT type, std::string_view caption) {
  HWND owner = nullptr;
  Application* app = Application::Current();
  if (app && app->MainWindow() && app->MainWindow()->IsWindow()) {
    owner = GetLastActivePopup(app->MainWindow()->Handle());
  } else {
    owner = GetActiveWindow();
  }
  const std::wstring title = Utf8ToWide(caption.empty() ? std::string_view(kApplicationName) : caption);
  return MessageBoxW(owner, Utf8ToWide(text).c_str(), title.c_str(), type);
}

std::string LoadResourceString(UINT id) {
  const wchar_t* text = nullptr;
  // With a zero buffer size LoadString hands out the resource's own text.
  const int length = LoadStringW(ResourceInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) return {};
  return WideToUtf8(std::wstring_view(text, static_cast<size_t>(length)));
}

void ShowMenuAtCursor(HWND window, int menuId, PopupMenuTracker track) {
  POINT at{};
  GetCursorPos(&at);
  if (at.x == -1 && at.y == -1) {
    at = POINT{0, 0};
    ClientToScreen(window, &at);
    at.x += 5;
    at.y += 5;
  }
  const OwnedMenu menu(LoadMenuW(ResourceInstance(), MAKEINTRESOURCEW(menuId)));
  const HMENU popup = menu ? GetSubMenu(menu.Get(), 0) : nullptr;
  if (!popup) return;
  HWND owner = window;
  while (owner && (GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD)) owner = ::GetParent(owner);
  const UINT flags = TPM_LEFTALIGN | TPM_RIGHTBUTTON;
  if (track) {
    track(popup, flags, at.x, at.y, owner);
  } else {
    ::TrackPopupMenu(popup, flags, at.x, at.y, 0, owner, nullptr);
  }
}

}  // namespace velto
