#include "BackupTestRun.h"

#include <QTemporaryDir>
#include <QTest>

#include <thread>

using namespace Qt::StringLiterals;
using namespace enginetest;

namespace {

constexpr qint64 kOld = 1600000000;
constexpr qint64 kNew = 1700000000;

// Files below root with content, mode and time, for comparing trees.
QStringList Snapshot(const QString& root)
{
    QStringList out;
    for (const QString& rel : ListTree(root)) {
        const QString path = root + u'/' + rel;
        out.append(rel + u" mode="_s + QString::number(Mode(path), 8)
                   + (rel.endsWith(u'/') ? QString()
                                         : u" t="_s + QString::number(MTime(path)) + u" "_s
                                               + QString::fromLatin1(ReadFile(path).toHex())));
    }
    return out;
}

QStringList TempFiles(const QString& root)
{
    return ListTree(root).filter(u".tsumiki-"_s);
}

} // namespace

class TestDoBackup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { SetTestLanguageTexts(); }
    void mirrorsEndToEnd();
    void testModeChangesNothing();
    void verification();
    void readOnlyAndHiddenFiles();
    void hostileNames();
    void destinationLinkNeverDeletedThrough();
    void sourceLinkLoopAndFifo();
    void unwritableDestinationIsLoggedAndRunGoesOn();
    void stopInsideLargeCopyKeepsOldBackup();
    void stopBetweenItems();
    void unlistedSourceIsNeverDeleted_data();
    void unlistedSourceIsNeverDeleted();
    void unlistedDestinationIsNeverWritten();
    void longPaths();
    void destinationDirectoryLinkIsNeverWrittenThrough_data();
    void destinationDirectoryLinkIsNeverWrittenThrough();
    void readOnlySourceDirectoriesStayWritableForLaterRuns();
    void temporaryFilesOfKilledRunsAreRemoved();
};

void TestDoBackup::mirrorsEndToEnd()
{
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    QVERIFY(WriteFile(s + u"/same.txt"_s, "same", kOld));
    QVERIFY(WriteFile(s + u"/changed.txt"_s, "new content", kNew));
    QVERIFY(WriteFile(s + u"/new/deep/n.txt"_s, "n", kNew));
    QVERIFY(MakeDirs(s + u"/emptydir"_s));
    QVERIFY(WriteFile(d + u"/same.txt"_s, "same", kOld));
    QVERIFY(WriteFile(d + u"/changed.txt"_s, "old", kOld));
    QVERIFY(WriteFile(d + u"/gone.txt"_s, "g", kOld));
    QVERIFY(WriteFile(d + u"/a/b/x.txt"_s, "x", kOld));

    TaskRun run(s, d, true);
    run.RunAll();
    QCOMPARE(Snapshot(d), Snapshot(s));
    QVERIFY(TempFiles(d).isEmpty());
    const QStringList expected{
        u"collected DirAttrib"_s, u"collected DirNew"_s, u"collected DirDelete"_s, u"collected FileNew"_s,
        u"collected FileOverwrite"_s, u"collected FileDelete"_s,
        u"LogDirNew emptydir"_s, u"LogDirNew new"_s, u"LogDirNew new/deep"_s,
        u"LogFileNew new/deep/n.txt"_s, u"LogFileOverwrite changed.txt"_s,
        u"LogFileDelete a/b/x.txt"_s, u"LogFileDelete gone.txt"_s,
        u"LogDirDelete a/b"_s, u"LogDirDelete a"_s}; // deeper directories first
    QCOMPARE(run.pane, expected);
    // Item lines also reach the run log, collected lines do not.
    QCOMPARE(run.Log(), expected.mid(6));

    // A second run has nothing to do.
    TaskRun again(s, d, true);
    again.RunAll();
    QVERIFY(again.lists.IsEmpty());
    QVERIFY(again.Log().isEmpty());
}

