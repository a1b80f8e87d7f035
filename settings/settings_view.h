#pragma once
// What the settings lists show for a set of values, computed from the format
// traits: the Output Settings dialog's seven lists and the main window's quick
// settings. The windows only put a view onto their controls and keep a
// choice where the view says.
#include <cstdint>

#include "settings/conversion_settings.h"
#include "settings/format_traits.h"
#include "settings/value_lists.h"

namespace velto {

// One drop-down list: its items, the item selected (an index outside the
// items selects nothing), whether it is enabled, and the setting a choice
// is kept in (null: a choice is not kept).
struct ListFill {
  TextList items;
  std::int32_t selected = 0;
  bool enabled = false;
  SettingField keeps = nullptr;
};

// A list shown by a rule: a choice shows its setting and keeps the choice
// there; a list by TV mode shows the "TV mode" item, disabled; a fixed list
// shows its one item, disabled.
ListFill FillFor(const ListRule& rule, const ConversionSettings& values);

// Keeps the item picked in a list where its fill says; no selection (-1)
// keeps nothing.
void KeepChoice(const ListFill& fill, int picked, ConversionSettings& values);

// The "Fit the list on one disc" check box, for formats that offer it
// (enabled) and for the others (disabled); it shows the "Fit to disc"
// value either way.
struct CheckFill {
  bool checked = false;
  bool enabled = false;
};

// The Output Settings dialog's lists for the values' "Output format". A
// format outside the list leaves every list empty and disabled.
struct OutputSettingsView {
  ListFill quality;
  ListFill videoCodec;
  ListFill audioCodec;
  ListFill tvMode;
  ListFill resolution;
  ListFill frameRate;
  ListFill aspect;
  CheckFill fitToDisc;
  ListFill discSize;  // the disc sizes, enabled with the check box
};

OutputSettingsView ViewOutputSettings(const ConversionSettings& values);

// The main window's quick settings. Its "TV mode" list (filled by the
// template) shows the stored mode, enabled for the formats that use it. Its
// "Aspect ratio" list is the format's aspect choice; for formats without
// one it shows "DVD aspect ratio" in the two disc ratios, disabled.
struct QuickSettingsView {
  std::int32_t tvMode = 0;
  bool tvModeEnabled = false;
  ListFill aspect;
};

QuickSettingsView ViewQuickSettings(const ConversionSettings& values);

}  // namespace velto
