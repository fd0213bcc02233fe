#include "QVObjectPoolable.h"

#include "AKDictionary.h"
#include "AKFileTypedIO.h"
#include "AKNode.h"
#include "AKValueEnums.h"
#include "AKValueTyped.h"
#include "QVObjectSequence.h"

#include <algorithm>

namespace {

char const* const kKey_UIOpened = "UIOpened";
char const* const kKey_UIStarterKey = "UIStarterKey";
char const* const kKey_UIStarterBehavior = "UIStarterBehavior";
char const* const kKey_UIStarterRepeat = "UIStarterRepeat";  // older documents: read, never written
char const* const kKey_UIColorIndex = "UIColorIndex";

void RaiseUIStamp(unsigned int* stamp)
{
    ++*stamp;
    if (*stamp == kAKNullStampSync || *stamp == kAKUndefStampVers)
        *stamp = kAKNullStampVers;
}

// A sequence labels its unlabelled players itself after an edit, and no
// history step records that: a step stored before it (the player's
// creation) holds no label, and re-reading it must not take away the label
// the sequence gave.
bool IsUnderSequenceAsPlayer(QVObjectPoolable const& object)
{
    if (!object.IsKindOfT<QVObjectZlayer>())
        return false;
    AKNode const* const node = object.GetNodeOwner();
    AKNode const* const parent = node != nullptr ? node->GetSup() : nullptr;
    return parent != nullptr && parent->GetObject() != nullptr && parent->GetObject()->IsKindOfT<QVObjectSequence>();
}

}  // namespace

QVObjectPoolableArray const& QVNullObjectPoolableArrayShared()
{
    static QVObjectPoolableArray const sEmpty;
    return sEmpty;
}

QVObjectPoolable::QVObjectPoolable(unsigned int options)
    : AKObject(options), mUIOpened((options & kQVPoolableOptionUIOpened) != 0),
      mSubPoolables(&kQVNullObjectPoolableArray)
{}

QVObjectPoolable::~QVObjectPoolable() { delete mMidiPatcher.load(std::memory_order_acquire); }

QVObjectMidiPatcher* QVObjectPoolable::GetMidiPatcher()
{
    QVObjectMidiPatcher* patcher = PeekMidiPatcher();
    if (patcher != nullptr)
        return patcher;
    QVObjectMidiServices const* const services = QVObjectMidiServices::GetInstalled();
    if (services == nullptr)
        return nullptr;
    QVObjectMidiPatcher* const made = services->CreateMidiPatcher(this);
    if (made == nullptr)
        return nullptr;
    // Two threads may ask at once: the first patcher stored stays.
    if (mMidiPatcher.compare_exchange_strong(patcher, made, std::memory_order_acq_rel))
        return made;
    delete made;
    return patcher;
}

// --- Pool protocol ---

int QVObjectPoolable::PrepareAudioResources(QVAudioInfo const&, unsigned long long) { return 0; }

void QVObjectPoolable::ReleaseAudioResources() {}

void QVObjectPoolable::SynchronizeFLFastLinks(AKObject*, unsigned int) {}

AKString QVObjectPoolable::GetFLDynamicName(bool ignoreName, bool* isName) const
{
    if (isName != nullptr)
        *isName = false;
    return ignoreName ? AKString() : akmGetName();
}

unsigned int QVObjectPoolable::PoolableStampSubLinks() const { return kAKNullStampVers; }

unsigned int QVObjectPoolable::PoolableStampFarSubLinks() const { return kAKNullStampVers; }

// --- User-interface attributes ---

void QVObjectPoolable::UIChanged()
{
    RaiseUIStamp(&mUIStamp);
    SetModified(true);
}

bool QVObjectPoolable::SetUserUIOpened(bool opened)
{
    if (opened == mUIOpened)
        return false;
    mUIOpened = opened;
    return true;
}

bool QVObjectPoolable::ResetUserUIStarterKey()
{
    if (mUIStarterKey == 0 && mUIStarterBehavior == kQVStarterBehaviorPush)
        return false;
    mUIStarterKey = 0;
    mUIStarterBehavior = kQVStarterBehaviorPush;
    UIChanged();
    return true;
}

bool QVObjectPoolable::SetUserUIStarterKey(unsigned int key)
{
    key = std::min(key, kQVStarterKeyMax);
    if (key == 0)
        return ResetUserUIStarterKey();
    if (key == mUIStarterKey)
        return false;
    mUIStarterKey = key;
    UIChanged();
    return true;
}

bool QVObjectPoolable::SetUserUIStarterBehavior(unsigned int behavior)
{
    behavior = std::min(behavior, static_cast<unsigned int>(kQVStarterBehaviorMax));
    if (behavior == mUIStarterBehavior)
        return false;
    mUIStarterBehavior = behavior;
    UIChanged();
    return true;
}

