// QVProviderRenum: the renumbering table of a document's providers.

#include "QVProviderRenum.h"

namespace {

constexpr unsigned int kReservedEntries = 20;

}  // namespace

QVProviderRenum::QVProviderRenum() { mDense.Reserve(kReservedEntries); }

void QVProviderRenum::Clear()
{
    mDense.Clear();
    mSparse.clear();
}

bool QVProviderRenum::AddEntry(QVProviderID oldID, QVProviderID newID)
{
    if (oldID == kQVNullProviderID || newID == kQVNullProviderID)
        return false;
    if (oldID > kQVProviderRenumDenseMaxID)
        return mSparse.emplace(oldID, newID).second;
    if (oldID < mDense.Count() && mDense[oldID] != kQVNullProviderID)
        return false;
    if (oldID >= mDense.Count())
        mDense.SetCount(oldID + 1);
    mDense[oldID] = newID;
    return true;
}

bool QVProviderRenum::MatchID(QVProviderID* id) const
{
    if (id == nullptr)
        return false;
    QVProviderID found = kQVNullProviderID;
    if (*id <= kQVProviderRenumDenseMaxID) {
        if (*id < mDense.Count())
            found = mDense[*id];
    } else {
        auto entry = mSparse.find(*id);
        if (entry != mSparse.end())
            found = entry->second;
    }
    *id = found;
    return found != kQVNullProviderID;
}
