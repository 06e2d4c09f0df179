#include "BackupTestRun.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace enginetest;

namespace {

constexpr qint64 kBaseTime = 1700000000; // a fixed modification time for reproducible trees

// Builds a tree from entries "path" (a file at the base time), "path@ms" (a file whose time is the
// base time plus ms milliseconds) or "path/" (a directory).
bool BuildTree(const QString& root, const QStringList& entries)
{
    if (!MakeDirs(root))
        return false;
    for (const QString& e : entries) {
        if (e.endsWith(u'/')) {
            if (!MakeDirs(root + u'/' + e))
                return false;
            continue;
        }
        const qsizetype at = e.indexOf(u'@');
        const QString path = at < 0 ? e : e.left(at);
        const qint64 ms = at < 0 ? 0 : e.mid(at + 1).toLongLong();
        const qint64 total = kBaseTime * 1000 + ms;
        if (!WriteFile(root + u'/' + path, path.toUtf8(), total / 1000, long(total % 1000) * 1000000))
            return false;
    }
    return true;
}

QStringList SrcFiles(const TRsBackupList& list, const QList<qint32>& indices)
{
    QStringList out;
    for (qint32 i : indices)
        out.append(list.Items(i).RelativePath());
    return out;
}

QStringList DirPaths(const TRsDirList& dirs, const QList<qint32>& indices)
{
    QStringList out;
    for (qint32 i : indices)
        out.append(dirs[i]);
    return out;
}

} // namespace

class TestCollect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { SetTestLanguageTexts(); }
    void collects_data();
    void collects();
    void directoryAttributesCompareEveryBit();
    void digestsOnlyForFilesToCopy();
    void unreadableSourceGivesOneErrorLine();
    void stopEndsCollectionSilently();
};

void TestCollect::collects_data()
{
    QTest::addColumn<QStringList>("src");
    QTest::addColumn<QStringList>("dst");
    QTest::addColumn<bool>("mirroring");
    QTest::addColumn<QStringList>("fileNew");
    QTest::addColumn<QStringList>("fileOverwrite");
    QTest::addColumn<QStringList>("fileDelete");
    QTest::addColumn<QStringList>("dirNew");
    QTest::addColumn<QStringList>("dirDelete");

    const QStringList same{u"a.txt"_s, u"d/"_s, u"d/b.txt"_s};
    QTest::newRow("identical") << same << same << false << QStringList() << QStringList() << QStringList()
                               << QStringList() << QStringList();
    QTest::newRow("identical mirroring") << same << same << true << QStringList() << QStringList()
                                         << QStringList() << QStringList() << QStringList();
    QTest::newRow("empty destination")
        << QStringList{u"a.txt"_s, u"d/e/b.txt"_s, u"z/"_s} << QStringList() << false
        << QStringList{u"a.txt"_s, u"d/e/b.txt"_s} << QStringList() << QStringList()
        << QStringList{u"d"_s, u"d/e"_s, u"z"_s} << QStringList();
    QTest::newRow("destination 1 ms older") << QStringList{u"a.txt@1"_s} << QStringList{u"a.txt"_s} << false
                                            << QStringList() << QStringList{u"a.txt"_s} << QStringList()
                                            << QStringList() << QStringList();
    QTest::newRow("destination 1 ms newer") << QStringList{u"a.txt"_s} << QStringList{u"a.txt@1"_s} << false
                                            << QStringList() << QStringList() << QStringList()
                                            << QStringList() << QStringList();
    QTest::newRow("destination newer, mirroring")
        << QStringList{u"a.txt"_s} << QStringList{u"a.txt@1"_s} << true << QStringList()
        << QStringList{u"a.txt"_s} << QStringList() << QStringList() << QStringList();
    QTest::newRow("extras kept without mirroring")
        << QStringList{u"a.txt"_s} << QStringList{u"a.txt"_s, u"x.txt"_s, u"e/"_s, u"e/y.txt"_s} << false
        << QStringList() << QStringList() << QStringList() << QStringList() << QStringList();
    QTest::newRow("extras deleted with mirroring")
        << QStringList{u"a.txt"_s} << QStringList{u"a.txt"_s, u"x.txt"_s, u"e/"_s, u"e/f/"_s, u"e/y.txt"_s}
        << true << QStringList() << QStringList() << QStringList{u"e/y.txt"_s, u"x.txt"_s} << QStringList()
        << QStringList{u"e"_s, u"e/f"_s};
    // On a case-sensitive file system only identical names are one entry.
    QTest::newRow("ascii case is another file")
        << QStringList{u"README@5"_s} << QStringList{u"readme"_s} << true << QStringList{u"README"_s}
        << QStringList() << QStringList{u"readme"_s} << QStringList() << QStringList();
    QTest::newRow("ascii case is another file, no mirroring")
        << QStringList{u"README"_s} << QStringList{u"readme"_s} << false << QStringList{u"README"_s}
        << QStringList() << QStringList() << QStringList() << QStringList();
    QTest::newRow("directories differing in case or normalisation stay apart")
        << QStringList{u"Photos/a.jpg"_s, u"photos/b.jpg"_s, u"caf\u00e9/c.txt"_s, u"cafe\u0301/d.txt"_s}
        << QStringList{u"photos/b.jpg"_s, u"caf\u00e9/c.txt"_s} << true
        << QStringList{u"cafe\u0301/d.txt"_s, u"Photos/a.jpg"_s} << QStringList() << QStringList()
        << QStringList{u"cafe\u0301"_s, u"Photos"_s} << QStringList();
    QTest::newRow("non-ascii case is another file")
        << QStringList{u"Ä.txt"_s} << QStringList{u"ä.txt"_s} << true << QStringList{u"Ä.txt"_s}
        << QStringList() << QStringList{u"ä.txt"_s} << QStringList() << QStringList();
    QTest::newRow("mixed") << QStringList{u"k.txt"_s, u"n.txt"_s, u"o.txt@10"_s, u"s/"_s, u"s/n2.txt"_s}
                           << QStringList{u"k.txt"_s, u"o.txt"_s, u"gone.txt"_s, u"old/"_s} << true
                           << QStringList{u"n.txt"_s, u"s/n2.txt"_s} << QStringList{u"o.txt"_s}
                           << QStringList{u"gone.txt"_s} << QStringList{u"s"_s} << QStringList{u"old"_s};
}

