#include "RsUnits/RsActList.h"
#include "app/Ini.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QFile>
#include <QFontMetrics>
#include <QKeySequence>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A small action list like the main window's: name, caption, tag, shortcut.
struct Actions
{
    Actions()
    {
        add(u"ActFileQuit"_s, u"しゅーりょー(&X)"_s, 0);
        add(u"ActFileQuitAll"_s, u"ぜんぶ しゅーりょー(&A)"_s, 0);
        add(u"ActTaskListRunTaskList"_s, u"タスク リストの じっこー(&R)"_s, 1);
        add(u"ActHelpShowHelp"_s, u"ヘルプ(&H)"_s, 4);
        add(u"ActPopMinimizeRestoreWindow"_s, u"さいしょーか(&M)"_s, 5);
        SetDefaultShortcutKeys(list);
    }
    void add(const QString& name, const QString& caption, int tag)
    {
        auto* a = new QAction(&owner);
        a->setObjectName(name);
        a->setText(caption);
        a->setData(tag);
        list << a;
    }
    QAction* byName(const QString& name) const { return list.at(IndexOfActionName(list, name)); }
    QObject owner;
    QList<QAction*> list;
};

QString stored(const QString& fileName, const QString& key)
{
    return TIniFile(fileName).ReadString(u"ShortCut"_s, key, u"<missing>"_s);
}

} // namespace

class TestRsActList : public QObject
{
    Q_OBJECT

private slots:
    void loadFromActionList();
    void indexOfShortCutAndName();
    void widths();
    void actionShortCutValues();
    void saveWritesEveryActionButTheTray();
    void loadTable_data();
    void loadTable();
    void loadKeepsOtherContentAndRefusesKeys();
    void duplicatesInFileLeaveOneOwner();
    void saveFailureReported();
};

void TestRsActList::loadFromActionList()
{
    Actions a;
    a.byName(u"ActTaskListRunTaskList"_s)->setShortcuts({QKeySequence(u"Ctrl+R"_s), QKeySequence(u"F5"_s)});
    TRsActList list;
    list.LoadFromActionList(a.list, {u"ファイル(&F)"_s, u"タスク リスト(&L)"_s, u"タスク(&T)"_s, u"ツール(&O)"_s, u"ヘルプ(&H)"_s});
    QCOMPARE(list.Count(), 5);
    QCOMPARE(list.Items(0)->Name, u"ActFileQuit"_s);
    QCOMPARE(list.Items(0)->Caption, u"しゅーりょー"_s);
    QCOMPARE(list.Items(0)->Category, u"ファイル"_s);
    QCOMPARE(list.Items(1)->ShortCutStr(), u"Ctrl+Q"_s);
    QCOMPARE(list.Items(1)->ShortCut(), TShortCut(0x4051));
    const TRsActItem* run = list.Items(2);
    QCOMPARE(run->Category, u"タスク リスト"_s);
    QCOMPARE(run->ActionTitle(), u"タスク リスト: タスク リストの じっこー"_s);
    QCOMPARE(run->ShortCut(), TShortCut(0x4052));
    QCOMPARE(run->SecondaryShortCuts, QList<TShortCut>{TShortCut(0x74)});
    QCOMPARE(run->Tag, 1);
    QCOMPARE(list.Items(3)->ShortCutStr(), u"F1"_s);
    // A tag without a menu has no category.
    QCOMPARE(list.Items(4)->Category, QString());

    // Loading again replaces the content; removing frees and reports the index.
    list.LoadFromActionList(a.list.mid(0, 2), {});
    QCOMPARE(list.Count(), 2);
    QCOMPARE(list.Items(0)->Category, QString());
    QCOMPARE(list.Remove(list.Items(1)), 1);
    QCOMPARE(list.Count(), 1);
    TRsActItem stranger;
    QCOMPARE(list.Remove(&stranger), -1);
}

