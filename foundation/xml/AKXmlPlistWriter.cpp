// Writing dictionaries as XML property lists.

#include "AKBase64.h"
#include "AKDictionary.h"
#include "AKFile.h"
#include "AKFilePath.h"
#include "AKFileReplace.h"
#include "AKLog.h"
#include "AKMemoryBlock.h"
#include "AKScopedPrintfFloatSepAsDot.h"
#include "AKStatus.h"
#include "AKStringEncoding.h"
#include "AKValue.h"
#include "AKValueArray.h"
#include "AKXmlDocument.h"
#include "AKXmlPlist.h"

#include <tinyxml.h>

#include <cstdio>
#include <string>

namespace {

TiXmlElement* AppendElement(TiXmlNode* parent, char const* name)
{
    TiXmlElement* element = new TiXmlElement(name);
    parent->LinkEndChild(element);
    return element;
}

// An element holding one text, empty or not: the empty text prints as
// <name></name>, where an element without it would print <name />.
void AppendTextElement(TiXmlNode* parent, char const* name, std::string const& text)
{
    AppendElement(parent, name)->LinkEndChild(new TiXmlText(text));
}

// The declaration and wrapper when asked for, and the empty top "dict".
TiXmlElement* AppendTopElements(TiXmlDocument* document, bool plist)
{
    TiXmlNode* parent = document;
    if (plist) {
        document->LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", ""));
        TiXmlElement* wrapper = AppendElement(document, kAKXmlPlistElementPlist);
        wrapper->SetAttribute(kAKXmlPlistVersionAttribute, kAKXmlPlistVersion);
        parent = wrapper;
    }
    return AppendElement(parent, kAKXmlPlistElementDict);
}

// Builds the whole document, `fill` writing the pairs into the top "dict",
// and prints it. Nothing is printed when a value cannot be written; `path`
// names the file in the message of a failed print.
template <class Fill>
int BuildXmlText(bool plist, char const* path, std::string* text, Fill fill)
{
    text->clear();
    TiXmlDocument document;
    int status = fill(AppendTopElements(&document, plist));
    if (status == 0 && !AKXmlPrintDocument(document, text))
        status = AKLogError(kAKErrorDictionaryXmlCantWrite, "Can't write the Xml-file \"%s\"", path);
    if (status != 0)
        text->clear();
    return status;
}

}  // namespace

// --- Files, streams and strings ---

int AKDictionary::SaveToXmlString(AKString* text, bool plist) const
{
    text->Clear();
    std::string bytes;
    int status = BuildXmlText(plist, "", &bytes, [this](TiXmlElement* dict) { return XmlWriteToElement(dict); });
    if (status == 0)
        *text = AKString(bytes);
    return status;
}

int AKDictionary::SaveToOpenedXmlFile(AKFile& file, bool plist) const
{
    int status = file.CheckIsOpenedForWrite();
    if (status == 0)
        status = file.SetPos(0);
    if (status != 0)
        return status;

    std::string bytes;
    char const* path = file.GetPath().c_str();
    status = BuildXmlText(plist, path, &bytes, [this](TiXmlElement* dict) { return XmlWriteToElement(dict); });
    // A failed write, logged by the file layer, fails the save.
    if (status == 0 && file.Write(bytes.data(), bytes.size()) != 0)
        status = AKLogError(kAKErrorDictionaryXmlCantWrite, "Can't write the Xml-file \"%s\"", path);
    // Nothing of a longer previous content may follow the text. Files that
    // end at the text (devices included) are not cut.
    if (status == 0 && !file.IsEndOfFile(0))
        status = file.SetFileSize(bytes.size());
    return status;
}

// The whole text is built first and replaces the file in one step: a value
// that cannot be written, or a file that cannot be written, leaves the
// previous file as it was.
int AKDictionary::SaveToXmlFile(AKFilePath const& path, bool plist) const
{
    std::string bytes;
    int status =
        BuildXmlText(plist, path.c_str(), &bytes, [this](TiXmlElement* dict) { return XmlWriteToElement(dict); });
    if (status == 0 && AKFileReplaceContent(path, bytes.data(), bytes.size()) != 0)
        status = AKLogError(kAKErrorDictionaryXmlCantWrite, "Can't write the Xml-file \"%s\"", path.c_str());
    return status;
}

// --- Elements ---

// The pairs, in key order, into the given "dict" element.
int AKDictionary::XmlWriteToElement(TiXmlNode* parent) const
{
    for (auto const& entry : fEntries) {
        AppendTextElement(parent, kAKXmlPlistElementKey, entry.first.StdString());
        int status = entry.second.XmlWriteToElement(parent);
        if (status != 0)
            return status;
    }
    return 0;
}

// The values, in order, into the given "array" element.
int AKValueArray::XmlWriteToElement(TiXmlNode* parent) const
{
    for (unsigned int i = 0, count = Count(); i < count; ++i) {
        int status = (*this)[i].XmlWriteToElement(parent);
        if (status != 0)
            return status;
    }
    return 0;
}

int AKValue::XmlWriteToElement(TiXmlNode* parent) const
{
    switch (GetTag()) {
    case kAKValueTagBool: {
        bool flag = false;
        GetasBool(&flag, false);
        AppendElement(parent, flag ? kAKXmlPlistElementTrue : kAKXmlPlistElementFalse);
        return 0;
    }
    case kAKValueTagInteger: {
        long long number = 0;
        GetasInteger(&number, false);
        char text[32];
        std::snprintf(text, sizeof(text), "%lld", number);
        AppendTextElement(parent, kAKXmlPlistElementInteger, text);
        return 0;
    }
    case kAKValueTagReal: {
        double number = 0.0;
        GetasFloat(&number, false);
        // "%lf" of the largest double takes 317 characters.
        char text[512];
        {
            AKScopedPrintfFloatSepAsDot dot;
            std::snprintf(text, sizeof(text), "%lf", number);
        }
        AppendTextElement(parent, kAKXmlPlistElementReal, text);
        return 0;
    }
    case kAKValueTagString:
        AppendTextElement(
            parent, kAKXmlPlistElementString,
            AKStringCopyWithEncoding(*GetasAKString(), kAKStringEncodingMacRoman, kAKStringEncodingUTF8).StdString());
        return 0;
    case kAKValueTagArray:
        return GetasAKValueArray()->XmlWriteToElement(AppendElement(parent, kAKXmlPlistElementArray));
    case kAKValueTagDictionary:
        return GetasAKDictionary()->XmlWriteToElement(AppendElement(parent, kAKXmlPlistElementDict));
    case kAKValueTagBinary: {
        AKMemoryBlock const* block = GetasBinary();
        std::string text;
        LowEncodeBinaryToBase64(block->Data(), block->Size(), &text);
        AppendTextElement(parent, kAKXmlPlistElementData, text);
        return 0;
    }
    default: {
        // The empty value has no element.
        char type[32];
        std::snprintf(type, sizeof(type), "enum %d", static_cast<int>(GetTag()));
        return AKLogError(kAKErrorDictionaryXmlUnknownType, "Unknown type <%s> in Xml-file at line %d", type, -1);
    }
    }
}
