// The language submenu: what it lists and ticks, and a switch that re-labels the window at once.

#include "app/Ini.h"
#include "app/Lang.h"
#include "MainFormFixture.h"
#include "RsUnits/RsPanel.h"
#include "RsUnits/RsPngButton.h"

#include <QAction>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace {

QStringList entryCaptions(QMenu* menu)
{
    QStringList captions;
    for (QAction* a : menu->actions())
        captions << a->text() + (a->isChecked() ? u" *"_s : QString());
    return captions;
}

// Opens the tool menu as a click would, which rebuilds the submenu.
QMenu* openToolMenu(MainFormFixture& f)
{
    emit f.child<QMenu>("Tool1")->aboutToShow();
    return f.child<QMenu>("Language1");
}

void chooseEntry(QMenu* language, const QString& caption)
{
    for (QAction* a : language->actions()) {
        if (a->text() == caption) {
            a->trigger();
            return;
        }
    }
    QFAIL(qPrintable(u"no entry "_s + caption));
}

} // namespace

class TestLanguage : public QObject
{
    Q_OBJECT

private slots:
    void init() { LangFileName.clear(); }

    void firstStartListsTheDefaultFileTicked()
    {
        MainFormFixture f({});
        QVERIFY(f.open());
        QCOMPARE(entryCaptions(openToolMenu(f)), QStringList{u"Tmk日本語_かな *"_s});
    }

    void switchRelabelsAtOnceAndIsStored()
    {
        MainFormFixture f({{u"Daily"_s, {}}});
        QVERIFY(QDir(f.path(u"Lang"_s)).exists() || QDir().mkpath(f.path(u"Lang"_s)));
        const QString deutsch = f.path(u"Lang/Deutsch.lang"_s);
        QVERIFY(testsupport::writeBytes(
            deutsch, testsupport::utf16leWithBom(u"[MainForm]\r\nTaskListLabel=Aufgabenlisten\r\n"
                                                 u"ActTaskListRunTaskList.Caption=Liste ausführen(&R)\r\n"
                                                 u"Tool1.Caption=Extras(&T)\r\nLogLabel=Protokoll\r\n"
                                                 u"[ConfigForm201]\r\nCheckBox202.Caption=Spiegeln\r\n"_s)));
        TMainForm* form = f.open();
        QVERIFY(form);
        QMenu* language = openToolMenu(f);
        QCOMPARE(entryCaptions(language), (QStringList{u"Deutsch"_s, u"Tmk日本語_かな *"_s}));

        chooseEntry(language, u"Deutsch"_s);
        QCOMPARE(LangFileName, deutsch);
        QCOMPARE(form->Action(u"ActTaskListRunTaskList"_s)->text(), u"Liste ausführen(&R)"_s);
        QCOMPARE(f.child<QMenu>("Tool1")->title(), u"Extras(&T)"_s);
        QCOMPARE(f.child<TRsPanel>("Panel101")->Caption(), u"Aufgabenlisten"_s);
        QCOMPARE(f.child<TRsPanel>("Panel301")->Caption(), u"Protokoll"_s);
        // What the file lacks keeps the built-in text.
        QCOMPARE(form->Action(u"ActTaskAddTask"_s)->text(), u"タスクの ついか(&A)"_s);
        // The run button of the command strip shows the new caption as its hint.
        QCOMPARE(f.child<TRsPngButton>("PngButton002")->Hint(), u"Liste ausführen"_s);
        QCOMPARE(entryCaptions(openToolMenu(f)), (QStringList{u"Deutsch *"_s, u"Tmk日本語_かな"_s}));
        // A dialog opened afterwards reads the new file.
        QCOMPARE(LoadConfigForm201Texts().text(u"CheckBox202"_s), u"Spiegeln"_s);

        f.form.reset();
        const TIniFile ini(f.path(u"tsumiki.ini"_s));
        QCOMPARE(ini.ReadString(u"Language"_s, u"LangFileName"_s, QString()), deutsch);
    }

    void deletedFileFallsBackToTheDefault()
    {
        MainFormFixture f({});
        QDir().mkpath(f.path(u"Lang"_s));
        const QString other = f.path(u"Lang/Other.lang"_s);
        QVERIFY(testsupport::writeBytes(other, testsupport::utf16leWithBom(u"[MainForm]\r\nTaskLabel=Jobs\r\n"_s)));
        QVERIFY(f.open());
        chooseEntry(openToolMenu(f), u"Other"_s);
        QCOMPARE(TaskLabel, u"Jobs"_s);

        QVERIFY(QFile::remove(other));
        LoadConfigForm101Texts(); // a dialog opens
        QCOMPARE(entryCaptions(openToolMenu(f)), QStringList{u"Tmk日本語_かな *"_s});
    }

    // Files that are not language files at all are listed like any other and, when chosen, give the
    // built-in texts for whatever they lack.
    void damagedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("binary") << QByteArray("\x00\x01\xFF\xFE\x80\x00garbage\x00\x00", 16);
        QTest::newRow("odd byte count") << testsupport::utf16leWithBom(u"[MainForm]\r\nTaskLabel=X\r\n"_s).append('\x41');
        QTest::newRow("keys without equals") << testsupport::utf16leWithBom(u"[MainForm]\r\nTaskLabel\r\nTool1.Caption\r\n"_s);
        QTest::newRow("empty") << QByteArray();
    }

    void damagedFiles()
    {
        QFETCH(QByteArray, bytes);
        MainFormFixture f({});
        QDir().mkpath(f.path(u"Lang"_s));
        QVERIFY(testsupport::writeBytes(f.path(u"Lang/Broken.lang"_s), bytes));
        TMainForm* form = f.open();
        QVERIFY(form);
        chooseEntry(openToolMenu(f), u"Broken"_s);
        QCOMPARE(form->Action(u"ActTaskListRunTaskList"_s)->text(), u"タスク リストの じっこー(&R)"_s);
        QCOMPARE(f.child<QMenu>("Tool1")->title(), u"ツール(&T)"_s);
        QCOMPARE(MsgConfirmOKCancel, u"よろしーですか？"_s);
    }

    void ampersandInAFileNameIsNoAccelerator()
    {
        MainFormFixture f({});
        QDir().mkpath(f.path(u"Lang"_s));
        QVERIFY(testsupport::writeBytes(f.path(u"Lang/R&D.lang"_s), testsupport::utf16leWithBom(u"[MainForm]\r\n"_s)));
        QVERIFY(f.open());
        QVERIFY(entryCaptions(openToolMenu(f)).contains(u"R&&D"_s));
    }
};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
