#include "app/Lang.h"
#include "app/ProgramDir.h"
#include "app/TmkLib.h"
#include "model/RsTaskList.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using testsupport::utf16leWithBom;

namespace {

const QString Dashes78 = QString(78, u'-');

QString label()
{
    return TaskListLabel.isEmpty() ? DefaultLangText(u"MainForm"_s, u"TaskListLabel"_s) : TaskListLabel;
}

TRsTaskItem* makeTask(const QString& src, const QString& dst)
{
    auto* t = new TRsTaskItem;
    t->SrcPath = src;
    t->DstPath = dst;
    return t;
}

} // namespace

class TestTaskList : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newObjectsHaveDefaults();
    void saveWritesExactBytesAndRoundTrips();
    void excludedItemOrderOnSaveAndLoad();
    void excludedItemLess_data();
    void excludedItemLess();
    void excludedItemEntries_data();
    void excludedItemEntries();
    void fileDefaultsDifferFromNewTask();
    void emptyAndDamagedCounts_data();
    void emptyAndDamagedCounts();
    void hugeCountsDoNotHang();
    void loadReplacesTasks();
    void logFileNames();
    void logHeadingFollowsRename();
    void datedLogReplacesLogOnLoad_data();
    void datedLogReplacesLogOnLoad();
    void datedLogIgnoredWhenNotWanted();
    void datedLogThatIsNoFile();
    void saveFailureIsReported();
    void missingFileReadsAsEmpty();
    void assignCopiesDeeply();
    void sameExcludedItemExists();
    void indexOfTaskListName_data();
    void indexOfTaskListName();
    void nameTakenIncludesProgramFiles();
    void listOwnershipAndOrder();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestTaskList::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    SetProgramDirectory(m_dir->path());
    SetExecutableBaseName(u"tsumiki"_s);
    SetCurrentDateTimeFunction([] { return QDateTime(QDate(2016, 10, 13), QTime(12, 0)); });
}

void TestTaskList::cleanup()
{
    SetCurrentDateTimeFunction({});
    SetProgramDirectory({});
    SetExecutableBaseName({});
    TaskListLabel.clear();
    m_dir.reset();
}

void TestTaskList::newObjectsHaveDefaults()
{
    const TRsTaskItem item;
    QVERIFY(item.SrcPath.isEmpty() && item.DstPath.isEmpty());
    QCOMPARE(item.IncludingSubDirs, false);
    QCOMPARE(item.Mirroring, false);
    QCOMPARE(item.Verifying, false);
    QCOMPARE(item.Enabled, true);
    QVERIFY(item.ExcludedItemList.isEmpty());

    const TRsTaskList list;
    QVERIFY(list.TaskListName().isEmpty());
    QCOMPARE(list.SaveLog, true);
    QCOMPARE(list.AddDateStr, false);
    QCOMPARE(list.LastRow, 1);
    QCOMPARE(list.LastTopRow, 1);
    QCOMPARE(list.Count(), 0);
    QCOMPARE(list.LogList.toStringList(), (QStringList{Dashes78, label() + u": "_s}));
}

