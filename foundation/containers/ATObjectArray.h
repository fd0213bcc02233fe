#pragma once

// An array of pointers to objects it does not own: destroying or clearing it
// frees only its own storage. DeleteAllObjects deletes the pointed objects
// when the caller owns them.

#include "ATArray.h"

template <class T>
class ATObjectArray : public ATArray<T*>
{
public:
    using ATArray<T*>::ATArray;
    ATObjectArray() = default;
    ATObjectArray(ATArray<T*> const& array) : ATArray<T*>(array) {}

    // Deletes every object (last to first) through its destructor, then
    // empties the array.
    void DeleteAllObjects() { this->template DeleteAllObjectsWithDeleter<_AKDefaultDeleter>(); }
};
