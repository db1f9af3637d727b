// Ids of the user interface resources, shared by the resource script and
// the code.
#pragma once

#define IDD_WIZARD 1
#define IDD_CUSTOMIZE 900
#define IDB_WIZARD 1
#define IDI_SETUP 1

// Controls of the wizard dialog.
#define IDC_PICTURE 501
#define IDC_TEXT 256
#define IDC_LIST 1013
#define IDC_CUSTOMIZE 1003
#define IDC_FOLDER_GROUP 258
#define IDC_FOLDER 1010
#define IDC_BROWSE 1002
#define IDC_PROGRESS_GROUP 261
#define IDC_STEP 260
#define IDC_PROGRESS 1009
#define IDC_BACK 1001
#define IDC_NEXT 1000

// Controls of the Customize dialog.
#define IDC_OPTIONS 901
#define IDC_DESCRIPTION 902
#define IDC_OPTIONS_SEPARATOR 903
#define IDC_OPTIONS_OK 904
#define IDC_OPTIONS_CANCEL 905
