// The skin layer. Dialogs keep the platform's own look: loading reads the
// skin resource (styles in INI form) and remembers which style is chosen;
// popup menus are tracked by the platform.
#include <windows.h>

#include <string>

#include "ui/skin.h"
#include "base/text_encoding.h"
#include "settings/ini_file.h"

namespace velto::skin {
namespace {

struct SkinState {
  HINSTANCE instance = nullptr;
  bool loaded = false;
  IniFile styles;
  std::wstring dialogStyle;
};

SkinState& State() {
  static SkinState state;
  return state;
}

}  // namespace

void Initialize(HINSTANCE instance) {
  State() = SkinState{};
  State().instance = instance;
}

void LoadFromResource(HINSTANCE instance, const wchar_t* name, const wchar_t* type) {
  SkinState& state = State();
  state.loaded = false;
  const HRSRC found = FindResourceW(instance, name, type);
  if (!found) return;
  const DWORD size = SizeofResource(instance, found);
  const HGLOBAL handle = LoadResource(instance, found);
  const void* data = handle ? LockResource(handle) : nullptr;
  if (!data || size == 0) return;
  state.styles = IniFile::Parse(std::string(static_cast<const char*>(data), size));
  state.loaded = true;
}

void SetDialogStyle(const wchar_t* styleName) { State().dialogStyle = styleName ? styleName : L""; }

void ApplyToWindow(HWND window) {
  // Link controls keep their own painting; nothing to change for the platform look.
  (void)window;
}

void TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
  ::TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
}

void Shutdown() { State() = SkinState{}; }

bool IsLoaded() { return State().loaded; }

bool HasStyle(const wchar_t* styleName) {
  const SkinState& state = State();
  return state.loaded && styleName && state.styles.Get(WideToUtf8(styleName), "Look").has_value();
}

}  // namespace velto::skin
