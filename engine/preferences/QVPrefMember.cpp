#include "QVPrefMember.h"

#include "AGTypes.h"
#include "AKFilePath.h"
#include "AKLog.h"
#include "AKScopedPrintfFloatSepAsDot.h"
#include "AKTextForms.h"
#include "AKValueTyped.h"

QVPrefMember::QVPrefMember(AKString const& parameterName, AKString const& key, uint32_t saveTag, uint32_t valueType,
                           int32_t valueOffset)
    : mParameterName(parameterName), mKey(key), mSaveTag(saveTag), mValueType(valueType), mValueOffset(valueOffset)
{}

bool QVPrefMember::IsSaveTag(uint32_t filter) const
{
    if ((mSaveTag & kQVPrefTagNotSaved) != 0)
        return false;
    uint32_t const filterGroups = filter & kQVPrefTagGroupMask;
    if (filterGroups == 0)
        return true;
    uint32_t const groups = mSaveTag & kQVPrefTagGroupMask;
    return groups == 0 || (groups & filterGroups) != 0;
}

bool QVPrefMember::IsEqualMemberValue(void const* base, void const* otherBase, QVPrefMember const& other) const
{
    if ((mSaveTag & kQVPrefTagNotCompared) != 0)
        return true;
    if (other.mValueType != mValueType)
        return false;
    switch (mValueType) {
    case kQVPrefTypeBool:
        return *Field<bool>(base) == *other.Field<bool>(otherBase);
    case kQVPrefTypeUInt:
    case kQVPrefTypeSInt:
    case kQVPrefTypeAGColor:
        return *Field<uint32_t>(base) == *other.Field<uint32_t>(otherBase);
    case kQVPrefTypeFloat32:
        return *Field<float>(base) == *other.Field<float>(otherBase);
    case kQVPrefTypeFloat64:
        return *Field<double>(base) == *other.Field<double>(otherBase);
    case kQVPrefTypeAKString:
        return *Field<AKString>(base) == *other.Field<AKString>(otherBase);
    case kQVPrefTypeAKFilePath:
        return *Field<AKFilePath>(base) == *other.Field<AKFilePath>(otherBase);
    case kQVPrefTypeAGInterval:
        return *Field<AGInterval>(base) == *other.Field<AGInterval>(otherBase);
    default:
        return false;
    }
}

int QVPrefMember::ReadFromDictionary(void* base, AKDictionary const& dictionary, uint32_t filter)
{
    if (!IsSaveTag(filter))
        return 0;
    AKValue const& value = dictionary.GetValue(mKey);
    // Each getter leaves the field alone unless the value has the right kind.
    switch (mValueType) {
    case kQVPrefTypeBool:
        AKValueGetasBool(value, Field<bool>(base), false);
        break;
    case kQVPrefTypeUInt:
        AKValueGetasUInt(value, Field<unsigned int>(base), false);
        break;
    case kQVPrefTypeSInt:
        AKValueGetasSInt(value, Field<int>(base), false);
        break;
    case kQVPrefTypeFloat32:
        AKValueGetasFloat32(value, Field<float>(base), false);
        break;
    case kQVPrefTypeFloat64:
        AKValueGetasFloat64(value, Field<double>(base), false);
        break;
    case kQVPrefTypeAKString:
        AKValueGetasAKString(value, Field<AKString>(base));
        break;
    case kQVPrefTypeAKFilePath: {
        // The path getter empties its output on failure: read aside.
        AKFilePath path;
        if (AKValueGetasAKFilePath(value, &path))
            *Field<AKFilePath>(base) = path;
        break;
    }
    case kQVPrefTypeAGColor: {
        unsigned int pattern = 0;
        if (AKValueGetasUInt(value, &pattern, false))
            *Field<AGColor>(base) = AGColor(pattern);
        break;
    }
    case kQVPrefTypeAGInterval:
        AKValueGetasAGInterval(value, Field<AGInterval>(base), false);
        break;
    default:
        break;
    }
    return 0;
}

int QVPrefMember::WriteToDictionary(void const* base, AKDictionary* dictionary, uint32_t filter) const
{
    if (!IsSaveTag(filter))
        return 0;
    AKValue value;
    switch (mValueType) {
    case kQVPrefTypeBool:
        AKValueSetasBool(&value, *Field<bool>(base));
        break;
    case kQVPrefTypeUInt:
        AKValueSetasUInt(&value, *Field<unsigned int>(base));
        break;
    case kQVPrefTypeSInt:
        AKValueSetasSInt(&value, *Field<int>(base));
        break;
    case kQVPrefTypeFloat32:
        AKValueSetasFloat32(&value, *Field<float>(base));
        break;
    case kQVPrefTypeFloat64:
        AKValueSetasFloat64(&value, *Field<double>(base));
        break;
    case kQVPrefTypeAKString:
        AKValueSetasAKString(&value, *Field<AKString>(base));
        break;
    case kQVPrefTypeAKFilePath:
        AKValueSetasAKFilePath(&value, *Field<AKFilePath>(base));
        break;
    case kQVPrefTypeAGColor:
        AKValueSetasUInt(&value, Field<AGColor>(base)->value);
        break;
    case kQVPrefTypeAGInterval:
        AKValueSetasAGInterval(&value, *Field<AGInterval>(base));
        break;
    default:
        return 0;
    }
    dictionary->SetValue(mKey, value);
    return 0;
}

