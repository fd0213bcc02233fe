#include "QVGandlerParam.h"

#include "AKLog.h"
#include "AKTree.h"
#include "AKValueTyped.h"
#include "QVDocument.h"

namespace {

AKTree* TreeOf(QVDocument const* document) { return document != nullptr ? document->GetTree() : nullptr; }

// Reads the option through `read` into a scratch value and copies it out
// only on success, so a refused option never touches the caller's variable
// (some value readers clear their output when they fail).
template <class T, class Reader>
bool ReadOption(AKDictionary const& options, AKString const& key, T* out, Reader read)
{
    AKValue const& value = options.GetValue(key);
    if (value.IsEmpty())
        return false;
    T scratch = T();
    if (!read(value, &scratch))
        return false;
    if (out != nullptr)
        *out = scratch;
    return true;
}

}  // namespace

QVGandlerParam::QVGandlerParam(QVDocument* document) : mDocument(document), mAction(TreeOf(document)) {}

QVGandlerParam const& QVNullGandlerParamShared()
{
    static QVGandlerParam const sNull(nullptr);
    return sNull;
}

void QVGandlerParam::Reset(QVDocument* document) { *this = QVGandlerParam(document); }

bool QVGandlerParam::HasTreeOwner(QVDocument const* document) const
{
    return document != nullptr && mAction.GetTree() == document->GetTree();
}

// --- Setters ---

QVGandlerParam& QVGandlerParam::LowSetOption(AKString const& key, AKValue const& value)
{
    int const status = mOptions.SetValue(key, value);
    if (status != 0)
        AKLogError(status, "Can't set the command option \"%s\"", key.c_str());
    return *this;
}

QVGandlerParam& QVGandlerParam::WithOptionAsBool(AKString const& key, bool value)
{
    return LowSetOption(key, AKValueSetasBool(value));
}

QVGandlerParam& QVGandlerParam::WithOptionAsSInt(AKString const& key, long long value)
{
    return LowSetOption(key, AKValueSetasSInt(value));
}

QVGandlerParam& QVGandlerParam::WithOptionAsUInt(AKString const& key, unsigned long long value)
{
    return LowSetOption(key, AKValueSetasUInt(value));
}

QVGandlerParam& QVGandlerParam::WithOptionAsFloat32(AKString const& key, float value)
{
    return LowSetOption(key, AKValueSetasFloat32(value));
}

QVGandlerParam& QVGandlerParam::WithOptionAsFloat64(AKString const& key, double value)
{
    return LowSetOption(key, AKValueSetasFloat64(value));
}

QVGandlerParam& QVGandlerParam::WithOptionAsAKTime(AKString const& key, AKTime const& value)
{
    return LowSetOption(key, AKValueSetasFloat64(value));
}

QVGandlerParam& QVGandlerParam::WithOptionAsAKTimeIntv(AKString const& key, AKTimeIntv const& value)
{
    return LowSetOption(key, AKValueSetasAKTimeIntv(value));
}

QVGandlerParam& QVGandlerParam::WithOptionAsAKClassID(AKString const& key, AKClassID const& value)
{
    return LowSetOption(key, AKValueSetasAKClassID(value));
}

QVGandlerParam& QVGandlerParam::WithOptionAsAKNodeID(AKString const& key, AKNodeID value)
{
    return LowSetOption(key, AKValueSetasSInt(value));
}

QVGandlerParam& QVGandlerParam::WithOptionAsAKString(AKString const& key, AKString const& value)
{
    return LowSetOption(key, AKValueSetasAKString(value));
}

QVGandlerParam& QVGandlerParam::WithOptionAsAKFilePath(AKString const& key, AKFilePath const& value)
{
    return LowSetOption(key, AKValueSetasAKFilePath(value));
}

QVGandlerParam& QVGandlerParam::WithOptionAsAKStringArray(AKString const& key, AKStringArray const& value)
{
    return LowSetOption(key, AKValueSetasAKStringArray(value));
}

QVGandlerParam& QVGandlerParam::WithOptionAsAKFilePathArray(AKString const& key, AKFilePathArray const& value)
{
    return LowSetOption(key, AKValueSetasAKFilePathArray(value));
}

QVGandlerParam& QVGandlerParam::WithOptionAsAGPoint(AKString const& key, AGPoint const& value)
{
    return LowSetOption(key, AKValueSetasAGPoint(value));
}

QVGandlerParam& QVGandlerParam::WithOptionAsAGRect(AKString const& key, AGRect const& value)
{
    return LowSetOption(key, AKValueSetasAGRect(value));
}

// --- Getters ---

bool QVGandlerParam::HasOption(AKString const& key) const { return mOptions.ContainsKey(key); }

bool QVGandlerParam::GetOptionAsBool(AKString const& key, bool* value) const
{
    return ReadOption(mOptions, key, value, [](AKValue const& v, bool* b) { return AKValueGetasBool(v, b, false); });
}

