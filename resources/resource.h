// Identifiers of the Windows programs' resources and of the controls in their
// dialog templates. Included by the .rc files and by the window code.
#pragma once

// Dialog templates.
#define IDD_ABOUT 100
#define IDD_MAIN 102
#define IDD_PATH 103
#define IDD_MESSAGE_BOX 104
#define IDD_WEB_POPUP 105
#define IDD_WEB_PAGE 121
#define IDD_SPLASH 158
#define IDD_UPGRADE_MODULE 9000

// Icon and menu.
#define IDI_PROGRAM 128
#define IDR_MENUS 129

// Skin images (resource type "PNG"), named by what they show.
#define IDP_CLOSE 129
#define IDP_BUTTON 130
#define IDP_DELETE_ALL 131
#define IDP_HELP 132
#define IDP_MAXIMISE 133
#define IDP_MINIMISE 134
#define IDP_ADDON_DIRECTORY 135
#define IDP_TAB_PLUGIN_LIBRARY 136
#define IDP_REFRESH_LOCAL 137
#define IDP_REFRESH_WEB 138
#define IDP_RESTORE 139
#define IDP_SETTINGS 140
#define IDP_START_GAME 141
#define IDP_UPDATE_ALL 142
#define IDP_DIALOG_BACKGROUND 143
#define IDP_MAIN_FRAME 144
#define IDP_ABOUT_PICTURE 145
#define IDP_MAIN_146 146
#define IDP_MAIN_147 147
#define IDP_LEFT_PANEL 148
#define IDP_MAIN_149 149
#define IDP_MAIN_150 150
#define IDP_MAIN_151 151
#define IDP_PATH_LOWER_BAND 152
#define IDP_MAIN_153 153
#define IDP_BOX_BUTTON 157
#define IDP_SPLASH 159
#define IDP_TAB_MACRO_DEPOT 160
#define IDP_TAB_HOME 161
#define IDP_POPUP_BACKGROUND 164
// Animations (resource type "GIF").
#define IDG_LOADING 155
#define IDG_POPUP_LOADING 163

// Controls of the main window (102); the popup, path dialog, about box and
// message box reuse some of these numbers for their own controls.
#define IDC_SETTINGS 1000
#define IDC_HELP_MENU 1001
#define IDC_MINIMISE 1002
#define IDC_PATH_LABEL 1003
#define IDC_REFRESH_LOCAL 1004
#define IDC_REFRESH_WEB 1005
#define IDC_TAB_PLUGIN_LIBRARY 1006
#define IDC_UPDATE_ALL 1007
#define IDC_DELETE_ALL 1008
#define IDC_ADDON_DIRECTORY 1009
#define IDC_START_GAME 1010
#define IDC_ADDON_LIST 1011
#define IDC_TEST_HOME 1012
#define IDC_TEST_PLUGIN_LIBRARY 1013
#define IDC_TEST_MACRO_DEPOT 1014
#define IDC_CLOSE 1015
#define IDC_TAB_HOME 1016
#define IDC_LINK_SETTINGS 1017
#define IDC_LINK_PLUGIN_LIBRARY 1018
#define IDC_LOADING 1019
#define IDC_STATISTICS_1 1020
#define IDC_STATISTICS_2 1021
#define IDC_TAB_MACRO_DEPOT 1022
#define IDC_PAGE_BROWSER 1023
#define IDC_NEW_WINDOW_BROWSER 1024
// Path dialog (103).
#define IDC_PATH_BROWSE 1000
#define IDC_PATH_EDIT 1002
#define IDC_PATH_SAVE 1007
#define IDC_PATH_CANCEL 1008
// Message box (104): OK is IDOK.
#define IDC_BOX_CANCEL 1008
// Web popup (105).
#define IDC_POPUP_MAXIMISE 1002
#define IDC_POPUP_RESTORE 1012
#define IDC_POPUP_LOADING 1023
// About box (100).
#define IDC_ABOUT_LINK 1016
#define IDC_ABOUT_CLOSE 1008
// Upgrade module window (9000).
#define IDC_UPGRADE_LINK 9000

// Menu commands.
#define ID_UPGRADE_CHECK 32772
#define ID_FORUM 32775
#define ID_ABOUT 32777
#define ID_TOGGLE_WINDOW 32778
#define ID_EXIT 32779
#define ID_START_GAME 32780
#define ID_FEEDBACK 32781
