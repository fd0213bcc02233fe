// Reading a command's shortcut words into a keystroke: the key words, the
// modifiers that go with them, the toggle mark, and words that name nothing.

#include "QVCommandShortcut.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr unsigned int kCmd = kQVShortcutModifierCommand;
constexpr unsigned int kShift = kQVShortcutModifierShift;
constexpr unsigned int kAlt = kQVShortcutModifierAlt;

struct Case {
    char const* words;
    QVShortcutKeyKind kind;
    char character;
    unsigned int functionKey;
    unsigned int modifiers;
    bool toggle;
};

void ExpectShortcut(Case const& c)
{
    SCOPED_TRACE(std::string("\"") + c.words + "\"");
    QVCommandShortcut const shortcut = QVCommandShortcut::Parse(AKString(c.words));
    EXPECT_EQ(shortcut.mKeyKind, c.kind);
    EXPECT_EQ(shortcut.mCharacter, c.character);
    EXPECT_EQ(shortcut.mFunctionKey, c.functionKey);
    EXPECT_EQ(shortcut.mModifiers, c.modifiers);
    EXPECT_EQ(shortcut.mIsToggle, c.toggle);
    EXPECT_EQ(shortcut.HasKeystroke(), c.kind != kQVShortcutKeyNone);
}

TEST(QVCommandShortcutTest, KeyWordsAndModifiers)
{
    Case const cases[] = {
        {"R SHIFT", kQVShortcutKeyCharacter, 'r', 0, kCmd | kShift, false},
        {"C SHIFT ALT TICK", kQVShortcutKeyCharacter, 'c', 0, kCmd | kShift | kAlt, true},
        {"F2 TICK", kQVShortcutKeyFunction, 0, 2, 0, true},
        {"DEL", kQVShortcutKeyForwardDelete, 0, 0, 0, false},
        {",", kQVShortcutKeyCharacter, ',', 0, kCmd, false},
        {". SHIFT", kQVShortcutKeyCharacter, '.', 0, kCmd | kShift, false},
        {"+", kQVShortcutKeyCharacter, '+', 0, kCmd, false},
        {"F", kQVShortcutKeyCharacter, 'f', 0, kCmd, false},
        {"F1", kQVShortcutKeyFunction, 0, 1, 0, false},
        {"F16", kQVShortcutKeyFunction, 0, 16, 0, false},
        {"A ALT", kQVShortcutKeyCharacter, 'a', 0, kCmd | kAlt, false},
        // Upper-cased first, any run of blanks separates words.
        {"r shift", kQVShortcutKeyCharacter, 'r', 0, kCmd | kShift, false},
        {"  m\ttick ", kQVShortcutKeyCharacter, 'm', 0, kCmd, true},
        {"del shift", kQVShortcutKeyForwardDelete, 0, 0, kShift, false},
    };
    for (Case const& c : cases)
        ExpectShortcut(c);
}

TEST(QVCommandShortcutTest, TheLastKeyWordCountsWithItsOwnModifier)
{
    Case const cases[] = {
        {"A B", kQVShortcutKeyCharacter, 'b', 0, kCmd, false},
        {"R DEL", kQVShortcutKeyForwardDelete, 0, 0, 0, false},
        {"F5 Z SHIFT", kQVShortcutKeyCharacter, 'z', 0, kCmd | kShift, false},
        {"Z SHIFT F5", kQVShortcutKeyFunction, 0, 5, kShift, false},
    };
    for (Case const& c : cases)
        ExpectShortcut(c);
}

TEST(QVCommandShortcutTest, WithoutAKeyWordThereIsNoKeystroke)
{
    Case const cases[] = {
        {"", kQVShortcutKeyNone, 0, 0, 0, false},
        {"   ", kQVShortcutKeyNone, 0, 0, 0, false},
        {"TICK", kQVShortcutKeyNone, 0, 0, 0, true},
        {"SHIFT ALT", kQVShortcutKeyNone, 0, 0, kShift | kAlt, false},
        // Words that name nothing are skipped.
        {"F0", kQVShortcutKeyNone, 0, 0, 0, false},
        {"F17", kQVShortcutKeyNone, 0, 0, 0, false},
        {"F1X", kQVShortcutKeyNone, 0, 0, 0, false},
        {"F100", kQVShortcutKeyNone, 0, 0, 0, false},
        {"CTRL", kQVShortcutKeyNone, 0, 0, 0, false},
        {"AB", kQVShortcutKeyNone, 0, 0, 0, false},
        {"DELETE TICKS", kQVShortcutKeyNone, 0, 0, 0, false},
        {"\x7F", kQVShortcutKeyNone, 0, 0, 0, false},
        {"\xA5", kQVShortcutKeyNone, 0, 0, 0, false},
        {"\x01", kQVShortcutKeyNone, 0, 0, 0, false},
        // A bad word does not undo an earlier key.
        {"Q F99", kQVShortcutKeyCharacter, 'q', 0, kCmd, false},
    };
    for (Case const& c : cases)
        ExpectShortcut(c);
}

}  // namespace