void TestTaskList::saveWritesExactBytesAndRoundTrips()
{
    TRsTaskList list;
    list.SetTaskListName(u"Daily"_s);
    list.AddDateStr = false;
    TRsTaskItem* t0 = makeTask(u"/home/me/docs/"_s, u"/backup/docs/"_s);
    t0->IncludingSubDirs = true;
    t0->Verifying = true;
    t0->SetExcludedItemList(u"b.txt"_s, eitFile);
    t0->SetExcludedItemList(u".tmp"_s, eitExt);
    t0->SetExcludedItemList(u"Temp"_s, eitDir);
    list.Add(t0);
    TRsTaskItem* t1 = makeTask(u"/srv/写真/"_s, u"/mnt/usb/写真/"_s);
    t1->Mirroring = true;
    t1->Enabled = false;
    list.Add(t1);

    const QString path = list.GetTaskListFileName();
    QCOMPARE(path, m_dir->path() + u"/Daily.ini"_s);
    // An earlier file of the same name leaves nothing behind.
    QVERIFY(testsupport::writeBytes(path, utf16leWithBom(u"[Old]\r\nstale=1\r\n[General]\r\nExtra=x\r\n"_s)));
    QString error;
    QVERIFY2(list.SaveToFile(path, &error), qPrintable(error));

    const QString expected = u"[General]\r\n"
                             "TaskListName=Daily\r\n"
                             "SaveLog=1\r\n"
                             "AddDateStr=0\r\n"
                             "TaskCount=2\r\n"
                             "\r\n"
                             "[Task0]\r\n"
                             "SrcPath=/home/me/docs/\r\n"
                             "DstPath=/backup/docs/\r\n"
                             "IncludingSubDirs=1\r\n"
                             "Mirroring=0\r\n"
                             "Verifying=1\r\n"
                             "Enabled=1\r\n"
                             "ExcludedItemCount=3\r\n"
                             "ExcludedItem0=Temp,0\r\n"
                             "ExcludedItem1=b.txt,1\r\n"
                             "ExcludedItem2=.tmp,2\r\n"
                             "\r\n"
                             "[Task1]\r\n"
                             "SrcPath=/srv/写真/\r\n"
                             "DstPath=/mnt/usb/写真/\r\n"
                             "IncludingSubDirs=0\r\n"
                             "Mirroring=1\r\n"
                             "Verifying=0\r\n"
                             "Enabled=0\r\n"
                             "ExcludedItemCount=0\r\n"
                             "\r\n"_s;
    const QByteArray bytes = testsupport::readBytes(path);
    QCOMPARE(bytes, utf16leWithBom(expected));

    TRsTaskList loaded;
    QVERIFY(loaded.LoadFromFile(path, &error));
    QCOMPARE(loaded.TaskListName(), u"Daily"_s);
    QCOMPARE(loaded.Count(), 2);
    QCOMPARE(loaded[1]->DstPath, u"/mnt/usb/写真/"_s);
    QCOMPARE(loaded[1]->Enabled, false);
    QCOMPARE(loaded.LogList.toStringList(), (QStringList{Dashes78, label() + u": Daily"_s}));
    const QString copy = m_dir->filePath(u"copy.ini"_s);
    QVERIFY(loaded.SaveToFile(copy, &error));
    QCOMPARE(testsupport::readBytes(copy), bytes);
}

void TestTaskList::excludedItemOrderOnSaveAndLoad()
{
    // Loading sorts too: entries stored out of order come back in the excluded item order.
    const QString path = m_dir->filePath(u"x.ini"_s);
    QVERIFY(testsupport::writeBytes(path, utf16leWithBom(u"[General]\r\nTaskCount=1\r\n[Task0]\r\n"
                                                          "ExcludedItemCount=4\r\n"
                                                          "ExcludedItem0=z.log,1\r\n"
                                                          "ExcludedItem1=.bak,2\r\n"
                                                          "ExcludedItem2=cache,0\r\n"
                                                          "ExcludedItem3=A.txt,1\r\n"_s)));
    TRsTaskList list;
    QVERIFY(list.LoadFromFile(path));
    QCOMPARE(list.Count(), 1);
    const TExcludedItemList expected{{u"cache"_s, eitDir}, {u"A.txt"_s, eitFile}, {u"z.log"_s, eitFile},
                                     {u".bak"_s, eitExt}};
    QCOMPARE(list[0]->ExcludedItemList, expected);

    // Saving sorts the in-memory list as well.
    TRsTaskList fresh;
    TRsTaskItem* t = makeTask(u"/a/"_s, u"/b/"_s);
    t->SetExcludedItemList(u"b.txt"_s, eitFile);
    t->SetExcludedItemList(u".tmp"_s, eitExt);
    t->SetExcludedItemList(u"Temp"_s, eitDir);
    fresh.Add(t);
    QVERIFY(fresh.SaveToFile(path));
    QCOMPARE(t->ExcludedItemList,
             (TExcludedItemList{{u"Temp"_s, eitDir}, {u"b.txt"_s, eitFile}, {u".tmp"_s, eitExt}}));
}

