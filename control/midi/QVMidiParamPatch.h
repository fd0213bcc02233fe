#pragma once

// QVMidiParamPatch: one MIDI mapping of one object parameter: which
// messages drive it (type, channel, first number and how many numbers more),
// how a flag follows the message (the starter-key behaviours) and which
// values MIDI values 0 and 127 send. A patch belongs to a patcher (or to the
// MIDI pasteboard, without patcher) and takes its parameter, range and
// number limit from its template.
//
// Setters limit out-of-range values instead of refusing them and return
// true exactly when the patch changed; a change marks the owner object
// modified. A patch that belongs to a patcher takes the patcher's lock in
// every setter, so the MIDI input thread's learning never races them.

#include "QVMidiMessage.h"
#include "AKValueEnums.h"
#include "QVMidiParamTemplate.h"

#include <cstdint>

class AKDictionary;
class AKFile;
class AKValue;
class QVMidiPatcher;

constexpr uint32_t kQVMidiMatchTypeMax = kQVMidiMessageType_PitchBend;  // 6
constexpr uint32_t kQVMidiMatchChannelMax = 16;                         // 0: any channel
constexpr uint32_t kQVMidiMatchNumberMax = 127;
constexpr uint32_t kQVMidiBehaviorMax = 4;  // "Push" ... "BackAndRepeat"

// The persistent fields of a patch, as read from a document before they are
// set up into a patcher.
struct QVMidiPatchRecord {
    uint32_t mParamID = 0;
    uint32_t mMatchType = 0;
    uint32_t mMatchChannel = 0;
    uint32_t mMatchNumber = 0;
    uint32_t mMatchNumMore = 0;
    uint32_t mBehavior = 0;
    double mValueBeg = 0.0;
    double mValueEnd = 0.0;
};

class QVMidiParamPatch
{
public:
    // The null patch: null template, nothing mapped.
    QVMidiParamPatch();
    // A new patch of the template: unmapped, values = the template's
    // default range, no patcher.
    QVMidiParamPatch(QVMidiParamTemplate const* tmpl, bool enabled);

    QVMidiParamTemplate const* GetTemplate() const { return mTemplate; }
    uint32_t GetParamID() const { return mParamID; }
    QVMidiPatcher* GetPatcher() const { return mPatcher; }
    bool IsEnabled() const { return mEnabled; }
    bool IsModeLearn() const { return mModeLearn; }
    bool IsMapped() const { return mMatchType != kQVMidiMessageType_None; }
    uint32_t GetMatchMidiType() const { return mMatchType; }
    uint32_t GetMatchMidiChannel() const { return mMatchChannel; }
    uint32_t GetMatchMidiNumber() const { return mMatchNumber; }
    uint32_t GetMatchMidiNumMore() const { return mMatchNumMore; }
    uint32_t GetDestBehavior() const { return mBehavior; }
    double GetDestValueBeg() const { return mValueBeg; }
    double GetDestValueEnd() const { return mValueEnd; }

    // Limited to 6; makes the patcher's count stale.
    bool SetMatchMidiType(uint32_t type);
    // Limited to 16.
    bool SetMatchMidiChannel(uint32_t channel);
    // Limited to 127.
    bool SetMatchMidiNumber(uint32_t number);
    // False, nothing changed, when the template has no extra numbers; else
    // limited to the template's extra numbers - 1.
    bool SetMatchMidiNumMore(uint32_t more);
    // Limited to 4.
    bool SetDestBehavior(uint32_t behavior);
    // Limited to the template's minimum and maximum.
    bool SetDestValueBeg(double value);
    bool SetDestValueEnd(double value);
    // Marks nothing.
    bool SetModeLearn(bool on);

    // Learn mode off; back to the new-patch state when it differs.
    bool Clear();
    // Learn mode off; takes other's mapping and values (never its template,
    // parameter, enabled flag or patcher) when they differ.
    bool CopyFrom(QVMidiParamPatch const& other);
    // Type, channel, number, extra numbers, behaviour and both values.
    bool IsEqual(QVMidiParamPatch const& other) const;
    // Takes the message as mapping: its type and number, channel 0 when
    // anyChannel else the message channel + 1, no extra numbers.
    bool SetupFromLearnedMidiMessage(QVMidiMessage const& message, bool anyChannel);
    // Mapped, same type, channel 0 or the message's + 1, number within the
    // patch's numbers.
    bool ItMatchMidiMessage(QVMidiMessage const& message) const;

    // --- Persistence ---

    // The record of this patch.
    QVMidiPatchRecord GetRecord() const;
    // One patch of the 'MIDI' chunk into a record, as it is in the file.
    static int ReadFromFile(AKFile const& file, QVMidiPatchRecord* record);
    int WriteToFile(AKFile& file) const;
    // One element of "MidiPatcher": false, record untouched, for an element
    // that is not a non-empty dictionary. Missing or refused keys give 0.
    static bool ReadFromValue(AKValue const& value, QVMidiPatchRecord* record);
    AKDictionary WriteToValue() const;

private:
    friend class QVMidiPatcher;

    // Takes a read record with the setters' limits (the mapping of a
    // document is outside input); learn off, enabled.
    void LowSetupFromRecord(QVMidiPatchRecord const& record);
    void LowClear();
    void Changed(bool countChanged);

    QVMidiParamTemplate const* mTemplate;
    uint32_t mParamID;
    QVMidiPatcher* mPatcher = nullptr;
    bool mEnabled;
    bool mModeLearn = false;
    uint32_t mMatchType = 0;
    uint32_t mMatchChannel = 0;
    uint32_t mMatchNumber = 0;
    uint32_t mMatchNumMore = 0;
    uint32_t mBehavior = 0;
    double mValueBeg = 0.0;
    double mValueEnd = 0.0;
};

extern QVMidiParamPatch const kQVNullMidiParamPatch;

// The words of the match types ("None" ... "PitchBend") and of the
// behaviours ("Push" ... "BackAndRepeat") in documents.
extern AKValueEnums const kEnums_MidiType[];
