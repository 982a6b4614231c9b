// Ids of the module's resources, shared by the resource script and the code.
#pragma once

#define IDS_PRODUCT 101
#define IDS_TAB_ATTRIBUTES 102
#define IDS_TAB_TEXT_OPTIONS 103
#define IDS_TAB_PROPERTIES 104
#define IDS_COLUMN_DESCRIPTION 105
#define IDS_COLUMN_DATA 106
#define IDS_SELECT_BLOCK 107
#define IDS_NOT_A_BLOCK 108
#define IDS_BLOCK_NAME 109
#define IDS_INSERTION_POINT 427
#define IDS_LOAD_FAILED 428
#define IDS_DRAWING_IN_USE 430
#define IDS_INSERT 432

#define IDD_ATTRIBUTE_EDIT 404
#define IDC_ATTRIBUTE_LIST 220
#define IDC_BLOCK_NAME 222
#define IDC_ATTRIBUTE_OK 223

#define IDD_TIPS 266
#define IDC_TIPS_TEXT 269
#define IDC_DO_NOT_SHOW 270
#define IDR_TIPS_RTF 502
