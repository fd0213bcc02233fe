// QVProviderGetUIDataColor: the eight data colours of providers.

#include "QVAudioServices.h"
#include "QVProvider.h"

namespace {

struct DataColor {
    char const* name;
    unsigned int red, green, blue;
};

constexpr DataColor kDataColors[] = {
    {"Red", 128, 0, 0},      {"Green", 0, 128, 0},  {"Blue", 0, 0, 128},    {"Yellow", 128, 128, 0},
    {"Purple", 128, 0, 128}, {"Cyan", 0, 128, 128}, {"Violet", 64, 0, 128}, {"Brown", 128, 64, 0},
};

}  // namespace

AGColor QVProviderGetUIDataColor(unsigned int index, AKString* name)
{
    if (index >= sizeof(kDataColors) / sizeof(kDataColors[0])) {
        if (name != nullptr)
            name->Clear();
        return kAGColorBlack;
    }
    DataColor const& color = kDataColors[index];
    if (name != nullptr)
        *name = QVAudioServices::Get().LocaleGetString(color.name);
    return AGColor::FromRGBA(color.red, color.green, color.blue);
}
