#pragma once

// The quick-cast test between two classes that selections and stores answer
// their class queries with: class `a` is a kind of class `b` when every bit
// of b's quick-cast mask is set in a's. False when either is null or when b
// has no bits (a class that got none is a kind of nothing).

#include "AKClass.h"

inline bool AKTreeSelIsKindOf(AKClass const* a, AKClass const* b)
{
    if (a == nullptr || b == nullptr)
        return false;
    AKClassQCast mask = b->GetQCastMask();
    return mask != kAKNullClassQCast && (a->GetQCastMask() & mask) == mask;
}
