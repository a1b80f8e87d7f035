#pragma once
// The skin layer: the look of every dialog. The program makes exactly these
// six calls into it; any implementation with these effects serves, down to
// plain platform drawing.
#include <windows.h>

namespace velto::skin {

// Resource holding the skin, and the style used for dialogs.
inline constexpr wchar_t kSkinResourceName[] = L"AMBER_SKIN";
inline constexpr wchar_t kSkinResourceType[] = L"SKINMAGIC";
inline constexpr wchar_t kDialogStyle[] = L"Dialog";

// Comes before every other call. Nothing returned is used.
void Initialize(HINSTANCE instance);

// Loads the skin from the executable's resources; an empty or missing
// resource leaves the platform's own look.
void LoadFromResource(HINSTANCE instance, const wchar_t* name, const wchar_t* type);

// Every dialog opened afterwards is drawn in this style.
void SetDialogStyle(const wchar_t* styleName);

// Called once for each link control of the About box after it is set up.
void ApplyToWindow(HWND window);

// Shows a popup menu at a screen point, tracks it and delivers the chosen
// command to the owner as WM_COMMAND, as TrackPopupMenu does.
void TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);

// Releases what the layer holds; the last call.
void Shutdown();

// Whether a skin was loaded, and whether it has the named style.
bool IsLoaded();
bool HasStyle(const wchar_t* styleName);

}  // namespace velto::skin
