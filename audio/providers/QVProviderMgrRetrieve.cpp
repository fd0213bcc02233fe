// QVProviderMgr: relinking lost sounds found in a folder.

#include "AKFileUtils.h"
#include "AKLog.h"
#include "QVProviderMgr.h"
#include "QVSoundFileReader.h"

namespace {

// An MP3 file's frame count is only known within this many frames.
constexpr unsigned long long kMp3FrameTolerance = 4096;
constexpr unsigned int kReservedItems = 20;

struct QVRetrieveItem {
    QVProviderID id;
    AKString fileName;
    QVAudioInfo savedShape;
    bool found;
    AKFilePath foundPath;
};

struct RetrieveWalk {
    ATArray<QVRetrieveItem> items;
    bool weak;
    unsigned int found = 0;
    unsigned int weakMatches = 0;
};

bool ShapesMatch(QVAudioInfo const& item, QVAudioFileInfo const& file)
{
    if (item.channelCount != file.channelCount || item.sampleRate != file.sampleRate)
        return false;
    if (item.frameCount == file.frameCount)
        return true;
    if (QVAudioFormatToAKString(file.format) != AKString("mp3"))
        return false;
    unsigned long long const difference =
        item.frameCount > file.frameCount ? item.frameCount - file.frameCount : file.frameCount - item.frameCount;
    return difference <= kMp3FrameTolerance;
}

bool MatchFile(AKFilePath const& path, void* data)
{
    auto* walk = static_cast<RetrieveWalk*>(data);
    AKString const name = path.FileName();
    unsigned int first = 0;
    unsigned int const count = walk->items.Count();
    while (first < count && (walk->items[first].found || !(walk->items[first].fileName == name)))
        ++first;
    if (first == count)
        return true;

    QVAudioFileInfo info;
    if (QVSoundFileReader::ReadSoundInfo(path, &info, nullptr, nullptr) != 0 || !info.IsValid())
        return true;
    for (unsigned int i = first; i < count && walk->items[i].fileName == name; ++i) {
        QVRetrieveItem& item = walk->items[i];
        if (item.found)
            continue;
        bool match = false;
        if (item.savedShape.IsValid()) {
            match = ShapesMatch(item.savedShape, info);
        } else if (walk->weak) {
            match = true;
            ++walk->weakMatches;
        }
        if (match) {
            item.found = true;
            item.foundPath = path;
            ++walk->found;
        }
    }
    return walk->found < count;
}

}  // namespace

int QVProviderMgr::RetrieveAllLostSounds(AKFilePath const& folder, bool weak, unsigned int* lost,
                                         unsigned int* retrieved, unsigned int* weakCount, unsigned int* duplicates)
{
    RetrieveWalk walk;
    walk.items.Reserve(kReservedItems);
    walk.weak = weak;
    unsigned int withoutShape = 0;
    for (QVProvider* provider : GetSortedProviders()) {
        if (provider->GetError() != kQVProviderErrorNotFound)
            continue;
        QVAudioInfo shape = provider->GetFileInfo().IsValid() ? static_cast<QVAudioInfo const&>(provider->GetFileInfo())
                                                              : provider->GetSavedInfo();
        if (!shape.IsValid())
            ++withoutShape;
        walk.items.Push(QVRetrieveItem{provider->GetID(), provider->GetPath().FileName(), shape, false, AKFilePath()});
    }

    int status = 0;
    unsigned int removed = 0;
    unsigned int const itemCount = walk.items.Count();
    if (itemCount > 0 && (weak || withoutShape < itemCount)) {
        AKFilePath directory = folder;
        directory.ForceDirectorySyntax();
        status = AKFileUtils::ParseDirectory(directory, true, MatchFile, &walk);
        if (status == 0 && walk.found > 0) {
            for (QVRetrieveItem const& item : walk.items) {
                if (!item.found)
                    continue;
                AKString idForm;
                idForm.Appendf("#%u", item.id);
                ReplaceSoundProvider(AKFilePath(idForm), item.foundPath, false);
            }
            RemoveUnusedDuplicates(&removed);
        }
    }
    if (status != 0) {
        walk.found = 0;
        walk.weakMatches = 0;
        removed = 0;
    }

    AKString sentence;
    sentence.Appendf("# PROVIDERS: Has retrieved %u sound(s) on a total of %u.", walk.found, itemCount);
    if (removed > 0)
        sentence.Appendf(" %u duplicate(s) have been removed.", removed);
    if (walk.weakMatches > 0)
        sentence.Appendf(" WARNING: %u of those sound(s) have been identified weakly (only by their file name).",
                         walk.weakMatches);
    sentence.Append("\n");
    AKLog("%s", sentence.c_str());

    if (lost != nullptr)
        *lost = status != 0 ? 0 : itemCount;
    if (retrieved != nullptr)
        *retrieved = walk.found;
    if (weakCount != nullptr)
        *weakCount = walk.weakMatches;
    if (duplicates != nullptr)
        *duplicates = removed;
    return status;
}
