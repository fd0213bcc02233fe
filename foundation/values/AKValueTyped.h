#pragma once

// Typed access to values. Callers never switch on a value's tag: they store
// and fetch program types through AKValueSetas<Type> and AKValueGetas<Type>,
// which fix how each type looks inside a value, and therefore inside every
// dictionary, property list and binary file.
//
// Each type has up to four functions (shown for Float64):
//   AKValue* AKValueSetasFloat64(AKValue*, double)   the value holds the
//            type's form, replacing what it held; returns the same pointer
//            (null stays null)
//   AKValue  AKValueSetasFloat64(double)             a new value of that form
//   bool     AKValueGetasFloat64(AKValue const&, double*, bool convert)
//            true and the out-parameter set when the value holds the type's
//            form; `convert` lets numbers be read from other kinds (see
//            AKValue::GetasBool, GetasInteger, GetasFloat). On failure the
//            out-parameter is left as it was, except for arrays and paths
//            (below). The out-parameter may be null: the answer stays.
//   double   AKValueGetasFloat64(AKValue const&, bool convert)
//            the type, or its default (0, empty) when the pointer form fails
// Types that hold no number take no `convert` flag. The by-value getters of
// strings, value arrays, dictionaries and blocks return a reference to the
// object held inside the value (or to the shared empty one), valid until the
// value changes: do not call them on a temporary value.
//
// Forms:
//   Bool                 'bool'
//   SInt, UInt           'intg'; an unsigned number keeps its 64 bits, so
//                        2^63 and above read back negative and are refused by
//                        the unsigned getters. Getters cut the number to the
//                        width of the out-parameter (no range check); the
//                        unsigned ones refuse a negative number.
//   Float32, Float64,    'real'
//   AGCoord
//   AKString             'strg'
//   AKFilePath           'strg', "/" separators only; reading any other kind
//                        empties the path and fails
//   AKValueArray,        'arry', 'dict', 'bina', copied as they are
//   AKDictionary, Binary
//   AKUniChars           'strg': each unit as "%04X", joined by ";"; read back
//                        from tokens separated by "," or ";" (blanks around
//                        them ignored), each a hexadecimal number 1 to
//                        0x7FFFFFFF whose low 16 bits are the unit
//   AGColor              'strg' "(rrr;ggg;bbb;aaa)"; reads "(r;g;b)" too, with
//                        alpha 255, components capped at 255
//   AGPoint, AGSize,     'dict' of reals: {"x","y"}, {"width","height"},
//   AGRect, AGInterval,  {"x1","y1","x2","y2"}, {"beg","end"}, {"beg","end"};
//   AKTimeIntv           reading needs every key (others are ignored)
//   AGPlacement          'dict' {"h", "v"} of words: "Left", "Center",
//                        "Right", "Stretch" and "Bottom", "Center", "Top",
//                        "Stretch". A stretch word reads back as stretch with
//                        centre (5, 0x50), which places like stretch alone.
//   arrays               'arry' of the elements' forms
//   Enum, Flags          'strg' words of a word table (AKValueEnums.h)
//
// Array getters: the empty value fails and leaves the out-array as it was;
// any other value first empties the out-array, and the out-array receives
// the elements only when the value is an array whose every element reads.
//
// Nothing here reports a status code: failures are a false answer or the
// type's default.

#include "AGTypes.h"
#include "AKDictionary.h"
#include "AKFilePath.h"
#include "AKMemoryBlock.h"
#include "AKString.h"
#include "AKStringArray.h"
#include "AKTimeIntv.h"
#include "AKUniString.h"
#include "AKValue.h"
#include "AKValueArray.h"
#include "AKValueEnums.h"
#include "ATNumberArray.h"

// Arrays of plain numbers and records held in values.
typedef ATNumberArray<unsigned int, unsigned int, 32> AKUIntArray;
typedef ATNumberArray<AGColor, unsigned char, 0> AGColorArray;
typedef ATNumberArray<AGPoint, double, 0> AGPointArray;

// The pointer getters that take a conversion flag must be given it: without
// these, a call that forgets the flag would pick the by-value getter, whose
// flag a pointer converts to silently.
#define AKVALUE_TYPED_REQUIRE_FLAG(name)                                                                               \
    template <class T>                                                                                                 \
    bool name(AKValue const&, T*) = delete

// --- Bool ---

AKValue* AKValueSetasBool(AKValue* value, bool b);
AKValue AKValueSetasBool(bool b);
AKValue AKValueSetasBool(AKValue* value) = delete;  // the boolean is missing
bool AKValueGetasBool(AKValue const& value, bool* b, bool convert);
bool AKValueGetasBool(AKValue const& value, bool convert);
AKVALUE_TYPED_REQUIRE_FLAG(AKValueGetasBool);

// --- SInt ---

