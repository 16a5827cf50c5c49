// vantrel-resource-check PROGRAM.exe: loads the class icons and the menu from the program's
// resources as the window class does, and prints what it found; exit code 1 when one is missing.
#include <windows.h>

#include <cstdio>
#include <initializer_list>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantrel-resource-check PROGRAM.exe\n");
        return 2;
    }
    HMODULE program = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!program) {
        std::fprintf(stderr, "vantrel-resource-check: cannot open %s\n", argv[1]);
        return 2;
    }
    bool complete = true;
    for (int id : {107, 108}) {
        HICON icon = LoadIconA(program, MAKEINTRESOURCEA(id));
        // LoadIconA scales to the system's icon size; the first image at its own size
        // tells which picture the resource holds.
        HICON own = static_cast<HICON>(LoadImageA(program, MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0));
        ICONINFO info = {};
        BITMAP bitmap = {};
        if (own && GetIconInfo(own, &info)) {
            GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
            if (info.hbmColor) DeleteObject(info.hbmColor);
            if (info.hbmMask) DeleteObject(info.hbmMask);
        }
        std::printf("icon %d: %s %ldx%ld\n", id, icon ? "loaded" : "missing", bitmap.bmWidth, bitmap.bmHeight);
        complete = complete && icon;
    }
    HMENU menu = LoadMenuA(program, MAKEINTRESOURCEA(109));
    std::printf("menu 109:");
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        char popup[64] = "", item[64] = "";
        GetMenuStringA(menu, i, popup, sizeof popup, MF_BYPOSITION);
        HMENU sub = GetSubMenu(menu, i);
        if (sub) GetMenuStringA(sub, 0, item, sizeof item, MF_BYPOSITION);
        std::printf(" \"%s\" > \"%s\" (%u)", popup, item, sub ? GetMenuItemID(sub, 0) : 0u);
    }
    std::printf("%s\n", menu ? "" : " missing");
    return complete && menu ? 0 : 1;
}
