// QVDocumentMgrBusyGate: the audio thread's busy flag and the changers' wait.

#include "QVDocumentMgrBusyGate.h"

#include "AKSys.h"

namespace {

constexpr double kWaitStepMicroSec = 10.0;

}  // namespace

bool QVDocumentMgrBusyGate::TryEnterAudio()
{
    unsigned int expected = 0;
    return mState.compare_exchange_strong(expected, kAudio, std::memory_order_acquire, std::memory_order_relaxed);
}

void QVDocumentMgrBusyGate::LeaveAudio() { mState.fetch_and(~kAudio, std::memory_order_release); }

void QVDocumentMgrBusyGate::EnterChange()
{
    mChangers.lock();
    // From here no block can start; wait for the one in progress, if any.
    unsigned int state = mState.fetch_or(kChange, std::memory_order_acq_rel);
    while ((state & kAudio) != 0) {
        AKSys::SleepMicroSec(kWaitStepMicroSec);
        state = mState.load(std::memory_order_acquire);
    }
}

void QVDocumentMgrBusyGate::LeaveChange()
{
    mState.fetch_and(~kChange, std::memory_order_release);
    mChangers.unlock();
}

bool QVDocumentMgrBusyGate::IsAudioBusy() const { return (mState.load(std::memory_order_acquire) & kAudio) != 0; }
