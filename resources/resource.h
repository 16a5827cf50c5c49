// Identifiers of the class icons and the menu, shared by the resource script and the code
// that asks for them by number, so the two cannot drift apart.
#pragma once

#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDI_VANTREL 107
#define IDI_SMALL 108
#define IDC_VANTREL_MENU 109
