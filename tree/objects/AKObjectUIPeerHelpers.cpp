// AKObjectUIPeerHelpers: the 'UIPR' chunk and the "UIPeer" key of the
// object base's file and dictionary forms.

#include "AKObjectUIPeer.h"

#include "AKDictionary.h"
#include "AKFile.h"
#include "AKFileChunk.h"
#include "AKFileTypedIO.h"
#include "AKLog.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKValueTyped.h"

#include <memory>
#include <vector>

namespace {

char const* const kUIPeerKey = "UIPeer";

void DropDataBeforeInit(AKObject* object)
{
    if (object->GetUIPeerData() == nullptr)
        return;
    AKLogWarning(kAKWarningObjectInitedHaveUIPeerData,
                 "Init an object of class <%s> that's already contains UI-peer data (fixed)",
                 object->GetClassID().GetName().c_str());
    object->ClearUIPeerData();
}

// Reads the header of the 'UIPR' chunk that comes next and checks that its
// payload lies within the file, before anything that size is allocated.
int ReadUIPeerChunkHeader(AKFile const& file, AKFileChunk* chunk)
{
    chunk->signature = kAKObjectUIPeerSignature;
    int status = AKFileCheckChunkHeader(file, chunk);
    if (status == 0)
        status = AKFileCheckBytesLeft(file, chunk->size);
    return status;
}

// The dictionary of a 'UIPR' payload, read from a copy of the payload alone
// so that it cannot run past the chunk's end.
int ReadUIPeerPayload(AKFile const& file, AKFileChunk const& chunk, AKDictionary* data)
{
    std::vector<unsigned char> payload(chunk.size);
    int status = chunk.size > 0 ? AKFileRead(file, payload.data(), chunk.size) : 0;
    if (status != 0)
        return status;
    AKFile stream(payload.data(), chunk.size);
    status = stream.OpenForRead();
    if (status == 0)
        status = data->ReadFromFile(stream);
    stream.Close();
    if (status == kAKErrorFileCantRead)
        status = AKLogError(kAKErrorChunkUnknownSignature,
                            "In file \"%s\" at pos %u, chunk [UIPR] of %u bytes ends before its data",
                            file.GetLogName(), static_cast<unsigned int>(chunk.position), chunk.size);
    return status;
}

}  // namespace

int AKObjectUIPeerHelpers::UIPeerSkipFromFile(AKFile const& file)
{
    if (!AKFileIsSignat32(file, kAKObjectUIPeerSignature, true))
        return 0;
    AKFileChunk chunk;
    int status = ReadUIPeerChunkHeader(file, &chunk);
    if (status == 0)
        status = AKFileGotoChunkEnd(file, chunk);
    return status;
}

int AKObjectUIPeerHelpers::UIPeerReadFromFile(AKObject* object, AKFile const& file)
{
    DropDataBeforeInit(object);
    if (!AKFileIsSignat32(file, kAKObjectUIPeerSignature, true))
        return 0;
    AKFileChunk chunk;
    AKDictionary data;
    int status = ReadUIPeerChunkHeader(file, &chunk);
    if (status == 0)
        status = ReadUIPeerPayload(file, chunk, &data);
    if (status == 0)
        status = AKFileGotoChunkEnd(file, chunk);
    if (status == 0 && !data.IsEmpty())
        object->SetUIPeerData(new AKDictionary(std::move(data)));
    return status;
}

int AKObjectUIPeerHelpers::UIPeerWriteToFile(AKObject const* object, AKFile& file)
{
    AKDictionary data;
    if (!GatherUIPeerData(object, &data))
        return 0;
    AKFileChunk chunk(kAKObjectUIPeerSignature);
    int status = AKFileWriteChunkHeader(file, chunk);
    if (status == 0)
        status = data.WriteToFile(file);
    if (status == 0)
        status = AKFileWritePadding64(file);
    if (status == 0)
        status = AKFileWriteChunkComplete(file, chunk);
    return status;
}

int AKObjectUIPeerHelpers::UIPeerReadFromDictionary(AKObject* object, AKDictionary const& dictionary)
{
    DropDataBeforeInit(object);
    if (!dictionary.ContainsKey(kUIPeerKey))
        return 0;
    AKDictionary const& data = AKValueGetasAKDictionary(dictionary.GetValue(kUIPeerKey));
    if (!data.IsEmpty())
        object->SetUIPeerData(new AKDictionary(data));
    return 0;
}

int AKObjectUIPeerHelpers::UIPeerWriteToDictionary(AKObject const* object, AKDictionary& dictionary)
{
    AKDictionary data;
    if (GatherUIPeerData(object, &data))
        dictionary.SetValue(kUIPeerKey, AKValueSetasAKDictionary(data));
    return 0;
}

bool AKObjectUIPeerHelpers::GatherUIPeerData(AKObject const* object, AKDictionary* data)
{
    data->Clear();
    if (!object->fUIPeers.IsEmpty()) {
        for (AKObjectUIPeer const* peer : object->fUIPeers)
            peer->UpdateDataFromThisUIPeer(data);
    } else if (object->fUIPeerData != nullptr) {
        *data = *object->fUIPeerData;
    }
    return !data->IsEmpty();
}