void TestCollect::collects()
{
    QFETCH(QStringList, src);
    QFETCH(QStringList, dst);
    QFETCH(bool, mirroring);
    QTemporaryDir tmp;
    QVERIFY(BuildTree(tmp.path() + u"/s"_s, src));
    QVERIFY(BuildTree(tmp.path() + u"/d"_s, dst));
    TaskRun run(tmp.path() + u"/s"_s, tmp.path() + u"/d"_s, mirroring);
    run.Scan();
    run.Collect();
    QTEST(SrcFiles(run.src, run.lists.FileNewIndexList), "fileNew");
    QTEST(SrcFiles(run.src, run.lists.FileOverwriteIndexList), "fileOverwrite");
    QTEST(SrcFiles(run.dst, run.lists.FileDeleteIndexList), "fileDelete");
    QTEST(DirPaths(run.src.DirList, run.lists.DirNewIndexList), "dirNew");
    QTEST(DirPaths(run.dst.DirList, run.lists.DirDeleteIndexList), "dirDelete");
    QVERIFY(run.lists.DirAttribIndexList.isEmpty());
    // The collected lines come for every phase that ran, even with nothing found; never to the run log.
    QStringList expected{u"collected DirAttrib"_s, u"collected DirNew"_s};
    if (mirroring)
        expected << u"collected DirDelete"_s;
    expected << u"collected FileNew"_s << u"collected FileOverwrite"_s;
    if (mirroring)
        expected << u"collected FileDelete"_s;
    QCOMPARE(run.pane, expected);
    QVERIFY(run.taskList.LogList.size() <= 2); // nothing beyond the heading
    // No digest without verification.
    for (int i = 0; i < run.src.Count(); ++i)
        QVERIFY(run.src.Items(i).MD5().isEmpty());
}

void TestCollect::directoryAttributesCompareEveryBit()
{
    QTemporaryDir tmp;
    QVERIFY(BuildTree(tmp.path() + u"/s"_s, {u"same/"_s, u"perm/"_s, u"hidden/"_s}));
    QVERIFY(BuildTree(tmp.path() + u"/d"_s, {u"same/"_s, u"perm/"_s, u"hidden/"_s}));
    QVERIFY(Chmod(tmp.path() + u"/s/perm"_s, 0700));
    QVERIFY(Chmod(tmp.path() + u"/d/perm"_s, 0755));
    TaskRun run(tmp.path() + u"/s"_s, tmp.path() + u"/d"_s);
    run.Scan();
    run.Collect();
    QCOMPARE(DirPaths(run.src.DirList, run.lists.DirAttribIndexList), QStringList{u"perm"_s});
    QVERIFY(run.lists.DirNewIndexList.isEmpty());
}

