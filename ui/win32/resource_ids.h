// Resource and control IDs of the Win32 window, shared by the resource
// scripts and the C++ code (so plain #defines, which windres can read).
#pragma once

#define IDI_HARBROOK 128

// Dialog templates.
#define IDD_MAIN 102
#define IDD_CONNECTED 129
#define IDD_REMINDER 149
#define IDD_BANNER 153
#define IDD_CONNECT 155
#define IDD_RECEIVED_FILES 156

// Pictures (PNG resources).
#define IDP_BANNER_BACKGROUND 135
#define IDP_NOT_CONNECTED 137
#define IDP_CONNECTED 138
#define IDP_NAV_CONNECT 139
#define IDP_NAV_RECEIVED 140
#define IDP_NAV_SEND 141
#define IDP_CATEGORY_ALBUM 144
#define IDP_CATEGORY_OTHER 145
#define IDP_CATEGORY_DOCUMENT 147
#define IDP_CATEGORY_AUDIO 148
#define IDP_LOGO 160

// The tray menu and its commands.
#define IDM_TRAY 142
#define ID_OPEN_MAIN_WINDOW 32772
#define ID_QUIT 32774
#define ID_CHECK_BACKUPS 32775
#define ID_START_AT_LOGIN 32776

// Main window: the navigation buttons.
#define IDC_NAV_CONNECT 150
#define IDC_NAV_RECEIVED 151
#define IDC_NAV_SEND 152
// Banner: the picture-and-text display.
#define IDC_BANNER_STATUS 154
// Connect panel.
#define IDC_PHONE_PICTURE 1001
#define IDC_QR_PICTURE 1002
#define IDC_CONNECT_HEADLINE 1003
#define IDC_CONNECT_STEP1 1004
#define IDC_CONNECT_STEP2 1005
// Connected panel.
#define IDC_CONNECTED_HEADLINE 1006
#define IDC_CONNECTED_LINE1 1010
#define IDC_CONNECTED_LINE2 1011
#define IDC_DISCONNECT 1013
// Received-files panel: the four category buttons.
#define IDC_CATEGORY_FIRST 1050
// Reminder pop-up.
#define IDC_REMINDER_BACKUP 1018
#define IDC_REMINDER_NO_SHOW 1020
#define IDC_REMINDER_LINE1 1021
#define IDC_REMINDER_LINE2 1022
