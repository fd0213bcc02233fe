#pragma once

// QVProviderRenum: from the provider IDs read from a document to the IDs the
// providers got in this run. IDs up to kQVProviderRenumDenseMaxID sit in a
// direct table; larger ones (a document saved late in a long run) in a
// sorted map beside it, so every ID renumbers alike.

#include "ATArray.h"
#include "QVProviderID.h"

#include <map>

constexpr QVProviderID kQVProviderRenumDenseMaxID = 0x3FFF;

class QVProviderRenum
{
public:
    QVProviderRenum();
    QVProviderRenum(QVProviderRenum const& other) = default;
    QVProviderRenum& operator=(QVProviderRenum const& other) = default;

    void Assign(QVProviderRenum const& other) { *this = other; }
    void Clear();
    // No entry at all (AddEntry only stores non-zero pairs).
    bool IsEmpty() const { return mDense.IsEmpty() && mSparse.empty(); }
    // False when either ID is 0 or when the old one has an entry already.
    bool AddEntry(QVProviderID oldID, QVProviderID newID);
    // The new ID of *id and true, or 0 and false.
    bool MatchID(QVProviderID* id) const;

private:
    ATArray<QVProviderID> mDense;
    std::map<QVProviderID, QVProviderID> mSparse;
};
