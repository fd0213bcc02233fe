// Reading XML property lists into dictionaries.

#include "AKBase64.h"
#include "AKDictionary.h"
#include "AKFile.h"
#include "AKFilePath.h"
#include "AKLog.h"
#include "AKMemoryBlock.h"
#include "AKStatus.h"
#include "AKStringEncoding.h"
#include "AKTextForms.h"
#include "AKValue.h"
#include "AKValueArray.h"
#include "AKValueChunkNesting.h"
#include "AKXmlDocument.h"
#include "AKXmlPlist.h"

#include <tinyxml.h>

#include <string>
#include <utility>

namespace {

// The line of the error that ended the current read on this thread, 0 when
// none: each read sets it before it hands it out, so reads on other threads
// never see it.
thread_local int tErrorLine = 0;

// Arrays and dictionaries open in the current read on this thread.
thread_local unsigned int tNesting = 0;

// Streams larger than this cannot be parsed: the library takes 32-bit sizes.
constexpr unsigned long long kMaxStreamSize = 0x7FFFFFFFull;

int BadStructure(int line)
{
    tErrorLine = line;
    return AKLogError(kAKErrorDictionaryXmlBadStructure, "Bad structure in Xml-file at line %d", line);
}

// One array or dictionary level; values nested as deep as the binary form
// allows at most, so that what is read can be copied, written and freed.
class NestingLevel
{
public:
    NestingLevel() { ++tNesting; }
    ~NestingLevel() { --tNesting; }
    NestingLevel(NestingLevel const&) = delete;
    NestingLevel& operator=(NestingLevel const&) = delete;

    bool IsTooDeep() const { return tNesting > kAKValueChunkMaxNesting; }
};

// The element's text as the library gives it (its first child when that is
// text), or the empty text.
std::string const& ElementText(TiXmlElement const* element)
{
    static std::string const sNoText;
    TiXmlNode const* child = element->FirstChild();
    TiXmlText const* text = child != nullptr ? child->ToText() : nullptr;
    return text != nullptr ? text->ValueStr() : sNoText;
}

bool IsNamed(TiXmlElement const* element, char const* name) { return element->ValueStr() == name; }

// The whole stream from position 0, as the library's file load takes it.
int ReadStreamBytes(AKFile const& file, std::string* bytes)
{
    unsigned long long size = 0;
    int status = file.Seek(0, kAKFileWhenceEnd);
    if (status == 0)
        status = file.GetPos(&size);
    if (status == 0)
        status = file.SetPos(0);
    if (status == 0 && size > kMaxStreamSize)
        status = AKLogError(kAKErrorFileDataTooBig, "Data size or position too big in file \"%s\"", file.GetLogName());
    if (status == 0 && size > 0) {
        bytes->resize(static_cast<size_t>(size));
        status = file.Read(&(*bytes)[0], size);
    }
    return status;
}

// The top "dict" element: the document's first element, or with the wrapper
// the first element inside "plist".
int FindTopElement(TiXmlDocument const& document, bool plist, TiXmlElement const** top)
{
    TiXmlElement const* element = document.FirstChildElement();
    if (element == nullptr)
        return BadStructure(0);
    if (plist) {
        if (!IsNamed(element, kAKXmlPlistElementPlist))
            return BadStructure(element->Row());
        // Byte-wise: "1.0", "0.9", "1" and no version at all pass.
        std::string const* version = element->Attribute(std::string(kAKXmlPlistVersionAttribute));
        std::string const text = version != nullptr ? *version : std::string();
        if (text.compare(kAKXmlPlistVersion) > 0) {
            tErrorLine = element->Row();
            return AKLogError(kAKErrorDictionaryXmlBadVersion, "Bad version (%s) in Xml-file at line %d", text.c_str(),
                              element->Row());
        }
        element = element->FirstChildElement();
        if (element == nullptr)
            return BadStructure(0);
    }
    if (!IsNamed(element, kAKXmlPlistElementDict))
        return BadStructure(element->Row());
    *top = element;
    return 0;
}

}  // namespace

// --- Files, streams and strings ---

int AKDictionary::LoadFromXmlFile(AKFilePath const& path, bool plist, int* errorLine)
{
    Free();
    AKFile file(path);
    int status = file.OpenForRead();
    if (status != 0)
        return status;
    status = LoadFromOpenedXmlFile(file, plist, errorLine);
    file.Close();
    return status;
}

int AKDictionary::LoadFromXmlString(AKString const& text, bool plist, int* errorLine)
{
    Free();
    AKFile stream(text.c_str(), text.Length());
    int status = stream.OpenForRead();
    if (status != 0)
        return status;
    return LoadFromOpenedXmlFile(stream, plist, errorLine);
}

