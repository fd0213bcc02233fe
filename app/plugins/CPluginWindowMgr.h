#pragma once

// CPluginWindowMgr: the floating windows that show plug-in editors. One
// current window follows whatever instance is shown next and remembers the
// instances it showed for back-and-forth navigation; a window the user holds
// stays frozen on its instance, and any number may be held. The current
// window is hidden and emptied when closed, then reused; a held window is
// deleted when closed. An instance is shown in one window at most.
//
// Main thread only, except NotifyPluginBypassHasChanged, which may be called
// from any thread: off the message thread the notification is posted to it.
// Terminate closes every window before the toolkit shuts down.

#include "ATArray.h"
#include "QVPluginInstance.h"

class CPluginWindow;

class CPluginWindowMgr
{
public:
    static CPluginWindowMgr sShared;

    CPluginWindowMgr() = default;
    // The windows must be gone by now (Terminate): the toolkit may be too.
    ~CPluginWindowMgr() = default;

    CPluginWindowMgr(CPluginWindowMgr const&) = delete;
    CPluginWindowMgr& operator=(CPluginWindowMgr const&) = delete;

    // Shows (brought to the front with focus) or hides the editor of a live
    // toolkit instance; false for any other instance, when showing finds no
    // editor, or when hiding finds no window.
    bool ShowPluginWindow(QVInstanceID id, bool show);
    // Freezes the current window on its instance; the next editor shown
    // opens a new current window. False without a current window.
    bool HoldCurrentPluginWindow();
    // The window showing the instance: the current one first (when
    // includeCurrent), then the held ones in order; null for ID 0 or none.
    CPluginWindow* GetPluginWindow(QVInstanceID id, bool includeCurrent) const;
    // Sets the bypass button of the window showing the instance from the
    // instance's bypass request. Any thread: off the message thread the call
    // is posted there and the answer tells whether it was posted.
    bool NotifyPluginBypassHasChanged(QVInstanceID id);
    // Closes the window of an instance being deleted, whose ID no longer
    // resolves; the editor goes before the plug-in it edits.
    void ForgetPluginInstance(QVInstanceID id);

    void Terminate() { CloseAllPluginWindows(); }
    // Deletes the held windows (last first), then the current one.
    void CloseAllPluginWindows();

    CPluginWindow* GetCurrentPluginWindow() const { return mCurrent; }
    ATArray<CPluginWindow*> const& GetHeldPluginWindows() const { return mHeld; }

    // Hides a window the way its close button does: the current window is
    // hidden and emptied, a held one deleted (do not use it afterwards).
    void ClosePluginWindow(CPluginWindow* window);

private:
    CPluginWindow* mCurrent = nullptr;
    ATArray<CPluginWindow*> mHeld;
};
