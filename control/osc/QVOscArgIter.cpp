#include "QVOscArgIter.h"

namespace {

constexpr int kStatusTooFew = -1988;
constexpr int kStatusBadType = -1989;

}  // namespace

QVOscArgIter::QVOscArgIter(osc::ReceivedMessage const& message)
    : mCurrent(message.ArgumentsBegin()), mEnd(message.ArgumentsEnd())
{}

void QVOscArgIter::Next()
{
    if (!AtEnd())
        ++mCurrent;
    mKeyCached = false;
}

AKKeyC15 const& QVOscArgIter::CurrentKey()
{
    if (!mKeyCached) {
        mKey.Set(IsText() ? mCurrent->AsStringUnchecked() : nullptr);
        mKeyCached = true;
    }
    return mKey;
}

bool QVOscArgIter::IsKey(AKKeyC15 const& key) { return IsText() && CurrentKey() == key; }

char const* QVOscArgIter::TextForLog() const { return IsText() ? mCurrent->AsStringUnchecked() : "not_string"; }

int QVOscArgIter::Check() const { return AtEnd() ? kStatusTooFew : 0; }

int QVOscArgIter::ReadReference(QVTPRef* reference)
{
    if (int const status = Check())
        return status;
    osc::ReceivedMessageArgument const& argument = *mCurrent;
    if (argument.IsInt32())
        *reference = QVTPRef{argument.AsInt32Unchecked(), AKString()};
    else if (argument.IsInt64())
        *reference = QVTPRef{int32_t(uint32_t(uint64_t(argument.AsInt64Unchecked()))), AKString()};
    else if (argument.IsBool())
        *reference = QVTPRef{argument.AsBoolUnchecked() ? 1 : 0, AKString()};
    else if (argument.IsString())
        *reference = QVTPRef{0, AKString(argument.AsStringUnchecked())};
    else
        return kStatusBadType;
    Next();
    return 0;
}

int QVOscArgIter::ReadBoolean(bool* value)
{
    if (int const status = Check())
        return status;
    osc::ReceivedMessageArgument const& argument = *mCurrent;
    int64_t number = -1;
    if (argument.IsBool())
        number = argument.AsBoolUnchecked() ? 1 : 0;
    else if (argument.IsInt32())
        number = argument.AsInt32Unchecked();
    else if (argument.IsInt64())
        number = argument.AsInt64Unchecked();
    if (number != 0 && number != 1)
        return kStatusBadType;
    *value = number == 1;
    Next();
    return 0;
}

int QVOscArgIter::ReadInteger(int32_t* value)
{
    if (int const status = Check())
        return status;
    osc::ReceivedMessageArgument const& argument = *mCurrent;
    if (argument.IsInt32())
        *value = argument.AsInt32Unchecked();
    else if (argument.IsInt64())
        *value = int32_t(uint32_t(uint64_t(argument.AsInt64Unchecked())));
    else if (argument.IsBool())
        *value = argument.AsBoolUnchecked() ? 1 : 0;
    else
        return kStatusBadType;
    Next();
    return 0;
}

int QVOscArgIter::ReadReal(double* value)
{
    if (int const status = Check())
        return status;
    osc::ReceivedMessageArgument const& argument = *mCurrent;
    if (argument.IsDouble())
        *value = argument.AsDoubleUnchecked();
    else if (argument.IsFloat())
        *value = argument.AsFloatUnchecked();
    else if (argument.IsInt64())
        *value = double(argument.AsInt64Unchecked());
    else if (argument.IsInt32())
        *value = argument.AsInt32Unchecked();
    else if (argument.IsBool())
        *value = argument.AsBoolUnchecked() ? 1.0 : 0.0;
    else
        return kStatusBadType;
    Next();
    return 0;
}

int QVOscArgIter::ReadText(AKString* value)
{
    if (int const status = Check())
        return status;
    if (!mCurrent->IsString())
        return kStatusBadType;
    *value = AKString(mCurrent->AsStringUnchecked());
    Next();
    return 0;
}
