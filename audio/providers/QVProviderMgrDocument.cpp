// QVProviderMgr: the providers documents use, and a document's "Providers"
// list.

#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKValueTyped.h"
#include "QVAudioServices.h"
#include "QVProviderMgr.h"

namespace {

typedef ATNumberArray<unsigned char, unsigned char, 0> MarkArray;

constexpr char kKeyProviders[] = "Providers";
constexpr char kKeyID[] = "ID";
constexpr char kKeyPath[] = "Path";
constexpr char kKeyPathRel[] = "PathRel";
constexpr char kKeyInfo[] = "Info";

struct ReadEntry {
    QVProviderID id;
    AKFilePath path;
    QVAudioInfo savedInfo;
};

}  // namespace

QVProviderID QVProviderMgr::LargestID() const
{
    QVProviderID largest = kQVNullProviderID;
    for (QVProvider* provider : mProviders)
        if (provider->GetID() > largest)
            largest = provider->GetID();
    return largest;
}

void QVProviderMgr::MarkDocument(MarkArray* marks, QVDocument const* document) const
{
    if (document != nullptr)
        QVAudioServices::Get().GrabActiveProviders(document, marks);
}

void QVProviderMgr::ListMarked(MarkArray const& marks, bool marked, ATArray<QVProvider*>* providers) const
{
    providers->Clear();
    ATArray<QVProvider*> byID = mProviders;
    byID.Sort([](QVProvider* a, QVProvider* b) { return a->GetID() < b->GetID(); }, true);
    for (QVProvider* provider : byID) {
        QVProviderID const id = provider->GetID();
        bool const isMarked = id < marks.Count() && marks[id] != 0;
        if (isMarked == marked)
            providers->Push(provider);
    }
}

void QVProviderMgr::LowGrabActiveProvidersInDocument(ATArray<QVProvider*>* providers, QVDocument const* document) const
{
    if (providers == nullptr)
        return;
    MarkArray marks;
    marks.SetCount(LargestID() + 1);
    MarkDocument(&marks, document);
    ListMarked(marks, true, providers);
}

void QVProviderMgr::GrabActiveProviderIDsInDocument(QVProviderIDArray* ids, QVDocument const* document) const
{
    if (ids == nullptr)
        return;
    ATArray<QVProvider*> providers;
    LowGrabActiveProvidersInDocument(&providers, document);
    ids->Clear();
    for (QVProvider* provider : providers)
        ids->Push(provider->GetID());
}

void QVProviderMgr::LowGrabInactiveProvidersInAllDocuments(ATArray<QVProvider*>* providers) const
{
    if (providers == nullptr)
        return;
    MarkArray marks;
    marks.SetCount(LargestID() + 1);
    ATArray<QVDocument*> documents;
    QVAudioServices::Get().GetOpenDocuments(&documents);
    for (QVDocument* document : documents)
        MarkDocument(&marks, document);
    QVAudioServices::Get().GetBounceUsedPrivateDocuments(&documents);
    for (QVDocument* document : documents)
        MarkDocument(&marks, document);
    ListMarked(marks, false, providers);
}

int QVProviderMgr::ReadMoreFromDictionary(AKDictionary const& dictionary, AKFilePath const& folder,
                                          QVProviderRenum* renum)
{
    if (renum != nullptr)
        renum->Clear();
    ATArray<ReadEntry> entries;
    AKValueArray const& list = AKValueGetasAKValueArray(dictionary.GetValue(kKeyProviders));
    for (AKValue const& element : list) {
        AKDictionary const& fields = AKValueGetasAKDictionary(element);
        if (fields.IsEmpty())
            continue;
        ReadEntry entry{kQVNullProviderID, AKFilePath(), kQVNullAudioInfo};
        bool const hasID = AKValueGetasQVProviderID(fields.GetValue(kKeyID), &entry.id) && entry.id != 0;
        bool hasPath = AKValueGetasAKFilePath(fields.GetValue(kKeyPath), &entry.path) && !entry.path.IsEmpty();
        AKFilePath relative;
        bool const hasRelative = AKValueGetasAKFilePath(fields.GetValue(kKeyPathRel), &relative) && !relative.IsEmpty();
        entry.savedInfo.ReadFromValue(fields.GetValue(kKeyInfo), false);
        // The document and its sounds may have moved together.
        if (hasRelative && !AKFileUtils::FileExists(entry.path)) {
            AKFilePath absolute = relative;
            if (absolute.MakeAbsolute(folder)) {
                entry.path = absolute;
                hasPath = true;
            }
        }
        if (hasID && hasPath)
            entries.Push(entry);
        else
            AKLogWarning(kQVWarningProviderIncompleteField, "Incomplete provider field in document file");
    }

    bool collision = false;
    for (ReadEntry const& entry : entries) {
        QVProvider* provider = RegisterProvider(entry.path);
        if (provider == nullptr) {
            collision = true;
            continue;
        }
        provider->SetSavedInfo(entry.savedInfo);
        if (renum != nullptr && !renum->AddEntry(entry.id, provider->GetID()))
            collision = true;
    }
    if (collision)
        AKLogWarning(kQVWarningProviderRenumberCollision,
                     "Collision detected between IDs in the provider-renumberer while parsing document");
    return 0;
}

int QVProviderMgr::WriteLinkedToDictionary(AKDictionary* dictionary, AKFilePath const& folder,
                                           QVDocument const* document) const
{
    if (dictionary == nullptr)
        return 0;
    ATArray<QVProvider*> providers;
    LowGrabActiveProvidersInDocument(&providers, document);
    AKValueArray list;
    for (QVProvider* provider : providers) {
        AKDictionary fields;
        fields.SetValue(kKeyID, AKValueSetasQVProviderID(provider->GetID()));
        fields.SetValue(kKeyPath, AKValueSetasAKFilePath(provider->GetPath()));
        AKFilePath relative = provider->GetPath();
        relative.MakeRelative(folder);
        fields.SetValue(kKeyPathRel, AKValueSetasAKFilePath(relative));
        AKValue info;
        QVAudioInfo const& shape = provider->GetFileInfo().IsValid()
                                       ? static_cast<QVAudioInfo const&>(provider->GetFileInfo())
                                       : provider->GetSavedInfo();
        shape.WriteToValue(&info);
        fields.SetValue(kKeyInfo, info);
        list.Push(AKValueSetasAKDictionary(fields));
    }
    if (!list.IsEmpty())
        dictionary->SetValue(kKeyProviders, AKValueSetasAKValueArray(list));
    return 0;
}
