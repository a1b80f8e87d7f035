#include "ui/skin.h"

#include <gtest/gtest.h>

#include "res/resource_ids.h"

namespace velto {
namespace {

TEST(Skin, LoadsTheSkinResourceWithItsDialogStyle) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  skin::Initialize(instance);
  skin::LoadFromResource(instance, IDR_SKIN_NAME_W, IDR_SKIN_TYPE_W);
  EXPECT_TRUE(skin::IsLoaded());
  EXPECT_TRUE(skin::HasStyle(skin::kDialogStyle));
  EXPECT_FALSE(skin::HasStyle(L"Menu"));
  skin::SetDialogStyle(skin::kDialogStyle);
  skin::Shutdown();
  EXPECT_FALSE(skin::IsLoaded());
}

TEST(Skin, AnEmptyOrMissingSkinLeavesThePlatformLook) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  skin::Initialize(instance);
  skin::LoadFromResource(instance, L"EMPTY_SKIN", IDR_SKIN_TYPE_W);
  EXPECT_FALSE(skin::IsLoaded());
  skin::LoadFromResource(instance, L"NO_SUCH_SKIN", IDR_SKIN_TYPE_W);
  EXPECT_FALSE(skin::IsLoaded());
  skin::SetDialogStyle(skin::kDialogStyle);  // still harmless
  skin::ApplyToWindow(nullptr);
  skin::Shutdown();
}

}  // namespace
}  // namespace velto
