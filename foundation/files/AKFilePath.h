#pragma once

// AKFilePath: the engine's one path type, a value over POSIX-style text with
// "/" as the only separator (Mac Roman bytes, like every AKString). All path
// arithmetic here is pure text work; only WithApplicationPath and
// MakeAbsoluteWithApplicationPath consult the file system (AKFileUtils).
//
// Text taken from outside (construction, assignment, SetPath, SetFileName,
// SetShortFileName, AppendComponent, SetPathComponents) has every backslash
// turned into "/", so a path never holds a backslash once built from text.
//
// A path ending with "/" has directory syntax (a folder, empty file name);
// any other path, the empty one included, has file syntax. A non-empty path
// starting with "/" is absolute, any other non-empty path relative; the empty
// path is neither.

#include <string>

#include "AKString.h"
#include "AKStringArray.h"
#include "ATArray.h"

class AKFile;
class AKValue;

// The separator, as a C string.
inline constexpr char kAKFilePathSeparator[] = "/";

class AKFilePath
{
public:
    AKFilePath() = default;
    AKFilePath(AKFilePath const&) = default;
    AKFilePath(AKFilePath&&) noexcept = default;
    AKFilePath(AKString const& text);
    AKFilePath(char const* text);
    AKFilePath(std::string const& text);
    ~AKFilePath() = default;

    AKFilePath& operator=(AKFilePath const&) = default;
    AKFilePath& operator=(AKFilePath&&) noexcept = default;
    AKFilePath& operator=(AKString const& text);
    AKFilePath& operator=(char const* text);
    AKFilePath& operator=(std::string const& text);

    // Byte-wise, case-sensitive comparison of the texts.
    bool operator==(AKFilePath const& other) const { return mText == other.mText; }
    bool operator!=(AKFilePath const& other) const { return mText != other.mText; }
    bool operator<(AKFilePath const& other) const { return mText < other.mText; }
    bool operator<=(AKFilePath const& other) const { return mText <= other.mText; }
    bool operator>(AKFilePath const& other) const { return mText > other.mText; }
    bool operator>=(AKFilePath const& other) const { return mText >= other.mText; }
    bool IsEqual(AKFilePath const& other) const { return mText == other.mText; }
    int Compare(AKFilePath const& other) const { return mText.Compare(other.mText, true); }
    bool IsCaseSensitive() const { return true; }

    bool IsEmpty() const { return mText.IsEmpty(); }
    unsigned int Length() const { return mText.Length(); }
    AKString const& String() const { return mText; }
    char const* c_str() const { return mText.c_str(); }
    void Clear() { mText.Clear(); }
    void Free() { mText.Free(); }

    // --- Syntax and form ---

    bool HasFileSyntax() const { return !HasDirectorySyntax(); }
    bool HasDirectorySyntax() const;
    // Removes every trailing "/"; true when something was removed.
    bool ForceFileSyntax();
    // Appends "/" unless the path is empty or already ends with "/".
    bool ForceDirectorySyntax();
    bool IsAbsolute() const;
    bool IsRelative() const;

    // A relative path against an absolute base (only the base's folder part
    // counts); false and unchanged when either is of the wrong kind or ".."
    // climbs above the root.
    bool MakeAbsolute(AKFilePath const& base);
    // An absolute path relative to an absolute base's folder.
    bool MakeRelative(AKFilePath const& base);
    // Removes empty and "." folders and resolves ".."; false and unchanged
    // when ".." climbs above the first folder.
    bool SimplifyPath();

    // The folders of the path (file name and leading "/" excluded), not simplified.
    AKStringArray GetPathComponents() const;
    // Rebuilds the path from folders, keeping the file name. An absolute path
    // without folders is "/" and its file name; a relative one without folders
    // and file name is "./".
    void SetPathComponents(AKStringArray const& components, bool relative);

    // Paths carry no volume.
    AKString Volume() const { return kAKNullString; }
    bool HasVolume() const { return false; }

    // The file name placed in the application folder.
    AKFilePath& WithApplicationPath();
    bool MakeAbsoluteWithApplicationPath();

    // --- Parts of the path ---

    // Everything up to and including the last "/"; empty without one.
    AKString Path() const;
    // The folder part becomes dir (with a "/" added when missing); an empty
    // dir leaves the file name alone.
    void SetPath(AKString const& dir);
    AKString FileName() const;
    void SetFileName(AKString const& name);
    void RemoveFileName();

    // For a folder path its own name, for a file path the name of the folder
    // holding it (/a/b/ and /a/b/c.txt both give b); empty when the path has
    // no such folder name.
    AKString LastComponent() const;
    // Removes that name with its "/": /a/b/ becomes /a/, /a/b/c.txt becomes /a/c.txt.
    void RemoveLastComponent();
    // Adds a folder before the file name: /a/x.txt with b gives /a/b/x.txt.
    void AppendComponent(AKString const& name);

    // The file name before its last "."; the whole name without a ".".
    AKString ShortFileName() const;
    void SetShortFileName(AKString const& name);
    // The text after the last "." of the file name; empty without a ".".
    AKString Extension() const;
    bool HasExtension() const;
    // ASCII case ignored.
    bool HasExtension(AKString const& extension) const;
    bool HasExtension(AKStringArray const& extensions) const;
    // Replaces the extension; an empty one removes it. Taken as it is.
    void SetExtension(AKString const& extension);
    // Appends "." and the extension to the whole text, whatever its syntax.
    void AddExtension(AKString const& extension);
    void RemoveExtension();

    // --- Value and file forms (written with the typed values and chunk I/O) ---

    void WriteToValue(AKValue* value) const;
    bool ReadFromValue(AKValue const& value, bool convert);
    int WriteToFile(AKFile& file) const;
    int ReadFromFile(AKFile const& file);
    static int SkipFromFile(AKFile const& file);

private:
    void SetText(std::string text);  // takes outside text: backslashes become "/"
    std::string const& Text() const { return mText.StdString(); }

    AKString mText;
};

// A list of paths, owning them by value.
class AKFilePathArray : public ATArray<AKFilePath>
{
public:
    AKFilePathArray() = default;
    AKFilePathArray(ATArray<AKFilePath> const& array) : ATArray<AKFilePath>(array) {}
    AKFilePathArray(std::initializer_list<AKFilePath> items) : ATArray<AKFilePath>(items) {}

    // Ascending byte-wise order of the whole texts; equal keys in no set order.
    void SortByFilePath();
    // Ascending byte-wise order of the file names; equal keys in no set order.
    void SortByFileName();
};

// Shared empty constants, built on first use. Never modified.
AKFilePath const& AKNullFilePathShared();
AKFilePathArray const& AKNullFilePathArrayShared();
#define kAKNullFilePath (AKNullFilePathShared())
#define kAKNullFilePathArray (AKNullFilePathArrayShared())
