// Resource ids shared by the dialog tests and their resource script.
#pragma once

#define IDD_PROBE 100
#define IDD_MODELESS 101
#define IDC_FIRST 1001
#define IDC_SECOND 1002