bool QVObjectPoolable::SetUserUIColorLabel(unsigned int label)
{
    label = std::min(label, kQVColorLabelMax);
    if (label == mUIColorLabel)
        return false;
    mUIColorLabel = label;
    UIChanged();
    return true;
}

// --- Persistence ---

int QVObjectPoolable::akmInitFromFile(AKFile const& file, unsigned int how)
{
    int status = AKObject::akmInitFromFile(file, how);
    if (status != 0)
        return status;
    bool opened = false;
    unsigned char key = 0;
    unsigned char behavior = 0;
    unsigned char color = 0;
    status = AKFileReadBool(file, &opened);
    if (status == 0)
        status = AKFileReadUInt8(file, &key);
    if (status == 0)
        status = AKFileReadUInt8(file, &behavior);
    if (status == 0)
        status = AKFileReadUInt8(file, &color);
    if (status != 0)
        return status;
    // Values read from a document are kept as they are.
    if (how != 0) {
        mUIOpened = opened;
        mUIStarterKey = key;
        mUIStarterBehavior = behavior;
        mUIColorLabel = color;
    } else {
        // Re-initialised in place by the history (undo and redo of a
        // revision): the starter key, its behaviour and the colour label come
        // back with the step. The opened flag stays: it is the view's state,
        // changed without marking the document, like the UI peer that the
        // object base skips here.
        unsigned int label = color;
        if (label == 0 && IsUnderSequenceAsPlayer(*this))
            label = mUIColorLabel;
        if (key != mUIStarterKey || behavior != mUIStarterBehavior || label != mUIColorLabel) {
            mUIStarterKey = key;
            mUIStarterBehavior = behavior;
            mUIColorLabel = label;
            RaiseUIStamp(&mUIStamp);
        }
    }
    if (status == 0) {
        QVObjectMidiPatcher* const patcher = GetMidiPatcher();
        status = patcher != nullptr ? patcher->InitFromFile(file, how) : mMidiStore.ReadFromFile(file, how);
    }
    return status;
}

int QVObjectPoolable::akmWriteToFile(AKFile& file) const
{
    int status = AKObject::akmWriteToFile(file);
    if (status == 0)
        status = AKFileWriteBool(file, mUIOpened);
    if (status == 0)
        status = AKFileWriteUInt8(file, static_cast<unsigned char>(mUIStarterKey));
    if (status == 0)
        status = AKFileWriteUInt8(file, static_cast<unsigned char>(mUIStarterBehavior));
    if (status == 0)
        status = AKFileWriteUInt8(file, static_cast<unsigned char>(mUIColorLabel));
    if (status == 0) {
        QVObjectMidiPatcher const* const patcher = PeekMidiPatcher();
        status = patcher != nullptr ? patcher->WriteToFile(file) : mMidiStore.WriteToFile(file);
    }
    return status;
}

int QVObjectPoolable::akmInitFromDictionary(AKDictionary const& dictionary)
{
    int status = AKObject::akmInitFromDictionary(dictionary);
    if (status != 0)
        return status;
    AKValueGetasBool(dictionary.GetValue(kKey_UIOpened), &mUIOpened, false);
    AKValueGetasUInt(dictionary.GetValue(kKey_UIStarterKey), &mUIStarterKey, false);
    if (!AKValueGetasEnum(dictionary.GetValue(kKey_UIStarterBehavior), &mUIStarterBehavior, kEnums_Behavior)) {
        bool repeat = false;
        if (AKValueGetasBool(dictionary.GetValue(kKey_UIStarterRepeat), &repeat, false))
            mUIStarterBehavior = repeat ? kQVStarterBehaviorBackAndRepeat : kQVStarterBehaviorPush;
    }
    AKValueGetasUInt(dictionary.GetValue(kKey_UIColorIndex), &mUIColorLabel, false);
    if (QVObjectMidiPatcher* const patcher = GetMidiPatcher())
        return patcher->InitFromDictionary(dictionary);
    mMidiStore.ReadFromDictionary(dictionary);
    return 0;
}

int QVObjectPoolable::akmWriteToDictionary(AKDictionary& dictionary) const
{
    int status = AKObject::akmWriteToDictionary(dictionary);
    if (status == 0)
        status = dictionary.SetValue(kKey_UIOpened, AKValueSetasBool(mUIOpened));
    if (status == 0)
        status = dictionary.SetValue(kKey_UIStarterKey, AKValueSetasUInt(mUIStarterKey));
    if (status == 0)
        status = dictionary.SetValue(kKey_UIStarterBehavior, AKValueSetasEnum(mUIStarterBehavior, kEnums_Behavior));
    if (status == 0)
        status = dictionary.SetValue(kKey_UIColorIndex, AKValueSetasUInt(mUIColorLabel));
    if (status == 0) {
        QVObjectMidiPatcher const* const patcher = PeekMidiPatcher();
        status = patcher != nullptr ? patcher->WriteToDictionary(dictionary) : mMidiStore.WriteToDictionary(dictionary);
    }
    return status;
}
