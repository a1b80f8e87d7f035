#include "app/converter_app.h"

#include <shlobj.h>

#include <string>

#include "base/owned_handles.h"
#include "ui/skin.h"
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

// Registers the player control when it ships beside the program: the
// system's regsvr32.exe, started hidden with the control's full path. Nobody
// waits for it and its result is not looked at. A control of that name in the
// current folder or on the PATH is never registered (that would run whatever
// code such a file holds); without the control nothing is started. True when
// the registration was started.
bool StartPlayerControlRegistration() {
  wchar_t module[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  std::wstring control(module, length);
  control.resize(control.find_last_of(L'\\') + 1);
  control += L"ReelView.ocx";
  const DWORD attributes = GetFileAttributesW(control.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  wchar_t system[MAX_PATH] = {};
  const UINT systemLength = GetSystemDirectoryW(system, MAX_PATH);
  if (systemLength == 0 || systemLength >= MAX_PATH) return false;
  const std::wstring program = std::wstring(system) + L"\\regsvr32.exe";
  std::wstring commandLine = L"\"" + program + L"\" /s \"" + control + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  const OwnedProcess started(process);
  return true;
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
  LogStep(StartPlayerControlRegistration() ? L"player control registration started"
                                           : L"no player control beside the program");
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
    dialog.OfferResumeAtStart();
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
