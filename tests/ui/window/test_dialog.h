#pragma once
#define IDD_TEST_DIALOG 900
#define IDC_TEST_EDIT 901
