#include "QVMidiParamPatch.h"

#include "AKDictionary.h"
#include "AKFileTypedIO.h"
#include "AKValueTyped.h"
#include "QVMidiPatcher.h"
#include "QVObjectPoolable.h"
#include "QVParams.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

char const* const kKey_ID = "ID";
char const* const kKey_MidiType = "MidiType";
char const* const kKey_MidiChannel = "MidiChannel";
char const* const kKey_MidiNumber = "MidiNumber";
char const* const kKey_MidiNumMore = "MidiNumMore";
char const* const kKey_Behavior = "Behavior";
char const* const kKey_ValueBeg = "ValueBeg";
char const* const kKey_ValueEnd = "ValueEnd";

// The lock of the patcher a patch belongs to; none for a loose patch.
class PatchLock
{
public:
    explicit PatchLock(QVMidiPatcher const* patcher)
    {
        if (patcher != nullptr)
            mLock = std::unique_lock<std::recursive_mutex>(patcher->GetLock());
    }

private:
    std::unique_lock<std::recursive_mutex> mLock;
};

double DefaultBegin(QVMidiParamTemplate const* tmpl) { return tmpl != nullptr ? tmpl->mDefaultValueBegin : 0.0; }
double DefaultEnd(QVMidiParamTemplate const* tmpl) { return tmpl != nullptr ? tmpl->mDefaultValueEnd : 0.0; }

// Into the template's range; NaN, which no range holds, becomes the minimum.
double LimitValue(QVMidiParamTemplate const* tmpl, double value)
{
    double const low = tmpl != nullptr ? std::min(tmpl->mMinimum, tmpl->mMaximum) : 0.0;
    double const high = tmpl != nullptr ? std::max(tmpl->mMinimum, tmpl->mMaximum) : 0.0;
    if (std::isnan(value))
        return low;
    return std::clamp(value, low, high);
}

uint32_t LimitNumMore(QVMidiParamTemplate const* tmpl, uint32_t more)
{
    if (tmpl == nullptr || tmpl->mExtraNumbers == 0)
        return 0;
    return std::min(more, tmpl->mExtraNumbers - 1);
}

}  // namespace

AKValueEnums const kEnums_MidiType[] = {
    {0, "None"},       {1, "Note"},       {2, "AfterTouch"}, {3, "Controller"},
    {4, "ProgChange"}, {5, "ChannPress"}, {6, "PitchBend"},  {0, ""},
};

QVMidiParamPatch const kQVNullMidiParamPatch;

QVMidiParamPatch::QVMidiParamPatch() : QVMidiParamPatch(&kQVMidiParamTemplate_None, false) {}

QVMidiParamPatch::QVMidiParamPatch(QVMidiParamTemplate const* tmpl, bool enabled)
    : mTemplate(tmpl), mParamID(tmpl != nullptr ? tmpl->mParamID : 0), mEnabled(enabled), mValueBeg(DefaultBegin(tmpl)),
      mValueEnd(DefaultEnd(tmpl))
{}

void QVMidiParamPatch::Changed(bool countChanged)
{
    if (mPatcher != nullptr)
        mPatcher->SetPatcherModified(countChanged);
}

bool QVMidiParamPatch::SetMatchMidiType(uint32_t type)
{
    PatchLock lock(mPatcher);
    type = std::min(type, kQVMidiMatchTypeMax);
    if (type == mMatchType)
        return false;
    mMatchType = type;
    Changed(true);
    return true;
}

bool QVMidiParamPatch::SetMatchMidiChannel(uint32_t channel)
{
    PatchLock lock(mPatcher);
    channel = std::min(channel, kQVMidiMatchChannelMax);
    if (channel == mMatchChannel)
        return false;
    mMatchChannel = channel;
    Changed(false);
    return true;
}

bool QVMidiParamPatch::SetMatchMidiNumber(uint32_t number)
{
    PatchLock lock(mPatcher);
    number = std::min(number, kQVMidiMatchNumberMax);
    if (number == mMatchNumber)
        return false;
    mMatchNumber = number;
    Changed(false);
    return true;
}

bool QVMidiParamPatch::SetMatchMidiNumMore(uint32_t more)
{
    PatchLock lock(mPatcher);
    if (mTemplate == nullptr || mTemplate->mExtraNumbers == 0)
        return false;
    more = LimitNumMore(mTemplate, more);
    if (more == mMatchNumMore)
        return false;
    mMatchNumMore = more;
    Changed(false);
    return true;
}

bool QVMidiParamPatch::SetDestBehavior(uint32_t behavior)
{
    PatchLock lock(mPatcher);
    behavior = std::min(behavior, kQVMidiBehaviorMax);
    if (behavior == mBehavior)
        return false;
    mBehavior = behavior;
    Changed(false);
    return true;
}

