#include "app/ShortCut.h"

#include "app/Ini.h"

#include <QStringList>

#include <array>

using namespace Qt::StringLiterals;

namespace {

struct KeyEntry
{
    int virtualKey;
    int qtKey;
    bool keypad;
    const char16_t* name; // Qt's portable key name, with BkSp, PgUp, PgDn, Ins and Del
};

// Every key a shortcut can use, by virtual key code. Letters and digits are generated below.
constexpr KeyEntry NamedKeys[] = {
    {0x08, Qt::Key_Backspace, false, u"BkSp"},
    {0x09, Qt::Key_Tab, false, u"Tab"},
    {0x0D, Qt::Key_Return, false, u"Return"},
    {0x13, Qt::Key_Pause, false, u"Pause"},
    {0x1B, Qt::Key_Escape, false, u"Esc"},
    {0x20, Qt::Key_Space, false, u"Space"},
    {0x21, Qt::Key_PageUp, false, u"PgUp"},
    {0x22, Qt::Key_PageDown, false, u"PgDn"},
    {0x23, Qt::Key_End, false, u"End"},
    {0x24, Qt::Key_Home, false, u"Home"},
    {0x25, Qt::Key_Left, false, u"Left"},
    {0x26, Qt::Key_Up, false, u"Up"},
    {0x27, Qt::Key_Right, false, u"Right"},
    {0x28, Qt::Key_Down, false, u"Down"},
    {0x2C, Qt::Key_Print, false, u"Print"},
    {0x2D, Qt::Key_Insert, false, u"Ins"},
    {0x2E, Qt::Key_Delete, false, u"Del"},
    {0x60, Qt::Key_0, true, u"Num 0"},
    {0x61, Qt::Key_1, true, u"Num 1"},
    {0x62, Qt::Key_2, true, u"Num 2"},
    {0x63, Qt::Key_3, true, u"Num 3"},
    {0x64, Qt::Key_4, true, u"Num 4"},
    {0x65, Qt::Key_5, true, u"Num 5"},
    {0x66, Qt::Key_6, true, u"Num 6"},
    {0x67, Qt::Key_7, true, u"Num 7"},
    {0x68, Qt::Key_8, true, u"Num 8"},
    {0x69, Qt::Key_9, true, u"Num 9"},
    {0x6A, Qt::Key_Asterisk, true, u"Num *"},
    {0x6B, Qt::Key_Plus, true, u"Num Plus"},
    {0x6D, Qt::Key_Minus, true, u"Num Minus"},
    {0x6E, Qt::Key_Period, true, u"Num ."},
    {0x6F, Qt::Key_Slash, true, u"Num /"},
    {0xBA, Qt::Key_Semicolon, false, u";"},
    {0xBB, Qt::Key_Equal, false, u"="},
    {0xBC, Qt::Key_Comma, false, u","},
    {0xBD, Qt::Key_Minus, false, u"-"},
    {0xBE, Qt::Key_Period, false, u"."},
    {0xBF, Qt::Key_Slash, false, u"/"},
    {0xC0, Qt::Key_QuoteLeft, false, u"`"},
    {0xDB, Qt::Key_BracketLeft, false, u"["},
    {0xDC, Qt::Key_Backslash, false, u"\\"},
    {0xDD, Qt::Key_BracketRight, false, u"]"},
    {0xDE, Qt::Key_Apostrophe, false, u"'"},
};

// Keys Qt reports that stand for a key of the table: the keypad's Enter, Shift+Tab, and the
// shifted symbols of a US layout (Shift+1 arrives as "!").
constexpr std::pair<int, int> QtKeyAliases[] = {
    {Qt::Key_Enter, 0x0D},      {Qt::Key_Backtab, 0x09},    {Qt::Key_Exclam, 0x31},
    {Qt::Key_At, 0x32},         {Qt::Key_NumberSign, 0x33}, {Qt::Key_Dollar, 0x34},
    {Qt::Key_Percent, 0x35},    {Qt::Key_AsciiCircum, 0x36}, {Qt::Key_Ampersand, 0x37},
    {Qt::Key_Asterisk, 0x38},   {Qt::Key_ParenLeft, 0x39},  {Qt::Key_ParenRight, 0x30},
    {Qt::Key_Colon, 0xBA},      {Qt::Key_Plus, 0xBB},       {Qt::Key_Less, 0xBC},
    {Qt::Key_Underscore, 0xBD}, {Qt::Key_Greater, 0xBE},    {Qt::Key_Question, 0xBF},
    {Qt::Key_AsciiTilde, 0xC0}, {Qt::Key_BraceLeft, 0xDB},  {Qt::Key_Bar, 0xDC},
    {Qt::Key_BraceRight, 0xDD}, {Qt::Key_QuoteDbl, 0xDE},
};

struct KeyTable
{
    // Indexed by virtual key code; an entry with qtKey 0 is not a key of the table.
    std::array<KeyEntry, 256> byCode{};

