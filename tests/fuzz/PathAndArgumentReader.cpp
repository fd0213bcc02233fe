// Fuzz target: paths and argument lists read from text. The first byte
// chooses a reader, the rest is its text: one path and its parts, a path
// against a base folder, an argument list split with and without quote
// removal, a system (UTF-8) name or folder path, and a path held in a value.
//
// The parts of a path add up to it; a simplified path stays as it is when
// simplified again and rebuilds from its parts; a path made relative to a
// folder comes back when made absolute again; an argument list joined again
// splits into the same arguments.

#include "AKArgumentList.h"
#include "AKFilePath.h"
#include "AKFileSystemText.h"
#include "AKLog.h"
#include "AKString.h"
#include "AKStringArray.h"
#include "AKStringEncoding.h"
#include "AKValue.h"
#include "AKValueTyped.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

std::string TextOf(AKFilePath const& path) { return path.String().StdString(); }

// A simplified path: no empty, "." or ".." folder (but the "./" of a
// relative path left with nothing), and simplifying again changes nothing.
void CheckSimplified(AKFilePath const& path)
{
    if (TextOf(path) != "./") {
        for (AKString const& component : path.GetPathComponents()) {
            std::string const& name = component.StdString();
            Require(!name.empty() && name != "." && name != "..");
        }
    }
    AKFilePath again(path);
    Require(again.SimplifyPath() && again == path);
}

void CheckOnePath(std::string const& text)
{
    AKFilePath path(text);
    std::string own = TextOf(path);
    Require(own.size() == text.size() && own.find('\\') == std::string::npos);
    Require((path.Path().StdString() + path.FileName().StdString()) == own);
    Require(path.HasDirectorySyntax() == (!own.empty() && own.back() == '/'));
    Require(!path.HasDirectorySyntax() || path.FileName().IsEmpty());
    if (path.HasExtension()) {
        Require(path.ShortFileName().StdString() + "." + path.Extension().StdString() == path.FileName().StdString());
        AKFilePath bare(path);
        bare.RemoveExtension();
        bare.AddExtension(path.Extension());
        Require(bare == path);
    }

    AKFilePath file(path);
    file.ForceFileSyntax();
    Require(!file.HasDirectorySyntax());
    AKFilePath folder(path);
    folder.ForceDirectorySyntax();
    Require(folder.IsEmpty() || folder.HasDirectorySyntax());

    AKFilePath simple(path);
    if (path.IsEmpty() || !simple.SimplifyPath())
        return;
    Require(simple.IsAbsolute() == path.IsAbsolute());
    CheckSimplified(simple);

    AKFilePath rebuilt(simple);
    rebuilt.SetPathComponents(simple.GetPathComponents(), simple.IsRelative());
    Require(rebuilt == simple);

    AKString last = simple.LastComponent();
    if (!last.IsEmpty()) {
        AKFilePath moved(simple);
        moved.RemoveLastComponent();
        moved.AppendComponent(last);
        Require(moved == simple);
    }
}

void CheckPathAgainstBase(std::string const& text)
{
    size_t split = text.find('\n');
    AKFilePath base(text.substr(0, split));
    AKFilePath path(split == std::string::npos ? std::string() : text.substr(split + 1));

    AKFilePath absolute(path);
    if (absolute.MakeAbsolute(base)) {
        Require(path.IsRelative() && base.IsAbsolute() && absolute.IsAbsolute());
        CheckSimplified(absolute);
    } else {
        Require(absolute == path);
    }

    AKFilePath simpleBase(base);
    AKFilePath simplePath(path);
    if (!base.IsAbsolute() || !path.IsAbsolute() || !simpleBase.SimplifyPath() || !simplePath.SimplifyPath())
        return;
    AKFilePath relative(simplePath);
    Require(relative.MakeRelative(simpleBase) && relative.IsRelative());
    Require(relative.MakeAbsolute(simpleBase) && relative == simplePath);
}

std::string WithoutQuotes(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    return text;
}

void CheckArguments(std::string const& text)
{
    AKArgs kept(AKString(text), false);
    AKArgs removed(AKString(text), true);
    Require(kept.Count() == removed.Count());
    std::string joined;
    for (unsigned int i = 0; i < kept.Count(); ++i) {
        std::string const& arg = kept.GetArg(i).StdString();
        Require(!arg.empty() && WithoutQuotes(arg) == removed.GetArg(i).StdString());
        Require(kept.argv(static_cast<int>(i)) == kept.GetArg(i).c_str());
        joined += (i == 0 ? "" : " ") + arg;
    }
    Require(kept.argv(-1) == nullptr && kept.argv(static_cast<int>(kept.Count())) == nullptr);
    Require(kept.GetArg(kept.Count()).IsEmpty());

    AKArgs again(AKString(joined), false);
    Require(again.Count() == kept.Count());
    for (unsigned int i = 0; i < kept.Count(); ++i)
        Require(again.GetArg(i) == kept.GetArg(i));

    // The C-string form stops at the first NUL.
    AKArgs fromCString(text.c_str(), true);
    AKArgs upToNul(AKString(std::string(text.c_str())), true);
    Require(fromCString.Count() == upToNul.Count());

    // Options found by prefix: the first argument starting with it.
    if (kept.Count() != 0) {
        std::string const& first = kept.GetArg(kept.Count() - 1).StdString();
        AKString prefix(first.substr(0, (first.size() + 1) / 2));
        unsigned int match = 0;
        while (!kept.GetArg(match).StartsWith(prefix))
            ++match;
        AKString rest;
        Require(kept.IsParam(prefix) && kept.GetParam(prefix, &rest));
        Require(rest.StdString() == kept.GetArg(match).StdString().substr(prefix.Length()));
    }
}

void CheckSystemText(std::string const& text)
{
    AKString engine;
    if (AKEngineTextFromSystemText(text, &engine))
        Require(AKStringCopyWithEncoding(engine, kAKStringEncodingMacRoman, kAKStringEncodingUTF8).StdString() == text);
    AKFilePath folder = AKFolderPathFromSystemText(text);
    if (!folder.IsEmpty()) {
        // In directory syntax, and simplified when it can be.
        Require(folder.HasDirectorySyntax());
        AKFilePath again(folder);
        Require(!again.SimplifyPath() || again == folder);
    }
    bool bundled = false;
    AKFilePath application = AKApplicationDirOfBundle(folder, &bundled);
    Require(bundled || application == folder);
}

void CheckValueForm(std::string const& text)
{
    AKValue value = AKValueSetasAKString(AKString(text));
    AKFilePath path;
    Require(path.ReadFromValue(value, false));
    AKValue written;
    path.WriteToValue(&written);
    AKFilePath again;
    Require(again.ReadFromValue(written, false) && again == path);
    AKFilePath converted;
    Require(AKValueGetasAKFilePath(value, &converted, true));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    static bool sMuted = (AKLogErrorMute(), true);
    (void)sMuted;
    if (size == 0 || size > 0xFFFFFFu)
        return 0;
    std::string text(reinterpret_cast<char const*>(data + 1), size - 1);
    switch (data[0] % 5) {
    case 0:
        CheckOnePath(text);
        break;
    case 1:
        CheckPathAgainstBase(text);
        break;
    case 2:
        CheckArguments(text);
        break;
    case 3:
        CheckSystemText(text);
        break;
    default:
        CheckValueForm(text);
        break;
    }
    return 0;
}
