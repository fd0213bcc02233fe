#include "QVMidiGandler.h"

#include "AKLog.h"
#include "AKNode.h"
#include "AKTree.h"
#include "QVDocument.h"
#include "QVMidiControlValue.h"
#include "QVMidiPatcher.h"
#include "QVObjectFolders.h"
#include "QVObjectPlayable.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVParams.h"
#include "QVPrefs.h"

#include <mutex>

QVMidiGandler QVMidiGandler::sShared;

namespace {

// The engine's parameter table as the templates read it.
class ParamTableSource final : public QVMidiParamSource
{
public:
    bool GetMidiParamInfo(uint32_t paramID, QVMidiParamInfo& info) const override
    {
        if (paramID == 0) {
            info = QVMidiParamInfo();
            return true;
        }
        QVParamInfo const& row = QVParams::GetByID(paramID);
        if (row.IsNull() || row.GetType() > kQVPrmTypeReal)
            return false;
        info.mType = row.GetType();
        info.mDisplayName = row.GetGuiName();
        info.mPersistentName = row.GetXmlName();
        info.mMinimum = row.GetMin();
        info.mMaximum = row.GetMax();
        return true;
    }
};

template <class T>
T* FirstFolderOf(QVDocument const* doc)
{
    AKTree const* const tree = doc->GetTree();
    AKNode const* const root = tree != nullptr ? tree->GetRootNode() : nullptr;
    for (AKNode* node = root != nullptr ? root->GetSub() : nullptr; node != nullptr; node = node->GetNext())
        if (T* const folder = dynamic_cast<T*>(node->GetObject()))
            return folder;
    return nullptr;
}

}  // namespace

void QVMidiGandler::InitializeWithCurrentPrefs() { InitializeWithParams(ParamTableSource()); }

void QVMidiGandler::InitializeWithParams(QVMidiParamSource const& params)
{
    ClearTable();
    for (unsigned int i = 0; i < kQVMidiParamTemplateDefCount; ++i) {
        QVMidiParamTemplateDef const& def = kQVMidiParamTemplateDefs[i];
        QVMidiParamInfo info;
        if (def.mParamID >= kTemplateSlotCount || !params.GetMidiParamInfo(def.mParamID, info)) {
            AKLog("# MIDI: no parameter %u for a MIDI template; it is left out\n", unsigned(def.mParamID));
            continue;
        }
        QVMidiParamTemplateFill(*def.mTemplate, def, info);
        mTemplates[def.mParamID] = def.mTemplate;
    }
    QVObjectMidiServices::Install(&QVMidiPatcherServices::sShared);
}

void QVMidiGandler::ClearTable()
{
    for (QVMidiParamTemplate*& slot : mTemplates)
        slot = nullptr;
}

void QVMidiGandler::Terminate()
{
    ClearTable();
    if (QVObjectMidiServices::GetInstalled() == &QVMidiPatcherServices::sShared)
        QVObjectMidiServices::Install(nullptr);
}

QVMidiParamTemplate const* QVMidiGandler::GetTemplateByID(uint32_t paramID) const
{
    if (paramID == 0 || paramID >= kTemplateSlotCount)
        return nullptr;
    return mTemplates[paramID];
}

void QVMidiGandler::SetMidiViewNotifier(MidiViewNotifier notifier, void* userData)
{
    mNotifier = notifier;
    mNotifierData = userData;
}

bool QVMidiGandler::BuildMidiMessageFromMidiPacket(uint8_t const* data, int size, QVMidiMessage& message)
{
    return QVMidiMessageDecode(data, size, message);
}

bool QVMidiGandler::HandleReceivedMidiPacket(QVDocument* doc, uint8_t const* data, int size, QVMidiResult* result)
{
    QVMidiResult local;
    bool const decoded = BuildMidiMessageFromMidiPacket(data, size, local.mMessage);
    if (decoded) {
        if (doc != nullptr) {
            QVDocumentTreeGuard::ReadScope read(doc->GetTreeGuard());
            DispatchMidiMessageToObjects(FirstFolderOf<QVObjectFolderSequence>(doc),
                                         FirstFolderOf<QVObjectFolderCursor>(doc), local);
        }
        if (mNotifier != nullptr)
            mNotifier(mNotifierData, doc, local);
    }
    if (data != nullptr && size >= 2 && QVPrefs::sShared.GetMidiLogRawMessages()) {
        AKLog("# MIDI: %s    Raw:[%s]    Match:%u\n", QVMidiMessageGetStringDesc(local.mMessage).c_str(),
              QVMidiMessageGetStringDescFromRaw(data, size).c_str(), unsigned(local.mMatchedCount));
    }
    if (result != nullptr)
        *result = local;
    return decoded;
}