void TestTaskList::excludedItemLess_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<int>("kindA");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("kindB");
    QTest::addColumn<bool>("aFirst");
    QTest::newRow("kind before text") << u"zzz"_s << 0 << u"aaa"_s << 1 << true;
    QTest::newRow("file before extension") << u"~"_s << 1 << u".a"_s << 2 << true;
    QTest::newRow("abc before _x") << u"abc"_s << 0 << u"_x"_s << 0 << true;
    QTest::newRow("ABC before abd") << u"ABC"_s << 0 << u"abd"_s << 0 << true;
    QTest::newRow("prefix first") << u"Temp"_s << 0 << u"temp2"_s << 0 << true;
    QTest::newRow("code order beyond ASCII") << u"Zebra"_s << 0 << u"Äpfel"_s << 0 << true;
    QTest::newRow("dot before letters") << u".cache"_s << 0 << u"a"_s << 0 << true;
}

void TestTaskList::excludedItemLess()
{
    QFETCH(QString, a);
    QFETCH(int, kindA);
    QFETCH(QString, b);
    QFETCH(int, kindB);
    QFETCH(bool, aFirst);
    const TExcludedItem x{a, kindA};
    const TExcludedItem y{b, kindB};
    QCOMPARE(ExcludedItemLess(x, y), aFirst);
    QCOMPARE(ExcludedItemLess(y, x), !aFirst);
}

void TestTaskList::excludedItemEntries_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::newRow("comma in name") << u"Photos, 2015,0"_s << true << u"Photos, 2015"_s << int(eitDir);
    QTest::newRow("extension") << u".tmp,2"_s << true << u".tmp"_s << int(eitExt);
    QTest::newRow("name ending in comma") << u"odd,,1"_s << true << u"odd,"_s << int(eitFile);
    QTest::newRow("space before kind") << u"a, 1"_s << true << u"a"_s << int(eitFile);
    QTest::newRow("no comma") << u"Temp"_s << false << QString() << 0;
    QTest::newRow("kind not a number") << u"Temp,x"_s << false << QString() << 0;
    QTest::newRow("kind empty") << u"Temp,"_s << false << QString() << 0;
    QTest::newRow("kind out of range") << u"Temp,3"_s << false << QString() << 0;
    QTest::newRow("kind negative") << u"Temp,-1"_s << false << QString() << 0;
    QTest::newRow("kind hex") << u"Temp,$1"_s << false << QString() << 0;
    QTest::newRow("missing key") << QString() << false << QString() << 0;
}

void TestTaskList::excludedItemEntries()
{
    QFETCH(QString, value);
    QFETCH(bool, kept);
    QFETCH(QString, text);
    QFETCH(int, kind);
    const QString path = m_dir->filePath(u"e.ini"_s);
    QString body = u"[General]\r\nTaskCount=1\r\n[Task0]\r\nExcludedItemCount=2\r\nExcludedItem1=keep,1\r\n"_s;
    if (!value.isNull())
        body += u"ExcludedItem0="_s + value + u"\r\n"_s;
    QVERIFY(testsupport::writeBytes(path, utf16leWithBom(body)));
    TRsTaskList list;
    QVERIFY(list.LoadFromFile(path));
    const TExcludedItemList& items = list[0]->ExcludedItemList;
    QCOMPARE(items.size(), kept ? 2 : 1);
    QVERIFY(items.contains(TExcludedItem{u"keep"_s, eitFile}));
    if (kept)
        QVERIFY(items.contains(TExcludedItem{text, kind}));

    // What was kept is written back unchanged.
    if (kept) {
        QVERIFY(list.SaveToFile(path));
        TRsTaskList again;
        QVERIFY(again.LoadFromFile(path));
        QCOMPARE(again[0]->ExcludedItemList, items);
    }
}

