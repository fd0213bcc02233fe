// Loading and saving a whole file as one string of bytes, without text
// conversion.

#include "AKFile.h"

#include "AKFileReplace.h"
#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"

#include <string>

int AKFileLoadContentToString(AKFile const& file, AKString* text)
{
    text->Clear();
    int status = file.CheckIsOpenedForRead();
    unsigned long long size = 0;
    if (status == 0)
        status = file.GetFileInfo(&size);
    if (status == 0)
        status = file.SetPos(0);
    if (status != 0)
        return status;
    if (size == 0)
        return 0;
    // A string holds at most 4 GiB.
    if (size > 0xFFFFFFFFull)
        return AKLogError(kAKErrorFileDataTooBig, "Data size or position too big in file \"%s\"", file.GetLogName());

    std::string bytes(static_cast<size_t>(size), '\0');
    status = file.Read(&bytes[0], size);
    if (status != 0)
        return status;
    size_t length = bytes.size();
    while (length > 0 && bytes[length - 1] == '\0')
        --length;
    text->Assign(bytes.data(), static_cast<unsigned int>(length));
    return 0;
}

int AKFileLoadContentToString(AKFilePath const& path, AKString* text)
{
    text->Clear();
    AKFile file(path, 0);
    int status = file.OpenForRead();
    if (status != 0)
        return status;
    status = AKFileLoadContentToString(file, text);
    file.Close();
    return status;
}

int AKFileSaveContentOfString(AKFile& file, AKString const& text)
{
    int status = file.CheckIsOpenedForWrite();
    if (status == 0)
        status = file.SetPos(0);
    if (status == 0)
        status = file.Write(text.c_str(), text.Length());
    return status;
}

// The text replaces the file whole (AKFileReplace.h): a save that fails or
// is killed midway leaves the previous file as it was.
int AKFileSaveContentOfString(AKFilePath const& path, AKString const& text)
{
    return AKFileReplaceContent(path, text.c_str(), text.Length());
}

int AKFileLoadContentToStringFromResources(AKString const& name, AKString* text)
{
    text->Clear();
    AKFilePath path = AKFileUtilsMacOS::GetApplicationBundleResourceFilePath(name);
    if (AKFileLoadContentToString(path, text) != 0)
        return AKLogError(kAKErrorCantFindResource, "Can't find resource \"%s\"", name.c_str());
    return 0;
}