void QVMidiGandler::DispatchMidiMessageToObjects(QVObjectFolderSequence const* sequences,
                                                 QVObjectFolderCursor const* players, QVMidiResult& result) const
{
    if (sequences != nullptr) {
        QVObjectPoolableArray const& list = sequences->GetFLSubSequences();
        for (unsigned int i = 0; i < list.Count(); ++i) {
            QVObjectSequence* const sequence = dynamic_cast<QVObjectSequence*>(list[i]);
            if (sequence == nullptr)
                continue;
            QVObjectPlayableArray const& playables = sequence->GetFLAllPlayables();
            for (unsigned int k = 0; k < playables.Count(); ++k)
                DispatchMidiMessageToObjectsLow(playables[k], result);
            QVObjectTrackArray const& tracks = sequence->GetFLSubTracks();
            for (unsigned int k = 0; k < tracks.Count(); ++k)
                DispatchMidiMessageToObjectsLow(tracks[k], result);
        }
    }
    if (players != nullptr) {
        QVObjectPoolableArray const& list = players->GetFLSubPlayers();
        for (unsigned int i = 0; i < list.Count(); ++i)
            DispatchMidiMessageToObjectsLow(list[i], result);
    }
}

void QVMidiGandler::DispatchMidiMessageToObjectsLow(QVObjectPoolable* object, QVMidiResult& result) const
{
    // An object without patcher has nothing mapped nor learning: no patcher
    // is made here, so the MIDI thread never allocates for an idle object.
    QVMidiPatcher* const patcher = QVMidiPeekPatcher(object);
    if (patcher == nullptr)
        return;
    bool const anyChannel = QVPrefs::sShared.GetMidiLearnAnyChannel();
    std::lock_guard<std::recursive_mutex> lock(patcher->GetLock());
    for (unsigned int i = 0; i < patcher->CountPatches(); ++i) {
        QVMidiParamPatch* const patch = patcher->GetPatch(i);
        if (patch->IsModeLearn()) {
            patch->SetupFromLearnedMidiMessage(result.mMessage, anyChannel);
            // Learning marks the patcher even when the mapping was the same.
            patcher->SetPatcherModified(true);
            ++result.mLearnedCount;
        }
        if (!patch->ItMatchMidiMessage(result.mMessage))
            continue;
        ++result.mMatchedCount;
        if (ControlObjectFromMidiMessage(object, *patch, result.mMessage))
            ++result.mActedCount;
    }
}

bool QVMidiGandler::ControlObjectFromMidiMessage(QVObjectPoolable* object, QVMidiParamPatch const& patch,
                                                 QVMidiMessage const& message)
{
    QVMidiParamTemplate const* const tmpl = patch.GetTemplate();
    if (object == nullptr || tmpl == nullptr || tmpl->mParamID == 0)
        return false;
    if (tmpl->mParamType == kQVMidiParamType_Flag && tmpl->mParamID == kQVPrmID_Play) {
        QVObjectPlayable* const playable = dynamic_cast<QVObjectPlayable*>(object);
        return playable != nullptr &&
               playable->DoUserSmartPlay(QVMidiMessageIsPressed(message), patch.GetDestBehavior());
    }
    QVMidiControlMapping mapping;
    mapping.mParamType = tmpl->mParamType;
    mapping.mNumber = static_cast<uint8_t>(patch.GetMatchMidiNumber());
    mapping.mHasExtraNumbers = tmpl->mExtraNumbers > 0;
    mapping.mValueBegin = patch.GetDestValueBeg();
    mapping.mValueEnd = patch.GetDestValueEnd();
    mapping.mToggle = patch.GetDestBehavior() == kQVStarterBehaviorToggle;
    QVMidiControlSend const send = QVMidiComputeControlSend(mapping, message);
    if (!send.mSend)
        return false;
    return QVParams::SetObjectParameter(object, tmpl->mParamID, send.mIndex, send.mValue, 0.0, false, nullptr);
}