void TestTaskList::fileDefaultsDifferFromNewTask()
{
    const QString path = m_dir->filePath(u"d.ini"_s);
    QVERIFY(testsupport::writeBytes(path, utf16leWithBom(u"[General]\r\nTaskCount=1\r\n[Task0]\r\nSrcPath=/src/\r\n"_s)));
    TRsTaskList list;
    QVERIFY(list.LoadFromFile(path));
    QCOMPARE(list.SaveLog, true);
    QCOMPARE(list.AddDateStr, false);
    QCOMPARE(list.Count(), 1);
    const TRsTaskItem* t = list[0];
    QCOMPARE(t->SrcPath, u"/src/"_s);
    QVERIFY(t->DstPath.isEmpty());
    QCOMPARE(t->IncludingSubDirs, true);
    QCOMPARE(t->Mirroring, true);
    QCOMPARE(t->Verifying, false);
    QCOMPARE(t->Enabled, true);
    QVERIFY(t->ExcludedItemList.isEmpty());

    const TRsTaskItem created;
    QCOMPARE(created.IncludingSubDirs, false);
    QCOMPARE(created.Mirroring, false);

    // Values that are not integers give the defaults as well.
    QVERIFY(testsupport::writeBytes(path, utf16leWithBom(u"[general]\r\nsavelog=no\r\nTaskCount=1\r\n"
                                                          "[task0]\r\nMirroring=off\r\nVerifying=1x\r\n"
                                                          "Enabled=$0\r\n"_s)));
    QVERIFY(list.LoadFromFile(path));
    QCOMPARE(list.SaveLog, true);
    QCOMPARE(list[0]->Mirroring, true);
    QCOMPARE(list[0]->Verifying, false);
    QCOMPARE(list[0]->Enabled, false);
}

void TestTaskList::emptyAndDamagedCounts_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("tasks");
    QTest::addColumn<QString>("name");
    // Without a stored name the list is named after its file ("c.ini"): an empty name cannot name
    // the list's files.
    QTest::newRow("no General section") << u"[Task0]\r\nSrcPath=/a/\r\n"_s << 0 << u"c"_s;
    QTest::newRow("TaskCount 0") << u"[General]\r\nTaskListName=X\r\nTaskCount=0\r\n[Task0]\r\nSrcPath=/a/\r\n"_s << 0
                                 << u"X"_s;
    QTest::newRow("negative TaskCount") << u"[General]\r\nTaskCount=-3\r\n"_s << 0 << u"c"_s;
    QTest::newRow("TaskCount beyond sections") << u"[General]\r\nTaskCount=3\r\n[Task0]\r\nSrcPath=/a/\r\n"_s << 3
                                               << u"c"_s;
    QTest::newRow("hex TaskCount") << u"[General]\r\nTaskCount=$2\r\n"_s << 2 << u"c"_s;
    QTest::newRow("empty file") << QString() << 0 << u"c"_s;
}

void TestTaskList::emptyAndDamagedCounts()
{
    QFETCH(QString, content);
    QFETCH(int, tasks);
    QFETCH(QString, name);
    const QString path = m_dir->filePath(u"c.ini"_s);
    QVERIFY(testsupport::writeBytes(path, utf16leWithBom(content)));
    TRsTaskList list;
    QVERIFY(list.LoadFromFile(path));
    QCOMPARE(list.Count(), tasks);
    QCOMPARE(list.TaskListName(), name);
    for (int i = 1; i < list.Count(); ++i) {
        QVERIFY(list[i]->SrcPath.isEmpty());
        QCOMPARE(list[i]->Mirroring, true);
    }
}

