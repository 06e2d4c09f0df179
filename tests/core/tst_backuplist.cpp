#include "BackupTestRun.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace enginetest;

class TestBackupList : public QObject
{
    Q_OBJECT

private:
    QStringList Items(const TRsBackupList& list)
    {
        QStringList out;
        for (int i = 0; i < list.Count(); ++i)
            out.append(list.Items(i).RelativePath());
        return out;
    }
    QStringList Dirs(const TRsBackupList& list)
    {
        QStringList out;
        for (int i = 0; i < list.DirList.Count(); ++i)
            out.append(list.DirList[i]);
        return out;
    }
    void ScanOne(TRsBackupList& list, const QString& path, const TExcludedItemList& excluded = {},
                 bool subDirs = true, bool followLinks = true, const TBreakFunction& stop = {})
    {
        list.LoadFromBasePath(path, excluded, subDirs, stop, followLinks);
        QTRY_VERIFY_WITH_TIMEOUT(list.SearchFilesDone, 20000);
    }

private Q_SLOTS:
    void isExcludedItem_data();
    void isExcludedItem();
    void scanAppliesExclusionsAtAnyDepth();
    void withoutSubDirsListsTopFilesOnly();
    void itemsSortedAsciiCaseInsensitive();
    void scanOrderIsSortOrder_data();
    void scanOrderIsSortOrder();
    void cursorLookups();
    void caseOfNonAsciiLetters();
    void exactSpellingPreferredAmongCaseVariants();
    void missingBaseDirectoryLeavesListEmpty();
    void hostileNamesRoundTrip();
    void destinationLinkIsListedButNotEntered();
    void sourceLinkLoopIsNotEnteredTwice();
    void linkWebIsEnteredOnce();
    void fifoAndDanglingLinkAreSkipped();
    void pseudoFileSystemsAreNotRead_data();
    void pseudoFileSystemsAreNotRead();
    void findingsShowNamesEscaped();
    void stopLeavesPartialListAndDone();
    void reloadWhileScanning();
};

void TestBackupList::isExcludedItem_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("excluded");
    // The list: directory "Temp", file "Thumbs.db", extension ".bak"
    QTest::newRow("dir exact") << u"Temp"_s << int(eitDir) << true;
    QTest::newRow("dir lower") << u"temp"_s << int(eitDir) << true;
    QTest::newRow("dir upper") << u"TEMP"_s << int(eitDir) << true;
    QTest::newRow("dir as file kind") << u"Temp"_s << int(eitFile) << false;
    QTest::newRow("dir prefix only") << u"Temporary"_s << int(eitDir) << false;
    QTest::newRow("file any case") << u"THUMBS.DB"_s << int(eitFile) << true;
    QTest::newRow("file as dir kind") << u"Thumbs.db"_s << int(eitDir) << false;
    QTest::newRow("ext any case") << u".BAK"_s << int(eitExt) << true;
    QTest::newRow("ext of x.bak.old") << u".old"_s << int(eitExt) << false;
    QTest::newRow("no wildcard") << u"*.bak"_s << int(eitExt) << false;
    QTest::newRow("empty ext") << QString() << int(eitExt) << false;
    // Only ASCII letters fold: a non-ASCII capital is another name.
    QTest::newRow("non-ascii case") << u"tÄmp"_s << int(eitDir) << false;
}

void TestBackupList::isExcludedItem()
{
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(bool, excluded);
    const TExcludedItemList list{{u"Temp"_s, eitDir}, {u"Thumbs.db"_s, eitFile}, {u".bak"_s, eitExt},
                                 {u"tämp"_s, eitDir}};
    QCOMPARE(IsExcludedItem(text, TExcludedItemType(kind), list), excluded);
}