bool QVMidiParamPatch::SetDestValueBeg(double value)
{
    PatchLock lock(mPatcher);
    value = LimitValue(mTemplate, value);
    if (value == mValueBeg)
        return false;
    mValueBeg = value;
    Changed(false);
    return true;
}

bool QVMidiParamPatch::SetDestValueEnd(double value)
{
    PatchLock lock(mPatcher);
    value = LimitValue(mTemplate, value);
    if (value == mValueEnd)
        return false;
    mValueEnd = value;
    Changed(false);
    return true;
}

bool QVMidiParamPatch::SetModeLearn(bool on)
{
    PatchLock lock(mPatcher);
    if (on == mModeLearn)
        return false;
    mModeLearn = on;
    return true;
}

void QVMidiParamPatch::LowClear()
{
    mMatchType = 0;
    mMatchChannel = 0;
    mMatchNumber = 0;
    mMatchNumMore = 0;
    mBehavior = 0;
    mValueBeg = DefaultBegin(mTemplate);
    mValueEnd = DefaultEnd(mTemplate);
}

bool QVMidiParamPatch::Clear()
{
    PatchLock lock(mPatcher);
    mModeLearn = false;
    QVMidiParamPatch const fresh(mTemplate, mEnabled);
    if (IsEqual(fresh))
        return false;
    LowClear();
    Changed(true);
    return true;
}

bool QVMidiParamPatch::CopyFrom(QVMidiParamPatch const& other)
{
    if (&other == this) {
        SetModeLearn(false);
        return false;
    }
    QVMidiParamPatch const source = [&other] {
        PatchLock otherLock(other.mPatcher);
        return other;
    }();
    PatchLock lock(mPatcher);
    mModeLearn = false;
    if (IsEqual(source))
        return false;
    mMatchType = source.mMatchType;
    mMatchChannel = source.mMatchChannel;
    mMatchNumber = source.mMatchNumber;
    mMatchNumMore = source.mMatchNumMore;
    mBehavior = source.mBehavior;
    mValueBeg = source.mValueBeg;
    mValueEnd = source.mValueEnd;
    Changed(true);
    return true;
}

bool QVMidiParamPatch::IsEqual(QVMidiParamPatch const& other) const
{
    return mMatchType == other.mMatchType && mMatchChannel == other.mMatchChannel &&
           mMatchNumber == other.mMatchNumber && mMatchNumMore == other.mMatchNumMore && mBehavior == other.mBehavior &&
           mValueBeg == other.mValueBeg && mValueEnd == other.mValueEnd;
}

bool QVMidiParamPatch::SetupFromLearnedMidiMessage(QVMidiMessage const& message, bool anyChannel)
{
    PatchLock lock(mPatcher);
    uint32_t const type = std::min<uint32_t>(message.mType, kQVMidiMatchTypeMax);
    uint32_t const channel = anyChannel ? 0 : std::min<uint32_t>(message.mChannel + 1u, kQVMidiMatchChannelMax);
    uint32_t const number = std::min<uint32_t>(message.mNumber, kQVMidiMatchNumberMax);
    if (type == mMatchType && channel == mMatchChannel && number == mMatchNumber && mMatchNumMore == 0)
        return false;
    mMatchType = type;
    mMatchChannel = channel;
    mMatchNumber = number;
    mMatchNumMore = 0;
    Changed(true);
    return true;
}

bool QVMidiParamPatch::ItMatchMidiMessage(QVMidiMessage const& message) const
{
    if (mMatchType == kQVMidiMessageType_None || mMatchType != message.mType)
        return false;
    if (mMatchChannel != 0 && mMatchChannel != uint32_t(message.mChannel) + 1u)
        return false;
    return message.mNumber >= mMatchNumber && message.mNumber <= uint64_t(mMatchNumber) + mMatchNumMore;
}

// --- Persistence ---

QVMidiPatchRecord QVMidiParamPatch::GetRecord() const
{
    QVMidiPatchRecord record;
    record.mParamID = mParamID;
    record.mMatchType = mMatchType;
    record.mMatchChannel = mMatchChannel;
    record.mMatchNumber = mMatchNumber;
    record.mMatchNumMore = mMatchNumMore;
    record.mBehavior = mBehavior;
    record.mValueBeg = mValueBeg;
    record.mValueEnd = mValueEnd;
    return record;
}