void TestTaskList::hugeCountsDoNotHang()
{
    // A damaged file claiming two billion tasks and entries must neither exhaust memory nor hang.
    const QString path = m_dir->filePath(u"h.ini"_s);
    QVERIFY(testsupport::writeBytes(path, utf16leWithBom(u"[General]\r\nTaskCount=2147483647\r\n"
                                                          "[Task0]\r\nExcludedItemCount=2147483647\r\n"
                                                          "ExcludedItem0=a,0\r\n"_s)));
    TRsTaskList list;
    QVERIFY(list.LoadFromFile(path));
    QVERIFY(list.Count() > 1);
    QVERIFY(list.Count() < 1000000);
    QCOMPARE(list[0]->ExcludedItemList, (TExcludedItemList{{u"a"_s, eitDir}}));
}

void TestTaskList::loadReplacesTasks()
{
    TRsTaskList list;
    list.Add(makeTask(u"/x/"_s, u"/y/"_s));
    list.Add(makeTask(u"/x2/"_s, u"/y2/"_s));
    const QString path = m_dir->filePath(u"r.ini"_s);
    QVERIFY(testsupport::writeBytes(path, utf16leWithBom(u"[General]\r\nTaskCount=1\r\n[Task0]\r\nSrcPath=/new/\r\n"_s)));
    QVERIFY(list.LoadFromFile(path));
    QCOMPARE(list.Count(), 1);
    QCOMPARE(list[0]->SrcPath, u"/new/"_s);
}

void TestTaskList::logFileNames()
{
    TRsTaskList list;
    list.SetTaskListName(u"Daily"_s);
    const QString dir = m_dir->path() + u'/';
    QCOMPARE(list.GetLogFileName(false), dir + u"Daily.log"_s);
    QCOMPARE(list.GetLogFileName(true), dir + u"Daily20161013.log"_s);
    // The argument decides, not the field.
    list.AddDateStr = true;
    QCOMPARE(list.GetLogFileName(false), dir + u"Daily.log"_s);
    // The date is taken at each call: a run past midnight writes the next day's file.
    SetCurrentDateTimeFunction([] { return QDateTime(QDate(2017, 1, 2), QTime(0, 0, 1)); });
    QCOMPARE(list.GetLogFileName(true), dir + u"Daily20170102.log"_s);
    QCOMPARE(list.GetTaskListFileName(), dir + u"Daily.ini"_s);
}

void TestTaskList::logHeadingFollowsRename()
{
    TRsTaskList list;
    list.SetTaskListName(u"A"_s);
    list.LogList << u"line 2"_s << u"line 3"_s;
    TaskListLabel = u"Task list"_s; // another language chosen meanwhile
    list.SetTaskListName(u"B"_s);
    QCOMPARE(list.LogList.toStringList(), (QStringList{Dashes78, u"Task list: B"_s, u"line 2"_s, u"line 3"_s}));

    // A log shorter than its heading gets the missing lines instead of losing one of its own.
    list.LogList.assign(QStringList{u"only line"_s});
    list.SetTaskListName(u"C"_s);
    QCOMPARE(list.LogList.toStringList(), (QStringList{u"only line"_s, u"Task list: C"_s}));
    list.LogList.clear();
    list.SetTaskListName(u"D"_s);
    QCOMPARE(list.LogList.toStringList(), (QStringList{Dashes78, u"Task list: D"_s}));
}

void TestTaskList::datedLogReplacesLogOnLoad_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QString text = u"------\r\nタスク リスト: Daily\r\nÄrger line\r\n\r\nlast"_s;
    QTest::newRow("UTF-16 LE with BOM") << utf16leWithBom(text);
    QByteArray be("\xFE\xFF");
    for (QChar c : text) {
        be.append(char(c.unicode() >> 8));
        be.append(char(c.unicode() & 0xFF));
    }
    QTest::newRow("UTF-16 BE with BOM") << be;
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    QTest::newRow("no BOM, system encoding") << QByteArray(QStringEncoder(QStringEncoder::System).encode(text));
    QTest::newRow("LF line ends") << utf16leWithBom(QString(text).replace(u"\r\n"_s, u"\n"_s));
    QTest::newRow("final line break") << utf16leWithBom(text + u"\r\n"_s);
}

