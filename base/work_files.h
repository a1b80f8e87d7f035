#pragma once
// The hidden files a conversion works in beside its output, named after the
// output so that a later run of the same output finds them:
//   "<folder>\~velto-<name>.partial"  the output until it has been checked
//   "<folder>\~velto-<name>.parts\"   the run's claim on the output's name,
//                                     and a split conversion's ranges and
//                                     sound, kept for a resume after a kill
// A live run holds an open file named "lock" in the parts folder from its
// start until its output is named, which its run alone can remove: a name
// whose lock cannot be removed is in use, and neither its temporary output
// nor its parts folder is touched by another run.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

inline constexpr wchar_t kWorkFilePrefix[] = L"~velto-";
inline constexpr wchar_t kPartialSuffix[] = L".partial";
inline constexpr wchar_t kPartsSuffix[] = L".parts";
inline constexpr wchar_t kPartsLockName[] = L"lock";
// The converter's journal of a running batch, beside the run logs
// (base/encoder_interface.h): "<local application data>\<kEncoderLogParent>\batch.journal".
inline constexpr wchar_t kBatchJournalName[] = L"batch.journal";

// The output's temporary name (the name shortened so that the whole fits
// the 255 characters a folder takes; both work names of an output are
// shortened alike).
std::wstring PartialOutputFor(const std::wstring& output);
// The output's parts folder, with a backslash at its end.
std::wstring PartsFolderFor(const std::wstring& output);
// Whether a file or folder name (no path) is one of these work files.
bool IsWorkFileName(const std::wstring& name);

// A batch journal's text: its first line, then "key=value" lines, then
// its end line. Line breaks and '%' in a value are written %0A, %0D and
// %25.
inline constexpr std::string_view kJournalFirstLine = "velto batch journal 1";
inline constexpr std::string_view kJournalEndLine = "end";
// A journal's value read back; nullopt for a '%' of any other kind.
std::optional<std::string> JournalValue(std::string_view value);
// Hands every "key=value" line of a journal's text to `take`, its value
// read back; false when the text is not a whole journal or `take` refuses
// a line (answers false).
using JournalLineTaker = std::function<bool(std::string_view key, const std::string& value)>;
bool ReadJournalLines(std::string_view text, const JournalLineTaker& take);
// The outputs a journal names (its "output=" lines); nullopt when the text
// is not a whole journal.
std::optional<std::vector<std::string>> JournalOutputs(std::string_view text);

#ifdef _WIN32
// Whether a live run holds the output's name (its parts folder's lock).
bool WorkFilesHeld(const std::wstring& output);
// Removes the output's temporary file and its parts folder, unless a live
// run holds the folder. True when neither is left.
bool RemoveWorkFiles(const std::wstring& output);
// Removes a parts folder (only one named as above) with what it holds,
// unless a live run holds it; ffmpeg may hold a file for a moment after its
// end, so this tries for a few seconds. True when it is gone.
bool RemovePartsFolder(const std::wstring& folder);
// Removes what killed runs left in `folder` (ending with a backslash): every
// temporary output and parts folder whose name no live run holds, except
// the parts folders of `waiting`, the outputs an interrupted batch still
// has to convert (full paths); with no `waiting` (its journal could not be
// read), every parts folder stays.
void SweepWorkFiles(const std::wstring& folder, const std::optional<std::vector<std::wstring>>& waiting);

// A run's claim on an output's name, for the whole conversion: the parts
// folder made (hidden), or the one a killed run left found, and its lock
// held. Ending the claim removes the folder with what it holds; a killed
// run's lock goes with its process and the folder stays.
class WorkClaim {
 public:
  enum class Outcome { kHeld, kInUse, kFailed };

  explicit WorkClaim(const std::wstring& output);  // a full path
  WorkClaim(const WorkClaim&) = delete;
  WorkClaim& operator=(const WorkClaim&) = delete;
  ~WorkClaim();

  Outcome Result() const { return outcome_; }
  bool Held() const { return outcome_ == Outcome::kHeld; }
  // The system's error when the folder or its lock could not be made.
  unsigned long Error() const { return error_; }
  // With a backslash at its end.
  const std::wstring& Folder() const { return folder_; }
  // Removes every file in the folder but the lock; true when none is left.
  bool ClearParts() const;

 private:
  std::wstring folder_;
  void* lock_ = nullptr;  // the lock's handle
  Outcome outcome_ = Outcome::kFailed;
  unsigned long error_ = 0;
};
#endif

}  // namespace velto