void QVMidiParamPatch::LowSetupFromRecord(QVMidiPatchRecord const& record)
{
    mEnabled = true;
    mModeLearn = false;
    mMatchType = std::min(record.mMatchType, kQVMidiMatchTypeMax);
    mMatchChannel = std::min(record.mMatchChannel, kQVMidiMatchChannelMax);
    mMatchNumber = std::min(record.mMatchNumber, kQVMidiMatchNumberMax);
    mMatchNumMore = LimitNumMore(mTemplate, record.mMatchNumMore);
    mBehavior = std::min(record.mBehavior, kQVMidiBehaviorMax);
    mValueBeg = LimitValue(mTemplate, record.mValueBeg);
    mValueEnd = LimitValue(mTemplate, record.mValueEnd);
}

int QVMidiParamPatch::ReadFromFile(AKFile const& file, QVMidiPatchRecord* record)
{
    QVMidiPatchRecord read;
    int status = AKFileReadUInt32(file, &read.mParamID);
    if (status == 0)
        status = AKFileReadUInt32(file, &read.mMatchType);
    if (status == 0)
        status = AKFileReadUInt32(file, &read.mMatchChannel);
    if (status == 0)
        status = AKFileReadUInt32(file, &read.mMatchNumber);
    if (status == 0)
        status = AKFileReadUInt32(file, &read.mMatchNumMore);
    if (status == 0)
        status = AKFileReadUInt32(file, &read.mBehavior);
    if (status == 0)
        status = AKFileReadFloat64(file, &read.mValueBeg);
    if (status == 0)
        status = AKFileReadFloat64(file, &read.mValueEnd);
    if (status == 0 && record != nullptr)
        *record = read;
    return status;
}

int QVMidiParamPatch::WriteToFile(AKFile& file) const
{
    int status = AKFileWriteUInt32(file, mParamID);
    if (status == 0)
        status = AKFileWriteUInt32(file, mMatchType);
    if (status == 0)
        status = AKFileWriteUInt32(file, mMatchChannel);
    if (status == 0)
        status = AKFileWriteUInt32(file, mMatchNumber);
    if (status == 0)
        status = AKFileWriteUInt32(file, mMatchNumMore);
    if (status == 0)
        status = AKFileWriteUInt32(file, mBehavior);
    if (status == 0)
        status = AKFileWriteFloat64(file, mValueBeg);
    if (status == 0)
        status = AKFileWriteFloat64(file, mValueEnd);
    return status;
}

bool QVMidiParamPatch::ReadFromValue(AKValue const& value, QVMidiPatchRecord* record)
{
    AKDictionary dictionary;
    if (!AKValueGetasAKDictionary(value, &dictionary) || dictionary.IsEmpty())
        return false;
    QVMidiPatchRecord read;
    AKString name;
    if (AKValueGetasAKString(dictionary.GetValue(kKey_ID), &name) && !name.IsEmpty())
        read.mParamID = QVParams::GetByXmlName(name, kQVPrmGroupAll);
    AKValueGetasEnum(dictionary.GetValue(kKey_MidiType), &read.mMatchType, kEnums_MidiType);
    AKValueGetasUInt(dictionary.GetValue(kKey_MidiChannel), &read.mMatchChannel, false);
    AKValueGetasUInt(dictionary.GetValue(kKey_MidiNumber), &read.mMatchNumber, false);
    AKValueGetasUInt(dictionary.GetValue(kKey_MidiNumMore), &read.mMatchNumMore, false);
    AKValueGetasEnum(dictionary.GetValue(kKey_Behavior), &read.mBehavior, kEnums_Behavior);
    AKValueGetasFloat64(dictionary.GetValue(kKey_ValueBeg), &read.mValueBeg, false);
    AKValueGetasFloat64(dictionary.GetValue(kKey_ValueEnd), &read.mValueEnd, false);
    if (record != nullptr)
        *record = read;
    return true;
}

AKDictionary QVMidiParamPatch::WriteToValue() const
{
    AKDictionary dictionary;
    dictionary.SetValue(kKey_ID, AKValueSetasAKString(QVParams::GetByID(mParamID).GetXmlName()));
    dictionary.SetValue(kKey_MidiType, AKValueSetasEnum(mMatchType, kEnums_MidiType));
    dictionary.SetValue(kKey_MidiChannel, AKValueSetasUInt(mMatchChannel));
    dictionary.SetValue(kKey_MidiNumber, AKValueSetasUInt(mMatchNumber));
    dictionary.SetValue(kKey_MidiNumMore, AKValueSetasUInt(mMatchNumMore));
    dictionary.SetValue(kKey_Behavior, AKValueSetasEnum(mBehavior, kEnums_Behavior));
    dictionary.SetValue(kKey_ValueBeg, AKValueSetasFloat64(mValueBeg));
    dictionary.SetValue(kKey_ValueEnd, AKValueSetasFloat64(mValueEnd));
    return dictionary;
}
