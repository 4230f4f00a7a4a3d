// The ids of the program's resources, shared by the resource script, the code
// and the tests. Plain macros, because the resource compiler reads this file
// too.
#pragma once

// The frame's resources (menu, accelerators, icon, title string) and the
// framework's own strings and commands use the framework's fixed ids.
#define IDR_MAIN 41
#define IDD_ABOUT 42
#define IDS_READY 45
#define IDS_CAPS 46
#define IDS_NUM 47
#define IDS_SCROLL 48

// Dialogs.
#define IDD_ENTER_PASSWORD 129
#define IDD_NEW_PASSWORD 132
#define IDD_HISTORY 133

// Controls of the password dialogs.
#define IDC_PASSWORD 1001
#define IDC_REPEAT_PASSWORD 1007
#define IDC_CIPHER 1008
#define IDC_NEW_PASSWORD 1009

// The About box's two lines that name the note choices.
#define IDC_ABOUT_CHOICES 1010
#define IDC_ABOUT_LAST_CHOICE 1011
#define IDC_ABOUT_IDENTITY 1013
#define IDC_ABOUT_FULL_IDENTITY 1014
#define IDC_PASSWORD_PROMPT 1012

// The earlier versions' dialog: the list and the preview.
#define IDC_HISTORY_LIST 1015
#define IDC_HISTORY_PREVIEW 1016

// Menu commands. Most have a status-bar prompt of the same id in the string
// table; the change-password, lock, font and word-wrap commands have none,
// and IDM_OPEN's prompt belongs to no command.
#define IDM_OPEN 122
#define IDM_SAVE 123
#define IDM_SAVE_AS 124
#define IDM_EXIT 127
#define IDM_SELECT_ALL 128
#define IDM_UNDO 130
#define IDM_REDO 131
#define IDM_CUT 132
#define IDM_COPY 133
#define IDM_PASTE 134
#define IDM_CLEAR 135
#define IDM_FIND 136
#define IDM_FIND_NEXT 137
#define IDM_FIND_PREVIOUS 138
#define IDM_REPLACE 139
#define IDM_FONT 140
#define IDM_WORD_WRAP 141
#define IDM_STATUS_BAR 44
#define IDM_LOCK 142
#define IDM_ABOUT 150
#define IDM_CHANGE_PASSWORD 32772
#define IDM_HISTORY 32773

// The title of the main window and the About box.
#define SCRIBECRYPT_TITLE "Scribecrypt v1.0.6"