void TestBackupList::scanAppliesExclusionsAtAnyDepth()
{
    QTemporaryDir tmp;
    const QString root = tmp.path() + u"/src"_s;
    for (const QString& f : {u"keep.txt"_s, u"x.BAK"_s, u"x.bak.old"_s, u"THUMBS.DB"_s, u".profile"_s,
                             u"a/temp/inner.txt"_s, u"a/keep.txt"_s, u"b/c/TEMP/deep.txt"_s, u"b/c/ok.txt"_s,
                             u"Temp/top.txt"_s, u"b/Thumbs.db"_s})
        QVERIFY(WriteFile(root + u'/' + f, "x"));
    const TExcludedItemList excluded{{u"Temp"_s, eitDir}, {u"Thumbs.db"_s, eitFile}, {u".bak"_s, eitExt}};
    TRsBackupList list;
    ScanOne(list, root, excluded);
    QCOMPARE(list.BasePath(), root + u'/');
    QCOMPARE(Items(list), (QStringList{u".profile"_s, u"a/keep.txt"_s, u"b/c/ok.txt"_s, u"keep.txt"_s,
                                       u"x.bak.old"_s}));
    QCOMPARE(Dirs(list), (QStringList{u"a"_s, u"b"_s, u"b/c"_s}));
    QCOMPARE(list.Items(0).FileName(), root + u"/.profile"_s);
    // Hidden-ness (leading dot) is part of the attribute word.
    QVERIFY(list.Items(0).Attribute() & platform::kAttrHidden);
    QVERIFY(!(list.Items(1).Attribute() & platform::kAttrHidden));
    QVERIFY(list.DirList.Attribute(0) & platform::kAttrDirectory);
}

void TestBackupList::withoutSubDirsListsTopFilesOnly()
{
    QTemporaryDir tmp;
    QVERIFY(WriteFile(tmp.path() + u"/one.txt"_s, "1"));
    QVERIFY(WriteFile(tmp.path() + u"/sub/two.txt"_s, "2"));
    TRsBackupList list;
    ScanOne(list, tmp.path(), {}, false);
    QCOMPARE(Items(list), QStringList{u"one.txt"_s});
    QCOMPARE(list.DirList.Count(), 0);
}

void TestBackupList::itemsSortedAsciiCaseInsensitive()
{
    QTemporaryDir tmp;
    for (const QString& f : {u"b.txt"_s, u"A.txt"_s, u"a/z.txt"_s, u"C/d.txt"_s, u"_x"_s, u"ab"_s})
        QVERIFY(WriteFile(tmp.path() + u'/' + f, "x"));
    TRsBackupList list;
    ScanOne(list, tmp.path());
    // '/' (0x2F) < '.' ? no: '.' is 0x2E; '_' (0x5F) sorts after the folded capitals.
    QCOMPARE(Items(list), (QStringList{u"A.txt"_s, u"a/z.txt"_s, u"ab"_s, u"b.txt"_s, u"C/d.txt"_s, u"_x"_s}));
    QVERIFY(CompareRelativePath(u"abc", u"ABCD") < 0);
    QVERIFY(CompareRelativePath(u"ABC", u"abc") == 0);
    QVERIFY(CompareRelativePath(u"ä", u"Ä") != 0);
}

void TestBackupList::scanOrderIsSortOrder_data()
{
    QTest::addColumn<QStringList>("files");
    // Names around '/' (0x2F): '-' and '.' sort before a subdirectory's files, '0' after them; a
    // name that is a prefix of a directory's name comes first.
    QTest::newRow("files among subdirectories")
        << QStringList{u"a-b"_s, u"a/x"_s, u"a/y/z"_s, u"a0"_s, u"a.txt"_s, u"A.TXT"_s, u"ab/c"_s,
                       u"ab.txt"_s, u"Ab"_s, u"_"_s, u"~"_s, u"\u00e4"_s, u"Z/1"_s, u"z1"_s, u"a/x-"_s,
                       u"a/w/deeper"_s};
    QTest::newRow("deep")
        << QStringList{u"x/y/z/w/v"_s, u"x/y/z/w.txt"_s, u"x/y/z-/q"_s, u"x/y/z0"_s, u"x/y.txt"_s, u"x0"_s};
    // Two directories whose names differ only in ASCII case interleave in the sorted list.
    QTest::newRow("directories differing in case")
        << QStringList{u"Dir/a"_s, u"dir/a"_s, u"Dir/b"_s, u"dir/b0"_s, u"Dir/c/d"_s, u"dir-"_s, u"e"_s};
}

