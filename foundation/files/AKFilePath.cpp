#include "AKFilePath.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "AKFileUtils.h"

namespace {

using Components = std::vector<std::string>;

std::string WithSlashes(std::string text)
{
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringAsciiCase(std::string const& a, std::string const& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

// Position just after the last "/", 0 when there is none.
size_t FileNameStart(std::string const& text)
{
    size_t slash = text.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

std::string DirectoryPart(std::string const& text) { return text.substr(0, FileNameStart(text)); }

std::string FileNamePart(std::string const& text) { return text.substr(FileNameStart(text)); }

// The pieces between the separators, without the file name and without the
// empty piece before a leading "/".
Components SplitComponents(std::string const& text)
{
    Components pieces;
    size_t end = text.rfind('/');
    if (end == std::string::npos)
        return pieces;
    size_t begin = 0;
    while (begin <= end) {
        size_t slash = text.find('/', begin);
        pieces.push_back(text.substr(begin, slash - begin));
        begin = slash + 1;
    }
    if (!pieces.empty() && pieces.front().empty())
        pieces.erase(pieces.begin());
    return pieces;
}

// Removes empty and "." entries and resolves ".." against the entry before
// it. A ".." with nothing before it fails, leaving the list as far as the
// walk got.
bool SimplifyComponents(Components* list)
{
    size_t i = 0;
    while (i < list->size()) {
        std::string const& entry = (*list)[i];
        if (entry.empty() || entry == ".") {
            list->erase(list->begin() + i);
        } else if (entry == "..") {
            if (i == 0)
                return false;
            list->erase(list->begin() + i - 1, list->begin() + i + 1);
            --i;
        } else {
            ++i;
        }
    }
    return true;
}

std::string ComposeComponents(Components const& list, bool relative, std::string const& fileName)
{
    std::string text;
    if (!relative)
        text = "/";
    for (std::string const& entry : list) {
        text += entry;
        text += '/';
    }
    text += fileName;
    if (relative && text.empty())
        text = "./";
    return text;
}

Components ToComponents(AKStringArray const& array)
{
    Components list;
    list.reserve(array.Count());
    for (AKString const& entry : array)
        list.push_back(entry.StdString());
    return list;
}

// The extension's "." in the file name, or npos.
size_t ExtensionDot(std::string const& fileName) { return fileName.rfind('.'); }

}  // namespace

// --- Construction and assignment ---

AKFilePath::AKFilePath(AKString const& text) { SetText(text.StdString()); }
AKFilePath::AKFilePath(char const* text) { SetText(text ? std::string(text) : std::string()); }
AKFilePath::AKFilePath(std::string const& text) { SetText(text); }

AKFilePath& AKFilePath::operator=(AKString const& text)
{
    SetText(text.StdString());
    return *this;
}

AKFilePath& AKFilePath::operator=(char const* text)
{
    SetText(text ? std::string(text) : std::string());
    return *this;
}

AKFilePath& AKFilePath::operator=(std::string const& text)
{
    SetText(text);
    return *this;
}

void AKFilePath::SetText(std::string text) { mText = WithSlashes(std::move(text)); }

// --- Syntax and form ---

bool AKFilePath::HasDirectorySyntax() const { return !Text().empty() && Text().back() == '/'; }

bool AKFilePath::ForceFileSyntax()
{
    std::string const& text = Text();
    size_t keep = text.find_last_not_of('/');
    keep = (keep == std::string::npos) ? 0 : keep + 1;
    if (keep == text.size())
        return false;
    mText = text.substr(0, keep);
    return true;
}

bool AKFilePath::ForceDirectorySyntax()
{
    if (IsEmpty() || HasDirectorySyntax())
        return false;
    mText.Append("/");
    return true;
}

bool AKFilePath::IsAbsolute() const { return !Text().empty() && Text().front() == '/'; }

bool AKFilePath::IsRelative() const { return !Text().empty() && Text().front() != '/'; }

bool AKFilePath::SimplifyPath()
{
    // The empty path has no folder and stays empty.
    if (IsEmpty())
        return true;
    Components list = SplitComponents(Text());
    if (!SimplifyComponents(&list))
        return false;
    SetText(ComposeComponents(list, IsRelative(), FileNamePart(Text())));
    return true;
}

bool AKFilePath::MakeAbsolute(AKFilePath const& base)
{
    if (!IsRelative() || !base.IsAbsolute())
        return false;
    Components list = SplitComponents(base.Text());
    Components own = SplitComponents(Text());
    list.insert(list.end(), own.begin(), own.end());
    if (!SimplifyComponents(&list))
        return false;
    SetText(ComposeComponents(list, false, FileNamePart(Text())));
    return true;
}

bool AKFilePath::MakeRelative(AKFilePath const& base)
{
    if (!IsAbsolute() || !base.IsAbsolute() || Volume() != base.Volume())
        return false;
    // A list that climbs above the root is used as far as it was simplified.
    Components baseList = SplitComponents(base.Text());
    SimplifyComponents(&baseList);
    Components list = SplitComponents(Text());
    SimplifyComponents(&list);

    size_t common = 0;
    while (common < baseList.size() && common < list.size() && baseList[common] == list[common])
        ++common;
    Components relative(baseList.size() - common, "..");
    relative.insert(relative.end(), list.begin() + common, list.end());
    SetText(ComposeComponents(relative, true, FileNamePart(Text())));
    return true;
}

AKStringArray AKFilePath::GetPathComponents() const
{
    AKStringArray array;
    for (std::string const& entry : SplitComponents(Text()))
        array.Push(AKString(entry));
    return array;
}

void AKFilePath::SetPathComponents(AKStringArray const& components, bool relative)
{
    SetText(ComposeComponents(ToComponents(components), relative, FileNamePart(Text())));
}

AKFilePath& AKFilePath::WithApplicationPath()
{
    SetPath(AKFileUtils::GetApplicationDirPath(nullptr).String());
    return *this;
}

bool AKFilePath::MakeAbsoluteWithApplicationPath() { return MakeAbsolute(AKFileUtils::GetApplicationDirPath(nullptr)); }

// --- Parts of the path ---

AKString AKFilePath::Path() const { return AKString(DirectoryPart(Text())); }

void AKFilePath::SetPath(AKString const& dir)
{
    std::string text = dir.StdString();
    if (!text.empty() && text.back() != '/')
        text += '/';
    text += FileNamePart(Text());
    SetText(std::move(text));
}

AKString AKFilePath::FileName() const { return AKString(FileNamePart(Text())); }

void AKFilePath::SetFileName(AKString const& name) { SetText(DirectoryPart(Text()) + name.StdString()); }

void AKFilePath::RemoveFileName() { mText = DirectoryPart(Text()); }

namespace {

// The last "/" and the nearest "/" at least two characters before it.
bool FindLastComponent(std::string const& text, size_t* outBegin, size_t* outEnd)
{
    size_t last = text.rfind('/');
    if (last == std::string::npos || last < 2)
        return false;
    size_t before = text.rfind('/', last - 2);
    if (before == std::string::npos)
        return false;
    *outBegin = before + 1;
    *outEnd = last;
    return true;
}

}  // namespace

AKString AKFilePath::LastComponent() const
{
    size_t begin, end;
    if (!FindLastComponent(Text(), &begin, &end))
        return kAKNullString;
    return AKString(Text().substr(begin, end - begin));
}

void AKFilePath::RemoveLastComponent()
{
    size_t begin, end;
    if (!FindLastComponent(Text(), &begin, &end))
        return;
    mText = Text().substr(0, begin) + Text().substr(end + 1);
}

void AKFilePath::AppendComponent(AKString const& name)
{
    if (name.IsEmpty())
        return;
    SetText(DirectoryPart(Text()) + name.StdString() + "/" + FileNamePart(Text()));
}

AKString AKFilePath::ShortFileName() const
{
    std::string name = FileNamePart(Text());
    size_t dot = ExtensionDot(name);
    return AKString(dot == std::string::npos ? name : name.substr(0, dot));
}

void AKFilePath::SetShortFileName(AKString const& name)
{
    std::string text = DirectoryPart(Text()) + name.StdString();
    AKString extension = Extension();
    if (!extension.IsEmpty())
        text += "." + extension.StdString();
    SetText(std::move(text));
}

AKString AKFilePath::Extension() const
{
    std::string name = FileNamePart(Text());
    size_t dot = ExtensionDot(name);
    return dot == std::string::npos ? kAKNullString : AKString(name.substr(dot + 1));
}

bool AKFilePath::HasExtension() const { return !Extension().IsEmpty(); }

bool AKFilePath::HasExtension(AKString const& extension) const
{
    return EqualIgnoringAsciiCase(Extension().StdString(), extension.StdString());
}

bool AKFilePath::HasExtension(AKStringArray const& extensions) const
{
    std::string own = Extension().StdString();
    for (AKString const& extension : extensions) {
        if (EqualIgnoringAsciiCase(own, extension.StdString()))
            return true;
    }
    return false;
}

void AKFilePath::SetExtension(AKString const& extension)
{
    // The extension is appended as it is, without the backslash rule.
    std::string text = DirectoryPart(Text()) + ShortFileName().StdString();
    if (!extension.IsEmpty())
        text += "." + extension.StdString();
    mText = text;
}

void AKFilePath::AddExtension(AKString const& extension)
{
    if (extension.IsEmpty())
        return;
    mText.Append(".").Append(extension);
}

void AKFilePath::RemoveExtension() { mText = DirectoryPart(Text()) + ShortFileName().StdString(); }

// --- Arrays and shared constants ---

void AKFilePathArray::SortByFilePath()
{
    Sort([](AKFilePath const& a, AKFilePath const& b) { return a.String().StdString() < b.String().StdString(); },
         false);
}

void AKFilePathArray::SortByFileName()
{
    Sort(
        [](AKFilePath const& a, AKFilePath const& b) {
            return FileNamePart(a.String().StdString()) < FileNamePart(b.String().StdString());
        },
        false);
}

AKFilePath const& AKNullFilePathShared()
{
    static AKFilePath const sNull;
    return sNull;
}

AKFilePathArray const& AKNullFilePathArrayShared()
{
    static AKFilePathArray const sNull;
    return sNull;
}