bool QVGandlerParam::GetOptionAsSInt(AKString const& key, int* value) const
{
    return ReadOption(mOptions, key, value, [](AKValue const& v, int* n) { return AKValueGetasSInt(v, n, false); });
}

bool QVGandlerParam::GetOptionAsSInt(AKString const& key, long* value) const
{
    return ReadOption(mOptions, key, value, [](AKValue const& v, long* n) { return AKValueGetasSInt(v, n, false); });
}

bool QVGandlerParam::GetOptionAsSInt(AKString const& key, long long* value) const
{
    return ReadOption(mOptions, key, value,
                      [](AKValue const& v, long long* n) { return AKValueGetasSInt(v, n, false); });
}

bool QVGandlerParam::GetOptionAsUInt(AKString const& key, unsigned int* value) const
{
    return ReadOption(mOptions, key, value,
                      [](AKValue const& v, unsigned int* n) { return AKValueGetasUInt(v, n, false); });
}

bool QVGandlerParam::GetOptionAsUInt(AKString const& key, unsigned long* value) const
{
    return ReadOption(mOptions, key, value,
                      [](AKValue const& v, unsigned long* n) { return AKValueGetasUInt(v, n, false); });
}

bool QVGandlerParam::GetOptionAsUInt(AKString const& key, unsigned long long* value) const
{
    return ReadOption(mOptions, key, value,
                      [](AKValue const& v, unsigned long long* n) { return AKValueGetasUInt(v, n, false); });
}

bool QVGandlerParam::GetOptionAsFloat32(AKString const& key, float* value) const
{
    return ReadOption(mOptions, key, value,
                      [](AKValue const& v, float* x) { return AKValueGetasFloat32(v, x, false); });
}

bool QVGandlerParam::GetOptionAsFloat64(AKString const& key, double* value) const
{
    return ReadOption(mOptions, key, value,
                      [](AKValue const& v, double* x) { return AKValueGetasFloat64(v, x, false); });
}

bool QVGandlerParam::GetOptionAsAKTime(AKString const& key, AKTime* value) const
{
    return GetOptionAsFloat64(key, value);
}

bool QVGandlerParam::GetOptionAsAKTimeIntv(AKString const& key, AKTimeIntv* value) const
{
    return ReadOption(mOptions, key, value,
                      [](AKValue const& v, AKTimeIntv* t) { return AKValueGetasAKTimeIntv(v, t, false); });
}

bool QVGandlerParam::GetOptionAsAKClassID(AKString const& key, AKClassID* value) const
{
    return ReadOption(mOptions, key, value,
                      [](AKValue const& v, AKClassID* id) { return AKValueGetasAKClassID(v, id); });
}

bool QVGandlerParam::GetOptionAsAKNodeID(AKString const& key, AKNodeID* value) const
{
    return GetOptionAsSInt(key, value);
}

bool QVGandlerParam::GetOptionAsAKString(AKString const& key, AKString* value) const
{
    return ReadOption(mOptions, key, value,
                      [](AKValue const& v, AKString* s) { return AKValueGetasAKString(v, s, false); });
}

bool QVGandlerParam::GetOptionAsAKFilePath(AKString const& key, AKFilePath* value) const
{
    return ReadOption(mOptions, key, value,
                      [](AKValue const& v, AKFilePath* p) { return AKValueGetasAKFilePath(v, p, false); });
}

bool QVGandlerParam::GetOptionAsAKStringArray(AKString const& key, AKStringArray* value) const
{
    return ReadOption(mOptions, key, value,
                      [](AKValue const& v, AKStringArray* a) { return AKValueGetasAKStringArray(v, a); });
}

bool QVGandlerParam::GetOptionAsAKFilePathArray(AKString const& key, AKFilePathArray* value) const
{
    return ReadOption(mOptions, key, value,
                      [](AKValue const& v, AKFilePathArray* a) { return AKValueGetasAKFilePathArray(v, a); });
}

bool QVGandlerParam::GetOptionAsAGPoint(AKString const& key, AGPoint* value) const
{
    return ReadOption(mOptions, key, value,
                      [](AKValue const& v, AGPoint* p) { return AKValueGetasAGPoint(v, p, false); });
}

bool QVGandlerParam::GetOptionAsAGRect(AKString const& key, AGRect* value) const
{
    return ReadOption(mOptions, key, value,
                      [](AKValue const& v, AGRect* r) { return AKValueGetasAGRect(v, r, false); });
}

AKNode* QVGandlerParam::GetOptionAsAKNode(AKString const& key, AKTree const* tree) const
{
    AKNodeID nodeID = 0;
    if (tree == nullptr || !GetOptionAsAKNodeID(key, &nodeID))
        return nullptr;
    return tree->GetNode(nodeID);
}