void TestBackupList::scanOrderIsSortOrder()
{
    QFETCH(QStringList, files);
    QTemporaryDir tmp;
    for (const QString& f : std::as_const(files))
        QVERIFY(WriteFile(tmp.path() + u'/' + f, "x"));
    TRsBackupList list;
    ScanOne(list, tmp.path());
    const QStringList scanned = Items(list);
    QCOMPARE(scanned.size(), files.size());
    list.Sort();
    QCOMPARE(scanned, Items(list));
    // The lookups rely on that order: every item is found where it is, from any cursor.
    for (int i = list.Count() - 1; i >= 0; --i)
        QCOMPARE(list.IndexOfRelativePath(list.Items(i).RelativePath()), i);
}

void TestBackupList::cursorLookups()
{
    QTemporaryDir tmp;
    for (const QString& f : {u"a.txt"_s, u"b.txt"_s, u"c.txt"_s, u"d.txt"_s})
        QVERIFY(WriteFile(tmp.path() + u'/' + f, "x"));
    TRsBackupList list;
    ScanOne(list, tmp.path());
    QCOMPARE(list.IndexOfRelativePath(u"B.TXT"), -1); // only the identical name is the same entry
    QCOMPARE(list.IndexOfRelativePath(u"b.txt"), 1);
    QCOMPARE(list.IndexOfRelativePath(u"b.txt"), 1); // the same path twice: both hit
    QCOMPARE(list.IndexOfRelativePath(u"c.txt"), 2);
    QCOMPARE(list.IndexOfRelativePath(u"a.txt"), 0); // behind the cursor: wraps round
    QCOMPARE(list.IndexOfRelativePath(u"zz.txt"), -1);
    QCOMPARE(list.IndexOfRelativePath(u"a.txt"), 0); // after a miss the search starts at 0
    QCOMPARE(list.IndexOfRelativePath2(u"d.txt"), 3);
    QCOMPARE(list.IndexOfRelativePath2(u"D.txt"), -1);
    QCOMPARE(list.IndexOfRelativePath2(u"e.txt"), -1);

    // An unsorted list (items added by hand) is searched from just after the cursor.
    TRsBackupList manual;
    manual.Add(TRsBackupItem(u"/b/"_s, u"x"_s, 1.0, 0));
    manual.Add(TRsBackupItem(u"/b/"_s, u"a"_s, 1.0, 0));
    manual.Add(TRsBackupItem(u"/b/"_s, u"X"_s, 1.0, 0));
    QCOMPARE(manual.IndexOfRelativePath(u"a"), 1);
    QCOMPARE(manual.IndexOfRelativePath(u"x"), 0); // from just after the cursor, wrapping round
    QCOMPARE(manual.IndexOfRelativePath(u"X"), 2);
    QCOMPARE(manual.IndexOfRelativePath(u"x"), 0);
    QCOMPARE(manual.IndexOf(&manual.Items(1)), 1);
    QCOMPARE(manual.Remove(&manual.Items(1)), 1);
    QCOMPARE(manual.Count(), 2);
    manual.Sort();
    QCOMPARE(manual.Items(0).FileName(), u"/b/X"_s);
}

void TestBackupList::caseOfNonAsciiLetters()
{
    TRsBackupList list;
    list.Add(TRsBackupItem(u"/b/"_s, u"Ä.txt"_s, 1.0, 0));
    list.Sort();
    QCOMPARE(list.IndexOfRelativePath(u"ä.txt"), -1);
    QCOMPARE(list.IndexOfRelativePath(u"Ä.TXT"), -1);
    QCOMPARE(list.IndexOfRelativePath(u"Ä.txt"), 0);
    // Directory paths are sorted by the locale's case-insensitive collation, but only identical
    // paths are one entry: 'Ä' and 'ä', or 'é' composed and decomposed, are two.
    QCOMPARE(list.DirList.Add(u"Ä"_s, 1), 0);
    QCOMPARE(list.DirList.Add(u"Ä"_s, 3), 0); // the same path again adds nothing
    const int lower = list.DirList.Add(u"ä"_s, 2);
    QCOMPARE(list.DirList.Count(), 2);
    QCOMPARE(list.DirList.IndexOf(u"ä"), lower);
    QCOMPARE(list.DirList.Attribute(lower), 2u);
    QCOMPARE(list.DirList.Attribute(list.DirList.IndexOf(u"Ä")), 1u);
    list.DirList.Add(u"caf\u00e9"_s, 4);
    list.DirList.Add(u"cafe\u0301"_s, 5);
    QCOMPARE(list.DirList.Count(), 4);
    QCOMPARE(list.DirList.Attribute(list.DirList.IndexOf(u"cafe\u0301")), 5u);
    list.DirList.Add(u"a"_s, 0);
    list.DirList.Add(u"a/b"_s, 0);
    list.DirList.Add(u"B"_s, 0);
    QCOMPARE(list.DirList.IndexOf(u"A"), -1);
    QVERIFY(list.DirList.IndexOf(u"a") < list.DirList.IndexOf(u"a/b")); // a parent before its children
    QCOMPARE(list.DirList.IndexOf(u"c"), -1);
}

