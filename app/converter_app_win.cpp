#include "app/converter_app.h"

#include <shlobj.h>

#include <string>

#include "app/skin.h"
#include "ui/main_dialog.h"
#include "ui/tip_dialog.h"

namespace velto {

namespace {

void LogStep(const wchar_t* step) {
  std::wstring line = kStartupLogPrefix;
  line += step;
  line += L'\n';
  OutputDebugStringW(line.c_str());
}

// Starts "regsvr32.exe ReelView.ocx /s" hidden, as WinExec does: the names
// are looked up in the usual places (program folder, current folder, system
// folders, PATH). Nobody waits for it and its result is not looked at.
void StartPlayerControlRegistration() {
  std::wstring commandLine = L"regsvr32.exe ReelView.ocx /s";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

std::wstring EnvironmentVariable(const wchar_t* name) {
  std::wstring value(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) return {};
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    value.resize(length);  // too small: length is the size needed
  }
}

// The user's roaming application-data folder; empty when unknown.
std::wstring ApplicationDataFolder() {
  std::wstring folder = EnvironmentVariable(L"APPDATA");
  if (!folder.empty()) return folder;
  wchar_t path[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path))) {
    return path;
  }
  return {};
}

// "<application data>\<kProfileFolderName>\<profile file name>"; empty
// when the application-data folder is unknown.
std::wstring PerUserProfilePath(const std::wstring& appDataFolder, const std::wstring& profileFileName) {
  if (appDataFolder.empty()) return {};
  std::wstring path = appDataFolder;
  if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
  path += kProfileFolderName;
  path += L'\\';
  path += profileFileName;
  return path;
}

}  // namespace

// The framework keeps its profile in the Windows directory, where ordinary
// users may not write. The profile goes to the user's application-data
// folder instead; the folder is made when it is missing. When that folder
// is unknown the framework's own place stays.
void ConverterApp::UsePerUserProfile() {
  const std::wstring path = PerUserProfilePath(ApplicationDataFolder(), ProfileName());
  if (path.empty()) return;
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);  // fails harmlessly when it exists
  SetProfileName(path);
}

bool ConverterApp::InitInstance() {
  UsePerUserProfile();
  // ActiveX control containment: nothing here hosts ActiveX controls.
  StartPlayerControlRegistration();
  LogStep(L"player control registration started");
  skin::Initialize(Instance());
  LogStep(L"skin started");
  skin::LoadFromResource(Instance(), skin::kSkinResourceName, skin::kSkinResourceType);
  LogStep(skin::IsLoaded() ? L"skin loaded" : L"no skin in the resources: platform look");
  skin::SetDialogStyle(skin::kDialogStyle);
  LogStep(L"dialog style set");
  ShowStartupTip();
  // Three-dimensional controls: every control of the platform has that look.
  {
    MainDialog dialog;  // loads the settings; its destructor saves them
    LogStep(L"main window constructed");
    SetMainWindow(&dialog);
    dialog.DoModal();
    LogStep(L"main window closed");
  }
  SetMainWindow(nullptr);
  LogStep(L"main window destroyed");
  return false;
}

// Offered unless the program was started as an automation server; shown
// only when the user has not switched it off. Constructing the dialog reads
// the next tip even when it is not shown.
void ConverterApp::ShowStartupTip() {
  const CommandLineInfo commandLine = ParseCommandLine();
  if (!commandLine.showSplash) {
    LogStep(L"tip not offered");
    return;
  }
  TipDialog tip;
  if (tip.m_bShowAtStartup) {
    LogStep(L"tip shown");
    tip.DoModal();
  } else {
    LogStep(L"tip switched off");
  }
}

int ConverterApp::ExitInstance() {
  skin::Shutdown();
  LogStep(L"skin shut down");
  return Application::ExitInstance();
}

}  // namespace velto
