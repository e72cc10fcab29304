// Resource and control ids of Tavrin.exe's own windows (Tavrin.rc). The editor's and the configuration
// dialog's resources keep their ids in files of their own.
#pragma once

// Dialogs.
#define IDD_MAIN 102
#define IDD_ABOUT 103

// Pictures and texts.
#define IDR_MAINFRAME 128
#define IDB_RUN_START 140
#define IDB_RUN_STOP 141
#define IDB_RUN_WAIT 142
#define IDS_ABOUTBOX 101
#define IDM_ABOUTBOX 16

// Controls of the main window.
#define IDC_STATUS 1000
#define IDC_DEFINITIONS 1001
#define IDC_SYMBOL_BAR 1005
#define IDC_TIMEFRAME_BAR 1006
#define IDC_STEP_BAR 1007
#define IDC_EDIT 1008
#define IDC_SYMBOL_POS 1009
#define IDC_TIMEFRAME_POS 1010
#define IDC_STEP_TIME_BAR 1011
#define IDC_CLOCK 1012
#define IDC_STEP_ELAPSED 1013
#define IDC_CONFIGURATION 1014
#define IDC_STEP_LINE 1016
#define IDC_VIEW_LOG 1017
#define IDC_NEW 1018
#define IDC_BOTTOM_LINE 1019
#define IDC_SEQUENCE_GROUP 1020
#define IDC_CURRENT_SYMBOL 1021
#define IDC_CURRENT_TIMEFRAME 1022
#define IDC_CURRENT_OPTIMIZATION 1023
#define IDC_HELP_ABOUT 1024
#define IDC_SET_PASSWORD 1025
#define IDC_SPARE_TEXT 1026
#define IDC_DELETE 1027
#define IDC_SUMMARY 1058
#define IDC_SHOW_STEPS 1059
#define IDC_SKIP_SYMBOLS 1060
#define IDC_CHARTS_ONLY 1061

// Controls of the list picker.

// Controls of the About box.
#define IDC_ABOUT_VERSION 1300