void TestDoBackup::testModeChangesNothing()
{
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    QVERIFY(WriteFile(s + u"/n.txt"_s, "n", kNew));
    QVERIFY(WriteFile(s + u"/o.txt"_s, "o2", kNew));
    QVERIFY(WriteFile(s + u"/dir/f.txt"_s, "f", kNew));
    QVERIFY(WriteFile(d + u"/o.txt"_s, "o1", kOld));
    QVERIFY(WriteFile(d + u"/x/x.txt"_s, "x", kOld));
    QVERIFY(Chmod(d + u"/x"_s, 0700));
    QVERIFY(MakeDirs(d + u"/dir"_s));
    QVERIFY(Chmod(d + u"/dir"_s, 0700));
    const QStringList before = Snapshot(d);

    TaskRun run(s, d, true, true);
    run.RunAll(true);
    QCOMPARE(Snapshot(d), before);
    QCOMPARE(run.Log(),
             (QStringList{u"LogDirAttrib dir"_s, u"LogFileNew dir/f.txt"_s, u"LogFileNew n.txt"_s,
                          u"LogFileOverwrite o.txt"_s, u"LogFileDelete x/x.txt"_s, u"LogDirDelete x"_s}));
    // A test of a verifying task computes the digests but verifies nothing.
    QVERIFY(run.pane.contains(u"collected FileVerify"_s));
    QVERIFY(run.pane.filter(u"LogFileVerify"_s).isEmpty());
}

void TestDoBackup::verification()
{
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    QVERIFY(WriteFile(s + u"/a.txt"_s, "aaa", kNew));
    QVERIFY(WriteFile(s + u"/b.txt"_s, "bbb", kNew));
    QVERIFY(WriteFile(d + u"/b.txt"_s, "old", kOld));
    QVERIFY(WriteFile(s + u"/changed.txt"_s, "before", kNew));

    TaskRun run(s, d, false, true);
    run.Scan();
    run.Collect();
    // Changed after its digest was taken: the copy no longer matches it.
    QVERIFY(WriteFile(s + u"/changed.txt"_s, "after!", kNew));
    run.Execute(false);
    const QStringList verifyLines = run.Log().filter(u"Verify"_s);
    QCOMPARE(verifyLines.size(), 3);
    QCOMPARE(verifyLines.at(0), u"LogFileVerify "_s + d + u"/a.txt"_s); // subject: the full destination path
    QVERIFY(verifyLines.at(1).startsWith(u"LogFileErrorVerify "_s + d + u"/changed.txt ("_s));
    QCOMPARE(verifyLines.at(2), u"LogFileVerify "_s + d + u"/b.txt"_s); // overwrites after new files
    QCOMPARE(ReadFile(d + u"/b.txt"_s), QByteArray("bbb"));
}

void TestDoBackup::readOnlyAndHiddenFiles()
{
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    QVERIFY(WriteFile(s + u"/ro.txt"_s, "new", kNew));
    QVERIFY(Chmod(s + u"/ro.txt"_s, 0444));
    QVERIFY(WriteFile(s + u"/.hidden"_s, "h", kNew));
    QVERIFY(WriteFile(s + u"/rodir/f.txt"_s, "f", kNew));
    QVERIFY(Chmod(s + u"/rodir"_s, 0555));
    QVERIFY(WriteFile(d + u"/ro.txt"_s, "old", kOld));
    QVERIFY(Chmod(d + u"/ro.txt"_s, 0400)); // a read-only destination is overwritten too
    TaskRun run(s, d, true);
    run.RunAll();
    QCOMPARE(run.Log().filter(u"Error"_s), QStringList());
    QCOMPARE(Snapshot(d), Snapshot(s));
    QCOMPARE(Mode(d + u"/ro.txt"_s), mode_t(0444));
    QCOMPARE(Mode(d + u"/rodir"_s), mode_t(0555)); // its own bits once its files are in
    QVERIFY(Chmod(s + u"/rodir"_s, 0755));
    QVERIFY(Chmod(d + u"/rodir"_s, 0755));
}

