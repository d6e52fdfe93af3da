#pragma once

// Identifiers shared by setup.rc and the code; plain macros so the resource compiler reads
// them too. Buttons 1 and 2 are the system's IDOK and IDCANCEL.

// Strings
#define IDS_NO_MEMORY 1001
#define IDS_NO_SCRIPT 1002
#define IDS_CONFIRM_CANCEL 1005
#define IDS_COPY_FAILED 1011
#define IDS_CREATE_FAILED 1012
#define IDS_EXPAND_FAILED 2012
#define IDS_INVALID_PATH 2014
#define IDS_CAPTION 2015
#define IDS_TITLE 2016
#define IDS_COPYING 2017
#define IDS_USAGE 2018
#define IDS_BAD_SWITCH 2019
#define IDS_NO_LOG 2020

// Dialog templates
#define IDD_DISK_PROMPT 2
#define IDD_PROGRESS 3

// Icon groups
#define IDI_PROGRAM 10
#define IDI_SPARE 11
#define IDI_DISK 12

// Controls
#define IDC_PROGRESS_BAR 100
#define IDC_DISK_NAME 102
#define IDC_STATUS_LINE 103
#define IDC_FILE_LINE 104
#define IDC_LOCATION 105
#define IDC_PERCENT 107
