#include "app/Lang.h"
#include "app/MsgDialog.h"
#include "app/ProgramDir.h"
#include "app/TmkLib.h"
#include "support/MsgDialogRecorder.h"

#include <QDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestTmkLib : public QObject
{
    Q_OBJECT

private slots:
    void invalidFileNameChar_data();
    void invalidFileNameChar();
    void invalidNames_data();
    void invalidNames();
    void invalidCharsText();
    void deleteAccelerator_data();
    void deleteAccelerator();
    void compareTextAscii_data();
    void compareTextAscii();
    void asciiCase();
    void clockCanBeFixed();
    void programDirectory();
    void msgDialogCaptionAndText();
    void msgDialogRecorderAnswers();
};

void TestTmkLib::invalidFileNameChar_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("invalid");
    for (char16_t c : u"\"*/:<>?\\|")
        if (c)
            QTest::addRow("'%c'", char(c)) << int(c) << true;
    QTest::newRow("NUL") << 0 << false;
    QTest::newRow("TAB") << 9 << false;
    QTest::newRow("U+001F") << 0x1F << false;
    QTest::newRow("space") << 0x20 << false;
    QTest::newRow("dot") << int('.') << false;
    QTest::newRow("letter") << int('a') << false;
    QTest::newRow("full-width solidus") << 0xFF0F << false;
    QTest::newRow("kana") << 0x30BF << false;
}

void TestTmkLib::invalidFileNameChar()
{
    QFETCH(int, code);
    QFETCH(bool, invalid);
    QCOMPARE(IsInvalidFileNameChar(QChar(char16_t(code))), invalid);
}

void TestTmkLib::invalidNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("invalid");
    QTest::newRow("plain") << u"Daily"_s << false;
    QTest::newRow("spaces and kana") << u"まいにち の バックアップ"_s << false;
    QTest::newRow("dot extension") << u".tmp"_s << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("slash") << u"a/b"_s << true;
    QTest::newRow("backslash") << u"a\\b"_s << true;
    QTest::newRow("question mark at end") << u"what?"_s << true;
    QTest::newRow("tab") << u"a\tb"_s << true;
    QTest::newRow("newline") << u"a\nb"_s << true;
    QTest::newRow("NUL") << QString(QChar(u'\0')) << true;
    QTest::newRow("U+001F") << u"x\x1F"_s << true;
    QTest::newRow("DEL is allowed") << u"x\x7F"_s << false;
}

void TestTmkLib::invalidNames()
{
    QFETCH(QString, name);
    QFETCH(bool, invalid);
    QCOMPARE(ContainsInvalidFileNameChar(name), invalid);
}

void TestTmkLib::invalidCharsText()
{
    QCOMPARE(GetInvalidFileNameCharsText(), u"\" * / : < > ? \\ |"_s);
}

void TestTmkLib::deleteAccelerator_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("kana") << u"タスクの ついか(&A)"_s << u"タスクの ついか"_s;
    QTest::newRow("help") << u"ヘルプ(&H)"_s << u"ヘルプ"_s;
    QTest::newRow("none") << u"Plain text"_s << u"Plain text"_s;
    QTest::newRow("ampersand without bracket") << u"Save && &Quit"_s << u"Save && &Quit"_s;
    QTest::newRow("first of two") << u"a(&B) c(&D)"_s << u"a c(&D)"_s;
    QTest::newRow("in the middle") << u"x(&Y)z"_s << u"xz"_s;
    QTest::newRow("dots after") << u"ひらく(&O)..."_s << u"ひらく..."_s;
    QTest::newRow("short tail") << u"abc(&"_s << u"abc"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestTmkLib::deleteAccelerator()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(DeleteAccelerator(text), expected);
}

void TestTmkLib::compareTextAscii_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("sign");
    QTest::newRow("equal ignoring case") << u"Daily"_s << u"dAILY"_s << 0;
    QTest::newRow("underscore after letters") << u"abc"_s << u"_x"_s << -1;
    QTest::newRow("ABC before abd") << u"ABC"_s << u"abd"_s << -1;
    QTest::newRow("prefix first") << u"abc"_s << u"ABCD"_s << -1;
    QTest::newRow("longer after") << u"abcd"_s << u"abc"_s << 1;
    QTest::newRow("umlaut not folded") << u"ärger"_s << u"ÄRGER"_s << 1;
    QTest::newRow("full-width not folded") << u"ＤＡＩＬＹ"_s << u"daily"_s << 1;
    QTest::newRow("empty") << QString() << QString() << 0;
    QTest::newRow("empty first") << QString() << u"a"_s << -1;
}

void TestTmkLib::compareTextAscii()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, sign);
    const int r = CompareTextAscii(a, b);
    QCOMPARE((r > 0) - (r < 0), sign);
    const int back = CompareTextAscii(b, a);
    QCOMPARE((back > 0) - (back < 0), -sign);
    QCOMPARE(SameTextAscii(a, b), sign == 0);
}

void TestTmkLib::asciiCase()
{
    QCOMPARE(AsciiLowerCase(u"/T=ÄRGER Zz"_s), u"/t=Ärger zz"_s);
    QCOMPARE(AsciiUpperCase(u"/t=ärger zZ"_s), u"/T=äRGER ZZ"_s);
}

void TestTmkLib::clockCanBeFixed()
{
    const QDateTime fixed(QDate(2016, 10, 13), QTime(23, 59, 59));
    SetCurrentDateTimeFunction([fixed] { return fixed; });
    QCOMPARE(CurrentDateTime(), fixed);
    SetCurrentDateTimeFunction({});
    QVERIFY(qAbs(CurrentDateTime().secsTo(QDateTime::currentDateTime())) < 60);
}

