// QVProviderReaderFactory: the providers' readers.

#include "QVProviderReaderFactory.h"

#include "QVSoundFileReader.h"

namespace {

QVProviderReaderFactory::Maker sMaker = nullptr;

}  // namespace

QVSoundFileReader* QVProviderReaderFactory::NewReader(AKFilePath const& path)
{
    return sMaker != nullptr ? sMaker(path) : QVSoundFileReader::New(path, true);
}

void QVProviderReaderFactory::SetMakerForTesting(Maker maker) { sMaker = maker; }
