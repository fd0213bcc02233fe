#pragma once

// QVCommandShortcut: the default keystroke of a command, read from the
// shortcut words of its table entry. The menu layer registers it with the
// command. The text is upper-cased and split at blanks; each word, in order:
//   "TICK"     the command is a toggle; names no key
//   "SHIFT"    adds Shift
//   "ALT"      adds Option (Alt)
//   "DEL"      the forward-delete key, without Command
//   "F1".."F16" that function key, without Command
//   one printable ASCII character (codes 33 to 126): that key, lower-cased,
//              with Command
// Any other word is ignored. When several words name a key the last one
// counts, and the Command modifier goes with the key that counts. Without a
// key word the command has no default keystroke (modifiers and the toggle
// mark may still be set).
//
// "R SHIFT" is Command-Shift-R; "C SHIFT ALT TICK" Command-Shift-Option-C on
// a toggle; "F2 TICK" F2 alone on a toggle; "DEL" forward delete alone; ","
// Command-comma.

#include "AKString.h"

enum QVShortcutKeyKind {
    kQVShortcutKeyNone = 0,
    kQVShortcutKeyCharacter,
    kQVShortcutKeyFunction,
    kQVShortcutKeyForwardDelete,
};

constexpr unsigned int kQVShortcutModifierCommand = 0x1;
constexpr unsigned int kQVShortcutModifierShift = 0x2;
constexpr unsigned int kQVShortcutModifierAlt = 0x4;

constexpr unsigned int kQVShortcutFunctionKeyMax = 16;

struct QVCommandShortcut {
    QVShortcutKeyKind mKeyKind = kQVShortcutKeyNone;
    // The key of a character shortcut, lower-cased; 0 otherwise.
    char mCharacter = 0;
    // 1 to 16 for a function key; 0 otherwise.
    unsigned int mFunctionKey = 0;
    // kQVShortcutModifier... bits.
    unsigned int mModifiers = 0;
    bool mIsToggle = false;

    bool HasKeystroke() const { return mKeyKind != kQVShortcutKeyNone; }

    static QVCommandShortcut Parse(AKString const& text);
};
