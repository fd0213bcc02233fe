#pragma once

// QVObjectPlayable: the base of every document object that plays (the
// sequence, the single player, the multi-player), a poolable. This holds the one audio
// effect plug-in a playable may carry: its UID, the live instance made by
// the plug-in manager, and the stamp that moves when the plug-in or its
// bypass changes.
//
// The instance is replaced on the main thread; the audio thread reads the
// pointer once per block. A released instance is deleted by the plug-in
// manager some idle passes later, never while a block may still use it.

#include "AKStamps.h"
#include "QVObjectPoolable.h"
#include "QVPluginDescUID.h"

class QVDocument;
class QVPluginInstance;

class QVObjectPlayable : public QVObjectPoolable
{
public:
    AKCLASS_DECLARE_HOOKS("playab")

    // Releases the plug-in instance to the plug-in manager.
    ~QVObjectPlayable() override;

    // Null when the playable carries no plug-in, or its plug-in could not be
    // created.
    QVPluginInstance* GetPluginInstance() const { return mPluginInstance; }
    QVPluginDescUID GetPluginUID() const { return mPluginUID; }
    // Moves when a plug-in is attached and when its bypass changes.
    unsigned int GetPluginStamp() const { return mPluginStamp; }

    // Stores the UID and renews the instance, without state; true (plug-in
    // stamp moved, modified) when the UID changed.
    virtual bool AttachPlugin(QVPluginDescUID uid);
    // 0 processes, 1 bypasses, 2 or more toggles. False without an instance;
    // otherwise whether the instance's bypass request changed (plug-in stamp
    // moved, modified).
    virtual bool SetPluginBypass(unsigned int bypass);
    // The bypass asked for; false without an instance.
    bool IsPluginBypass() const;

    // The playable of any open document that carries the instance, with its
    // document (may be null); null when none does.
    static QVObjectPlayable* FindCarrierOfPlugin(QVPluginInstance const& instance, QVDocument** document);

protected:
    explicit QVObjectPlayable(unsigned int options);

    // Keeps an instance of the playable's UID; releases one of another UID
    // and asks the plug-in manager for a new one.
    void LowUpdatePlugin();

private:
    void RaisePluginStamp();

    QVPluginInstance* mPluginInstance = nullptr;
    QVPluginDescUID mPluginUID = kQVNullPluginDescUID;
    unsigned int mPluginStamp = kAKNullStampVers;
};
