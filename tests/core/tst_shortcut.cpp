#include "app/ShortCut.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestShortCut : public QObject
{
    Q_OBJECT

private slots:
    void keyTable_data();
    void keyTable();
    void everyCodeRoundTrips();
    void qtKeysWithoutCode_data();
    void qtKeysWithoutCode();
    void shiftedSymbolsAndKeypad_data();
    void shiftedSymbolsAndKeypad();
    void textForm_data();
    void textForm();
    void textToShortCut_data();
    void textToShortCut();
    void shiftStateText();
    void storedText_data();
    void storedText();
    void readingStoredText_data();
    void readingStoredText();
};

// The one table: virtual key code <-> Qt key combination <-> name.
void TestShortCut::keyTable_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("combination");
    QTest::addColumn<QString>("name");
    const auto row = [](const char* tag, int value, QKeyCombination c, const QString& name) {
        QTest::newRow(tag) << value << c.toCombined() << name;
    };
    row("A", 65, QKeyCombination(Qt::Key_A), u"A"_s);
    row("Z", 90, QKeyCombination(Qt::Key_Z), u"Z"_s);
    row("0", 48, QKeyCombination(Qt::Key_0), u"0"_s);
    row("9", 57, QKeyCombination(Qt::Key_9), u"9"_s);
    row("F1", 112, QKeyCombination(Qt::Key_F1), u"F1"_s);
    row("F24", 135, QKeyCombination(Qt::Key_F24), u"F24"_s);
    row("Left", 0x25, QKeyCombination(Qt::Key_Left), u"Left"_s);
    row("Down", 0x28, QKeyCombination(Qt::Key_Down), u"Down"_s);
    row("PgUp", 0x21, QKeyCombination(Qt::Key_PageUp), u"PgUp"_s);
    row("PgDn", 0x22, QKeyCombination(Qt::Key_PageDown), u"PgDn"_s);
    row("Home", 0x24, QKeyCombination(Qt::Key_Home), u"Home"_s);
    row("End", 0x23, QKeyCombination(Qt::Key_End), u"End"_s);
    row("Ins", 0x2D, QKeyCombination(Qt::Key_Insert), u"Ins"_s);
    row("Del", 0x2E, QKeyCombination(Qt::Key_Delete), u"Del"_s);
    row("BkSp", 0x08, QKeyCombination(Qt::Key_Backspace), u"BkSp"_s);
    row("Tab", 0x09, QKeyCombination(Qt::Key_Tab), u"Tab"_s);
    row("Return", 0x0D, QKeyCombination(Qt::Key_Return), u"Return"_s);
    row("Esc", 0x1B, QKeyCombination(Qt::Key_Escape), u"Esc"_s);
    row("Space", 0x20, QKeyCombination(Qt::Key_Space), u"Space"_s);
    row("Num 0", 0x60, QKeyCombination(Qt::KeypadModifier, Qt::Key_0), u"Num 0"_s);
    row("Num *", 0x6A, QKeyCombination(Qt::KeypadModifier, Qt::Key_Asterisk), u"Num *"_s);
    row("Num Plus", 0x6B, QKeyCombination(Qt::KeypadModifier, Qt::Key_Plus), u"Num Plus"_s);
    row("Num /", 0x6F, QKeyCombination(Qt::KeypadModifier, Qt::Key_Slash), u"Num /"_s);
    row(";", 0xBA, QKeyCombination(Qt::Key_Semicolon), u";"_s);
    row("=", 0xBB, QKeyCombination(Qt::Key_Equal), u"="_s);
    row("-", 0xBD, QKeyCombination(Qt::Key_Minus), u"-"_s);
    row("`", 0xC0, QKeyCombination(Qt::Key_QuoteLeft), u"`"_s);
    row("backslash", 0xDC, QKeyCombination(Qt::Key_Backslash), u"\\"_s);
    row("'", 0xDE, QKeyCombination(Qt::Key_Apostrophe), u"'"_s);
    row("Ctrl+Q", 0x4051, QKeyCombination(Qt::ControlModifier, Qt::Key_Q), u"Q"_s);
    row("Ctrl+Shift+S", 0x6053, QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_S), u"S"_s);
    row("Alt+F4", 0x8073, QKeyCombination(Qt::AltModifier, Qt::Key_F4), u"F4"_s);
    row("Ctrl+Shift+Alt+T", 0xE054,
        QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier, Qt::Key_T), u"T"_s);
}