void TestDoBackup::hostileNames()
{
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    const QString bad = NameFromBytes(QByteArray("\xff\xfe latin1 \xe9"));
    QVERIFY(WriteFile(s + u"/with space/file name.txt"_s, "1", kNew));
    QVERIFY(WriteFile(s + u'/' + bad + u'/' + bad, "2", kNew));
    QVERIFY(WriteFile(s + u"/日本語.txt"_s, "3", kNew));
    TaskRun run(s, d);
    run.RunAll();
    QCOMPARE(run.Log().filter(u"Error"_s), QStringList());
    QCOMPARE(Snapshot(d), Snapshot(s));
    // The exact bytes came through.
    const std::string raw = Native(d) + "/\xff\xfe latin1 \xe9/\xff\xfe latin1 \xe9";
    QCOMPARE(ReadFile(platform::fromNative(raw).empty() ? QString() : NameFromBytes(QByteArray::fromStdString(raw))),
             QByteArray("2"));
    // The line shows the bytes that are not UTF-8 as escapes: the log stays valid UTF-16.
    QVERIFY(run.Log().contains(u"LogFileNew \\xFF\\xFE latin1 \\xE9/\\xFF\\xFE latin1 \\xE9"_s));
}

void TestDoBackup::destinationLinkNeverDeletedThrough()
{
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    QVERIFY(WriteFile(s + u"/keep.txt"_s, "k", kNew));
    QVERIFY(WriteFile(tmp.path() + u"/elsewhere/precious.txt"_s, "precious", kOld));
    QVERIFY(WriteFile(tmp.path() + u"/elsewhere/sub/more.txt"_s, "more", kOld));
    QVERIFY(MakeDirs(d));
    QVERIFY(Symlink(tmp.path() + u"/elsewhere"_s, d + u"/link"_s));
    QVERIFY(Symlink(tmp.path() + u"/elsewhere/precious.txt"_s, d + u"/filelink"_s));
    TaskRun run(s, d, true);
    run.RunAll();
    QCOMPARE(run.Log().filter(u"Error"_s), QStringList());
    QVERIFY(run.Log().contains(u"LogDirDelete link"_s));
    QVERIFY(run.Log().contains(u"LogFileDelete filelink"_s));
    QVERIFY(!Exists(d + u"/link"_s));
    QVERIFY(!Exists(d + u"/filelink"_s));
    QCOMPARE(ReadFile(tmp.path() + u"/elsewhere/precious.txt"_s), QByteArray("precious"));
    QCOMPARE(ReadFile(tmp.path() + u"/elsewhere/sub/more.txt"_s), QByteArray("more"));
    QCOMPARE(ListTree(d), QStringList{u"keep.txt"_s});
}

void TestDoBackup::sourceLinkLoopAndFifo()
{
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    QVERIFY(WriteFile(s + u"/a/f.txt"_s, "f", kNew));
    QVERIFY(Symlink(s, s + u"/a/loop"_s));
    QCOMPARE(::mkfifo(Native(s + u"/a/pipe"_s).c_str(), 0644), 0);
    QElapsedTimer timer;
    timer.start();
    TaskRun run(s, d, true);
    run.RunAll();
    QVERIFY(timer.elapsed() < 60000);
    QCOMPARE(run.Log().filter(u"Error"_s), QStringList());
    QCOMPARE(ListTree(d), (QStringList{u"a/"_s, u"a/f.txt"_s}));
}

void TestDoBackup::unwritableDestinationIsLoggedAndRunGoesOn()
{
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    QVERIFY(WriteFile(s + u"/sub/f.txt"_s, "f", kNew));
    QVERIFY(WriteFile(s + u"/z.txt"_s, "z", kNew));
    // A regular file stands where the directory should go: nothing can be written below it, root
    // included.
    QVERIFY(WriteFile(d + u"/sub"_s, "in the way", kOld));
    TaskRun run(s, d, false);
    run.RunAll();
    const QStringList log = run.Log();
    QCOMPARE(log.size(), 3);
    QVERIFY2(log.at(0).startsWith(u"LogDirErrorNew sub ("_s) && log.at(0).endsWith(u')'), qPrintable(log.at(0)));
    QVERIFY2(log.at(1).startsWith(u"LogFileErrorNew sub/f.txt ("_s), qPrintable(log.at(1)));
    QCOMPARE(log.at(2), u"LogFileNew z.txt"_s);
    QCOMPARE(ReadFile(d + u"/z.txt"_s), QByteArray("z"));
    QCOMPARE(ReadFile(d + u"/sub"_s), QByteArray("in the way"));
}

