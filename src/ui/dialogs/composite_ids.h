// The key editor's dialog template and control ids, shared by its logic, its
// window and its resource script (composite.rc includes this file, so it
// holds only preprocessor definitions).
#pragma once

#define KEYLOOM_IDD_COMPOSITE 134

// Page buttons, clear, on-screen keyboard, decorations.
#define KEYLOOM_IDC_PAGE_KEY 1028
#define KEYLOOM_IDC_PAGE_MACRO 1029
#define KEYLOOM_IDC_PAGE_MEDIA 1030
#define KEYLOOM_IDC_PAGE_FUNCTION 1031
#define KEYLOOM_IDC_CLEAR 1032
#define KEYLOOM_IDC_MASK 1033
#define KEYLOOM_IDC_TITLE 1131
#define KEYLOOM_IDC_OSK 1132
// Single-key page.
#define KEYLOOM_IDC_KEY_INPUT 1127
#define KEYLOOM_IDC_SWITCH_KEYBOARD 1185
#define KEYLOOM_IDC_SWITCH_MOUSE 1186
#define KEYLOOM_IDC_MOUSE_LIST 1187
// Multimedia and keyboard-function pages.
#define KEYLOOM_IDC_MEDIA_LIST 1128
#define KEYLOOM_IDC_FUNCTION_LIST 1129
// Macro page.
#define KEYLOOM_IDC_MACRO_LIST 1126
#define KEYLOOM_IDC_MACRO_ADD 1017
#define KEYLOOM_IDC_MACRO_DELETE 1018
#define KEYLOOM_IDC_EVENT_LIST 1019
#define KEYLOOM_IDC_RECORD 1020
#define KEYLOOM_IDC_EVENT_DELETE 1021
#define KEYLOOM_IDC_EVENT_CLEAR 1022
#define KEYLOOM_IDC_EVENT_TOP 1023
#define KEYLOOM_IDC_EVENT_UP 1024
#define KEYLOOM_IDC_EVENT_DOWN 1025
#define KEYLOOM_IDC_EVENT_BOTTOM 1026
#define KEYLOOM_IDC_RECORD_DELAY 1027
#define KEYLOOM_IDC_CYCLES 1125
#define KEYLOOM_IDC_CYCLES_LABEL 1200
#define KEYLOOM_IDC_RECORD_DELAY_LABEL 1201
// Bottom bar.
#define KEYLOOM_IDC_APPLY 1015
#define KEYLOOM_IDC_OK 1
#define KEYLOOM_IDC_CANCEL 2

// Commands of the event list's menu.
#define KEYLOOM_IDM_EVENT_UNDO 40101
#define KEYLOOM_IDM_EVENT_REDO 40102