void TestShortCut::keyTable()
{
    QFETCH(int, value);
    QFETCH(int, combination);
    QFETCH(QString, name);
    const QKeyCombination c = QKeyCombination::fromCombined(combination);
    QCOMPARE(int(ShortCutFromKeyCombination(c)), value);
    QCOMPARE(KeyCombinationFromShortCut(TShortCut(value)).toCombined(), combination);
    QCOMPARE(VirtualKeyName(value & 0xFF), name);
}

// Each code the table knows goes to a combination and comes back as itself, with every
// modifier mix; a code it does not know maps to no combination.
void TestShortCut::everyCodeRoundTrips()
{
    int known = 0;
    for (int code = 1; code < 256; ++code) {
        const QKeyCombination c = KeyCombinationFromShortCut(TShortCut(code));
        if (c.key() == Qt::Key_unknown) {
            QVERIFY2(VirtualKeyName(code).isEmpty(), qPrintable(QString::number(code)));
            continue;
        }
        ++known;
        for (TShortCut mods : {TShortCut(0), scShift, scCtrl, scAlt, scModifierMask}) {
            const TShortCut value = TShortCut(code) | mods;
            QCOMPARE(ShortCutFromKeyCombination(KeyCombinationFromShortCut(value)), value);
            QCOMPARE(TextToShortCut(ShortCutToText(value)), value);
        }
    }
    // Letters, digits, 24 function keys, 17 named keys, 15 keypad keys, 11 punctuation keys.
    QCOMPARE(known, 26 + 10 + 24 + 17 + 15 + 11);
    QCOMPARE(KeyCombinationFromShortCut(0).key(), Qt::Key_unknown);
    // A value with bits between the key byte and the modifiers is no key.
    QCOMPARE(KeyCombinationFromShortCut(0x1051).key(), Qt::Key_unknown);
}

void TestShortCut::qtKeysWithoutCode_data()
{
    QTest::addColumn<int>("combination");
    QTest::newRow("media key") << QKeyCombination(Qt::Key_VolumeUp).toCombined();
    QTest::newRow("non-ascii letter") << QKeyCombination(Qt::Key_Adiaeresis).toCombined();
    QTest::newRow("dead key") << QKeyCombination(Qt::Key_Dead_Acute).toCombined();
    QTest::newRow("Meta+A") << QKeyCombination(Qt::MetaModifier, Qt::Key_A).toCombined();
    QTest::newRow("Shift alone") << QKeyCombination(Qt::ShiftModifier, Qt::Key_Shift).toCombined();
}

void TestShortCut::qtKeysWithoutCode()
{
    QFETCH(int, combination);
    QCOMPARE(int(ShortCutFromKeyCombination(QKeyCombination::fromCombined(combination))), 0);
}

// What Qt reports for a shifted key of a US layout or the keypad is the value of the key itself.
void TestShortCut::shiftedSymbolsAndKeypad_data()
{
    QTest::addColumn<int>("combination");
    QTest::addColumn<int>("value");
    QTest::newRow("Shift+1 as !") << QKeyCombination(Qt::ShiftModifier, Qt::Key_Exclam).toCombined() << 0x2031;
    QTest::newRow("Shift+8 as *") << QKeyCombination(Qt::ShiftModifier, Qt::Key_Asterisk).toCombined() << 0x2038;
    QTest::newRow("Shift+= as +") << QKeyCombination(Qt::ShiftModifier, Qt::Key_Plus).toCombined() << 0x20BB;
    QTest::newRow("Shift+Tab as Backtab") << QKeyCombination(Qt::ShiftModifier, Qt::Key_Backtab).toCombined() << 0x2009;
    QTest::newRow("keypad Enter") << QKeyCombination(Qt::KeypadModifier, Qt::Key_Enter).toCombined() << 0x0D;
    QTest::newRow("keypad Home (Num Lock off)") << QKeyCombination(Qt::KeypadModifier, Qt::Key_Home).toCombined() << 0x24;
    QTest::newRow("keypad minus") << QKeyCombination(Qt::KeypadModifier, Qt::Key_Minus).toCombined() << 0x6D;
    QTest::newRow("main minus") << QKeyCombination(Qt::Key_Minus).toCombined() << 0xBD;
}

void TestShortCut::shiftedSymbolsAndKeypad()
{
    QFETCH(int, combination);
    QFETCH(int, value);
    QCOMPARE(int(ShortCutFromKeyCombination(QKeyCombination::fromCombined(combination))), value);
}