AKValue* AKValueSetasSInt(AKValue* value, long long number);
AKValue AKValueSetasSInt(long long number);
bool AKValueGetasSInt(AKValue const& value, signed char* number, bool convert);
bool AKValueGetasSInt(AKValue const& value, short* number, bool convert);
bool AKValueGetasSInt(AKValue const& value, int* number, bool convert);
bool AKValueGetasSInt(AKValue const& value, long* number, bool convert);
bool AKValueGetasSInt(AKValue const& value, long long* number, bool convert);
// The low 32 bits; 0 on failure.
int AKValueGetasSInt(AKValue const& value, bool convert);
AKVALUE_TYPED_REQUIRE_FLAG(AKValueGetasSInt);

// --- UInt ---

AKValue* AKValueSetasUInt(AKValue* value, unsigned long long number);
AKValue AKValueSetasUInt(unsigned long long number);
bool AKValueGetasUInt(AKValue const& value, unsigned char* number, bool convert);
bool AKValueGetasUInt(AKValue const& value, unsigned short* number, bool convert);
bool AKValueGetasUInt(AKValue const& value, unsigned int* number, bool convert);
bool AKValueGetasUInt(AKValue const& value, unsigned long* number, bool convert);
bool AKValueGetasUInt(AKValue const& value, unsigned long long* number, bool convert);
// The low 32 bits; 0 on failure, a negative number included.
unsigned int AKValueGetasUInt(AKValue const& value, bool convert);
AKVALUE_TYPED_REQUIRE_FLAG(AKValueGetasUInt);

// --- Float32, Float64, AGCoord ---

AKValue* AKValueSetasFloat32(AKValue* value, float number);
AKValue AKValueSetasFloat32(float number);
bool AKValueGetasFloat32(AKValue const& value, float* number, bool convert);
float AKValueGetasFloat32(AKValue const& value, bool convert);
AKVALUE_TYPED_REQUIRE_FLAG(AKValueGetasFloat32);

AKValue* AKValueSetasFloat64(AKValue* value, double number);
AKValue AKValueSetasFloat64(double number);
bool AKValueGetasFloat64(AKValue const& value, double* number, bool convert);
double AKValueGetasFloat64(AKValue const& value, bool convert);
AKVALUE_TYPED_REQUIRE_FLAG(AKValueGetasFloat64);

AKValue* AKValueSetasAGCoord(AKValue* value, AGCoord coord);
AKValue AKValueSetasAGCoord(AGCoord coord);
bool AKValueGetasAGCoord(AKValue const& value, AGCoord* coord, bool convert);
AGCoord AKValueGetasAGCoord(AKValue const& value, bool convert);
AKVALUE_TYPED_REQUIRE_FLAG(AKValueGetasAGCoord);

// --- AKString, AKFilePath ---
// The flag some callers pass has no effect: text is never converted.

AKValue* AKValueSetasAKString(AKValue* value, AKString const& string);
AKValue AKValueSetasAKString(AKString const& string);
bool AKValueGetasAKString(AKValue const& value, AKString* string, bool convert = false);
AKString const& AKValueGetasAKString(AKValue const& value);

AKValue* AKValueSetasAKFilePath(AKValue* value, AKFilePath const& path);
AKValue AKValueSetasAKFilePath(AKFilePath const& path);
bool AKValueGetasAKFilePath(AKValue const& value, AKFilePath* path, bool convert = false);
AKFilePath AKValueGetasAKFilePath(AKValue const& value);

// --- AKValueArray, AKDictionary, Binary ---

AKValue* AKValueSetasAKValueArray(AKValue* value, AKValueArray const& array);
AKValue AKValueSetasAKValueArray(AKValueArray const& array);
// An array getter: see the rules above.
bool AKValueGetasAKValueArray(AKValue const& value, AKValueArray* array);
AKValueArray const& AKValueGetasAKValueArray(AKValue const& value);

AKValue* AKValueSetasAKDictionary(AKValue* value, AKDictionary const& dictionary);
AKValue AKValueSetasAKDictionary(AKDictionary const& dictionary);
bool AKValueGetasAKDictionary(AKValue const& value, AKDictionary* dictionary);
AKDictionary const& AKValueGetasAKDictionary(AKValue const& value);

AKValue* AKValueSetasBinary(AKValue* value, AKMemoryBlock const& block);
AKValue AKValueSetasBinary(AKMemoryBlock const& block);
bool AKValueGetasBinary(AKValue const& value, AKMemoryBlock* block);
AKMemoryBlock const& AKValueGetasBinary(AKValue const& value);

// --- Arrays ---

AKValue* AKValueSetasAKUIntArray(AKValue* value, AKUIntArray const& array);
AKValue AKValueSetasAKUIntArray(AKUIntArray const& array);
bool AKValueGetasAKUIntArray(AKValue const& value, AKUIntArray* array, bool convert);
AKUIntArray AKValueGetasAKUIntArray(AKValue const& value, bool convert);
AKVALUE_TYPED_REQUIRE_FLAG(AKValueGetasAKUIntArray);

AKValue* AKValueSetasAKStringArray(AKValue* value, AKStringArray const& array);
AKValue AKValueSetasAKStringArray(AKStringArray const& array);
bool AKValueGetasAKStringArray(AKValue const& value, AKStringArray* array);
AKStringArray AKValueGetasAKStringArray(AKValue const& value);

