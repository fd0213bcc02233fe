// QVLibBasicOptions: the start options and their parameters string.

#include "QVLibBasicOptions.h"

#include "AKLog.h"
#include "AKStatus.h"
#include "AKTextForms.h"

#include <cstring>
#include <string>

QVLibBasicOptions gQVLib;

void QVLibBasicOptions::Reset() { *this = QVLibBasicOptions{false, false, false, false, false, false, false}; }

int QVLibBasicOptions::SetupForCompleteApplication()
{
    *this = QVLibBasicOptions{};
    return 0;
}

namespace {

std::string Trimmed(std::string const& text)
{
    char const* const blanks = " \n\r\t";
    size_t const first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

int QVLibBasicOptions::SetupFromParametersString(char const* text)
{
    Reset();
    if (text == nullptr || text[0] == 0)
        return 0;
    std::string joined;
    for (char const* c = text; *c != 0; ++c)
        if (*c != ' ')
            joined.push_back(*c);

    struct Key {
        char const* name;
        bool QVLibBasicOptions::*option;
    };
    static Key const kKeys[] = {{"RealTime", &QVLibBasicOptions::realTime},
                                {"HostIdle", &QVLibBasicOptions::hostIdle},
                                {"UndoRedo", &QVLibBasicOptions::undoRedo},
                                {"Waveform", &QVLibBasicOptions::waveform},
                                {"PersistIDs", &QVLibBasicOptions::persistIDs}};

    size_t start = 0;
    while (start <= joined.size()) {
        size_t end = joined.find(';', start);
        if (end == std::string::npos)
            end = joined.size();
        std::string const item = Trimmed(joined.substr(start, end - start));
        start = end + 1;
        if (item.empty())
            continue;
        size_t const equal = item.find('=');
        std::string const key = equal == std::string::npos ? std::string() : item.substr(0, equal);
        std::string const value = equal == std::string::npos ? item : item.substr(equal + 1);
        Key const* found = nullptr;
        for (Key const& candidate : kKeys)
            if (key == candidate.name)
                found = &candidate;
        if (found == nullptr) {
            AKLogWarning(kQVWarningUProcOptionKeyUnknown, "Unknown parameter \"%s\"", item.c_str());
            continue;
        }
        int number = -1;
        if (strGetasSInt(value.c_str(), &number, -1) && (number == 0 || number == 1))
            this->*(found->option) = number == 1;
        else
            AKLogWarning(kQVWarningUProcOptionWrongType, "Wrong value for parameter \"%s\"", item.c_str());
    }
    return 0;
}
