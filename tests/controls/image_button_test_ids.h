#pragma once
// Resource ids of the image button tests' own template and icon.
#define IDD_BUTTON_TEST 300
#define IDC_BIG 301
#define IDC_SMALL 302
#define IDC_CHANGE 303
#define IDC_FIELD 304
#define IDC_OTHER 305
#define IDI_TEST 310
