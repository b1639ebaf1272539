#pragma once
// Resource identifiers of the test dialogs.

#define IDD_TEST_DIALOG 200
#define IDC_TEST_EDIT 201
#define IDC_TEST_BUTTON 202
#define IDC_TEST_COMBO 203
