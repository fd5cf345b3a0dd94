#pragma once
// Typing on the shared on-screen keyboard and pressing skinned buttons, as a finger does.
#include <QTest>
#include <string>

#include "skin/keyboard.h"
#include "skin/skin_button.h"

namespace tunecrest::test {

inline void Press(TmySkinButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

// Types `text` key by key (letters as the keyboard's capitals; kKeyBackspace erases).
inline void TypeOnKeyboard(const std::string& text) {
    for (char c : text) {
        const int code = (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
        for (int i = 0; i < kKeyboardKeyCount; ++i)
            if (kKeyboardKeys[size_t(i)].Code == code) Press(Keyboard().Key(i));
    }
}

}  // namespace tunecrest::test
