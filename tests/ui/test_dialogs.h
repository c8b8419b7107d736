// Dialog templates the window tests build on, beside the program's own.
#pragma once

#define IDD_TEST_PLAIN 900      // a skinned dialog with a push button and an edit field
#define IDD_TEST_RESIZABLE 901  // a sizing border and a maximise box
#define IDD_TEST_BUTTONS 902    // two radio groups, a check box and push buttons

#define IDC_TEST_PUSH 910
#define IDC_TEST_EDIT 911
#define IDC_TEST_RADIO_A1 920
#define IDC_TEST_RADIO_A2 921
#define IDC_TEST_RADIO_A3 922
#define IDC_TEST_RADIO_B1 923
#define IDC_TEST_RADIO_B2 924
#define IDC_TEST_CHECK 925
#define IDC_TEST_PUSH_2 926
#define IDC_TEST_LINK 927
