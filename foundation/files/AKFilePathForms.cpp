// AKFilePath in the other forms of this system: a value and the binary
// string form of the files.

#include "AKFilePath.h"

#include "AKFileTypedIO.h"
#include "AKValue.h"

#include <string>

namespace {

// A path's text as stored in a value: "/" separators only.
AKString PathText(AKString const& text)
{
    std::string bytes = text.StdString();
    for (char& c : bytes) {
        if (c == '\\')
            c = '/';
    }
    return AKString(bytes);
}

}  // namespace

// --- Values ---

void AKFilePath::WriteToValue(AKValue* value) const
{
    if (value != nullptr)
        value->SetasAKString(PathText(mText));
}

bool AKFilePath::ReadFromValue(AKValue const& value, bool /*convert*/)
{
    AKString const* held = value.GetasAKString();
    if (held == nullptr) {
        Clear();
        return false;
    }
    *this = PathText(*held);
    return true;
}

// --- Binary files ---

int AKFilePath::WriteToFile(AKFile& file) const
{
    std::string text = mText.StdString();
    for (char& c : text) {
        if (c == '/')
            c = '\x01';
    }
    return AKFileWriteAKString(file, AKString(text));
}

// The stored text is taken as it is: backslashes stay backslashes.
int AKFilePath::ReadFromFile(AKFile const& file)
{
    AKString text;
    int status = AKFileReadAKString(file, &text);
    if (status != 0) {
        mText.Clear();
        return status;
    }
    std::string bytes = text.StdString();
    for (char& c : bytes) {
        if (c == '\x01')
            c = '/';
    }
    mText = bytes;
    return 0;
}

int AKFilePath::SkipFromFile(AKFile const& file) { return AKFileSkipAKString(file); }
