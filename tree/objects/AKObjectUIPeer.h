#pragma once

// AKObjectUIPeer: the base of user-interface objects that show a tree object
// and keep state with it. The object stores that state (its UI-peer data, a
// dictionary) while no peer holds it: read with the object, it waits until a
// newly attached peer takes it (UpdateThisUIPeerAfterInit); written with the
// object, it is gathered from the attached peers.
//
// The 'UIPR' chunk in an object's file form: the signature (big-endian), the
// payload size (back-patched), the dictionary's binary form, then zero bytes
// up to the next multiple of 8 of the absolute file position, counted in the
// size. Absent when there is nothing to store.

class AKDictionary;
class AKFile;
class AKObject;

class AKObjectUIPeer
{
public:
    AKObjectUIPeer() = default;
    virtual ~AKObjectUIPeer() = default;

    AKObjectUIPeer(AKObjectUIPeer const&) = delete;
    AKObjectUIPeer& operator=(AKObjectUIPeer const&) = delete;

    // Takes the peer's state from a dictionary.
    virtual void UpdateThisUIPeerFromData(AKDictionary const& data) = 0;
    // Adds the peer's state to a dictionary.
    virtual void UpdateDataFromThisUIPeer(AKDictionary* data) const = 0;

    // The object the peer is attached to, null when detached; changed only
    // by AKObject::AttachUIPeer and DetachUIPeer.
    AKObject* GetObject() const { return fObject; }

    // Hands the object's stored UI-peer data (or the empty dictionary) to
    // this peer and drops the stored copy; false when detached.
    bool UpdateThisUIPeerAfterInit();

private:
    friend class AKObject;
    AKObject* fObject = nullptr;
};

constexpr unsigned int kAKObjectUIPeerSignature = 0x55495052;  // 'UIPR'

// The static operations behind the object base's file and dictionary forms.
class AKObjectUIPeerHelpers
{
public:
    // Moves past a 'UIPR' chunk when one comes next; otherwise leaves the
    // position alone. 0 when there is none.
    static int UIPeerSkipFromFile(AKFile const& file);
    // Reads a 'UIPR' chunk when one comes next; a non-empty dictionary becomes
    // the object's UI-peer data (replacing any, with
    // kAKWarningObjectInitedHaveUIPeerData).
    static int UIPeerReadFromFile(AKObject* object, AKFile const& file);
    // Writes the chunk when the gathered data is not empty.
    static int UIPeerWriteToFile(AKObject const* object, AKFile& file);
    // Reads the key "UIPeer"; always 0.
    static int UIPeerReadFromDictionary(AKObject* object, AKDictionary const& dictionary);
    // Writes "UIPeer" when the gathered data is not empty; always 0.
    static int UIPeerWriteToDictionary(AKObject const* object, AKDictionary& dictionary);

    // The data to store: gathered from the attached peers in order, else a
    // copy of the stored data. False when that is empty.
    static bool GatherUIPeerData(AKObject const* object, AKDictionary* data);
};
