// The class icons; their PNG bytes are generated into the build from resources/*.png.
#include <module_resources.h>

#include "resources/resource.h"

// Provided by the generated source; null pointers when the images were missing at configure time.
extern const unsigned char* const kIcon107Png;
extern const size_t kIcon107Size;
extern const unsigned char* const kIcon108Png;
extern const size_t kIcon108Size;

const ModuleIcon* FindModuleIcon(int id)
{
    static const ModuleIcon icons[] = {
        {IDI_VANTREL, kIcon107Png, kIcon107Size},
        {IDI_SMALL, kIcon108Png, kIcon108Size},
    };
    for (const ModuleIcon& icon : icons) {
        if (icon.id == id) return &icon;
    }
    return nullptr;
}
