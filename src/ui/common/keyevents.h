#pragma once

class QKeyEvent;

// A key that changes nothing by itself: Shift, Ctrl, Alt, AltGr or Meta alone,
// or any key pressed together with Ctrl or Alt (a shortcut or a mnemonic).
bool isModifierOrShortcut(const QKeyEvent *event);
