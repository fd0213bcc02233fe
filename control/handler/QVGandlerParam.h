#pragma once

// QVGandlerParam: the one argument of every command of the command handler.
// It names the document the command works on (null: the active document,
// resolved when the command runs; not owned), carries the tree-action record
// whose selection goes in and whose results come out (bound to the
// document's tree, or to none without a document), and a dictionary of
// named options ("SoundPath", "Name", "TimeAt", ...). Copying copies the
// document pointer, the whole record and the options.
//
// Options are tagged values in one form per type:
//   Bool                          boolean
//   SInt, UInt, AKNodeID          integer (an unsigned number in the 64-bit
//                                 signed storage)
//   Float32, Float64, AKTime      real
//   AKString, AKClassID, AKFilePath  text (a class ID of at most 7 characters)
//   AKTimeIntv, AGPoint, AGRect   their dictionary forms
//   AKStringArray, AKFilePathArray  arrays of texts
//
// Getters are strict: they accept only a value in the form of their own type
// (a boolean is no integer, an integer no real, a text neither), answer false
// for a missing key or a value of another form, and then leave the output
// untouched, so callers give an option its default by setting the output
// before the call. The 32-bit integer getters keep the low 32 bits; the
// unsigned ones refuse a negative integer (so an unsigned number of 2^63 and
// above, stored as negative, does not read back).
//
// Setters replace an earlier value of the key and return the parameter so
// calls chain. A key must be a valid dictionary key path (AKDictionary.h);
// another is refused and logged. Main thread only.

#include "AGTypes.h"
#include "AKClassID.h"
#include "AKDictionary.h"
#include "AKFilePath.h"
#include "AKNodeID.h"
#include "AKString.h"
#include "AKStringArray.h"
#include "AKTimeIntv.h"
#include "AKTreeActionParam.h"

class AKNode;
class AKTree;
class QVDocument;

class QVGandlerParam
{
public:
    // Target `document`, a fresh record over its tree (none when null), no
    // options.
    explicit QVGandlerParam(QVDocument* document = nullptr);

    QVGandlerParam(QVGandlerParam const&) = default;
    QVGandlerParam& operator=(QVGandlerParam const&) = default;

    // Becomes equal to a freshly constructed parameter for `document`: the
    // whole record is replaced (selection, results, more info) and every
    // option removed.
    void Reset(QVDocument* document);

    QVDocument* GetDocument() const { return mDocument; }
    // True when `document` is not null and the record is bound to its tree.
    bool HasTreeOwner(QVDocument const* document) const;

    AKTreeActionParam& GetTreeActionParam() { return mAction; }
    AKTreeActionParam const& GetTreeActionParam() const { return mAction; }
    AKDictionary const& GetOptions() const { return mOptions; }

    // --- Options: setters ---

    QVGandlerParam& WithOptionAsBool(AKString const& key, bool value);
    QVGandlerParam& WithOptionAsSInt(AKString const& key, long long value);
    QVGandlerParam& WithOptionAsUInt(AKString const& key, unsigned long long value);
    QVGandlerParam& WithOptionAsFloat32(AKString const& key, float value);
    QVGandlerParam& WithOptionAsFloat64(AKString const& key, double value);
    QVGandlerParam& WithOptionAsAKTime(AKString const& key, AKTime const& value);
    QVGandlerParam& WithOptionAsAKTimeIntv(AKString const& key, AKTimeIntv const& value);
    QVGandlerParam& WithOptionAsAKClassID(AKString const& key, AKClassID const& value);
    QVGandlerParam& WithOptionAsAKNodeID(AKString const& key, AKNodeID value);
    QVGandlerParam& WithOptionAsAKString(AKString const& key, AKString const& value);
    QVGandlerParam& WithOptionAsAKFilePath(AKString const& key, AKFilePath const& value);
    QVGandlerParam& WithOptionAsAKStringArray(AKString const& key, AKStringArray const& value);
    QVGandlerParam& WithOptionAsAKFilePathArray(AKString const& key, AKFilePathArray const& value);
    QVGandlerParam& WithOptionAsAGPoint(AKString const& key, AGPoint const& value);
    QVGandlerParam& WithOptionAsAGRect(AKString const& key, AGRect const& value);
    // An identifier held as an unsigned number (a plug-in UID, for example).
    template <class ID>
    QVGandlerParam& WithOptionAsUIntID(AKString const& key, ID value)
    {
        return WithOptionAsUInt(key, static_cast<unsigned long long>(value));
    }

    // --- Options: strict getters ---

    bool HasOption(AKString const& key) const;

    bool GetOptionAsBool(AKString const& key, bool* value) const;
    bool GetOptionAsSInt(AKString const& key, int* value) const;
    bool GetOptionAsSInt(AKString const& key, long* value) const;
    bool GetOptionAsSInt(AKString const& key, long long* value) const;
    bool GetOptionAsUInt(AKString const& key, unsigned int* value) const;
    bool GetOptionAsUInt(AKString const& key, unsigned long* value) const;
    bool GetOptionAsUInt(AKString const& key, unsigned long long* value) const;
    bool GetOptionAsFloat32(AKString const& key, float* value) const;
    bool GetOptionAsFloat64(AKString const& key, double* value) const;
    bool GetOptionAsAKTime(AKString const& key, AKTime* value) const;
    bool GetOptionAsAKTimeIntv(AKString const& key, AKTimeIntv* value) const;
    // The text's first 7 characters.
    bool GetOptionAsAKClassID(AKString const& key, AKClassID* value) const;
    // The integer's low 32 bits.
    bool GetOptionAsAKNodeID(AKString const& key, AKNodeID* value) const;
    bool GetOptionAsAKString(AKString const& key, AKString* value) const;
    bool GetOptionAsAKFilePath(AKString const& key, AKFilePath* value) const;
    // An array all of whose elements are texts.
    bool GetOptionAsAKStringArray(AKString const& key, AKStringArray* value) const;
    bool GetOptionAsAKFilePathArray(AKString const& key, AKFilePathArray* value) const;
    bool GetOptionAsAGPoint(AKString const& key, AGPoint* value) const;
    bool GetOptionAsAGRect(AKString const& key, AGRect* value) const;

    // The node of `tree` whose ID is stored under `key`; null when the tree
    // is null, the option is missing or not an integer, or the tree has no
    // such node.
    AKNode* GetOptionAsAKNode(AKString const& key, AKTree const* tree) const;

private:
    QVGandlerParam& LowSetOption(AKString const& key, AKValue const& value);

    QVDocument* mDocument;
    AKTreeActionParam mAction;
    AKDictionary mOptions;
};

// The shared parameter without document, with an empty record and no
// options, made on first use.
QVGandlerParam const& QVNullGandlerParamShared();
#define kQVNullGandlerParam (QVNullGandlerParamShared())