void TestTaskList::datedLogReplacesLogOnLoad()
{
    QFETCH(QByteArray, bytes);
    const QString path = m_dir->filePath(u"Daily.ini"_s);
    QVERIFY(testsupport::writeBytes(path, utf16leWithBom(u"[General]\r\nTaskListName=Daily\r\nAddDateStr=1\r\n"_s)));
    QVERIFY(testsupport::writeBytes(m_dir->filePath(u"Daily20161013.log"_s), bytes));
    QVERIFY(testsupport::writeBytes(m_dir->filePath(u"Daily.log"_s), utf16leWithBom(u"undated"_s)));
    TRsTaskList list;
    QVERIFY(list.LoadFromFile(path));
    QCOMPARE(list.LogList.toStringList(), (QStringList{u"------"_s, u"タスク リスト: Daily"_s, u"Ärger line"_s, QString(), u"last"_s}));
}

void TestTaskList::datedLogIgnoredWhenNotWanted()
{
    const QString path = m_dir->filePath(u"Daily.ini"_s);
    QVERIFY(testsupport::writeBytes(m_dir->filePath(u"Daily20161013.log"_s), utf16leWithBom(u"old log"_s)));
    // Without AddDateStr the log starts fresh.
    QVERIFY(testsupport::writeBytes(path, utf16leWithBom(u"[General]\r\nTaskListName=Daily\r\nAddDateStr=0\r\n"_s)));
    TRsTaskList list;
    QVERIFY(list.LoadFromFile(path));
    QCOMPARE(list.LogList.toStringList(), (QStringList{Dashes78, label() + u": Daily"_s}));
    // With AddDateStr but no log of today (only yesterday's) it starts fresh too.
    SetCurrentDateTimeFunction([] { return QDateTime(QDate(2016, 10, 14), QTime(8, 0)); });
    QVERIFY(testsupport::writeBytes(path, utf16leWithBom(u"[General]\r\nTaskListName=Daily\r\nAddDateStr=1\r\n"_s)));
    TRsTaskList other;
    QVERIFY(other.LoadFromFile(path));
    QCOMPARE(other.LogList.toStringList(), (QStringList{Dashes78, label() + u": Daily"_s}));
    QCOMPARE(other.AddDateStr, true);
}

void TestTaskList::datedLogThatIsNoFile()
{
    // A FIFO named like today's log must not block the start; the list loads with a fresh log and
    // the warning names the log.
    const QString path = m_dir->filePath(u"Daily.ini"_s);
    QVERIFY(testsupport::writeBytes(path, utf16leWithBom(u"[General]\r\nTaskListName=Daily\r\nAddDateStr=1\r\n"
                                                          "TaskCount=1\r\n"_s)));
    QCOMPARE(::mkfifo(QFile::encodeName(m_dir->filePath(u"Daily20161013.log"_s)).constData(), 0600), 0);
    TRsTaskList list;
    QString error;
    QStringList warnings;
    QVERIFY(list.LoadFromFile(path, &error, &warnings));
    QCOMPARE(warnings.size(), 1);
    QVERIFY(warnings.first().contains(u"Daily20161013.log"_s));
    QCOMPARE(list.Count(), 1);
    QCOMPARE(list.LogList.toStringList(), (QStringList{Dashes78, label() + u": Daily"_s}));
}

void TestTaskList::saveFailureIsReported()
{
    TRsTaskList list;
    list.SetTaskListName(u"X"_s);
    QString error;
    QVERIFY(!list.SaveToFile(m_dir->filePath(u"missing/dir/X.ini"_s), &error));
    QVERIFY(error.contains(u"X.ini"_s));
    QVERIFY(!list.SaveToFile(m_dir->filePath(u"missing/dir/X.ini"_s))); // no error text wanted
}

