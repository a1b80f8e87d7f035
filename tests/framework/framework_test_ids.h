#pragma once
// Resource ids of the framework tests' own templates.
#define IDD_FRAMEWORK_TEST 200
#define IDC_EDIT 201
#define IDC_OWNER_DRAWN 202
#define IDC_PLAIN 203
#define IDC_COMBO 204
#define IDC_LIST 205
#define IDC_TRACKBAR 206
#define IDC_PROGRESS 207
#define IDC_LABEL 208
#define IDC_CHECK 209
#define IDD_MODELESS_TEST 210
#define IDC_MODELESS_TEXT 211
#define IDC_MODELESS_BUTTON 212
#define IDS_TEST_STRING 220