void TestBackupList::exactSpellingPreferredAmongCaseVariants()
{
    // A case-sensitive file system may hold both spellings; each finds its own counterpart.
    QTemporaryDir tmp;
    QVERIFY(WriteFile(tmp.path() + u"/readme"_s, "lower"));
    QVERIFY(WriteFile(tmp.path() + u"/README"_s, "upper"));
    QVERIFY(WriteFile(tmp.path() + u"/x"_s, "x"));
    TRsBackupList list;
    ScanOne(list, tmp.path());
    const int upper = list.IndexOfRelativePath(u"README");
    const int lower = list.IndexOfRelativePath(u"readme");
    QVERIFY(upper >= 0 && lower >= 0 && upper != lower);
    QCOMPARE(list.Items(upper).RelativePath(), u"README"_s);
    QCOMPARE(list.Items(lower).RelativePath(), u"readme"_s);
    QCOMPARE(list.IndexOfRelativePath(u"ReadMe"), -1);
}

void TestBackupList::missingBaseDirectoryLeavesListEmpty()
{
    QTemporaryDir tmp;
    TRsBackupList list;
    list.Add(TRsBackupItem(u"/b/"_s, u"old"_s, 1.0, 0));
    list.LoadFromBasePath(tmp.path() + u"/missing"_s, {}, true, {});
    QCOMPARE(list.Count(), 0);
    QVERIFY(list.BasePath().isEmpty());
    QVERIFY(list.SearchFilesThread() == nullptr);
}

void TestBackupList::hostileNamesRoundTrip()
{
    QTemporaryDir tmp;
    const QString bad = NameFromBytes(QByteArray("caf\xe9 \xff.txt"));
    const QString names[] = {u"with space.txt"_s, u"#hash"_s, u"日本語/ファイル.txt"_s, bad, u"dir\x0001x"_s};
    for (const QString& n : names)
        QVERIFY2(WriteFile(tmp.path() + u'/' + n, "x"), qPrintable(n));
    TRsBackupList list;
    ScanOne(list, tmp.path());
    QCOMPARE(list.Count(), 5);
    const int i = list.IndexOfRelativePath(bad);
    QVERIFY(i >= 0);
    // The name goes back to the same bytes.
    QCOMPARE(QByteArray::fromStdString(Native(list.Items(i).FileName())),
             QByteArray::fromStdString(Native(tmp.path())) + "/caf\xe9 \xff.txt");
    QVERIFY(list.IndexOfRelativePath(u"日本語/ファイル.txt"_s) >= 0);
}

void TestBackupList::destinationLinkIsListedButNotEntered()
{
    QTemporaryDir tmp;
    QVERIFY(WriteFile(tmp.path() + u"/outside/precious.txt"_s, "keep"));
    QVERIFY(WriteFile(tmp.path() + u"/tree/real/f.txt"_s, "x"));
    QVERIFY(Symlink(tmp.path() + u"/outside"_s, tmp.path() + u"/tree/link"_s));
    TRsBackupList dst;
    ScanOne(dst, tmp.path() + u"/tree"_s, {}, true, false);
    QCOMPARE(Items(dst), QStringList{u"real/f.txt"_s});
    QCOMPARE(Dirs(dst), (QStringList{u"link"_s, u"real"_s}));
    // Followed (a source), the link is a directory like any other.
    TRsBackupList src;
    ScanOne(src, tmp.path() + u"/tree"_s, {}, true, true);
    QCOMPARE(Items(src), (QStringList{u"link/precious.txt"_s, u"real/f.txt"_s}));
}

