#pragma once

// QVProviderReaderFactory: where providers get the reader that decodes their
// file. By default the sound-file reader factory opens it; a test may put a
// reader of its own in its place to play files that lie about their length.

#include "AKFilePath.h"

class QVSoundFileReader;

class QVProviderReaderFactory
{
public:
    using Maker = QVSoundFileReader* (*)(AKFilePath const& path);

    // An open reader of the path, or null; the caller owns it.
    static QVSoundFileReader* NewReader(AKFilePath const& path);
    // Null restores the sound-file reader factory. Main thread, no load running.
    static void SetMakerForTesting(Maker maker);
};
