#include "QVMidiBytesReader.h"

namespace {

// Bytes a message needs, status included; 1 for status-only messages.
int MessageLength(uint8_t status)
{
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 2;
    case 0xF0:
        break;
    default:
        return 3;
    }
    switch (status) {
    case 0xF1:  // time code quarter frame
    case 0xF3:  // song select
        return 2;
    case 0xF2:  // song position
        return 3;
    default:  // tune request, undefined, end of exclusive
        return 1;
    }
}

}  // namespace

QVMidiBytesReader::QVMidiBytesReader(QVMidiPacketProc proc, void* userData) : mProc(proc), mUserData(userData) {}

void QVMidiBytesReader::Reset()
{
    mCount = 0;
    mExpected = 0;
    mRunning = 0;
    mInSysEx = false;
}

void QVMidiBytesReader::Feed(uint8_t const* data, int size)
{
    if (data == nullptr)
        return;
    for (int i = 0; i < size; ++i)
        FeedByte(data[i]);
}

void QVMidiBytesReader::Emit(int size)
{
    if (mProc != nullptr)
        mProc(mUserData, mBytes, size);
}

void QVMidiBytesReader::FeedByte(uint8_t byte)
{
    if (byte >= 0xF8) {
        // Real-time: delivered alone, the message in progress is kept.
        if (mProc != nullptr)
            mProc(mUserData, &byte, 1);
        return;
    }
    if (byte & 0x80) {
        // An unfinished message is cut short by the new status.
        mDroppedCount += uint32_t(mCount);
        mCount = 0;
        mInSysEx = false;
        if (byte == 0xF0 || byte == 0xF7) {
            // Exclusive bytes are not for the handler; a stray end is dropped too.
            ++mDroppedCount;
            mInSysEx = byte == 0xF0;
            mRunning = 0;
            return;
        }
        mRunning = byte < 0xF0 ? byte : 0;  // system common cancels running status
        mBytes[0] = byte;
        mCount = 1;
        mExpected = MessageLength(byte);
        if (mExpected == 1) {
            Emit(1);
            mCount = 0;
        }
        return;
    }
    // A data byte.
    if (mInSysEx) {
        ++mDroppedCount;
        return;
    }
    if (mCount == 0) {
        if (mRunning == 0) {
            ++mDroppedCount;
            return;
        }
        mBytes[0] = mRunning;
        mCount = 1;
        mExpected = MessageLength(mRunning);
    }
    mBytes[mCount++] = byte;
    if (mCount >= mExpected) {
        Emit(mCount);
        mCount = 0;
    }
}
