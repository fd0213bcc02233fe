// The UTF-8 twins of the C-style interface: each converts its texts to the
// engine's encoding, calls the plain function and converts the text it
// returns into a string of its own.

#include "AKString.h"
#include "AKStringEncoding.h"
#include "QVUProcs.h"
#include "QVUniversalProcs.h"

namespace {

// An argument converted from UTF-8; null stays null.
class InText
{
public:
    explicit InText(char const* text)
        : mNull(text == nullptr),
          mText(mNull ? AKString()
                      : AKStringCopyWithEncoding(AKString(text), kAKStringEncodingUTF8, kAKStringEncodingMacRoman))
    {}
    char const* c_str() const { return mNull ? nullptr : mText.c_str(); }

private:
    bool mNull;
    AKString mText;
};

// A result converted to UTF-8 into the twin's own string.
void OutText(AKString* own, char const** output)
{
    if (output == nullptr)
        return;
    *own = AKStringCopyWithEncoding(AKString(*output != nullptr ? *output : ""), kAKStringEncodingMacRoman,
                                    kAKStringEncodingUTF8);
    *output = own->c_str();
}

}  // namespace

extern "C" {

int _QX_newProviderWithSoundU8(char const* path, int* provider)
{
    return _QX_newProviderWithSound(InText(path).c_str(), provider);
}

int _QX_getProviderParamStringU8(int provider, char const* key, char const** value)
{
    static AKString sValue;
    sValue = AKString();
    int const status = _QX_getProviderParamString(provider, InText(key).c_str(), value);
    OutText(&sValue, value);
    return status;
}

int _QX_newDocumentU8(char const* name, int* document) { return _QX_newDocument(InText(name).c_str(), document); }

int _QX_openDocumentU8(char const* path, int* document) { return _QX_openDocument(InText(path).c_str(), document); }

int _QX_saveAsDocumentU8(int document, char const* path, unsigned int overwrite)
{
    return _QX_saveAsDocument(document, InText(path).c_str(), overwrite);
}

int _QX_getDocumentParamStringU8(int document, char const* key, char const** value)
{
    static AKString sValue;
    sValue = AKString();
    int const status = _QX_getDocumentParamString(document, InText(key).c_str(), value);
    OutText(&sValue, value);
    return status;
}

int _QX_setObjectParamStringU8(int document, int node, char const* key, char const* text)
{
    return _QX_setObjectParamString(document, node, InText(key).c_str(), InText(text).c_str());
}

int _QX_getObjectParamStringU8(int document, int node, char const* key, char const** text)
{
    static AKString sText;
    sText = AKString();
    int const status = _QX_getObjectParamString(document, node, InText(key).c_str(), text);
    OutText(&sText, text);
    return status;
}

int _QX_createPlayerU8(int document, char const* name, unsigned int subCount, int* player)
{
    return _QX_createPlayer(document, InText(name).c_str(), subCount, player);
}

int _QX_createAndAttachPlayerU8(int document, int sequence, char const* name, unsigned int subCount, int* player)
{
    return _QX_createAndAttachPlayer(document, sequence, InText(name).c_str(), subCount, player);
}

int _QX_createSequenceU8(int document, char const* name, unsigned int withTrack, int* sequence)
{
    return _QX_createSequence(document, InText(name).c_str(), withTrack, sequence);
}

int _QX_createSequenceWithSoundU8(int document, char const* name, char const* path, int* sequence)
{
    return _QX_createSequenceWithSound(document, InText(name).c_str(), InText(path).c_str(), sequence);
}

int _QX_createSequenceWithProviderU8(int document, char const* name, unsigned int provider, int* sequence)
{
    return _QX_createSequenceWithProvider(document, InText(name).c_str(), provider, sequence);
}

int _QX_createAndAddSubTrackU8(int document, int sequence, char const* name, int* track)
{
    return _QX_createAndAddSubTrack(document, sequence, InText(name).c_str(), track);
}

int _QX_setPasteboardNameU8(int pasteboard, char const* name)
{
    return _QX_setPasteboardName(pasteboard, InText(name).c_str());
}

int _QX_getPasteboardNameU8(int pasteboard, char const** name)
{
    static AKString sName;
    sName = AKString();
    int const status = _QX_getPasteboardName(pasteboard, name);
    OutText(&sName, name);
    return status;
}

int _QX_loadPasteboardsU8(char const* path) { return _QX_loadPasteboards(InText(path).c_str()); }

int _QX_savePasteboardsU8(char const* path) { return _QX_savePasteboards(InText(path).c_str()); }

int _QX_audioBounceU8(int document, char const* path, int channels, int bits, unsigned int overwrite, int blockFrames,
                      double duration, double sampleRate, QXBounceProgressProc progress, intptr_t user)
{
    return _QX_audioBounce(document, InText(path).c_str(), channels, bits, overwrite, blockFrames, duration, sampleRate,
                           progress, user);
}

int _QX_commandBounceOnTracksU8(int document, int object, char const* path, QXBounceParam const* param)
{
    return _QX_commandBounceOnTracks(document, object, InText(path).c_str(), param);
}

int _QX_reinitTrackWithSoundU8(int document, int object, char const* path)
{
    return _QX_reinitTrackWithSound(document, object, InText(path).c_str());
}

int _QX_insertTrackWithSoundU8(int document, int object, char const* path, double soundBegin, double soundEnd,
                               double at)
{
    return _QX_insertTrackWithSound(document, object, InText(path).c_str(), soundBegin, soundEnd, at);
}

}  // extern "C"
