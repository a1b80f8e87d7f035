/* Resource identifiers of the converter. Plain #defines only, so that both
 * the resource scripts (.rc) and the C++ sources can include this file. */
#ifndef VELTO_RES_RESOURCE_IDS_H
#define VELTO_RES_RESOURCE_IDS_H

/* Dialog templates */
#define IDD_ABOUT               100
#define IDD_MAIN                102
#define IDD_PROGRESS            130
#define IDD_TIP                 137
#define IDD_SETTINGS            166

/* Menus */
#define IDR_HELP_MENU           136 /* main window's Help button: "help" popup */
#define IDR_LIST_MENU           144 /* file list's context menu: "Edit" popup */

/* Icons (res/icons/, each with 16, 32 and 48 pixel images) */
#define IDI_APP                 128 /* application icon, 48 x 48 on the main window */
#define IDI_ADD_SMALL           145 /* small button beside the list: add files */
#define IDI_REMOVE              146 /* small button: remove the selected file */
#define IDI_MOVE_UP             147 /* small button: move the selected file up */
#define IDI_MOVE_DOWN           148 /* small button: move the selected file down */
#define IDI_HELP_BUTTON         150 /* "Help" button */
#define IDI_ADD                 160 /* "Add" button, 48 x 48 */
#define IDI_CONVERT             162 /* "Convert" button, 48 x 48 */
#define IDI_SETTINGS            165 /* "Settings" button, 48 x 48 */

/* Bitmaps */
#define IDB_TIP_BULB            138 /* Tip of the Day picture, 40 x 53, 16 colours */

/* Strings */
#define IDS_ABOUTBOX            101 /* "&About Velto ASF Converter..." (system menu) */
#define IDS_TIPS_FILE_MISSING   102 /* "Tips file does not exist in the prescribed directory" */
#define IDS_TIPS_FILE_TROUBLE   103 /* "Trouble reading the tips file" */
#define IDS_DID_YOU_KNOW        104 /* "Did you know..." */

/* The skin: a named resource of a custom type rather than a number. The bare
 * names are for resource scripts ("IDR_SKIN IDR_SKIN_TYPE "file""); the wide
 * texts are for FindResourceW and friends. */
#define IDR_SKIN                AMBER_SKIN
#define IDR_SKIN_TYPE           SKINMAGIC
#define IDR_SKIN_NAME_W         L"AMBER_SKIN"
#define IDR_SKIN_TYPE_W         L"SKINMAGIC"

#endif /* VELTO_RES_RESOURCE_IDS_H */
