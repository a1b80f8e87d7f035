#pragma once
// The initial items of a dialog's list and combo boxes, kept beside its
// template as a resource of type RT_DIALOG_INIT_DATA (res/resource_ids.h)
// with the template's id. Each entry: control id (16 bits), message (16 bits:
// 0x0401 adds to a list box, 0x0403 to a combo box), byte length (32 bits)
// and the zero-terminated text; a control id of 0 ends the data.
#include <windows.h>

namespace velto {

// Adds the items to the dialog's controls; true when there is no such data.
// False when the data is malformed; items before the fault stay added.
bool ApplyDialogInitData(HWND dialog, HINSTANCE instance, int templateId);

}  // namespace velto