    KeyTable()
    {
        for (const KeyEntry& e : NamedKeys)
            byCode[e.virtualKey] = e;
        static const char16_t* const letters[] = {u"A", u"B", u"C", u"D", u"E", u"F", u"G", u"H", u"I",
                                                   u"J", u"K", u"L", u"M", u"N", u"O", u"P", u"Q", u"R",
                                                   u"S", u"T", u"U", u"V", u"W", u"X", u"Y", u"Z"};
        for (int i = 0; i < 26; ++i)
            byCode[0x41 + i] = {0x41 + i, Qt::Key_A + i, false, letters[i]};
        static const char16_t* const digits[] = {u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9"};
        for (int i = 0; i < 10; ++i)
            byCode[0x30 + i] = {0x30 + i, Qt::Key_0 + i, false, digits[i]};
        static const char16_t* const functionKeys[] = {
            u"F1",  u"F2",  u"F3",  u"F4",  u"F5",  u"F6",  u"F7",  u"F8",  u"F9",  u"F10", u"F11", u"F12",
            u"F13", u"F14", u"F15", u"F16", u"F17", u"F18", u"F19", u"F20", u"F21", u"F22", u"F23", u"F24"};
        for (int i = 0; i < 24; ++i)
            byCode[0x70 + i] = {0x70 + i, Qt::Key_F1 + i, false, functionKeys[i]};
    }

    const KeyEntry* find(int virtualKey) const
    {
        if (virtualKey <= 0 || virtualKey > 255 || byCode[virtualKey].qtKey == 0)
            return nullptr;
        return &byCode[virtualKey];
    }
};

const KeyTable& table()
{
    static const KeyTable t;
    return t;
}

struct ShiftStateName
{
    TShiftStateFlag flag;
    const char16_t* name;
};

constexpr ShiftStateName ShiftStateNames[] = {
    {ssCtrl, u"Ctrl+"},   {ssShift, u"Shift+"},   {ssAlt, u"Alt+"},     {ssLeft, u"Left+"}, {ssRight, u"Right+"},
    {ssMiddle, u"Middle+"}, {ssDouble, u"Double+"}, {ssTouch, u"Touch+"}, {ssPen, u"Pen+"},
};

} // namespace

int VirtualKeyOfQtKey(int qtKey, bool keypad)
{
    const KeyTable& t = table();
    int fallback = 0;
    for (const KeyEntry& e : t.byCode) {
        if (e.qtKey == 0 || e.qtKey != qtKey)
            continue;
        if (e.keypad == keypad)
            return e.virtualKey;
        if (!fallback)
            fallback = e.virtualKey;
    }
    // The keypad's Home, arrows and the like (Num Lock off) are the keys of the same name; a
    // non-keypad "*" or "+" is a shifted symbol, found among the aliases.
    if (fallback && keypad)
        return fallback;
    for (const auto& [alias, virtualKey] : QtKeyAliases) {
        if (alias == qtKey)
            return virtualKey;
    }
    return fallback;
}

int QtKeyOfVirtualKey(int virtualKey, bool* keypad)
{
    const KeyEntry* e = table().find(virtualKey);
    if (keypad)
        *keypad = e && e->keypad;
    return e ? e->qtKey : int(Qt::Key_unknown);
}

QString VirtualKeyName(int virtualKey)
{
    const KeyEntry* e = table().find(virtualKey);
    return e ? QString::fromUtf16(e->name) : QString();
}

TShortCut ShortCutFromKeyCombination(QKeyCombination combination)
{
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
    if (mods & Qt::MetaModifier)
        return 0;
    const int virtualKey = VirtualKeyOfQtKey(combination.key(), mods.testFlag(Qt::KeypadModifier));
    if (!virtualKey)
        return 0;
    TShortCut value = TShortCut(virtualKey);
    if (mods & Qt::ShiftModifier)
        value |= scShift;
    if (mods & Qt::ControlModifier)
        value |= scCtrl;
    if (mods & Qt::AltModifier)
        value |= scAlt;
    return value;
}

QKeyCombination KeyCombinationFromShortCut(TShortCut shortCut)
{
    bool keypad = false;
    const int qtKey = QtKeyOfVirtualKey(shortCut & 0xFF, &keypad);
    if (qtKey == Qt::Key_unknown || (shortCut & scKeyMask & ~0xFF))
        return QKeyCombination(Qt::Key_unknown);
    Qt::KeyboardModifiers mods;
    if (shortCut & scShift)
        mods |= Qt::ShiftModifier;
    if (shortCut & scCtrl)
        mods |= Qt::ControlModifier;
    if (shortCut & scAlt)
        mods |= Qt::AltModifier;
    if (keypad)
        mods |= Qt::KeypadModifier;
    return QKeyCombination(mods, Qt::Key(qtKey));
}

QString ShortCutToText(TShortCut shortCut)
{
    const QString name = (shortCut & scKeyMask & ~0xFF) ? QString() : VirtualKeyName(shortCut & 0xFF);
    if (name.isEmpty())
        return QString();
    QString text;
    if (shortCut & scShift)
        text += u"Shift+"_s;
    if (shortCut & scCtrl)
        text += u"Ctrl+"_s;
    if (shortCut & scAlt)
        text += u"Alt+"_s;
    return text + name;
}

TShortCut TextToShortCut(const QString& text)
{
    static const std::pair<const char16_t*, TShortCut> prefixes[] = {
        {u"Shift+", scShift}, {u"Ctrl+", scCtrl}, {u"Alt+", scAlt}};
    QStringView rest(text);
    TShortCut mods = 0;
    for (bool found = true; found;) {
        found = false;
        for (const auto& [prefix, bit] : prefixes) {
            const QStringView p(prefix);
            // "Num Plus" and the like keep their own text; only a whole prefix before more text counts.
            if (rest.size() > p.size() && rest.startsWith(p, Qt::CaseInsensitive)) {
                rest = rest.sliced(p.size());
                mods |= bit;
                found = true;
            }
        }
    }
    for (const KeyEntry& e : table().byCode) {
        if (e.qtKey != 0 && rest.compare(QStringView(e.name), Qt::CaseInsensitive) == 0)
            return TShortCut(e.virtualKey | mods);
    }
    return 0;
}

QString ShiftStateToText(TShiftState state)
{
    QString text;
    for (const ShiftStateName& n : ShiftStateNames) {
        if (state.testFlag(n.flag))
            text += QString::fromUtf16(n.name);
    }
    return text;
}

TShiftState TextToShiftState(const QString& text)
{
    TShiftState state;
    for (const ShiftStateName& n : ShiftStateNames) {
        if (text.contains(QStringView(n.name), Qt::CaseSensitive))
            state |= n.flag;
    }
    return state;
}

QString ShortCutToStoredText(TShortCut shortCut)
{
    TShiftState state;
    if (shortCut & scCtrl)
        state |= ssCtrl;
    if (shortCut & scShift)
        state |= ssShift;
    if (shortCut & scAlt)
        state |= ssAlt;
    return QString::number(shortCut & scKeyMask) + u',' + ShiftStateToText(state);
}

bool StoredTextToShortCut(const QString& text, TShortCut* shortCut)
{
    const QStringList parts = text.split(u',');
    if (text.isEmpty())
        return false;
    bool ok = false;
    const int number = TIniFile::parseInteger(parts.at(0).trimmed(), &ok);
    if (!ok)
        return false;
    const TShortCut key = TShortCut(number & 0xFFFF);
    if (key > 255) {
        *shortCut = 0;
        return true;
    }
    const TShiftState state = parts.size() > 1 ? TextToShiftState(parts.at(1)) : TShiftState();
    TShortCut value = key;
    if (state.testFlag(ssShift))
        value |= scShift;
    if (state.testFlag(ssCtrl))
        value |= scCtrl;
    if (state.testFlag(ssAlt))
        value |= scAlt;
    *shortCut = value;
    return true;
}