void TestRsActList::indexOfShortCutAndName()
{
    Actions a;
    a.byName(u"ActTaskListRunTaskList"_s)->setShortcuts({QKeySequence(u"Ctrl+R"_s), QKeySequence(u"F5"_s)});
    TRsActList list;
    list.LoadFromActionList(a.list, {});
    QCOMPARE(list.IndexOfActionShortCut(0x4051), 1);
    QCOMPARE(list.IndexOfActionShortCut(0x74), 2); // a secondary shortcut counts
    QCOMPARE(list.IndexOfActionShortCut(0x70), 3);
    QCOMPARE(list.IndexOfActionShortCut(0x4053), -1);
    // No shortcut: the first item without one.
    QCOMPARE(list.IndexOfActionShortCut(0), 0);
    QCOMPARE(list.IndexOfName(u"actfilequitall"_s), 1);
    QCOMPARE(list.IndexOfName(u"ActNothing"_s), -1);
    QCOMPARE(IndexOfActionName(a.list, u"ACTHELPSHOWHELP"_s), 3);
    QCOMPARE(IndexOfActionName(a.list, u"ActHelp"_s), -1);
}

void TestRsActList::widths()
{
    Actions a;
    TRsActList list;
    const QFontMetrics metrics(QFont(u"Sans"_s, 10));
    QCOMPARE(list.GetCategoryMaxWidth(metrics), 0);
    QCOMPARE(list.GetCaptionMaxWidth(metrics), 0);
    list.LoadFromActionList(a.list, {u"F"_s, u"a longer category"_s});
    QCOMPARE(list.GetCategoryMaxWidth(metrics), metrics.horizontalAdvance(u"a longer category"_s));
    int widest = 0;
    for (const QString& caption : {u"しゅーりょー"_s, u"ぜんぶ しゅーりょー"_s, u"タスク リストの じっこー"_s, u"ヘルプ"_s, u"さいしょーか"_s})
        widest = qMax(widest, metrics.horizontalAdvance(caption));
    QCOMPARE(list.GetCaptionMaxWidth(metrics), widest);
}

void TestRsActList::actionShortCutValues()
{
    QAction action;
    SetActionShortCut(&action, 0x6053);
    QCOMPARE(action.shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    QCOMPARE(ActionShortCut(&action), TShortCut(0x6053));
    SetActionShortCut(&action, 0x6B | scAlt); // Alt+Num Plus
    QCOMPARE(action.shortcut(), QKeySequence(QKeyCombination(Qt::AltModifier | Qt::KeypadModifier, Qt::Key_Plus)));
    QCOMPARE(ActionShortCut(&action), TShortCut(0x806B));
    SetActionShortCut(&action, 0);
    QVERIFY(action.shortcut().isEmpty());
    // A code without a key gives no shortcut rather than a wrong one.
    SetActionShortCut(&action, scCtrl | 0x07);
    QVERIFY(action.shortcut().isEmpty());
    QCOMPARE(ActionShortCut(&action), TShortCut(0));
}

void TestRsActList::saveWritesEveryActionButTheTray()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"tsumikiKey.ini"_s);
    Actions a;
    SetActionShortCut(a.byName(u"ActTaskListRunTaskList"_s), 0xE054);
    QVERIFY(SaveShortcutKeys(a.list, file));
    const QByteArray bytes = testsupport::readBytes(file);
    QCOMPARE(bytes, testsupport::utf16leWithBom(u"[ShortCut]\r\nActFileQuit=0,\r\nActFileQuitAll=81,Ctrl+\r\n"
                                                u"ActTaskListRunTaskList=84,Ctrl+Shift+Alt+\r\nActHelpShowHelp=112,\r\n\r\n"_s));
}

// Each stored value against the shortcut it gives a command that had Ctrl+Q before.
void TestRsActList::loadTable_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("shortCut");
    QTest::newRow("Alt+Ctrl+ order") << u"81,Alt+Ctrl+"_s << 0xC051;
    QTest::newRow("lower-case ctrl") << u"81,ctrl+"_s << 0x51;
    QTest::newRow("above 255") << u"300,Ctrl+"_s << 0;
    QTest::newRow("not a number: unchanged") << u"abc,Ctrl+"_s << 0x4051;
    QTest::newRow("empty: unchanged") << QString() << 0x4051;
    QTest::newRow("no comma") << u"82"_s << 0x52;
    QTest::newRow("none") << u"0,"_s << 0;
    QTest::newRow("F12") << u"123,"_s << 0x7B;
}

