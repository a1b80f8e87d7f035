// The settings loader on any option.ini: every value loads, the output folder
// keeps its limit, and saving what was loaded then loading again gives the
// same settings.
#include <cstdint>
#include <string>

#include "base/text_encoding.h"
#include "fuzz_check.h"
#include "settings/settings_store.h"

namespace {

bool SameSettings(const velto::ConversionSettings& a, const velto::ConversionSettings& b) {
  for (const velto::SettingKey& key : velto::kSettingKeys)
    if (key.field != nullptr && a.*key.field != b.*key.field) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string document(reinterpret_cast<const char*>(data), size);
  velto::IniFile ini = velto::IniFile::Parse(document);
  velto::ConversionSettings settings;
  std::string folder;
  velto::ReadSettings(ini, settings, folder);
  FUZZ_CHECK(velto::IsValidUtf8(folder));
  FUZZ_CHECK(velto::Utf16Length(folder) <= velto::kOutputFolderLimit);
  FUZZ_CHECK(folder.find('\0') == std::string::npos);

  velto::WriteSettings(ini, settings, folder);
  const velto::IniFile saved = velto::IniFile::Parse(ini.Serialize());
  velto::ConversionSettings again;
  std::string againFolder;
  velto::ReadSettings(saved, again, againFolder);
  FUZZ_CHECK(SameSettings(settings, again));
  FUZZ_CHECK(againFolder == folder);

  (void)velto::ParseSettingInteger(document);
  return 0;
}
