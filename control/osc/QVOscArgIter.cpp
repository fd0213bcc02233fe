#include "QVOscArgIter.h"

namespace {

constexpr int kStatusTooFew = -1988;
constexpr int kStatusBadType = -1989;

using Argument = osc::ReceivedMessageArgument;

// Conversions of one argument; false (nothing written) when its type does
// not fit.

bool AsInteger(Argument const& argument, int32_t* value)
{
    if (argument.IsInt32())
        *value = argument.AsInt32Unchecked();
    else if (argument.IsInt64())
        *value = int32_t(uint32_t(uint64_t(argument.AsInt64Unchecked())));
    else if (argument.IsBool())
        *value = argument.AsBoolUnchecked() ? 1 : 0;
    else
        return false;
    return true;
}

bool AsReference(Argument const& argument, QVTPRef* reference)
{
    if (argument.IsString()) {
        *reference = QVTPRef{0, AKString(argument.AsStringUnchecked())};
        return true;
    }
    int32_t id = 0;
    if (!AsInteger(argument, &id))
        return false;
    *reference = QVTPRef{id, AKString()};
    return true;
}

bool AsBoolean(Argument const& argument, bool* value)
{
    int64_t number = -1;
    if (argument.IsBool())
        number = argument.AsBoolUnchecked() ? 1 : 0;
    else if (argument.IsInt32())
        number = argument.AsInt32Unchecked();
    else if (argument.IsInt64())
        number = argument.AsInt64Unchecked();
    if (number != 0 && number != 1)
        return false;
    *value = number == 1;
    return true;
}

bool AsReal(Argument const& argument, double* value)
{
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
        return false;
    return true;
}

bool AsText(Argument const& argument, AKString* value)
{
    if (!argument.IsString())
        return false;
    *value = AKString(argument.AsStringUnchecked());
    return true;
}

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

template <class Value>
int QVOscArgIter::Read(bool (*convert)(osc::ReceivedMessageArgument const&, Value*), Value* value)
{
    if (AtEnd())
        return kStatusTooFew;
    if (!convert(*mCurrent, value))
        return kStatusBadType;
    Next();
    return 0;
}

int QVOscArgIter::ReadReference(QVTPRef* reference) { return Read(AsReference, reference); }

int QVOscArgIter::ReadBoolean(bool* value) { return Read(AsBoolean, value); }

int QVOscArgIter::ReadInteger(int32_t* value) { return Read(AsInteger, value); }

int QVOscArgIter::ReadReal(double* value) { return Read(AsReal, value); }

int QVOscArgIter::ReadText(AKString* value) { return Read(AsText, value); }