void TestDoBackup::stopInsideLargeCopyKeepsOldBackup()
{
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    QByteArray big(128 << 20, 'n');
    QVERIFY(WriteFile(s + u"/big.bin"_s, big, kNew));
    QVERIFY(WriteFile(s + u"/later.txt"_s, "later", kNew));
    QVERIFY(WriteFile(d + u"/big.bin"_s, "old backup", kOld));
    big.clear();
    TaskRun run(s, d);
    run.Scan();
    run.Collect();
    QCOMPARE(run.lists.FileOverwriteIndexList.size(), 1);
    // Stop as soon as the big copy's temporary file appears in the destination.
    std::atomic<bool> sawCopy{false};
    std::atomic<bool> quit{false};
    std::thread watcher([&] {
        while (!quit.load()) {
            for (const QString& temp : TempFiles(d)) {
                struct stat st;
                if (::stat(Native(d + u'/' + temp).c_str(), &st) == 0 && st.st_size >= (1 << 20)) {
                    sawCopy = true;
                    run.stopFlag = true;
                    return;
                }
            }
        }
    });
    run.Execute(false);
    quit = true;
    watcher.join();
    if (!sawCopy.load())
        QSKIP("the copy ended before the watcher saw it; nothing to stop");
    QCOMPARE(ReadFile(d + u"/big.bin"_s), QByteArray("old backup"));
    QCOMPARE(MTime(d + u"/big.bin"_s), kOld);
    QCOMPARE(TempFiles(d), QStringList());
    QCOMPARE(run.Log().size(), 2);
    QCOMPARE(run.Log().at(0), u"LogFileNew later.txt"_s); // new files come first
    QVERIFY2(run.Log().at(1).startsWith(u"LogFileErrorOverwrite big.bin ("_s),
             qPrintable(run.Log().at(1)));
}

void TestDoBackup::stopBetweenItems()
{
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    for (int i = 0; i < 50; ++i)
        QVERIFY(WriteFile(s + u"/f%1.txt"_s.arg(i, 2, 10, QChar(u'0')), "x", kNew));
    QVERIFY(WriteFile(d + u"/extra.txt"_s, "x", kOld));
    TaskRun run(s, d, true);
    run.Scan();
    run.Collect();
    std::atomic<int> calls{0};
    RunWorker(new TDoBackupThread(&run.src, &run.dst, &run.taskList, 0, &run.lists, &run.taskList.LogList,
                                  [&calls] { return calls.fetch_add(1) >= 9; }, nullptr, false),
              run.pane);
    // It ended at an item boundary: each copied file has its line, no file more; the later phases
    // (deletion) did not run.
    const QStringList log = run.Log();
    QVERIFY(log.size() > 0 && log.size() < 50);
    QCOMPARE(log.filter(u"LogFileNew f"_s).size(), log.size());
    QCOMPARE(ListTree(d).size(), log.size() + 1);
    QVERIFY(Exists(d + u"/extra.txt"_s));
}

// ---- Nothing lost

namespace {

// Makes a tree reachable and owned by nobody, so that a child dropped to nobody can run the task.
bool HandToNobody(const QTemporaryDir& tmp)
{
    uid_t uid;
    gid_t gid;
    return NobodyIds(uid, gid) && Chmod(tmp.path(), 0755) && ChownTree(tmp.path(), uid, gid);
}

// Runs a mirroring (or copying) task as nobody and gives back its run log.
QStringList RunAsNobodyLog(const QString& s, const QString& d, bool mirroring)
{
    QByteArray out;
    const bool ok = RunAsNobody(
        [&] {
            TaskRun run(s, d, mirroring);
            run.RunAll();
            return run.Log().join(u'\n').toUtf8();
        },
        &out);
    return ok ? QString::fromUtf8(out).split(u'\n', Qt::SkipEmptyParts) : QStringList{u"child failed"_s};
}

bool AnyStartsWith(const QStringList& lines, const QString& prefix)
{
    return std::any_of(lines.cbegin(), lines.cend(), [&](const QString& l) { return l.startsWith(prefix); });
}

} // namespace

