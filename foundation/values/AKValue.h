#pragma once

// AKValue: the one variant type of the engine. Every setting, document
// property, preset, object parameter and command option is an AKValue, most
// often stored under a key of an AKDictionary.
//
// A value is a tag and an 8-byte payload. The tag is 0 for the empty value,
// otherwise one of the four-character codes below (the big-endian number of
// its four letters). Booleans, integers and reals are held inline; strings,
// arrays, dictionaries and byte blocks are objects owned by the value.
// Copying a value copies the whole payload, nested arrays and dictionaries
// included, so two values never share storage.
//
// Value operations in memory never fail: a getter asked for another kind
// answers false or null and changes nothing. The typed AKValueSetas... and
// AKValueGetas... functions for program types build on these members.
//
// Binary chunk form (files in their own byte order, little-endian by default):
//   empty   four zero bytes, size 0
//   'bool'  size 4, unsigned 32-bit 1 or 0
//   'intg'  size 8, signed 64-bit
//   'real'  size 8, IEEE double
//   'strg'  the string file form: the size is its padded length
//   'arry'  unsigned 32-bit count, then each element's chunk
//   'dict'  see AKDictionary
//   'bina'  see AKMemoryBlock
// A chunk of any other signature in a value position is skipped by its size
// and read as the empty value, so files holding kinds unknown here stay
// readable.

#include "AKMemoryBlock.h"
#include "AKString.h"

// Arrays and dictionaries hold values: include AKValueArray.h and
// AKDictionary.h (which includes all three) to use them.
class AKDictionary;
class AKFile;
class AKValueArray;
class TiXmlElement;
class TiXmlNode;

constexpr unsigned int kAKValueTagEmpty = 0;
constexpr unsigned int kAKValueTagBool = 0x626F6F6C;        // 'bool'
constexpr unsigned int kAKValueTagInteger = 0x696E7467;     // 'intg'
constexpr unsigned int kAKValueTagReal = 0x7265616C;        // 'real'
constexpr unsigned int kAKValueTagString = 0x73747267;      // 'strg'
constexpr unsigned int kAKValueTagArray = 0x61727279;       // 'arry'
constexpr unsigned int kAKValueTagDictionary = 0x64696374;  // 'dict'
constexpr unsigned int kAKValueTagBinary = 0x62696E61;      // 'bina'

class AKValue
{
public:
    AKValue() = default;
    AKValue(AKValue const& other);
    AKValue(AKValue&& other) noexcept;
    ~AKValue();

    AKValue& operator=(AKValue const& other) { return Assign(other); }
    AKValue& operator=(AKValue&& other) noexcept;

    // Nothing when given itself; else a deep copy of the other value. A
    // source with an unknown tag gives the empty value.
    AKValue& Assign(AKValue const& other);
    // Releases the payload; the value becomes empty.
    void Clear();
    // Exchanges two values without copying their payloads.
    void Swap(AKValue* other) noexcept;

    // --- Kind ---

    unsigned int GetTag() const { return fTag; }
    bool IsEmpty() const { return fTag == kAKValueTagEmpty; }
    bool IsBool() const { return fTag == kAKValueTagBool; }
    bool IsInteger() const { return fTag == kAKValueTagInteger; }
    bool IsFloat() const { return fTag == kAKValueTagReal; }
    bool IsAKString() const { return fTag == kAKValueTagString; }
    bool IsAKValueArray() const { return fTag == kAKValueTagArray; }
    bool IsAKDictionary() const { return fTag == kAKValueTagDictionary; }
    bool IsBinary() const { return fTag == kAKValueTagBinary; }

    // Equality: a value equals itself; values of different tags differ (the
    // integer 1, the real 1.0 and true are three different values); reals
    // compare as doubles (0.0 equals -0.0, a NaN equals only the very same
    // value object); strings and blocks byte by byte; arrays index by index;
    // dictionaries key by key in key order.
    bool IsEqual(AKValue const& other) const;
    bool operator==(AKValue const& other) const { return IsEqual(other); }
    bool operator!=(AKValue const& other) const { return !IsEqual(other); }

    // --- Setters: clear, then hold the new content ---

    void SetasBool(bool value);
    void SetasInteger(long long value);
    void SetasFloat(double value);
    // Hold a deep copy; nothing happens when the argument is the very object
    // the value already holds.
    void SetasAKString(AKString const& value);
    void SetasAKValueArray(AKValueArray const& value);
    void SetasAKDictionary(AKDictionary const& value);
    void SetasBinary(AKMemoryBlock const& value);

    // --- Number getters ---
    // True and the number on success; false with the out-parameter untouched
    // otherwise. Without `convert` only the getter's own kind is accepted;
    // with it:
    //   GetasBool:    integer/real: not 0; string: read as an integer, else
    //                 as a real (not 0); other kinds fail.
    //   GetasInteger: bool: 0 or 1; real: floor(x + 0.5), and -2^63 outside
    //                 the 64-bit range or for a NaN; string: read as an
    //                 integer (text after it ignored, so "2.7" gives 2), else
    //                 as a real rounded the same way.
    //   GetasFloat:   bool: 1.0 or 0.0; integer: as a double; string: read
    //                 as a real only.
    // The empty value fails every getter.
    bool GetasBool(bool* value, bool convert) const;
    bool GetasInteger(long long* value, bool convert) const;
    bool GetasFloat(double* value, bool convert) const;

    // --- Object getters (no conversion) ---

    // True and a copy when the value holds that kind; false, out-parameter
    // untouched, otherwise.
    bool GetasAKString(AKString* value) const;
    bool GetasAKValueArray(AKValueArray* value) const;
    bool GetasAKDictionary(AKDictionary* value) const;
    bool GetasBinary(AKMemoryBlock* value) const;

    // The held object, or null for another kind. Valid until the value
    // changes. The non-const forms let the owner edit the object in place.
    AKString const* GetasAKString() const;
    AKValueArray const* GetasAKValueArray() const;
    AKDictionary const* GetasAKDictionary() const;
    AKMemoryBlock const* GetasBinary() const;
    AKString* GetasAKString();
    AKValueArray* GetasAKValueArray();
    AKDictionary* GetasAKDictionary();
    AKMemoryBlock* GetasBinary();

    // --- Binary chunk form ---

    // Reads one value chunk at the current position. On failure the value is
    // empty and the first non-zero status code is returned.
    int ReadFromFile(AKFile const& file);
    int WriteToFile(AKFile& file) const;

    // Prints nothing; kept for the callers that trace values.
    void DebugPrint(unsigned int indent) const;

private:
    friend class AKDictionary;
    friend class AKValueArray;

    // The value's XML property-list element: reads it from an element, or
    // appends the value's element to a parent (written with the XML forms).
    int XmlReadFromElement(TiXmlElement const* element);
    int XmlWriteToElement(TiXmlNode* parent) const;

    union Payload
    {
        bool fBool;
        long long fInteger;
        double fReal;
        AKString* fString;
        AKValueArray* fArray;
        AKDictionary* fDictionary;
        AKMemoryBlock* fBinary;
    };

    unsigned int fTag = kAKValueTagEmpty;
    Payload fPayload = {};
};

// The shared empty value, built on first use so it exists before any static
// initialiser can need it; look-ups that find nothing return it. Never modified.
AKValue const& AKNullValueShared();
#define kAKNullValue (AKNullValueShared())
