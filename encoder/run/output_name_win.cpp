#include "encoder/run/output_name_win.h"

#include <windows.h>

#include "base/output_names.h"
#include "base/text_encoding.h"
#include "encoder/run/output_check_win.h"

namespace velto {
namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Taken(const std::wstring& path) { return Exists(path) || WorkFilesHeld(path); }

}  // namespace

std::wstring OutputNames::Claim(const std::wstring& wanted) {
  std::wstring name = wanted;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    if (!Exists(name)) {
      auto claim = std::make_unique<WorkClaim>(name);
      // A file of the name may come between the look and the claim.
      if (claim->Held() && !Exists(name)) {
        claims_.push_back(std::move(claim));
        if (name != wanted) log_.Line("the output's name is taken; it is named " + WideToUtf8(name));
        return name;
      }
      if (claim->Result() == WorkClaim::Outcome::kFailed) {
        log_.Line("the output's name could not be claimed (system error " + std::to_string(claim->Error()) + ")");
        return name;
      }
    }
    name = Utf8ToWide(NextFreeOutputPath(WideToUtf8(name), source_,
                                         [](const std::string& path) { return Taken(Utf8ToWide(path)); }));
  }
  log_.Line("no free name for the output was found");
  return name;
}

std::uint32_t OutputNames::Publish(const std::wstring& partial, std::wstring& output) {
  for (int attempt = 0;; ++attempt) {
    const std::uint32_t error = PublishOutput(partial, output);
    if ((error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) || attempt == 100) return error;
    log_.Line("the name " + WideToUtf8(output) + " was taken meanwhile");
    const std::wstring next = Claim(output);
    if (next == output) return error;
    output = next;
  }
}

}  // namespace velto
