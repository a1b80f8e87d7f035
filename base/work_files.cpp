#include "base/work_files.h"

#include <algorithm>
#include <iterator>

namespace velto {
namespace {

// The longest file name a folder takes.
constexpr std::size_t kLongestName = 255;

std::wstring WorkNameFor(const std::wstring& output, std::wstring_view suffix) {
  const std::size_t slash = output.find_last_of(L"\\/");
  const std::size_t nameAt = slash == std::wstring::npos ? 0 : slash + 1;
  std::wstring name = output.substr(nameAt);
  // Room for the longer suffix, so that both names share their stem.
  const std::size_t longestSuffix = std::max(std::size(kPartialSuffix), std::size(kPartsSuffix)) - 1;
  const std::size_t room = kLongestName - (std::size(kWorkFilePrefix) - 1) - longestSuffix;
  if (name.size() > room) name.resize(room);
  return output.substr(0, nameAt) + kWorkFilePrefix + name + std::wstring(suffix);
}

}  // namespace

std::wstring PartialOutputFor(const std::wstring& output) { return WorkNameFor(output, kPartialSuffix); }

std::wstring PartsFolderFor(const std::wstring& output) { return WorkNameFor(output, kPartsSuffix) + L"\\"; }

bool IsWorkFileName(const std::wstring& name) {
  const std::wstring_view view(name);
  return view.starts_with(kWorkFilePrefix) && (view.ends_with(kPartialSuffix) || view.ends_with(kPartsSuffix));
}

std::optional<std::string> JournalValue(std::string_view value) {
  std::string text;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '%') {
      text += value[i];
      continue;
    }
    const std::string_view code = value.substr(i + 1, 2);
    if (code == "25") text += '%';
    else if (code == "0A") text += '\n';
    else if (code == "0D") text += '\r';
    else return std::nullopt;
    i += 2;
  }
  return text;
}

bool ReadJournalLines(std::string_view text, const JournalLineTaker& take) {
  bool first = true;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return false;  // cut short
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (first) {
      if (line != kJournalFirstLine) return false;
      first = false;
      continue;
    }
    if (line == kJournalEndLine) return text.empty();
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    const std::optional<std::string> value = JournalValue(line.substr(equals + 1));
    if (!value || !take(line.substr(0, equals), *value)) return false;
  }
  return false;
}

std::optional<std::vector<std::string>> JournalOutputs(std::string_view text) {
  std::vector<std::string> outputs;
  const bool whole = ReadJournalLines(text, [&outputs](std::string_view key, const std::string& value) {
    if (key == "output" && !value.empty()) outputs.push_back(value);
    return true;
  });
  if (!whole) return std::nullopt;
  return outputs;
}

}  // namespace velto
