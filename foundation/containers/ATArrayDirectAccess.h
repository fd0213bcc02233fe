#pragma once

// A table from small identifiers (0 to 9999) to objects, so that looking an
// object up by identifier is one index operation. Slots without an object
// hold null.
//
// The object type provides `unsigned int GetDirectAccessID() const`, the
// identifier the object carries; SetAccess(unsigned int, T*) takes it
// explicitly instead.
//
// Its users keep their objects in an ordinary list as well, and use the table
// only while every SetAccess has succeeded: the first failure turns the table
// off for good and they search their list from then on.

#include "ATArray.h"

template <class P>
class ATArrayDirectAccess;

template <class T>
class ATArrayDirectAccess<T*>
{
public:
    static constexpr unsigned int kMaxID = 9999;

    unsigned int Count() const { return fSlots.Count(); }

    // Stores the object at its identifier; false (nothing changed) for an
    // identifier above 9999 or a null object.
    bool SetAccess(T* object)
    {
        if (object == nullptr)
            return false;
        return SetAccess(object->GetDirectAccessID(), object);
    }

    // Stores `object` (null empties the slot) at identifier `id`; false for an
    // identifier above 9999.
    bool SetAccess(unsigned int id, T* object)
    {
        if (id > kMaxID)
            return false;
        unsigned int count = fSlots.Count();
        if (id == count)
            fSlots.Push(object);
        else if (id > count) {
            fSlots.SetCount(id + 1);
            fSlots[id] = object;
        } else
            fSlots[id] = object;
        return true;
    }

    // Empties the slot of `id`, when it exists.
    void ClearAccess(unsigned int id)
    {
        if (id < fSlots.Count())
            fSlots[id] = nullptr;
    }

    // The object of `id`, or null.
    T* GetAccess(unsigned int id) const { return id < fSlots.Count() ? fSlots[id] : nullptr; }
    T* operator[](unsigned int id) const { return GetAccess(id); }

    void Clear() { fSlots.Clear(); }

private:
    ATArray<T*> fSlots;
};
