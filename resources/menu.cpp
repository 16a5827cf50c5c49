// The main window's menu, kept as data where there is no resource compiler.
#include <module_resources.h>

#include "resources/resource.h"

static const ModuleMenuItem kMainMenu[] = {
    {IDC_VANTREL_MENU, "&File", "E&xit", IDM_EXIT},
    {IDC_VANTREL_MENU, "&Help", "&About ...", IDM_ABOUT},
};

const ModuleMenuItem* FindModuleMenu(int menuId, int* count)
{
    const int items = static_cast<int>(sizeof kMainMenu / sizeof kMainMenu[0]);
    if (menuId != IDC_VANTREL_MENU) {
        if (count) *count = 0;
        return nullptr;
    }
    if (count) *count = items;
    return kMainMenu;
}