int AKDictionary::LoadFromOpenedXmlFile(AKFile const& file, bool plist, int* errorLine)
{
    Free();
    tErrorLine = 0;
    int status = file.CheckIsOpenedForRead();
    if (status == 0)
        status = file.SetPos(0);
    if (status != 0)
        return status;

    std::string bytes;
    AKXmlParsedDocument parsed;
    int line = 0;
    status = ReadStreamBytes(file, &bytes);
    if (status == 0)
        status = parsed.Parse(bytes.data(), bytes.size(), &line);

    if (status == kAKErrorDictionaryXmlBadStructure) {
        status = BadStructure(line);
    } else if (status != 0 || parsed.Document().Error()) {
        // The library's row is already 1-based, and 0 when it has no position.
        tErrorLine = status == 0 ? parsed.Document().ErrorRow() : 0;
        status = AKLogError(kAKErrorDictionaryXmlCantRead, "Can't read the Xml-file \"%s\" (error at line %d)",
                            file.GetPath().c_str(), tErrorLine);
    } else {
        TiXmlElement const* top = nullptr;
        status = FindTopElement(parsed.Document(), plist, &top);
        if (status == 0)
            status = XmlReadFromElement(top);
    }

    if (status != 0)
        Free();
    if (errorLine != nullptr)
        *errorLine = tErrorLine;
    return status;
}

// --- Elements ---

int AKDictionary::XmlReadFromElement(TiXmlElement const* element)
{
    Free();
    NestingLevel level;
    if (level.IsTooDeep())
        return BadStructure(element->Row());

    // Pairs of a "key" element and a value element; comments and text between them are skipped.
    TiXmlElement const* keyElement = element->FirstChildElement();
    while (keyElement != nullptr) {
        if (!IsNamed(keyElement, kAKXmlPlistElementKey))
            return BadStructure(keyElement->Row());
        std::string const& keyText = ElementText(keyElement);
        if (keyText.empty())
            return BadStructure(keyElement->Row());
        TiXmlElement const* valueElement = keyElement->NextSiblingElement();
        if (valueElement == nullptr)
            return BadStructure(0);

        AKValue value;
        int status = value.XmlReadFromElement(valueElement);
        if (status != 0)
            return status;

        // The key is checked and placed (dictionaries along a key path
        // created, an earlier value replaced) with an empty value, which then
        // takes the read value without copying it. An invalid key is the
        // caller's to report: no message.
        AKString const key(keyText);
        status = SetValue(key, kAKNullValue);
        if (status != 0) {
            tErrorLine = keyElement->Row();
            return status;
        }
        AKValue const& stored = GetValue(key);
        if (&stored == &kAKNullValue)
            status = SetValue(key, value);
        else
            const_cast<AKValue&>(stored).Swap(&value);  // an entry of this dictionary, not a constant
        if (status != 0) {
            tErrorLine = keyElement->Row();
            return status;
        }

        keyElement = valueElement->NextSiblingElement();
    }
    return 0;
}

int AKValueArray::XmlReadFromElement(TiXmlElement const* element)
{
    Clear();
    NestingLevel level;
    if (level.IsTooDeep())
        return BadStructure(element->Row());

    for (TiXmlElement const* item = element->FirstChildElement(); item != nullptr; item = item->NextSiblingElement()) {
        AKValue value;
        int status = value.XmlReadFromElement(item);
        if (status != 0)
            return status;
        Push(std::move(value));
    }
    return 0;
}

int AKValue::XmlReadFromElement(TiXmlElement const* element)
{
    Clear();
    int const line = element->Row();

    if (IsNamed(element, kAKXmlPlistElementTrue) || IsNamed(element, kAKXmlPlistElementFalse)) {
        SetasBool(IsNamed(element, kAKXmlPlistElementTrue));
        return 0;
    }
    if (IsNamed(element, kAKXmlPlistElementInteger)) {
        long long number = 0;
        if (!strGetasSInt64(ElementText(element).c_str(), &number, 0))
            return BadStructure(line);
        SetasInteger(number);
        return 0;
    }
    if (IsNamed(element, kAKXmlPlistElementReal)) {
        // Files keep loading when they hold a "nan" or "inf" real written
        // before such values were refused: the value reads as it was stored.
        double number = 0.0;
        if (strScanfAsDot(ElementText(element).c_str(), "%lf", &number) != 1)
            return BadStructure(line);
        SetasFloat(number);
        return 0;
    }
    if (IsNamed(element, kAKXmlPlistElementString)) {
        AKString text(ElementText(element));
        AKStringConvertWithEncoding(&text, kAKStringEncodingUTF8, kAKStringEncodingMacRoman);
        SetasAKString(text);
        return 0;
    }
    if (IsNamed(element, kAKXmlPlistElementData)) {
        std::string const& text = ElementText(element);
        SetasBinary(kAKNullMemoryBlock);
        LowDecodeBinaryFromBase64(text.data(), text.size(), GetasBinary());
        return 0;
    }
    // Arrays and dictionaries are filled in place; the value is kept only
    // when the whole element was read.
    if (IsNamed(element, kAKXmlPlistElementArray)) {
        SetasAKValueArray(kAKNullValueArray);
        int status = GetasAKValueArray()->XmlReadFromElement(element);
        if (status != 0)
            Clear();
        return status;
    }
    if (IsNamed(element, kAKXmlPlistElementDict)) {
        SetasAKDictionary(kAKNullDictionary);
        int status = GetasAKDictionary()->XmlReadFromElement(element);
        if (status != 0)
            Clear();
        return status;
    }
    if (IsNamed(element, kAKXmlPlistElementKey))
        return BadStructure(line);

    tErrorLine = line;
    return AKLogError(kAKErrorDictionaryXmlUnknownType, "Unknown type <%s> in Xml-file at line %d", element->Value(),
                      line);
}