bool QVPrefMember::SetupFromStringValue(void* base, char const* text)
{
    // The readers store their fallback on failure: read aside, store on success.
    switch (mValueType) {
    case kQVPrefTypeBool: {
        bool b = false;
        if (!strGetasBool(text, &b, false))
            return false;
        *Field<bool>(base) = b;
        return true;
    }
    case kQVPrefTypeUInt: {
        unsigned int u = 0;
        if (!strGetasUInt(text, &u, 0))
            return false;
        *Field<unsigned int>(base) = u;
        return true;
    }
    case kQVPrefTypeSInt: {
        int s = 0;
        if (!strGetasSInt(text, &s, 0))
            return false;
        *Field<int>(base) = s;
        return true;
    }
    case kQVPrefTypeFloat32: {
        float f = 0.0f;
        if (!strGetasFloat32(text, &f, 0.0f))
            return false;
        *Field<float>(base) = f;
        return true;
    }
    case kQVPrefTypeFloat64: {
        double d = 0.0;
        if (!strGetasFloat64(text, &d, 0.0))
            return false;
        *Field<double>(base) = d;
        return true;
    }
    case kQVPrefTypeAKString:
        *Field<AKString>(base) = AKString(text);
        return true;
    case kQVPrefTypeAKFilePath:
        *Field<AKFilePath>(base) = AKFilePath(AKString(text));
        return true;
    case kQVPrefTypeAGColor: {
        AGColor color;
        if (!strGetasAGColor(text, &color, AGColor()))
            return false;
        *Field<AGColor>(base) = color;
        return true;
    }
    case kQVPrefTypeAGInterval: {
        AGInterval interval = kAGNullInterval;
        if (!strGetasAGInterval(text, &interval, kAGNullInterval))
            return false;
        *Field<AGInterval>(base) = interval;
        return true;
    }
    default:
        return false;
    }
}

char const* QVPrefMember::GetTypeWord(uint32_t valueType)
{
    switch (valueType) {
    case kQVPrefTypeBool:
        return "bool";
    case kQVPrefTypeUInt:
        return "UInt";
    case kQVPrefTypeSInt:
        return "SInt";
    case kQVPrefTypeFloat32:
        return "Float32";
    case kQVPrefTypeFloat64:
        return "Float64";
    case kQVPrefTypeAKString:
        return "AKString";
    case kQVPrefTypeAKFilePath:
        return "AKFilePath";
    case kQVPrefTypeAGColor:
        return "AGColor";
    case kQVPrefTypeAGInterval:
        return "AGInterval";
    default:
        return "?";
    }
}

AKString QVPrefMember::GetValueDescription(void const* base) const
{
    AKScopedPrintfFloatSepAsDot const dot;
    char buffer[kAKStrSetasMaxLen];
    AKString text;
    switch (mValueType) {
    case kQVPrefTypeBool:
        text = *Field<bool>(base) ? "true" : "false";
        break;
    case kQVPrefTypeUInt:
    case kQVPrefTypeSInt:
        // Both print as signed: the log has always shown them so.
        text.Assignf("%d", *Field<int>(base));
        break;
    case kQVPrefTypeFloat32:
        text.Assignf("%f", static_cast<double>(*Field<float>(base)));
        break;
    case kQVPrefTypeFloat64:
        text.Assignf("%lf", *Field<double>(base));
        break;
    case kQVPrefTypeAKString:
        text.Assignf("\"%s\"", Field<AKString>(base)->c_str());
        break;
    case kQVPrefTypeAKFilePath:
        text.Assignf("\"%s\"", Field<AKFilePath>(base)->c_str());
        break;
    case kQVPrefTypeAGColor:
        text = strSetasAGColor(buffer, *Field<AGColor>(base), true);
        break;
    case kQVPrefTypeAGInterval:
        text = strSetasAGInterval(buffer, *Field<AGInterval>(base), -1);
        break;
    default:
        break;
    }
    return text;
}

void QVPrefMember::LogDescription(void const* base) const
{
    AKLog("%-36s %-12s %s\n", mParameterName.c_str(), GetTypeWord(mValueType), GetValueDescription(base).c_str());
}