void TestTaskList::missingFileReadsAsEmpty()
{
    TRsTaskList list;
    list.SetTaskListName(u"Before"_s);
    list.Add(makeTask(u"/a/"_s, u"/b/"_s));
    QString error;
    QVERIFY(list.LoadFromFile(m_dir->filePath(u"none.ini"_s), &error));
    QCOMPARE(list.Count(), 0);
    QVERIFY(list.TaskListName().isEmpty());

    // A file that exists but cannot be read is an error the caller learns of.
    const QString asDir = m_dir->filePath(u"dir.ini"_s);
    QVERIFY(QDir().mkpath(asDir));
    QVERIFY(!list.LoadFromFile(asDir, &error));
    QVERIFY(!error.isEmpty());
}

void TestTaskList::assignCopiesDeeply()
{
    TRsTaskList source;
    source.SetTaskListName(u"Src"_s);
    source.SaveLog = false;
    source.AddDateStr = true;
    source.LastRow = 5;
    source.IsTruncated = true;
    source.LogList << u"run 1"_s;
    TRsTaskItem* t = makeTask(u"/s/"_s, u"/d/"_s);
    t->IncludingSubDirs = true;
    t->Verifying = true;
    t->Enabled = false;
    t->IsSrcTruncated = true;
    t->SetExcludedItemList(u"x"_s, eitExt);
    source.Add(t);

    TRsTaskList target;
    target.Assign(source);
    QCOMPARE(target.TaskListName(), u"Src"_s);
    QCOMPARE(target.SaveLog, false);
    QCOMPARE(target.AddDateStr, true);
    QCOMPARE(target.LastRow, 1);
    QCOMPARE(target.IsTruncated, false);
    QCOMPARE(target.LogList.toStringList(), source.LogList.toStringList());
    QCOMPARE(target.Count(), 1);
    QVERIFY(target[0] != t);
    QCOMPARE(target[0]->SrcPath, u"/s/"_s);
    QCOMPARE(target[0]->IncludingSubDirs, true);
    QCOMPARE(target[0]->Verifying, true);
    QCOMPARE(target[0]->Enabled, false);
    QCOMPARE(target[0]->IsSrcTruncated, false);
    QCOMPARE(target[0]->ExcludedItemList, t->ExcludedItemList);
    // Deep: changing the copy leaves the source alone.
    target[0]->ExcludedItemList.clear();
    target[0]->SrcPath = u"/other/"_s;
    QCOMPARE(t->ExcludedItemList.size(), 1);
    QCOMPARE(t->SrcPath, u"/s/"_s);

    // A task's Assign appends excluded entries to what is there.
    TRsTaskItem item;
    item.SetExcludedItemList(u"keep"_s, eitDir);
    item.Assign(*t);
    QCOMPARE(item.ExcludedItemList, (TExcludedItemList{{u"keep"_s, eitDir}, {u"x"_s, eitExt}}));
}

void TestTaskList::sameExcludedItemExists()
{
    TRsTaskItem t;
    t.SetExcludedItemList(u"Temp"_s, eitDir);
    t.SetExcludedItemList(u"ÄRGER"_s, eitFile);
    QVERIFY(t.SameExcludedItemExists(u"temp"_s, eitDir));
    QVERIFY(!t.SameExcludedItemExists(u"temp"_s, eitFile)); // another kind
    QVERIFY(t.SameExcludedItemExists(u"Ärger"_s, eitFile));
    QVERIFY(!t.SameExcludedItemExists(u"ärger"_s, eitFile)); // only ASCII letters fold
    QVERIFY(!t.SameExcludedItemExists(u"Temp2"_s, eitDir));
}

