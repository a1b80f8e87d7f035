// The built help.chm beside the executables: a compiled help file whose
// directory holds the overview topic and the other pages.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/module_directory.h"
#include "base/text_encoding.h"

namespace velto {

// The storage system the help engine reads compiled help files with
// (itss.dll); its interface is not in the platform headers we build with.
// Declared outside the unnamed namespace: the compiler must not assume that
// no implementation of it exists.
const CLSID kItStorageClass = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID kItStorageInterface = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
struct IITStorage : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD, IStorage**) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) = 0;
};

namespace {

std::uint32_t Read32(const std::vector<unsigned char>& data, size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | data.at(at + static_cast<size_t>(i));
  return value;
}

std::uint64_t Read64(const std::vector<unsigned char>& data, size_t at) {
  return Read32(data, at) | (static_cast<std::uint64_t>(Read32(data, at + 4)) << 32);
}

// The directory's variable-length numbers: seven bits a byte, high bit set
// on every byte but the last.
std::uint64_t ReadEncoded(const std::vector<unsigned char>& data, size_t& at) {
  std::uint64_t value = 0;
  unsigned char byte = 0;
  do {
    byte = data.at(at++);
    value = (value << 7) | (byte & 0x7F);
  } while (byte & 0x80);
  return value;
}

// Name to length of every file in the help file's directory.
std::map<std::string, std::uint64_t> ReadDirectory(const std::vector<unsigned char>& data) {
  std::map<std::string, std::uint64_t> files;
  if (data.size() < 0x58 || std::memcmp(data.data(), "ITSF", 4) != 0) return files;
  const size_t directory = static_cast<size_t>(Read64(data, 0x48));
  if (std::memcmp(data.data() + directory, "ITSP", 4) != 0) return files;
  const size_t headerLength = Read32(data, directory + 0x08);
  const size_t chunkSize = Read32(data, directory + 0x10);
  const size_t chunkCount = Read32(data, directory + 0x2C);
  for (size_t chunk = 0; chunk < chunkCount; ++chunk) {
    const size_t start = directory + headerLength + chunk * chunkSize;
    if (std::memcmp(data.data() + start, "PMGL", 4) != 0) continue;  // index chunks
    const size_t end = start + chunkSize - Read32(data, start + 4);
    size_t at = start + 0x14;
    while (at < end) {
      const size_t nameLength = static_cast<size_t>(ReadEncoded(data, at));
      std::string name(reinterpret_cast<const char*>(data.data() + at), nameLength);
      at += nameLength;
      ReadEncoded(data, at);  // section
      ReadEncoded(data, at);  // offset
      files[name] = ReadEncoded(data, at);
    }
  }
  return files;
}

TEST(HelpFile, HoldsTheOverviewTopicAndEveryPage) {
  std::ifstream in(Utf8ToWide(ModuleDirectory() + "help.chm").c_str(), std::ios::binary);
  ASSERT_TRUE(in.good()) << "help.chm is missing beside the executables";
  const std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto files = ReadDirectory(data);
  ASSERT_FALSE(files.empty()) << "not a compiled help file";
  for (const char* page : {"/overview/overview.htm", "/topics/adding_files.htm", "/topics/formats_settings.htm",
                           "/topics/converting.htm", "/topics/troubleshooting.htm", "/style.css"}) {
    const auto found = files.find(page);
    ASSERT_NE(found, files.end()) << page;
    EXPECT_GT(found->second, 500u) << page;
  }
  // The contents and the index are compiled in as well.
  EXPECT_TRUE(files.count("/#SYSTEM"));
  EXPECT_TRUE(files.count("/contents.hhc") || files.count("/#TOCIDX"));
}

// One page of the help file, decompressed; nullopt when it cannot be read.
std::optional<std::string> ReadPage(IStorage& root, const wchar_t* folder, const wchar_t* name) {
  constexpr DWORD kMode = STGM_READ | STGM_SHARE_EXCLUSIVE;
  IStorage* storage = &root;
  if (folder && FAILED(root.OpenStorage(folder, nullptr, kMode, nullptr, 0, &storage))) return std::nullopt;
  IStream* stream = nullptr;
  std::optional<std::string> page;
  if (SUCCEEDED(storage->OpenStream(name, nullptr, kMode, 0, &stream))) {
    page.emplace();
    char buffer[4096];
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read > 0) page->append(buffer, read);
    stream->Release();
  }
  // The stream needs its storage open while it is read.
  if (folder) storage->Release();
  return page;
}

TEST(HelpFile, EveryPageReadsBackAsTheHelpEngineReadsIt) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IITStorage* system = nullptr;
  if (FAILED(CoCreateInstance(kItStorageClass, nullptr, CLSCTX_INPROC_SERVER, kItStorageInterface,
                              reinterpret_cast<void**>(&system)))) {
    if (SUCCEEDED(com)) CoUninitialize();
    GTEST_SKIP() << "no storage system for compiled help files here";
  }
  const std::wstring file = Utf8ToWide(ModuleDirectory()) + L"help.chm";
  IStorage* root = nullptr;
  ASSERT_EQ(system->StgOpenStorage(file.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &root), S_OK);
  const std::optional<std::string> overview = ReadPage(*root, L"overview", L"overview.htm");
  ASSERT_TRUE(overview.has_value());
  EXPECT_NE(overview->find("<title>Velto ASF Converter</title>"), std::string::npos);
  EXPECT_NE(overview->find("</html>"), std::string::npos);
  for (const wchar_t* page : {L"adding_files.htm", L"formats_settings.htm", L"converting.htm", L"troubleshooting.htm"}) {
    const std::optional<std::string> text = ReadPage(*root, L"topics", page);
    ASSERT_TRUE(text.has_value()) << WideToUtf8(page);
    EXPECT_NE(text->find("</html>"), std::string::npos) << WideToUtf8(page);
  }
  root->Release();
  system->Release();
  if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace
}  // namespace velto
