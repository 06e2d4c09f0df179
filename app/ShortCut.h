#pragma once

#include <QFlags>
#include <QString>
#include <Qt>

// Shortcut values as the shortcut key file stores them: 16 bits, the key's virtual key code in the
// low byte, plus 0x2000 for Shift, 0x4000 for Ctrl and 0x8000 for Alt; 0 is no shortcut. One table
// maps each virtual key code to a Qt key and a name, so a value goes to a key sequence and back
// unchanged. A key without a virtual key code (a media key, a dead key) has no value: 0.
using TShortCut = quint16;

constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scModifierMask = scShift | scCtrl | scAlt;
// The key part as the file writes it (the value without its three modifier bits).
constexpr TShortCut scKeyMask = 0x1FFF;

// The virtual key code of a Qt key, 0 when it has none. keypad: the key came from the numeric
// keypad. Shifted symbols of a US layout ("!", "+", ...) give the code of their key.
int VirtualKeyOfQtKey(int qtKey, bool keypad);
// The Qt key of a virtual key code (Qt::Key_unknown when the code is not in the table); keypad is
// set for the numeric keypad's keys.
int QtKeyOfVirtualKey(int virtualKey, bool* keypad = nullptr);
// The readable name of a virtual key code ("A", "F1", "PgDn", "BkSp", "Num 5"); empty when unknown.
QString VirtualKeyName(int virtualKey);

// The value of a Qt key combination (Shift, Ctrl, Alt and the keypad flag are read; Meta is not
// part of any value: a combination holding it gives 0).
TShortCut ShortCutFromKeyCombination(QKeyCombination combination);
// The Qt key combination of a value; an empty combination (Qt::Key_unknown) for 0 or a code
// the table does not know.
QKeyCombination KeyCombinationFromShortCut(TShortCut shortCut);

// The shortcut's text: "Shift+", "Ctrl+", "Alt+" as present, in this order, then the key's name
// ("Ctrl+Q", "Shift+Ctrl+T", "F1"); empty for 0 or an unknown key.
QString ShortCutToText(TShortCut shortCut);
// The reverse: the three modifier prefixes in any order and case, then a key name (any case).
// 0 when the text names no known key.
TShortCut TextToShortCut(const QString& text);

// Modifiers as the shortcut key file names them, in the file's order.
enum TShiftStateFlag : unsigned {
    ssCtrl = 0x001,
    ssShift = 0x002,
    ssAlt = 0x004,
    ssLeft = 0x008,
    ssRight = 0x010,
    ssMiddle = 0x020,
    ssDouble = 0x040,
    ssTouch = 0x080,
    ssPen = 0x100,
};
Q_DECLARE_FLAGS(TShiftState, TShiftStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TShiftState)

// "Ctrl+", "Shift+", "Alt+", "Left+", "Right+", "Middle+", "Double+", "Touch+", "Pen+" for the
// modifiers held, in this order; empty for none.
QString ShiftStateToText(TShiftState state);
// Every modifier whose name occurs anywhere in the text (exact case); order does not matter.
TShiftState TextToShiftState(const QString& text);

// The stored form of a value: "%d,%s" of its key part and ShiftStateToText of its modifiers
// ("81,Ctrl+", "112,", "0,").
QString ShortCutToStoredText(TShortCut shortCut);
// Reads a stored value. False when the text gives no value (empty, or its first comma-separated
// part is not an integer by the INI rules): the caller keeps what it had. A key part above 255
// reads as 0 (no shortcut). A key part without a comma ("81") is a key without modifiers.
bool StoredTextToShortCut(const QString& text, TShortCut* shortCut);
