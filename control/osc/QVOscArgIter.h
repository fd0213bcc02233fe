#pragma once

// QVOscArgIter: walks the arguments of one received OSC message and reads
// them as the OSC interpreter's keys and values. Texts are compared as keys
// by their first 15 characters; the key of the current argument is cached
// until the argument is consumed.
//
// Readers take the current argument when its type fits and answer 0; they
// answer -1988 (nothing left) or -1989 (wrong type, nothing consumed) and
// log nothing: the caller knows which line to write.

#include "AKKeyC.h"
#include "QVTPRef.h"

#include <cstdint>
#include <oscpack/osc/OscReceivedElements.h>

class QVOscArgIter
{
public:
    explicit QVOscArgIter(osc::ReceivedMessage const& message);

    bool AtEnd() const { return mCurrent == mEnd; }
    // Consumes the current argument.
    void Next();

    bool IsText() const { return !AtEnd() && mCurrent->IsString(); }
    // True when the current argument is a text whose first 15 characters
    // make `key`.
    bool IsKey(AKKeyC15 const& key);
    // The current argument's key (empty when it is no text).
    AKKeyC15 const& CurrentKey();
    // The current argument's text, or "not_string", for log lines.
    char const* TextForLog() const;

    // int32 is the ID, int64 its low 32 bits, true and false 1 and 0, a text
    // the name path.
    int ReadReference(QVTPRef* reference);
    // true, false, or an int32 or int64 that is 0 or 1.
    int ReadBoolean(bool* value);
    // int32, int64 (low 32 bits), true and false as 1 and 0.
    int ReadInteger(int32_t* value);
    // double, float, int64, int32, true and false as 1 and 0.
    int ReadReal(double* value);
    int ReadText(AKString* value);

private:
    // Takes the current argument when `convert` accepts it.
    template <class Value>
    int Read(bool (*convert)(osc::ReceivedMessageArgument const&, Value*), Value* value);

    osc::ReceivedMessageArgumentIterator mCurrent;
    osc::ReceivedMessageArgumentIterator const mEnd;
    AKKeyC15 mKey;
    bool mKeyCached = false;
};