void TestTmkLib::programDirectory()
{
    QCOMPARE(ProgramDirectory(), QCoreApplication::applicationDirPath() + u'/');
    QCOMPARE(ExecutableBaseName(), u"tst_tmklib"_s);
    QCOMPARE(SettingsFileName(), ProgramDirectory() + u"tst_tmklib.ini"_s);
    QCOMPARE(ShortcutKeyFileName(), ProgramDirectory() + u"tst_tmklibKey.ini"_s);

    SetProgramDirectory(u"/some/where"_s);
    SetExecutableBaseName(u"tsumiki"_s);
    QCOMPARE(ProgramDirectory(), u"/some/where/"_s);
    QCOMPARE(SettingsFileBaseName(), u"tsumiki"_s);
    QCOMPARE(ShortcutKeyFileBaseName(), u"tsumikiKey"_s);
    QCOMPARE(ShortcutKeyFileName(), u"/some/where/tsumikiKey.ini"_s);
    SetProgramDirectory({});
    SetExecutableBaseName({});
    QCOMPARE(ProgramDirectory(), QCoreApplication::applicationDirPath() + u'/');
}

void TestTmkLib::msgDialogCaptionAndText()
{
    MsgDialogRecorder recorder;
    const QString savedCaption = MsgDialogCaption;
    const QString savedQuestion = MsgConfirmOKCancel;

    // Before any language file has been read.
    MsgDialogCaption.clear();
    QCOMPARE(ShowMsgDialog(u"A TaskListName is empty."_s, TMsgDlgType::Error), TMsgDlgResult::OK);
    QCOMPARE(recorder.last().caption, u"Tsumiki! [Information]"_s);
    QCOMPARE(recorder.last().text, u"A TaskListName is empty."_s);
    QCOMPARE(recorder.last().type, TMsgDlgType::Error);
    QCOMPARE(recorder.last().buttons, TMsgDlgButtons::OK);
    QCOMPARE(recorder.last().owner, nullptr);

    MsgDialogCaption = u"つみき！ [おしらせ]"_s;
    MsgConfirmOKCancel = u"Proceed?"_s;
    QObject owner;
    ShowMsgDialog(u"Run the list?"_s, TMsgDlgType::Confirmation, TMsgDlgButtons::OKCancel, &owner);
    QCOMPARE(recorder.last().caption, u"つみき！ [おしらせ]"_s);
    QCOMPARE(recorder.last().text, u"Run the list?\n\nProceed?"_s);
    QCOMPARE(recorder.last().owner, &owner);
    QCOMPARE(recorder.last().buttons, TMsgDlgButtons::OKCancel);

    // Only a confirmation gets the question.
    ShowMsgDialog(u"Warn"_s, TMsgDlgType::Warning, TMsgDlgButtons::OKCancel);
    QCOMPARE(recorder.last().text, u"Warn"_s);
    QCOMPARE(recorder.count(), 3);

    // Without a language file the built-in question is asked.
    MsgConfirmOKCancel.clear();
    ShowMsgDialog(u"Q"_s, TMsgDlgType::Confirmation, TMsgDlgButtons::OKCancel);
    QVERIFY(recorder.last().text.startsWith(u"Q\n\n"_s));
    QVERIFY(recorder.last().text.size() > 3);

    MsgDialogCaption = savedCaption;
    MsgConfirmOKCancel = savedQuestion;
}

void TestTmkLib::msgDialogRecorderAnswers()
{
    QCOMPARE(msgDialogPresenter(), nullptr);
    {
        MsgDialogRecorder outer;
        QCOMPARE(msgDialogPresenter(), &outer);
        {
            MsgDialogRecorder inner;
            inner.enqueueAnswer(TMsgDlgResult::Cancel);
            inner.enqueueAnswer(TMsgDlgResult::OK);
            inner.enqueueAnswer(TMsgDlgResult::Cancel);
            QCOMPARE(ShowMsgDialog(u"1"_s, TMsgDlgType::Confirmation, TMsgDlgButtons::OKCancel), TMsgDlgResult::Cancel);
            QCOMPARE(ShowMsgDialog(u"2"_s, TMsgDlgType::Confirmation, TMsgDlgButtons::OKCancel), TMsgDlgResult::OK);
            QCOMPARE(ShowMsgDialog(u"3"_s, TMsgDlgType::Confirmation, TMsgDlgButtons::OKCancel), TMsgDlgResult::Cancel);
            QCOMPARE(ShowMsgDialog(u"4"_s, TMsgDlgType::Confirmation, TMsgDlgButtons::OKCancel), TMsgDlgResult::OK);
            QCOMPARE(inner.count(), 4);
            QCOMPARE(inner.boxes()[2].answer, TMsgDlgResult::Cancel);
            QCOMPARE(outer.count(), 0);
        }
        QCOMPARE(msgDialogPresenter(), &outer);
    }
    QCOMPARE(msgDialogPresenter(), nullptr);
    // The default presenter answers OK (and writes to standard error).
    QCOMPARE(ShowMsgDialog(u"to stderr"_s, TMsgDlgType::Confirmation, TMsgDlgButtons::OKCancel), TMsgDlgResult::OK);
}

QTEST_GUILESS_MAIN(TestTmkLib)
#include "tst_tmklib.moc"