void TestDoBackup::unlistedSourceIsNeverDeleted_data()
{
    QTest::addColumn<QString>("blocked"); // relative to the source
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("entryLines"); // listed, but each entry's status unreadable
    QTest::newRow("unreadable subdirectory") << u"priv"_s << 0 << false;
    QTest::newRow("read but no search permission") << u"priv"_s << 0444 << true;
    QTest::newRow("unreadable source itself") << QString() << 0 << false;
}

void TestDoBackup::unlistedSourceIsNeverDeleted()
{
    QFETCH(QString, blocked);
    QFETCH(int, mode);
    QFETCH(bool, entryLines);
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    for (const QString& root : {s, d}) {
        QVERIFY(WriteFile(root + u"/a.txt"_s, "a", kOld));
        QVERIFY(WriteFile(root + u"/priv/secret.txt"_s, "s", kOld));
        QVERIFY(WriteFile(root + u"/priv/deep/x.txt"_s, "x", kOld));
    }
    QVERIFY(WriteFile(d + u"/gone.txt"_s, "g", kOld)); // really gone from the source
    if (!HandToNobody(tmp))
        QSKIP("needs root and the user nobody to run as an ordinary user, in a forked child that starts threads (which ThreadSanitizer cannot follow)");
    const QString blockedPath = blocked.isEmpty() ? s : s + u'/' + blocked;
    QVERIFY(Chmod(blockedPath, mode_t(mode)));
    const QStringList before = ListTree(d);

    const QStringList log = RunAsNobodyLog(s, d, true);
    Chmod(blockedPath, 0755);
    // Said, with the reason: a failed item.
    if (entryLines) {
        QVERIFY2(AnyStartsWith(log, LogErrorEntryStatus + u' ' + blockedPath + u"/secret.txt (Permission denied)"_s),
                 qPrintable(log.join(u'\n')));
        QVERIFY(AnyStartsWith(log, LogErrorEntryStatus + u' ' + blockedPath + u"/deep ("_s));
    } else {
        QVERIFY2(AnyStartsWith(log, LogDirErrorList + u' ' + blockedPath + u" (Permission denied)"_s),
                 qPrintable(log.join(u'\n')));
    }
    // Nothing at or below what could not be seen was deleted; what the source really lost was.
    QStringList expected = before;
    if (!blocked.isEmpty())
        expected.removeOne(u"gone.txt"_s);
    QCOMPARE(ListTree(d), expected);
    QVERIFY(log.filter(u"LogFileDelete priv"_s).isEmpty() && log.filter(u"LogDirDelete"_s).isEmpty());
}

void TestDoBackup::unlistedDestinationIsNeverWritten()
{
    // A destination directory that cannot be listed: its files would all look missing, and a copy
    // would replace a newer backup unseen. Nothing goes there; the directory is an error line.
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    QVERIFY(WriteFile(s + u"/sub/f.txt"_s, "older source", kOld));
    QVERIFY(WriteFile(s + u"/top.txt"_s, "t", kOld));
    QVERIFY(WriteFile(d + u"/sub/f.txt"_s, "newer backup", kNew));
    if (!HandToNobody(tmp))
        QSKIP("needs root and the user nobody to run as an ordinary user, in a forked child that starts threads (which ThreadSanitizer cannot follow)");
    QVERIFY(Chmod(d + u"/sub"_s, 0300)); // may be written and searched, not listed
    const QStringList log = RunAsNobodyLog(s, d, false);
    QVERIFY(Chmod(d + u"/sub"_s, 0755));
    QVERIFY2(AnyStartsWith(log, LogDirErrorList + u' ' + d + u"/sub (Permission denied)"_s), qPrintable(log.join(u'\n')));
    QCOMPARE(ReadFile(d + u"/sub/f.txt"_s), QByteArray("newer backup"));
    QCOMPARE(log.filter(u"sub/f.txt"_s), QStringList());
    QVERIFY(log.contains(u"LogFileNew top.txt"_s));
}

