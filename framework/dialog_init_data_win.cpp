#include "framework/dialog_init_data.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "base/text_encoding.h"
#include "res/resource_ids.h"

namespace velto {

namespace {

std::uint16_t ReadWord(const unsigned char* data) {
  std::uint16_t value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

std::uint32_t ReadDword(const unsigned char* data) {
  std::uint32_t value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

// The add-string messages as the init data stores them (16-bit numbers).
constexpr std::uint16_t kListAddString16 = 0x0401;
constexpr std::uint16_t kComboAddString16 = 0x0403;

}  // namespace

bool ApplyDialogInitData(HWND dialog, HINSTANCE instance, int templateId) {
  HRSRC info = FindResourceW(instance, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(RT_DIALOG_INIT_DATA));
  if (!info) return true;  // nothing to add
  HGLOBAL handle = LoadResource(instance, info);
  const auto* data = handle ? static_cast<const unsigned char*>(LockResource(handle)) : nullptr;
  const DWORD size = SizeofResource(instance, info);
  if (!data) return false;

  std::size_t at = 0;
  while (at + 2 <= size) {
    const std::uint16_t controlId = ReadWord(data + at);
    if (controlId == 0) return true;
    if (at + 8 > size) return false;
    const std::uint16_t message = ReadWord(data + at + 2);
    const std::uint32_t length = ReadDword(data + at + 4);
    at += 8;
    if (length > size - at) return false;
    const auto* text = reinterpret_cast<const char*>(data + at);
    at += length;

    UINT addMessage = 0;
    if (message == kComboAddString16) addMessage = CB_ADDSTRING;
    if (message == kListAddString16) addMessage = LB_ADDSTRING;
    if (addMessage == 0) continue;  // other initialisations are not used here
    const std::wstring wide = Utf8ToWide(std::string_view(text, strnlen(text, length)));
    SendDlgItemMessageW(dialog, controlId, addMessage, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  }
  return at == size;
}

}  // namespace velto
