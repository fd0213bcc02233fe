// The look-up tables of the object model: starter behaviours, colour labels
// and starter-key letters.

#include "QVObjectPoolable.h"

#include "AKValueEnums.h"
#include "QVLocale.h"

AKValueEnums const kEnums_Behavior[] = {{kQVStarterBehaviorPush, "Push"},
                                        {kQVStarterBehaviorToggle, "Toggle"},
                                        {kQVStarterBehaviorPushAndBack, "PushAndBack"},
                                        {kQVStarterBehaviorToggleAndBack, "ToggleAndBack"},
                                        {kQVStarterBehaviorBackAndRepeat, "BackAndRepeat"},
                                        {0, ""}};

namespace {

// Red in the lowest byte, alpha in the highest.
constexpr unsigned int kColors[kQVColorLabelMax + 1] = {0xFFFFFFFFu, 0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFF00FFFFu,
                                                        0xFFFF00FFu, 0xFFFFFF00u, 0xFFFF0080u, 0xFF0080FFu};

char const* const kNames[kQVColorLabelMax + 1] = {"None",   "Red",  "Green",  "Blue", "Yellow",
                                                  "Purple", "Cyan", "Violet", "Brown"};

// Localised once, on the first request for a name.
AKString const* LocalisedNames()
{
    static AKString const* const sNames = [] {
        static AKString names[kQVColorLabelMax + 1];
        for (unsigned int index = 0; index <= kQVColorLabelMax; ++index)
            names[index] = QVLocaleGetString(kNames[index]);
        return names;
    }();
    return sNames;
}

}  // namespace

unsigned int QVObjectGetUIColorLabel(unsigned int index, AKString* nameOut)
{
    if (index > kQVColorLabelMax)
        index = 0;
    if (nameOut != nullptr)
        *nameOut = LocalisedNames()[index];
    return kColors[index];
}

void QVObjectGetUIStarterKeyName(unsigned int key, AKString* out)
{
    if (out == nullptr)
        return;
    if (key == 0)
        *out = " ";
    else if (key <= kQVStarterKeyMax)
        *out = AKString().Assignf("%c", static_cast<char>('A' + key - 1));
    else
        out->Clear();
}