void TestShortCut::textForm_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << 0 << QString();
    QTest::newRow("Ctrl+Q") << 0x4051 << u"Ctrl+Q"_s;
    QTest::newRow("F1") << 112 << u"F1"_s;
    QTest::newRow("Shift before Ctrl") << 0x6054 << u"Shift+Ctrl+T"_s;
    QTest::newRow("all three") << 0xE054 << u"Shift+Ctrl+Alt+T"_s;
    QTest::newRow("Alt+PgDn") << 0x8022 << u"Alt+PgDn"_s;
    QTest::newRow("unknown code") << 0x4007 << QString();
}

void TestShortCut::textForm()
{
    QFETCH(int, value);
    QFETCH(QString, text);
    QCOMPARE(ShortCutToText(TShortCut(value)), text);
}

void TestShortCut::textToShortCut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("Ctrl+Q") << u"Ctrl+Q"_s << 0x4051;
    QTest::newRow("F1") << u"F1"_s << 112;
    QTest::newRow("any order and case") << u"ctrl+ALT+shift+t"_s << 0xE054;
    QTest::newRow("keypad name") << u"Ctrl+Num Plus"_s << 0x406B;
    QTest::newRow("unknown name") << u"Ctrl+Foo"_s << 0;
    QTest::newRow("prefix only") << u"Ctrl+"_s << 0;
    QTest::newRow("empty") << QString() << 0;
}

void TestShortCut::textToShortCut()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(int(TextToShortCut(text)), value);
}

void TestShortCut::shiftStateText()
{
    QCOMPARE(ShiftStateToText({}), QString());
    QCOMPARE(ShiftStateToText(ssAlt | ssShift | ssCtrl), u"Ctrl+Shift+Alt+"_s);
    QCOMPARE(ShiftStateToText(ssPen | ssLeft | ssDouble), u"Left+Double+Pen+"_s);
    QCOMPARE(TextToShiftState(u"Alt+Ctrl+"_s), ssCtrl | ssAlt);
    QCOMPARE(TextToShiftState(u"ctrl+"_s), TShiftState());
    QCOMPARE(TextToShiftState(u"xxMiddle+Touch+yy"_s), ssMiddle | ssTouch);
    // A name anywhere counts, even without its "+" neighbours' order.
    QCOMPARE(TextToShiftState(ShiftStateToText(TShiftState(0x1FF))), TShiftState(0x1FF));
}

void TestShortCut::storedText_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("stored");
    QTest::newRow("none") << 0 << u"0,"_s;
    QTest::newRow("Ctrl+Q") << 0x4051 << u"81,Ctrl+"_s;
    QTest::newRow("F1") << 112 << u"112,"_s;
    QTest::newRow("Ctrl+Shift+Alt+T") << 0xE054 << u"84,Ctrl+Shift+Alt+"_s;
    QTest::newRow("Shift+Ctrl+R") << 0x6052 << u"82,Ctrl+Shift+"_s;
}

void TestShortCut::storedText()
{
    QFETCH(int, value);
    QFETCH(QString, stored);
    QCOMPARE(ShortCutToStoredText(TShortCut(value)), stored);
    TShortCut back = 0xFFFF;
    QVERIFY(StoredTextToShortCut(stored, &back));
    QCOMPARE(int(back), value);
}

void TestShortCut::readingStoredText_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("read");
    QTest::addColumn<int>("value");
    QTest::newRow("Alt+Ctrl+ in any order") << u"81,Alt+Ctrl+"_s << true << 0xC051;
    QTest::newRow("lower-case ctrl is no modifier") << u"81,ctrl+"_s << true << 0x51;
    QTest::newRow("key above 255") << u"300,Ctrl+"_s << true << 0;
    QTest::newRow("not a number") << u"abc,Ctrl+"_s << false << 0;
    QTest::newRow("empty") << QString() << false << 0;
    QTest::newRow("comma only") << u","_s << false << 0;
    QTest::newRow("no comma: key without modifiers") << u"81"_s << true << 0x51;
    QTest::newRow("hexadecimal") << u"$51,Ctrl+"_s << true << 0x4051;
    QTest::newRow("negative wraps to 16 bits, above 255") << u"-1,"_s << true << 0;
    QTest::newRow("low 16 bits") << u"65617,Shift+"_s << true << 0x2051;
    QTest::newRow("mouse and pen ignored") << u"81,Left+Pen+Ctrl+"_s << true << 0x4051;
}

void TestShortCut::readingStoredText()
{
    QFETCH(QString, stored);
    QFETCH(bool, read);
    QFETCH(int, value);
    TShortCut result = 0x1234;
    QCOMPARE(StoredTextToShortCut(stored, &result), read);
    QCOMPARE(int(result), read ? value : 0x1234);
}

QTEST_GUILESS_MAIN(TestShortCut)
#include "tst_shortcut.moc"
