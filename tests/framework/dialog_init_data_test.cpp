// Reading the list items kept beside a dialog template.
#include "framework/dialog_init_data.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/controls.h"

namespace velto {
namespace {

class DialogInitData : public ::testing::Test {
 protected:
  void SetUp() override {
    parent = CreateWindowW(L"Static", L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    HWND child = CreateWindowW(L"ComboBox", L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100, parent,
                               reinterpret_cast<HMENU>(77), nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    combo.Attach(child);
  }
  void TearDown() override {
    combo.Detach();
    DestroyWindow(parent);
  }
  std::vector<std::string> Items() const {
    std::vector<std::string> items;
    for (int i = 0; i < combo.GetCount(); ++i) items.push_back(combo.GetItemText(i));
    return items;
  }

  HWND parent = nullptr;
  ComboBox combo;
};

TEST_F(DialogInitData, AddsEveryItemInOrder) {
  EXPECT_TRUE(ApplyDialogInitData(parent, GetModuleHandleW(nullptr), 901));
  EXPECT_EQ(Items(), (std::vector<std::string>{"abc", "Vidéo"}));
}

TEST_F(DialogInitData, StopsAtAnEntryThatRunsPastTheEnd) {
  EXPECT_FALSE(ApplyDialogInitData(parent, GetModuleHandleW(nullptr), 902));
  EXPECT_EQ(Items(), (std::vector<std::string>{"abc"}));
  EXPECT_FALSE(ApplyDialogInitData(parent, GetModuleHandleW(nullptr), 903));
}

TEST_F(DialogInitData, NoDataAddsNothing) {
  EXPECT_TRUE(ApplyDialogInitData(parent, GetModuleHandleW(nullptr), 904));
  EXPECT_EQ(combo.GetCount(), 0);
}

}  // namespace
}  // namespace velto
