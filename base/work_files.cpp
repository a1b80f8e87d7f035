#include "base/work_files.h"

#include <iterator>
#include <string_view>

namespace velto {
namespace {

// The longest file name a folder takes.
constexpr std::size_t kLongestName = 255;

std::wstring WorkNameFor(const std::wstring& output, std::wstring_view suffix) {
  const std::size_t slash = output.find_last_of(L"\\/");
  const std::size_t nameAt = slash == std::wstring::npos ? 0 : slash + 1;
  std::wstring name = output.substr(nameAt);
  const std::size_t room = kLongestName - (std::size(kWorkFilePrefix) - 1) - suffix.size();
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

}  // namespace velto
