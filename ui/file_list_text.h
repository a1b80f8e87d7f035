#pragma once
// Texts and small rules of the Add, Convert and file-list commands that need
// no window: row texts, the open-file dialog's selection, the chosen output
// folder and the batch's closing message.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/encoder_cause.h"
#include "engine/batch_runner.h"

namespace velto {

// Column 0 of a row: ten blanks, then the row's number counted from 1.
std::string RowNumberText(int number);

// Column 2 of a row: "hh:mm:ss" of the duration cut to whole seconds.
std::string RowDurationText(double seconds);

// The names an open-file dialog with multiple selection returns in its
// buffer: either one full path, or the folder followed by the file names,
// each ended by a NUL, the whole list by a second NUL. The paths in the
// order the dialog gives them; nothing for an empty buffer.
std::vector<std::wstring> SplitSelectedFiles(std::wstring_view buffer);

// The folder a folder browser returned, as the output folder: a backslash
// added unless it ends with one already (drive roots). Nothing when the
// result would not fit `limit` characters (UTF-16 units, as Windows counts
// them); the folder is never cut short.
std::optional<std::string> OutputFolderFromBrowser(std::string_view folder, std::size_t limit);

// "Load file %s failed." for one path.
std::string LoadFailedText(std::string_view path);

// A file that one Add or drop could not take, and why in words (empty when
// that is not known).
struct RefusedFile {
  std::string path;
  std::string why;
};

// The one message for the files one Add or drop could not take: a line
// each, LoadFailedText followed by the cause in parentheses where it is
// known. At most `listed` are named one by one; the rest are counted.
std::string LoadFailedListText(const std::vector<RefusedFile>& refused, std::size_t listed = 20);

// A failed encoder run's cause in plain words; an engine failure brings the
// engine's last error line, a playlist that leads to no file why its
// entries were passed over, both shortened. Empty for an unknown cause.
std::string CauseWords(const EncoderCauseRecord& record);

// The closing message's line for a source whose data ends before the
// length its header states: its file name, the seconds converted and the
// seconds stated.
std::string CutShortText(std::string_view path, double convertedSeconds, double statedSeconds);

// The message for files refused because the list already holds `limit`
// entries.
std::string ListFullText(int refused, int limit);

// True for a name ending in .asf, .wmv or .asx (any case): the files Add
// offers and a drop takes.
bool IsVideoFileName(std::string_view path);

// What a drop on the window could not take: a file of another kind, or a
// folder without a video file directly inside.
struct RefusedDrop {
  std::string path;
  bool folder = false;
};

// The one message naming what a drop could not take; at most `listed` are
// named one by one, the rest are counted.
std::string RefusedDropText(const std::vector<RefusedDrop>& refused, std::size_t listed = 12);


// The closing message of a batch in which files failed: how many, each
// failed file with its cause in words and its log (or why there is none),
// the total time. At most
// `listed` files are named one by one; the rest are counted.
std::string BatchFailureText(const std::vector<FailedConversion>& failed, int total,
                             std::string_view elapsedText, std::string_view logFolder,
                             std::size_t listed = 12);

}  // namespace velto
