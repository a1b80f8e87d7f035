#pragma once
// The hidden files a conversion works in beside its output, named after the
// output so that a later run of the same output finds them:
//   "<folder>\~velto-<name>.partial"  the output until it has been checked
//   "<folder>\~velto-<name>.parts\"   a split conversion's ranges and sound,
//                                     kept for a resume after a kill
// A parts folder in use holds an open file named "lock" that its run alone
// can remove; one whose lock can be removed belongs to no live run.
#include <string>

namespace velto {

inline constexpr wchar_t kWorkFilePrefix[] = L"~velto-";
inline constexpr wchar_t kPartialSuffix[] = L".partial";
inline constexpr wchar_t kPartsSuffix[] = L".parts";
inline constexpr wchar_t kPartsLockName[] = L"lock";

// The output's temporary name (the name shortened so that the whole fits
// the 255 characters a folder takes).
std::wstring PartialOutputFor(const std::wstring& output);
// The output's parts folder, with a backslash at its end.
std::wstring PartsFolderFor(const std::wstring& output);
// Whether a file or folder name (no path) is one of these work files.
bool IsWorkFileName(const std::wstring& name);

#ifdef _WIN32
// Removes the output's temporary file and its parts folder, unless a live
// run holds the folder. True when neither is left.
bool RemoveWorkFiles(const std::wstring& output);
// Removes a parts folder (only one named as above) with what it holds,
// unless a live run holds it; ffmpeg may hold a file for a moment after its
// end, so this tries for a few seconds. True when it is gone.
bool RemovePartsFolder(const std::wstring& folder);
// Removes what killed runs left in `folder` (ending with a backslash):
// every temporary output and every parts folder no live run holds, except
// those of `keep`, the output about to be converted, whose parts a resume
// uses.
void SweepWorkFiles(const std::wstring& folder, const std::wstring& keep);
#endif

}  // namespace velto