void TestDoBackup::longPaths()
{
    // Deeper than the system takes a path in one piece (4096 bytes): listed, copied, verified and
    // found up to date at the next run.
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    QString deep;
    for (int i = 0; i < 24; ++i)
        deep += QString(200, QChar(u'a' + i)) + u'/';
    QVERIFY(WriteFile(tmp.path() + u"/short.txt"_s, "deep content", kOld));
    QVERIFY(MakeDirs(s + u'/' + deep));
    QCOMPARE(platform::copyFile(PathViewOf(tmp.path() + u"/short.txt"_s), PathViewOf(s + u'/' + deep + u"f.txt"_s), nullptr),
             platform::CopyResult::Copied);
    QVERIFY((s + u'/' + deep).toUtf8().size() > 4096);

    TaskRun run(s, d, true, true);
    run.RunAll();
    QVERIFY2(run.Log().filter(u"Error"_s).isEmpty(), qPrintable(run.Log().join(u'\n')));
    QVERIFY(run.Log().contains(u"LogFileNew "_s + deep + u"f.txt"_s));
    QVERIFY(run.Log().contains(u"LogFileVerify "_s + d + u'/' + deep + u"f.txt"_s));
    platform::DirEntry copied;
    QVERIFY(platform::statPath(PathViewOf(d + u'/' + deep + u"f.txt"_s), false, copied));
    QCOMPARE(copied.size, 12u);
    QCOMPARE(copied.modified.seconds, kOld);

    TaskRun again(s, d, true);
    again.RunAll();
    QVERIFY2(again.lists.IsEmpty(), qPrintable(again.Log().join(u'\n')));
    QVERIFY(again.Log().isEmpty());
    // Deleting a deep tree works as well (a source that still holds something: an empty one would
    // keep its backup).
    QVERIFY(platform::removeDirectoryTree(PathViewOf(s + u"/"_s + deep.left(200))));
    QVERIFY(WriteFile(s + u"/kept.txt"_s, "k", kOld));
    TaskRun mirror(s, d, true);
    mirror.RunAll();
    QVERIFY2(mirror.Log().filter(u"Error"_s).isEmpty(), qPrintable(mirror.Log().join(u'\n')));
    QCOMPARE(ListTree(d), QStringList{u"kept.txt"_s});
}

void TestDoBackup::destinationDirectoryLinkIsNeverWrittenThrough_data()
{
    QTest::addColumn<bool>("mirroring");
    QTest::newRow("mirroring replaces the link") << true;
    QTest::newRow("copying refuses the directory") << false;
}

void TestDoBackup::destinationDirectoryLinkIsNeverWrittenThrough()
{
    QFETCH(bool, mirroring);
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    const QString outside = tmp.path() + u"/outside"_s;
    QVERIFY(WriteFile(s + u"/docs/f.txt"_s, "source", kOld));
    QVERIFY(WriteFile(s + u"/docs/new.txt"_s, "new", kOld));
    QVERIFY(WriteFile(outside + u"/f.txt"_s, "newer, elsewhere", kNew));
    QVERIFY(MakeDirs(d));
    QVERIFY(Symlink(outside, d + u"/docs"_s));
    const QStringList outsideBefore = Snapshot(outside);

    TaskRun run(s, d, mirroring);
    run.RunAll();
    QCOMPARE(Snapshot(outside), outsideBefore);
    platform::DirEntry entry;
    QVERIFY(platform::statPath(PathViewOf(d + u"/docs"_s), false, entry));
    if (mirroring) {
        QCOMPARE(entry.kind, platform::EntryKind::Directory);
        QCOMPARE(Snapshot(d), Snapshot(s));
        QCOMPARE(run.Log(), (QStringList{u"LogDirDelete docs"_s, u"LogDirNew docs"_s, u"LogFileNew docs/f.txt"_s,
                                         u"LogFileNew docs/new.txt"_s}));
    } else {
        QCOMPARE(entry.kind, platform::EntryKind::DirectoryLink);
        QCOMPARE(run.Log(), QStringList{FormatLangText(LogDirErrorLink, u"docs"_s)});
    }
}

