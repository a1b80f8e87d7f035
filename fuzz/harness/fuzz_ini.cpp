// The INI reader and writer: any bytes parse; a value that is set reads back
// as it was set, before and after the document is written and read again;
// writing an unchanged document changes nothing that is read from it.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>

#include "base/text_encoding.h"
#include "fuzz_check.h"
#include "settings/ini_file.h"

namespace {

// The value Get gives back after Set(value).
std::string Expected(std::string value) {
  value = value.substr(0, value.find('\0'));
  value = velto::LegacyTextToUtf8(value);
  std::replace(value.begin(), value.end(), '\r', ' ');
  std::replace(value.begin(), value.end(), '\n', ' ');
  return velto::Utf8Prefix(value, velto::IniFile::kMaxValueLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(40);
  const std::string key = input.ConsumeRandomLengthString(40);
  const std::string value = input.ConsumeRandomLengthString(300);
  const std::string document = input.ConsumeRemainingBytesAsString();

  velto::IniFile ini = velto::IniFile::Parse(document);
  const auto before = ini.Get(section, key);
  const std::string written = ini.Serialize();
  FUZZ_CHECK(velto::IsValidUtf8(written));
  const velto::IniFile reread = velto::IniFile::Parse(written);
  FUZZ_CHECK(reread.Get(section, key) == before);
  FUZZ_CHECK(reread.Serialize() == written);

  if (ini.Set(section, key, value)) {
    const std::string expected = Expected(value);
    FUZZ_CHECK(ini.Get(section, key) == expected);
    const velto::IniFile saved = velto::IniFile::Parse(ini.Serialize());
    FUZZ_CHECK(saved.Get(section, key) == expected);
  } else {
    FUZZ_CHECK(ini.Serialize() == written);
  }
  return 0;
}
