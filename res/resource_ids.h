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
#define IDD_COUNTDOWN           167
#define IDD_PREVIEW             168

/* Progress window (IDD_PROGRESS) */
#define IDC_PROGRESS_STATUS     1032
#define IDC_PROGRESS_BAR        1033
#define IDC_PROGRESS_CANCEL     1034
#define IDC_PROGRESS_FILE       1035 /* "File 2 of 3: talk.wmv" */
#define IDC_PROGRESS_TIME_LEFT  1036 /* "About 00:01:23 left" */
#define IDC_PROGRESS_WHEN_DONE  1037 /* what happens when the batch is done */
#define IDC_PROGRESS_WHEN_DONE_LABEL 1038 /* "When done:" */

/* Countdown before Sleep or Shut down (IDD_COUNTDOWN); Cancel is IDCANCEL */
#define IDC_COUNTDOWN_TEXT      1039 /* "The computer will shut down in 60 seconds." */

/* Main window (IDD_MAIN): controls */
#define IDC_MAIN_CONVERT        1000 /* "Convert" */
#define IDC_MAIN_SETTINGS       1001 /* "Settings" */
#define IDC_MAIN_ADD            1002 /* "Add" */
#define IDC_MAIN_HELP           1003 /* "Help" */
#define IDC_MAIN_FILE_LIST      1006 /* the list of source files */
#define IDC_MAIN_OUTPUT_FOLDER  1018 /* output folder edit box */
#define IDC_MAIN_CHANGE_FOLDER  1019 /* "Change" */
#define IDC_MAIN_ADD_SMALL      1025 /* small button beside the list: add */
#define IDC_MAIN_REMOVE         1026 /* small button: remove */
#define IDC_MAIN_MOVE_UP        1027 /* small button: up */
#define IDC_MAIN_MOVE_DOWN      1028 /* small button: down */
#define IDC_MAIN_FORMAT         1066 /* "Output format" list */
#define IDC_MAIN_TV_MODE        1067 /* "TV mode" list */
#define IDC_MAIN_ASPECT         1069 /* "Aspect ratio" list */
#define IDC_MAIN_SETTINGS_SMALL 1079 /* small "Settings" beside the quick settings */
#define IDC_MAIN_CONVERT_SMALL  1080 /* small "Convert" beside the quick settings */

/* Main window: menu commands and the system menu's About item */
#define IDM_HELP_CONTENT        32771 /* Help menu "Content" */
#define IDM_HELP_ABOUT          32772 /* Help menu "About" */
#define IDM_HELP_HOME_PAGE      32773 /* Help menu "Home page" */
#define IDM_HELP_TIPS           32774 /* Help menu "Tip of the Day..." */
#define IDM_LIST_ADD            32775 /* file list menu: add */
#define IDM_LIST_REMOVE         32776 /* file list menu: remove */
#define IDM_LIST_MOVE_UP        32777 /* file list menu: up */
#define IDM_LIST_MOVE_DOWN      32778 /* file list menu: down */
#define IDM_LIST_PREVIEW        32779 /* file list menu: "Preview..." */
#define IDM_ABOUTBOX            0x0010 /* system menu item added by the main window */

/* Resource type of the initial items of a dialog's lists (dialog init data),
 * stored under the dialog's template id */
#define RT_DIALOG_INIT_DATA     240

/* Tip of the Day (IDD_TIP) */
#define IDC_TIP_TEXT            1042
#define IDC_TIP_STARTUP         1043
#define IDC_TIP_NEXT            1044
#define IDC_TIP_AREA            1045

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

/* About box (IDD_ABOUT) */
#define IDC_ABOUT_TITLE         1046 /* product name and version, bold */
#define IDC_ABOUT_HOME_PAGE     1047 /* "Home page" link */
#define IDC_ABOUT_SUPPORT       1049 /* "Technical support" link */
#define IDC_ABOUT_ENGINE        1050 /* the codec engine and its version */

/* Output Settings (IDD_SETTINGS): controls */
#define IDC_SETTINGS_FORMAT       1066 /* "Output format" list */
#define IDC_SETTINGS_QUALITY      1067 /* "Output quality" list */
#define IDC_SETTINGS_VIDEO_CODEC  1068 /* "Video codec" list */
#define IDC_SETTINGS_AUDIO_CODEC  1069 /* "Audio codec" list */
#define IDC_SETTINGS_RESOLUTION   1070 /* "Resolution" list */
#define IDC_SETTINGS_FRAME_RATE   1071 /* "Frame rate" list */
#define IDC_SETTINGS_LETTERBOX    1072 /* "Add letter box to keep aspect ratio" */
#define IDC_SETTINGS_VOLUME       1073 /* volume trackbar, 0..40 */
#define IDC_SETTINGS_VOLUME_LABEL 1074 /* the volume in db ("+0db") */
#define IDC_SETTINGS_TV_MODE      1077 /* "TV mode" list */
#define IDC_SETTINGS_ASPECT       1078 /* "Aspect ratio" list */
#define IDC_SETTINGS_FIT_TO_DISC  1081 /* "Fit the list on one disc" */
#define IDC_SETTINGS_DISC_SIZE    1082 /* "Disc size" list */
#define IDC_SETTINGS_LOUDNESS     1083 /* "Even out loudness" */

/* Preview (IDD_PREVIEW); Close is IDCANCEL */
#define IDC_PREVIEW_PICTURE       1090 /* the area the picture is drawn in */
#define IDC_PREVIEW_SLIDER        1091 /* the moment, over the source's duration */
#define IDC_PREVIEW_TIME          1092 /* the moment as "00:01:23" */
#define IDC_PREVIEW_OUTPUT        1093 /* what the output will be */
#define IDC_PREVIEW_STATUS        1094 /* why there is no picture, or what it shows */
#define IDC_PREVIEW_SETTINGS      1095 /* "Output Settings..." */

#endif /* VELTO_RES_RESOURCE_IDS_H */