void TestRsActList::loadTable()
{
    QFETCH(QString, value);
    QFETCH(int, shortCut);
    QTemporaryDir dir;
    const QString file = dir.filePath(u"k.ini"_s);
    QVERIFY(testsupport::writeBytes(file, testsupport::utf16leWithBom(u"[ShortCut]\r\nActFileQuitAll="_s + value + u"\r\n"_s)));
    Actions a;
    LoadShortcutKeys(a.list, file);
    QCOMPARE(int(ActionShortCut(a.byName(u"ActFileQuitAll"_s))), shortCut);
    // Keys the file does not have keep the command's shortcut.
    QCOMPARE(int(ActionShortCut(a.byName(u"ActHelpShowHelp"_s))), 0x70);
}

void TestRsActList::loadKeepsOtherContentAndRefusesKeys()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"k.ini"_s);
    QVERIFY(testsupport::writeBytes(file, testsupport::utf16leWithBom(
        u"[Other]\r\nA=1\r\n[ShortCut]\r\nActFileQuit=65,Ctrl+\r\nActTaskListRunTaskList=82,Ctrl+\r\n"
        u"ActPopMinimizeRestoreWindow=77,Ctrl+\r\n"_s)));
    Actions a;
    // Ctrl+A is refused, as the window keeps it for itself.
    LoadShortcutKeys(a.list, file, [](TShortCut s) { return s != (scCtrl | 0x41); });
    QVERIFY(a.byName(u"ActFileQuit"_s)->shortcut().isEmpty());
    QCOMPARE(a.byName(u"ActTaskListRunTaskList"_s)->shortcut(), QKeySequence(u"Ctrl+R"_s));
    // The tray command never takes a shortcut from the file.
    QVERIFY(a.byName(u"ActPopMinimizeRestoreWindow"_s)->shortcut().isEmpty());
    QVERIFY(SaveShortcutKeys(a.list, file));
    const TIniFile ini(file);
    QCOMPARE(ini.ReadSections(), (QStringList{u"Other"_s, u"ShortCut"_s}));
    QCOMPARE(ini.ReadString(u"Other"_s, u"A"_s, {}), u"1"_s);
    QCOMPARE(stored(file, u"ActTaskListRunTaskList"_s), u"82,Ctrl+"_s);
    QCOMPARE(stored(file, u"ActFileQuit"_s), u"0,"_s);
    // Its line stays as it was: the file keeps what it does not own.
    QCOMPARE(stored(file, u"ActPopMinimizeRestoreWindow"_s), u"77,Ctrl+"_s);
}

void TestRsActList::duplicatesInFileLeaveOneOwner()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"k.ini"_s);
    // Qt fires neither of two actions with one shortcut: the first in the list keeps it.
    QVERIFY(testsupport::writeBytes(file, testsupport::utf16leWithBom(
        u"[ShortCut]\r\nActFileQuit=82,Ctrl+\r\nActTaskListRunTaskList=82,Ctrl+\r\nActFileQuitAll=112,\r\n"_s)));
    Actions a;
    LoadShortcutKeys(a.list, file);
    QCOMPARE(ActionShortCut(a.byName(u"ActFileQuit"_s)), TShortCut(0x4052));
    QCOMPARE(ActionShortCut(a.byName(u"ActTaskListRunTaskList"_s)), TShortCut(0));
    // F1 from the file for quit-all; help, not in the file, loses its F1.
    QCOMPARE(ActionShortCut(a.byName(u"ActFileQuitAll"_s)), TShortCut(0x70));
    QCOMPARE(ActionShortCut(a.byName(u"ActHelpShowHelp"_s)), TShortCut(0));
}

void TestRsActList::saveFailureReported()
{
    QTemporaryDir dir;
    Actions a;
    QString error;
    QVERIFY(!SaveShortcutKeys(a.list, dir.filePath(u"missing/k.ini"_s), &error));
    QVERIFY(!error.isEmpty());
}

QTEST_MAIN(TestRsActList)
#include "tst_rsactlist.moc"
