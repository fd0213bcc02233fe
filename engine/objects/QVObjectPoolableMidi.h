#pragma once

// The MIDI patcher that every poolable owns, as the engine sees it: the
// object keeps it and hands it its part of the object's two persistent
// forms. The patchers themselves (their patches, learning, dispatch) belong
// to the MIDI control layer, which installs QVObjectMidiServices at start to
// make them; the engine never reaches that layer otherwise.
//
// Without installed services, a poolable keeps its mappings as they were
// read (QVPoolableMidiStore) and writes them back unchanged, so an engine
// started without MIDI control loses nothing of a document.

#include <atomic>

class AKDictionary;
class AKFile;
class QVObjectPoolable;

class QVObjectMidiPatcher
{
public:
    virtual ~QVObjectMidiPatcher() = default;

    // The 'MIDI' chunk after the poolable's bytes; restore 0 when the
    // history re-initialises an existing object (the patches are kept).
    virtual int InitFromFile(AKFile const& file, unsigned int restore) = 0;
    virtual int WriteToFile(AKFile& file) const = 0;
    // The "MidiPatcher" entry of the owner's dictionary.
    virtual int InitFromDictionary(AKDictionary const& dictionary) = 0;
    virtual int WriteToDictionary(AKDictionary& dictionary) const = 0;
};

class QVObjectMidiServices
{
public:
    virtual ~QVObjectMidiServices() = default;

    // A new patcher for the owner, whose class is complete by then; null
    // when none can be made.
    virtual QVObjectMidiPatcher* CreateMidiPatcher(QVObjectPoolable* owner) const = 0;

    // Null uninstalls. The services must outlive every patcher they made
    // while installed; any thread may ask for the installed ones.
    static void Install(QVObjectMidiServices const* services);
    static QVObjectMidiServices const* GetInstalled();

private:
    static std::atomic<QVObjectMidiServices const*> sInstalled;
};