void TestCollect::digestsOnlyForFilesToCopy()
{
    QTemporaryDir tmp;
    QVERIFY(BuildTree(tmp.path() + u"/s"_s, {u"new.txt"_s, u"old.txt@1000"_s, u"same.txt"_s}));
    QVERIFY(BuildTree(tmp.path() + u"/d"_s, {u"old.txt"_s, u"same.txt"_s}));
    TaskRun run(tmp.path() + u"/s"_s, tmp.path() + u"/d"_s, false, true);
    run.Scan();
    run.Collect();
    TMD5 md5;
    for (int i = 0; i < run.src.Count(); ++i) {
        const TRsBackupItem& item = run.src.Items(i);
        if (item.RelativePath() == u"same.txt"_s)
            QVERIFY(item.MD5().isEmpty());
        else
            QVERIFY(SameMD5Digest(item.MD5(), md5.HashBytes(item.RelativePath().toUtf8().constData(),
                                                             size_t(item.RelativePath().toUtf8().size()))));
    }
    QCOMPARE(run.pane.last(), u"collected FileVerify"_s);
}

void TestCollect::unreadableSourceGivesOneErrorLine()
{
    QTemporaryDir tmp;
    QVERIFY(BuildTree(tmp.path() + u"/s"_s, {u"gone.txt"_s, u"ok.txt"_s}));
    QVERIFY(BuildTree(tmp.path() + u"/d"_s, {}));
    TaskRun run(tmp.path() + u"/s"_s, tmp.path() + u"/d"_s, false, true);
    run.Scan();
    // Vanishes between scan and collection: its digest cannot be taken.
    QVERIFY(platform::deleteFile(PathViewOf(tmp.path() + u"/s/gone.txt"_s)));
    run.Collect();
    const QString line = u"LogFileErrorMisc "_s + tmp.path() + u"/s/gone.txt ("_s;
    QCOMPARE(run.taskList.LogList.filter(u"LogFileErrorMisc"_s).size(), 1);
    QVERIFY2(run.taskList.LogList.last().startsWith(line), qPrintable(run.taskList.LogList.last()));
    QVERIFY(run.taskList.LogList.last().endsWith(u')'));
    QVERIFY(run.pane.contains(run.taskList.LogList.last()));
    // It stays in the new-file list with a zero digest.
    QCOMPARE(SrcFiles(run.src, run.lists.FileNewIndexList), (QStringList{u"gone.txt"_s, u"ok.txt"_s}));
    QVERIFY(run.src.Items(0).MD5().isEmpty());
    QVERIFY(!run.src.Items(1).MD5().isEmpty());
}

void TestCollect::stopEndsCollectionSilently()
{
    QTemporaryDir tmp;
    QStringList files;
    for (int i = 0; i < 300; ++i)
        files << u"f%1.txt"_s.arg(i, 3, 10, QChar(u'0'));
    QVERIFY(BuildTree(tmp.path() + u"/s"_s, files));
    QVERIFY(BuildTree(tmp.path() + u"/d"_s, {}));
    TaskRun run(tmp.path() + u"/s"_s, tmp.path() + u"/d"_s, true, true);
    run.Scan();
    QCOMPARE(run.src.Count(), 300);
    // Stop during the file phase: count calls of the stop test.
    std::atomic<int> calls{0};
    auto* worker = new TCollectBackupInfoThread(&run.src, &run.dst, &run.taskList, 0, &run.lists,
                                                &run.taskList.LogList, [&calls] { return calls.fetch_add(1) >= 100; });
    connect(worker, &TRsThread::linesAdded, this, [&run](const QStringList& l) { run.pane += l; });
    QSignalSpy done(worker, &TRsThread::done);
    worker->start();
    QTRY_COMPARE(done.count(), 1);
    QVERIFY(worker->Terminated());
    StopAndFreeThread(worker);
    // The directory phases ran; the file phase was cut short: no line for it, what was found stays.
    QCOMPARE(run.pane, (QStringList{u"collected DirAttrib"_s, u"collected DirNew"_s, u"collected DirDelete"_s}));
    QVERIFY(!run.lists.FileNewIndexList.isEmpty());
    QVERIFY(run.lists.FileNewIndexList.size() < 300);
    for (int i = 0; i < run.src.Count(); ++i)
        QVERIFY(run.src.Items(i).MD5().isEmpty());
}

QTEST_GUILESS_MAIN(TestCollect)
#include "tst_collect.moc"