void TestDoBackup::readOnlySourceDirectoriesStayWritableForLaterRuns()
{
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    QVERIFY(WriteFile(s + u"/ro/f.txt"_s, "first", kOld));
    QVERIFY(WriteFile(s + u"/ro/old.txt"_s, "old", kOld));
    QVERIFY(WriteFile(s + u"/ro/inner/i.txt"_s, "i", kOld));
    QVERIFY(MakeDirs(d));
    if (!HandToNobody(tmp))
        QSKIP("needs root and the user nobody to run as an ordinary user, in a forked child that starts threads (which ThreadSanitizer cannot follow)");
    QVERIFY(Chmod(s + u"/ro/inner"_s, 0555) && Chmod(s + u"/ro"_s, 0555));
    QStringList log = RunAsNobodyLog(s, d, true);
    QVERIFY2(log.filter(u"Error"_s).isEmpty(), qPrintable(log.join(u'\n')));
    QCOMPARE(Mode(d + u"/ro"_s), mode_t(0555));
    QCOMPARE(Mode(d + u"/ro/inner"_s), mode_t(0555));

    // Later runs create, overwrite and delete inside the read-only backup directories.
    QVERIFY(Chmod(s + u"/ro"_s, 0755) && Chmod(s + u"/ro/inner"_s, 0755));
    QVERIFY(WriteFile(s + u"/ro/f.txt"_s, "second", kNew));
    QVERIFY(WriteFile(s + u"/ro/inner/n.txt"_s, "n", kNew));
    QVERIFY(::unlink(Native(s + u"/ro/old.txt"_s).c_str()) == 0);
    uid_t uid;
    gid_t gid;
    QVERIFY(NobodyIds(uid, gid) && ChownTree(s, uid, gid));
    QVERIFY(Chmod(s + u"/ro/inner"_s, 0555) && Chmod(s + u"/ro"_s, 0555));
    for (int round = 0; round < 2; ++round) {
        log = RunAsNobodyLog(s, d, true);
        QVERIFY2(log.filter(u"Error"_s).isEmpty(), qPrintable(log.join(u'\n')));
        QCOMPARE(Mode(d + u"/ro"_s), mode_t(0555));
        QCOMPARE(Mode(d + u"/ro/inner"_s), mode_t(0555));
    }
    Chmod(s + u"/ro"_s, 0755);
    Chmod(s + u"/ro/inner"_s, 0755);
    QCOMPARE(ReadFile(d + u"/ro/f.txt"_s), QByteArray("second"));
    QCOMPARE(ReadFile(d + u"/ro/inner/n.txt"_s), QByteArray("n"));
    QVERIFY(!Exists(d + u"/ro/old.txt"_s));
}

void TestDoBackup::temporaryFilesOfKilledRunsAreRemoved()
{
    QTemporaryDir tmp;
    const QString s = tmp.path() + u"/s"_s;
    const QString d = tmp.path() + u"/d"_s;
    QVERIFY(WriteFile(s + u"/a.txt"_s, "a", kOld));
    QVERIFY(WriteFile(s + u"/sub/.tsumiki-Q7x2Lp"_s, "a leftover in a tree that is another task's backup", kOld));
    QVERIFY(WriteFile(s + u"/.tsumiki-long-name"_s, "a user's file", kOld));
    QVERIFY(WriteFile(d + u"/a.txt"_s, "a", kOld));
    QVERIFY(WriteFile(d + u"/.tsumiki-AbC123"_s, "half a copy", kNew));
    QVERIFY(WriteFile(d + u"/sub/.tsumiki-000000"_s, "half a copy", kNew));
    QVERIFY(WriteFile(d + u"/.tsumiki-abc12"_s, "a user's file: five letters", kOld));

    // A test removes nothing and names none of them.
    TaskRun test(s, d, true);
    test.RunAll(true);
    QVERIFY(Exists(d + u"/.tsumiki-AbC123"_s));
    QCOMPARE(test.Log(), (QStringList{u"LogFileNew .tsumiki-long-name"_s, u"LogFileDelete .tsumiki-abc12"_s}));

    TaskRun run(s, d, true);
    run.RunAll();
    QCOMPARE(run.Log(), (QStringList{u"LogFileNew .tsumiki-long-name"_s, u"LogFileDelete .tsumiki-abc12"_s}));
    QCOMPARE(ListTree(d), (QStringList{u".tsumiki-long-name"_s, u"a.txt"_s, u"sub/"_s}));
    QVERIFY(Exists(s + u"/sub/.tsumiki-Q7x2Lp"_s)); // a source is never changed
}

QTEST_GUILESS_MAIN(TestDoBackup)
#include "tst_dobackup.moc"
