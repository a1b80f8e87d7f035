// Opening help.chm: the topic asked for, and loading the help engine once.
#include "ui/help.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/module_directory.h"

namespace velto {
namespace {

struct HelpCall {
  HWND owner;
  std::string file;
  UINT command;
  DWORD_PTR data;
};

std::vector<HelpCall> g_helpCalls;

HWND WINAPI FakeHtmlHelp(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
  g_helpCalls.push_back({owner, file ? file : "", command, data});
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
}

// Stands in for the registry, the loader and the export table.
class HelpEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    g_helpCalls.clear();
    HtmlHelpLoader::SystemCalls calls;
    calls.readRegisteredLibrary = [this](std::wstring& path) {
      ++registryReads;
      if (registeredPath.empty()) return false;
      path = registeredPath;
      return true;
    };
    calls.loadLibrary = [this](const std::wstring& name) -> HMODULE {
      loaded.push_back(name);
      for (const std::wstring& good : loadable) {
        if (name == good) return GetModuleHandleW(nullptr);
      }
      return nullptr;
    };
    calls.findExport = [this](HMODULE, WORD ordinal) -> FARPROC {
      ordinals.push_back(ordinal);
      return hasExport ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeHtmlHelp)) : nullptr;
    };
    HtmlHelpLoader::UseSystemCalls(std::move(calls));
  }
  void TearDown() override { HtmlHelpLoader::UseSystemCalls(HtmlHelpLoader::RealSystemCalls()); }

  std::wstring registeredPath = L"C:\\windows\\system32\\hhctrl.ocx";
  std::vector<std::wstring> loadable{L"C:\\windows\\system32\\hhctrl.ocx", L"hhctrl.ocx"};
  bool hasExport = true;
  int registryReads = 0;
  std::vector<std::wstring> loaded;
  std::vector<WORD> ordinals;
};

TEST(HelpContentsTopic, IsTheProgramFolderAndTheOverviewTopic) {
  EXPECT_EQ(HelpContentsTopic("D:\\apps\\conv\\"), "D:\\apps\\conv\\help.chm::/overview/overview.htm");
  EXPECT_EQ(HelpContentsTopic("C:\\Program Files (x86)\\Velto & Co\\"),
            "C:\\Program Files (x86)\\Velto & Co\\help.chm::/overview/overview.htm");
}

TEST(HelpContentsTopic, ATopicThatDoesNotFitItsBufferIsNotAskedFor) {
  const std::string topic(std::char_traits<char>::length(kHelpTopic), 'x');
  const std::string fits = "C:\\" + std::string(kHelpTopicLimit - 1 - topic.size() - 4, 'f') + "\\";
  EXPECT_EQ(HelpContentsTopic(fits).size(), kHelpTopicLimit - 1);
  EXPECT_EQ(HelpContentsTopic("C:\\g" + fits.substr(3)), "");
}

TEST_F(HelpEngine, AsksForTheOverviewBesideTheProgramAndLoadsTheEngineOnce) {
  ShowHelpContents();
  ShowHelpContents();
  ASSERT_EQ(g_helpCalls.size(), 2u);
  const std::string expected = ModuleDirectory() + "help.chm::/overview/overview.htm";
  for (const HelpCall& call : g_helpCalls) {
    EXPECT_EQ(call.owner, nullptr);
    EXPECT_EQ(call.file, expected);
    EXPECT_EQ(call.command, 0u);
    EXPECT_EQ(call.data, 0u);
  }
  EXPECT_EQ(expected.find("\\\\"), std::string::npos);
  EXPECT_EQ(registryReads, 1);
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded[0], registeredPath);
  EXPECT_EQ(ordinals, std::vector<WORD>{14});
  EXPECT_TRUE(HtmlHelpLoader::IsLoaded());
}

TEST_F(HelpEngine, WithoutARegisteredEngineLoadsItByName) {
  registeredPath.clear();
  EXPECT_NE(HtmlHelpLoader::Call(nullptr, "x.chm", 0, 0), nullptr);
  EXPECT_EQ(loaded, std::vector<std::wstring>{L"hhctrl.ocx"});
}

TEST_F(HelpEngine, ARegisteredEngineThatDoesNotLoadIsLoadedByName) {
  registeredPath = L"C:\\gone\\hhctrl.ocx";
  EXPECT_NE(HtmlHelpLoader::Call(nullptr, "x.chm", 0, 0), nullptr);
  EXPECT_EQ(loaded, (std::vector<std::wstring>{L"C:\\gone\\hhctrl.ocx", L"hhctrl.ocx"}));
}

TEST_F(HelpEngine, AFailedLoadIsRememberedAndNeverTriedAgain) {
  loadable.clear();
  ShowHelpContents();
  EXPECT_TRUE(HtmlHelpLoader::HasFailed());
  EXPECT_EQ(loaded.size(), 2u);
  ShowHelpContents();
  EXPECT_EQ(HtmlHelpLoader::Call(nullptr, "x.chm", 0, 0), nullptr);
  EXPECT_EQ(loaded.size(), 2u);
  EXPECT_EQ(registryReads, 1);
  EXPECT_TRUE(g_helpCalls.empty());
}

TEST_F(HelpEngine, AMissingEntryPointCountsAsAFailedLoad) {
  hasExport = false;
  EXPECT_EQ(HtmlHelpLoader::Call(nullptr, "x.chm", 0, 0), nullptr);
  EXPECT_TRUE(HtmlHelpLoader::HasFailed());
  hasExport = true;
  EXPECT_EQ(HtmlHelpLoader::Call(nullptr, "x.chm", 0, 0), nullptr);
  EXPECT_EQ(loaded.size(), 1u);
  EXPECT_EQ(ordinals.size(), 1u);
  EXPECT_TRUE(g_helpCalls.empty());
}

}  // namespace
}  // namespace velto

namespace velto {
namespace {

// The platform's own engine, where there is one: export 14 is HtmlHelpA.
TEST(HelpEngineOfThePlatform, ExportFourteenIsHtmlHelpA) {
  const HtmlHelpLoader::SystemCalls calls = HtmlHelpLoader::RealSystemCalls();
  std::wstring registered;
  HMODULE module = nullptr;
  if (calls.readRegisteredLibrary(registered)) module = calls.loadLibrary(registered);
  if (!module) module = calls.loadLibrary(HtmlHelpLoader::kEngineLibrary);
  if (!module) GTEST_SKIP() << "no HTML Help engine here";
  const FARPROC byNumber = calls.findExport(module, HtmlHelpLoader::kHtmlHelpOrdinal);
  EXPECT_NE(byNumber, nullptr);
  EXPECT_EQ(byNumber, GetProcAddress(module, "HtmlHelpA"));
  FreeLibrary(module);
}

}  // namespace
}  // namespace velto