void TestBackupList::sourceLinkLoopIsNotEnteredTwice()
{
    QTemporaryDir tmp;
    const QString root = tmp.path() + u"/src"_s;
    QVERIFY(WriteFile(root + u"/a/b/f.txt"_s, "x"));
    QVERIFY(Symlink(root, root + u"/a/b/up"_s));   // back to the root
    QVERIFY(Symlink(u".."_s, root + u"/a/b/parent"_s)); // back to a
    QVERIFY(WriteFile(tmp.path() + u"/other/g.txt"_s, "y"));
    QVERIFY(Symlink(tmp.path() + u"/other"_s, root + u"/a/o1"_s));
    QVERIFY(Symlink(tmp.path() + u"/other"_s, root + u"/a/o2"_s)); // the same directory twice, no loop
    TRsBackupList list;
    ScanOne(list, root);
    // Each directory is entered once: the second way into 'other' and both ways back up are
    // skipped, each with one line, and protected (not listed, so not taken for missing).
    QCOMPARE(Items(list), (QStringList{u"a/b/f.txt"_s, u"a/o1/g.txt"_s}));
    QCOMPARE(Dirs(list), (QStringList{u"a"_s, u"a/b"_s, u"a/o1"_s}));
    QCOMPARE(list.Findings.unlistedPaths, (QSet<QString>{u"a/b/up"_s, u"a/b/parent"_s, u"a/o2"_s}));
    QCOMPARE(list.Findings.lines.size(), 3);
    for (const auto& [line, isError] : list.Findings.lines) {
        QVERIFY(!isError);
        QVERIFY2(line.startsWith(LogDirSkipRepeated + u' ' + root + u"/a/"_s), qPrintable(line));
    }
    QVERIFY(list.Findings.lines.at(2).first.endsWith(u"/a/o2 = "_s + root + u"/a/o1"_s));
}

void TestBackupList::linkWebIsEnteredOnce()
{
    // Six directories that each link to all the others: followed naively the listing grows with
    // the factorial of their number (1,956 copies of them).
    QTemporaryDir tmp;
    const QString root = tmp.path() + u"/src"_s;
    constexpr int kDirs = 6;
    for (int i = 0; i < kDirs; ++i)
        QVERIFY(WriteFile(root + u"/d%1/f.txt"_s.arg(i), "x"));
    for (int i = 0; i < kDirs; ++i) {
        for (int j = 0; j < kDirs; ++j) {
            if (i != j)
                QVERIFY(Symlink(u"../d%1"_s.arg(j), root + u"/d%1/l%2"_s.arg(i).arg(j)));
        }
    }
    TRsBackupList list;
    ScanOne(list, root);
    QCOMPARE(list.Count(), kDirs);
    QCOMPARE(list.DirList.Count(), kDirs);
    QCOMPARE(list.Findings.lines.size(), kDirs * (kDirs - 1));
    QCOMPARE(list.Findings.unlistedPaths.size(), kDirs * (kDirs - 1));
    QVERIFY(list.Findings.unlistedPaths.contains(u"d0/l1"_s));
}

void TestBackupList::fifoAndDanglingLinkAreSkipped()
{
    QTemporaryDir tmp;
    QVERIFY(WriteFile(tmp.path() + u"/f.txt"_s, "x"));
    QCOMPARE(::mkfifo(Native(tmp.path() + u"/pipe"_s).c_str(), 0644), 0);
    QVERIFY(Symlink(tmp.path() + u"/nothing"_s, tmp.path() + u"/dangling"_s));
    QVERIFY(Symlink(tmp.path() + u"/f.txt"_s, tmp.path() + u"/filelink"_s));
    TRsBackupList list;
    ScanOne(list, tmp.path());
    QCOMPARE(Items(list), (QStringList{u"f.txt"_s, u"filelink"_s}));
}

void TestBackupList::pseudoFileSystemsAreNotRead_data()
{
    QTest::addColumn<QString>("how"); // how the pseudo file system is reached
    QTest::newRow("a link into proc") << u"link"_s;
    QTest::newRow("proc mounted in the tree") << u"mount"_s;
    QTest::newRow("the tree itself") << u"base"_s;
}