AKValue* AKValueSetasAKFilePathArray(AKValue* value, AKFilePathArray const& array);
AKValue AKValueSetasAKFilePathArray(AKFilePathArray const& array);
bool AKValueGetasAKFilePathArray(AKValue const& value, AKFilePathArray* array);
AKFilePathArray AKValueGetasAKFilePathArray(AKValue const& value);

AKValue* AKValueSetasAGColorArray(AKValue* value, AGColorArray const& array);
AKValue AKValueSetasAGColorArray(AGColorArray const& array);
bool AKValueGetasAGColorArray(AKValue const& value, AGColorArray* array);
AGColorArray AKValueGetasAGColorArray(AKValue const& value);

AKValue* AKValueSetasAGPointArray(AKValue* value, AGPointArray const& array);
AKValue AKValueSetasAGPointArray(AGPointArray const& array);
bool AKValueGetasAGPointArray(AKValue const& value, AGPointArray* array, bool convert);
AGPointArray AKValueGetasAGPointArray(AKValue const& value, bool convert);
AKVALUE_TYPED_REQUIRE_FLAG(AKValueGetasAGPointArray);

// --- AKUniChars ---

AKValue* AKValueSetasAKUniChars(AKValue* value, AKUniChars const& chars);
AKValue AKValueSetasAKUniChars(AKUniChars const& chars);
// Fails, out-parameter untouched, for a value that is not a string or a
// token that is not a unit.
bool AKValueGetasAKUniChars(AKValue const& value, AKUniChars* chars);
AKUniChars AKValueGetasAKUniChars(AKValue const& value);

// --- AGColor ---
// The flag has no effect: a colour is always read from its text.

AKValue* AKValueSetasAGColor(AKValue* value, AGColor color);
AKValue AKValueSetasAGColor(AGColor color);
bool AKValueGetasAGColor(AKValue const& value, AGColor* color, bool convert);
AGColor AKValueGetasAGColor(AKValue const& value, bool convert);
AKVALUE_TYPED_REQUIRE_FLAG(AKValueGetasAGColor);

// --- Geometry and time intervals ---

AKValue* AKValueSetasAGPoint(AKValue* value, AGPoint const& point);
AKValue AKValueSetasAGPoint(AGPoint const& point);
bool AKValueGetasAGPoint(AKValue const& value, AGPoint* point, bool convert);
AGPoint AKValueGetasAGPoint(AKValue const& value, bool convert);
AKVALUE_TYPED_REQUIRE_FLAG(AKValueGetasAGPoint);

AKValue* AKValueSetasAGSize(AKValue* value, AGSize const& size);
AKValue AKValueSetasAGSize(AGSize const& size);
bool AKValueGetasAGSize(AKValue const& value, AGSize* size, bool convert);
AGSize AKValueGetasAGSize(AKValue const& value, bool convert);
AKVALUE_TYPED_REQUIRE_FLAG(AKValueGetasAGSize);

AKValue* AKValueSetasAGRect(AKValue* value, AGRect const& rect);
AKValue AKValueSetasAGRect(AGRect const& rect);
bool AKValueGetasAGRect(AKValue const& value, AGRect* rect, bool convert);
AGRect AKValueGetasAGRect(AKValue const& value, bool convert);
AKVALUE_TYPED_REQUIRE_FLAG(AKValueGetasAGRect);

AKValue* AKValueSetasAGInterval(AKValue* value, AGInterval const& interval);
AKValue AKValueSetasAGInterval(AGInterval const& interval);
bool AKValueGetasAGInterval(AKValue const& value, AGInterval* interval, bool convert);
AGInterval AKValueGetasAGInterval(AKValue const& value, bool convert);
AKVALUE_TYPED_REQUIRE_FLAG(AKValueGetasAGInterval);

AKValue* AKValueSetasAKTimeIntv(AKValue* value, AKTimeIntv const& intv);
AKValue AKValueSetasAKTimeIntv(AKTimeIntv const& intv);
bool AKValueGetasAKTimeIntv(AKValue const& value, AKTimeIntv* intv, bool convert);
AKTimeIntv AKValueGetasAKTimeIntv(AKValue const& value, bool convert);
AKVALUE_TYPED_REQUIRE_FLAG(AKValueGetasAKTimeIntv);

// --- AGPlacement ---
// Only the placement bits are stored; the flag has no effect.

AKValue* AKValueSetasAGPlacement(AKValue* value, AGPlacement placement);
AKValue AKValueSetasAGPlacement(AGPlacement placement);
bool AKValueGetasAGPlacement(AKValue const& value, AGPlacement* placement, bool convert);
AGPlacement AKValueGetasAGPlacement(AKValue const& value, bool convert);
AKVALUE_TYPED_REQUIRE_FLAG(AKValueGetasAGPlacement);

#undef AKVALUE_TYPED_REQUIRE_FLAG
