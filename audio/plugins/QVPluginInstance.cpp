#include "QVPluginInstance.h"

#include "AKLog.h"

std::atomic<QVInstanceID> QVPluginInstance::sNextID{0};

QVPluginInstance::QVPluginInstance(QVPluginDesc const& desc)
    : mInstanceID(sNextID.fetch_add(1, std::memory_order_relaxed) + 1), mUID(desc.GetUID()), mFormat(desc.GetFormat()),
      mName(desc.GetName()), mFileID(desc.GetFileID()), mInputCount(desc.GetInputChannelCount()),
      mOutputCount(desc.GetOutputChannelCount())
{}

QVPluginInstance::~QVPluginInstance() = default;

bool QVPluginInstance::SetBypassed(unsigned int bypass)
{
    bool current = mBypassed.load(std::memory_order_acquire);
    if (bypass <= 1) {
        bool const wanted = bypass == 1;
        return wanted != current && mBypassed.exchange(wanted, std::memory_order_acq_rel) != wanted;
    }
    // A toggle from two threads at once must flip twice, not once.
    while (!mBypassed.compare_exchange_weak(current, !current, std::memory_order_acq_rel)) {
    }
    return true;
}

unsigned int QVPluginInstance::GetParameterCount() const { return 0; }

AKString QVPluginInstance::GetParameterName(unsigned int) const { return AKString(); }

double QVPluginInstance::GetParameterValue(unsigned int) const { return 0.0; }

void QVPluginInstance::SetParameterValue(unsigned int, double) {}

bool QVPluginInstance::InitWithState(AKMemoryBlock const& state, bool bypass)
{
    bool const restored = SetStateInformation(state);
    mBypassed.store(bypass, std::memory_order_release);
    mAppliedBypass = bypass;
    mTail = 0.0;
    return restored;
}

void QVPluginInstance::BuildParamNamesMapIfNeeded() const
{
    if (!mParamNames.IsEmpty())
        return;
    for (unsigned int index = 0, count = GetParameterCount(); index < count; ++index)
        mParamNames.LowAddOrReplacePair(GetParameterName(index), index, true);
}

double QVPluginInstance::GetParameterValue(AKString const& name) const
{
    BuildParamNamesMapIfNeeded();
    unsigned int const* index = mParamNames.LowFindPair(name);
    return index != nullptr ? GetParameterValue(*index) : 0.0;
}

void QVPluginInstance::SetParameterValue(AKString const& name, double value)
{
    BuildParamNamesMapIfNeeded();
    if (unsigned int const* index = mParamNames.LowFindPair(name))
        SetParameterValue(*index, value);
}

void QVPluginInstance::LogInfoAndParameters() const
{
    unsigned int const count = GetParameterCount();
    AKLog("# Plugin [%s] [%u|%u] has %u Parameters:\n", mName.c_str(), mInputCount, mOutputCount, count);
    for (unsigned int index = 0; index < count; ++index) {
        AKLog("[%02d] %-24s %lf\n", static_cast<int>(index), GetParameterName(index).c_str(), GetParameterValue(index));
    }
    AKLog("# Ok\n\n");
}

void QVPluginInstance::SetOwner(QVDocumentID documentID, AKNodeID nodeID)
{
    mOwnerDocumentID = documentID;
    mOwnerNodeID = nodeID;
}
