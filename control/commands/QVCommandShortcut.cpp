#include "QVCommandShortcut.h"

#include "AKStringArray.h"

namespace {

// The function key number of "F1" to "F16", else 0.
unsigned int ReadFunctionKey(std::string const& word)
{
    if ((word.size() != 2 && word.size() != 3) || word[0] != 'F')
        return 0;
    unsigned int number = 0;
    for (std::size_t i = 1; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9')
            return 0;
        number = number * 10 + static_cast<unsigned int>(word[i] - '0');
    }
    return number >= 1 && number <= kQVShortcutFunctionKeyMax ? number : 0;
}

bool IsPrintableKey(std::string const& word)
{
    return word.size() == 1 && static_cast<unsigned char>(word[0]) >= 33 && static_cast<unsigned char>(word[0]) <= 126;
}

void SetKey(QVCommandShortcut* shortcut, QVShortcutKeyKind kind, char character, unsigned int functionKey)
{
    shortcut->mKeyKind = kind;
    shortcut->mCharacter = character;
    shortcut->mFunctionKey = functionKey;
    if (kind == kQVShortcutKeyCharacter)
        shortcut->mModifiers |= kQVShortcutModifierCommand;
    else
        shortcut->mModifiers &= ~kQVShortcutModifierCommand;
}

}  // namespace

QVCommandShortcut QVCommandShortcut::Parse(AKString const& text)
{
    AKString upper(text);
    upper.ToUpperCase();

    QVCommandShortcut shortcut;
    for (AKString const& token : upper.SplitToArray(" \t", "")) {
        std::string const& word = token.StdString();
        if (word == "TICK") {
            shortcut.mIsToggle = true;
        } else if (word == "SHIFT") {
            shortcut.mModifiers |= kQVShortcutModifierShift;
        } else if (word == "ALT") {
            shortcut.mModifiers |= kQVShortcutModifierAlt;
        } else if (word == "DEL") {
            SetKey(&shortcut, kQVShortcutKeyForwardDelete, 0, 0);
        } else if (unsigned int const functionKey = ReadFunctionKey(word); functionKey != 0) {
            SetKey(&shortcut, kQVShortcutKeyFunction, 0, functionKey);
        } else if (IsPrintableKey(word)) {
            char const key = word[0] >= 'A' && word[0] <= 'Z' ? static_cast<char>(word[0] - 'A' + 'a') : word[0];
            SetKey(&shortcut, kQVShortcutKeyCharacter, key, 0);
        }
    }
    return shortcut;
}
