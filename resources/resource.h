// Identifiers of the resource script. C++ takes the same numbers as constants from
// shell/main_window.h, so the macros exist only for the resource compiler.
#pragma once

#ifdef RC_INVOKED
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDI_VANTREL 107
#define IDI_SMALL 108
#define IDC_VANTREL_MENU 109
#endif