void TestTaskList::indexOfTaskListName_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<int>("index");
    QTest::newRow("case folded") << QStringList{u"Weekly"_s, u"Daily"_s} << u"daily"_s << 1;
    QTest::newRow("full-width not folded") << QStringList{u"Daily"_s} << u"ＤＡＩＬＹ"_s << -1;
    QTest::newRow("first of two") << QStringList{u"Daily"_s, u"DAILY"_s} << u"daily"_s << 0;
    QTest::newRow("command line Ärger vs ÄRGER") << QStringList{u"ÄRGER"_s} << u"Ärger"_s << 0;
    QTest::newRow("command line Ärger vs ärger") << QStringList{u"ärger"_s} << u"Ärger"_s << -1;
    QTest::newRow("prefix is not a match") << QStringList{u"Daily2"_s} << u"daily"_s << -1;
    QTest::newRow("empty manager") << QStringList() << u"daily"_s << -1;
}

void TestTaskList::indexOfTaskListName()
{
    QFETCH(QStringList, names);
    QFETCH(QString, wanted);
    QFETCH(int, index);
    TRsTaskListManager manager;
    for (const QString& n : names) {
        auto* l = new TRsTaskList;
        l->SetTaskListName(n);
        manager.Add(l);
    }
    QCOMPARE(manager.IndexOfTaskListName(wanted), index);
}

void TestTaskList::nameTakenIncludesProgramFiles()
{
    TRsTaskListManager manager;
    auto* daily = new TRsTaskList;
    daily->SetTaskListName(u"Daily"_s);
    manager.Add(daily);

    QVERIFY(manager.IsTaskListNameTaken(u"DAILY"_s));
    QVERIFY(!manager.IsTaskListNameTaken(u"DAILY"_s, daily)); // renaming a list to itself
    QVERIFY(!manager.IsTaskListNameTaken(u"Weekly"_s));
    // A list of these names would overwrite the settings or shortcut key file.
    QVERIFY(manager.IsTaskListNameTaken(u"tsumiki"_s));
    QVERIFY(manager.IsTaskListNameTaken(u"TSUMIKI"_s, daily));
    QVERIFY(manager.IsTaskListNameTaken(u"TsumikiKey"_s));
    QVERIFY(!manager.IsTaskListNameTaken(u"tsumiki2"_s));
    QVERIFY(TRsTaskListManager::IsReservedTaskListName(u"tsumikikey"_s));
    // The reserved names follow the executable's name.
    SetExecutableBaseName(u"backup"_s);
    QVERIFY(manager.IsTaskListNameTaken(u"BackupKey"_s));
    QVERIFY(!manager.IsTaskListNameTaken(u"tsumiki"_s));
}

void TestTaskList::listOwnershipAndOrder()
{
    TRsTaskList list;
    TRsTaskItem* a = makeTask(u"a"_s, {});
    TRsTaskItem* b = makeTask(u"b"_s, {});
    TRsTaskItem* c = makeTask(u"c"_s, {});
    QCOMPARE(list.Add(a), 0);
    QCOMPARE(list.Add(c), 1);
    list.Insert(1, b);
    QCOMPARE(list.IndexOf(b), 1);
    list.Move(0, 2);
    QCOMPARE(list[0]->SrcPath + list[1]->SrcPath + list[2]->SrcPath, u"bca"_s);
    QCOMPARE(list.Remove(c), 1); // frees c (checked by the sanitizer build)
    QCOMPARE(list.IndexOf(c), -1);
    TRsTaskItem* taken = list.Extract(0);
    QCOMPARE(taken, b);
    delete taken;
    list.Delete(0);
    QCOMPARE(list.Count(), 0);
    TRsTaskItem notInList;
    QCOMPARE(list.Remove(&notInList), -1);

    TRsTaskListManager manager;
    auto* l1 = new TRsTaskList;
    auto* l2 = new TRsTaskList;
    QCOMPARE(manager.Add(l1), 0);
    manager.Insert(0, l2);
    QCOMPARE(manager.IndexOf(l1), 1);
    QCOMPARE(manager.Remove(l2), 0);
    QCOMPARE(manager.Count(), 1);
}

QTEST_GUILESS_MAIN(TestTaskList)
#include "tst_tasklist.moc"