// Files of proc, sys and the like are made up as they are read, and some never end: one line says
// they are not read, and nothing there counts as missing.
void TestBackupList::pseudoFileSystemsAreNotRead()
{
    QFETCH(QString, how);
    QTemporaryDir tmp;
    const QString root = tmp.path() + u"/src"_s;
    QVERIFY(WriteFile(root + u"/f.txt"_s, "x"));
    QVERIFY(MakeDirs(root + u"/k"_s));
    QString base = root;
    QString notRead = u"k"_s;
    if (how == u"link"_s) {
        QVERIFY(::rmdir(Native(root + u"/k"_s).c_str()) == 0);
        QVERIFY(Symlink(u"/proc/self"_s, root + u"/k"_s));
    } else if (how == u"mount"_s) {
        if (::mount("proc", Native(root + u"/k"_s).c_str(), "proc", 0, nullptr) != 0)
            QSKIP("proc cannot be mounted here (needs root)");
    } else {
        base = u"/proc/sys/kernel"_s;
        notRead = QString();
    }
    TRsBackupList list;
    ScanOne(list, base);
    if (how == u"mount"_s)
        ::umount2(Native(root + u"/k"_s).c_str(), MNT_DETACH);
    QCOMPARE(Items(list), base == root ? QStringList{u"f.txt"_s} : QStringList());
    QVERIFY(Dirs(list).isEmpty());
    QCOMPARE(list.Findings.lines.size(), 1);
    QCOMPARE(list.Findings.lines.first().first,
             LogSkipPseudoFileSystem + u' ' + (notRead.isEmpty() ? base : root + u'/' + notRead));
    QVERIFY(!list.Findings.lines.first().second);
    QCOMPARE(list.Findings.unlistedPaths, QSet<QString>{notRead});
}

// A finding's path holds the name's line break as an escape: the finding stays one line.
void TestBackupList::findingsShowNamesEscaped()
{
    QTemporaryDir tmp;
    const QString root = tmp.path() + u"/src"_s;
    QVERIFY(WriteFile(root + u"/a\nb/f.txt"_s, "x"));
    QVERIFY(Symlink(root, root + u"/a\nb/up"_s));
    TRsBackupList list;
    ScanOne(list, root);
    QCOMPARE(list.Findings.lines.size(), 1);
    QCOMPARE(list.Findings.lines.first().first, LogDirSkipRepeated + u' ' + root + u"/a\\nb/up = "_s + root + u'/');
    QCOMPARE(Items(list), QStringList{u"a\nb/f.txt"_s}); // the name itself is what it is
}

void TestBackupList::stopLeavesPartialListAndDone()
{
    QTemporaryDir tmp;
    for (int d = 0; d < 20; ++d)
        for (int f = 0; f < 20; ++f)
            QVERIFY(WriteFile(tmp.path() + u"/d%1/f%2"_s.arg(d).arg(f), "x"));
    std::atomic<int> calls{0};
    TRsBackupList list;
    // The scan asks once per directory and every few dozen entries.
    ScanOne(list, tmp.path(), {}, true, true, [&calls] { return calls.fetch_add(1) >= 10; });
    QVERIFY(list.SearchFilesDone);
    QVERIFY(list.Count() > 0);
    QVERIFY(list.Count() < 400);
    QVERIFY(list.SearchFilesThread()->Terminated());
    // A later complete scan replaces it.
    ScanOne(list, tmp.path());
    QCOMPARE(list.Count(), 400);
    QCOMPARE(list.DirList.Count(), 20);
}

void TestBackupList::reloadWhileScanning()
{
    QTemporaryDir tmp;
    for (int f = 0; f < 2000; ++f)
        QVERIFY(WriteFile(tmp.path() + u"/d%1/f%2"_s.arg(f % 50).arg(f), "x"));
    TRsBackupList list;
    // The first scan is replaced at once; its worker is stopped and freed first.
    list.LoadFromBasePath(tmp.path(), {}, true, {});
    ScanOne(list, tmp.path());
    QCOMPARE(list.Count(), 2000);
    // Destroying a list whose scan is still running stops it.
    auto* other = new TRsBackupList;
    other->LoadFromBasePath(tmp.path(), {}, true, {});
    delete other;
}

QTEST_GUILESS_MAIN(TestBackupList)
#include "tst_backuplist.moc"
