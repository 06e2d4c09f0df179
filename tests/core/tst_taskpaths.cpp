// Whether a task's source and destination keep apart, as the file system resolves them.

#include "engine/TaskPaths.h"
#include "engine/platform/Location.h"
#include "BackupTestRun.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>

using namespace Qt::StringLiterals;
using namespace enginetest;

Q_DECLARE_METATYPE(TTaskPathClash)

class TestTaskPaths : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root; // the fixture, itself reached through no link

    QString at(const QString& relative) const { return m_root + u'/' + relative; }

private slots:
    // QTemporaryDir would leave the name that is not UTF-8 behind.
    void cleanupTestCase() { platform::removeDirectoryTree(PathViewOf(m_root)); }

    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_root = QString::fromUtf16(platform::resolveLocation(PathViewOf(m_dir.path())).c_str());
        for (const char* d : {"data/sub", "b", "Photos", "photos", "ab"})
            QVERIFY(MakeDirs(at(QString::fromLatin1(d))));
        QVERIFY(MakeDirs(at(NameFromBytes("caf\xe9"))));
        QCOMPARE(::symlink("data", Native(at(u"link"_s)).c_str()), 0);
        QCOMPARE(::symlink("link", Native(at(u"link2"_s)).c_str()), 0);
        QCOMPARE(::symlink("nowhere", Native(at(u"dangling"_s)).c_str()), 0);
    }

    void resolve_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("resolved");
        QTest::newRow("dots and delimiters") << u"data/./sub//"_s << u"data/sub"_s;
        QTest::newRow("parent of an existing directory") << u"b/../data"_s << u"data"_s;
        QTest::newRow("parent of a missing directory") << u"none/../data/sub"_s << u"data/sub"_s;
        QTest::newRow("link followed") << u"link/sub"_s << u"data/sub"_s;
        QTest::newRow("link to a link") << u"link2/sub/new"_s << u"data/sub/new"_s;
        QTest::newRow("parent after a link") << u"link/sub/.."_s << u"data"_s;
        QTest::newRow("missing part kept as spelt") << u"data/New/./x"_s << u"data/New/x"_s;
        QTest::newRow("dangling link kept as spelt") << u"dangling/x"_s << u"dangling/x"_s;
    }

    void resolve()
    {
        QFETCH(QString, path);
        QFETCH(QString, resolved);
        QCOMPARE(QString::fromUtf16(platform::resolveLocation(PathViewOf(at(path))).c_str()), at(resolved));
    }

    void relativePathFromCurrentDirectory()
    {
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(at(u"b"_s)));
        const QString resolved = QString::fromUtf16(platform::resolveLocation(PathViewOf(u"../link/sub"_s)).c_str());
        QDir::setCurrent(previous);
        QCOMPARE(resolved, at(u"data/sub"_s));
    }

    void clash_data()
    {
        QTest::addColumn<QString>("src");
        QTest::addColumn<QString>("dst");
        QTest::addColumn<bool>("subDirs");
        QTest::addColumn<bool>("mirroring");
        QTest::addColumn<TTaskPathClash>("clash");
        using C = TTaskPathClash;

        QTest::newRow("apart") << u"data"_s << u"b"_s << true << true << C::tpcNone;
        QTest::newRow("same") << u"data"_s << u"data"_s << false << false << C::tpcSame;
        QTest::newRow("same, spelt otherwise") << u"data/"_s << u"b/../data/."_s << false << false << C::tpcSame;
        QTest::newRow("same through a link") << u"data"_s << u"link2"_s << false << false << C::tpcSame;
        QTest::newRow("destination inside") << u"data"_s << u"data/sub"_s << true << false << C::tpcDstInsideSrc;
        QTest::newRow("destination inside, not made yet") << u"data"_s << u"data/new/deeper"_s << true << false
                                                          << C::tpcDstInsideSrc;
        QTest::newRow("destination inside through a link") << u"data"_s << u"link/backup"_s << true << false
                                                           << C::tpcDstInsideSrc;
        QTest::newRow("destination inside, files only") << u"data"_s << u"data/sub"_s << false << true << C::tpcNone;
        QTest::newRow("source inside, mirroring") << u"data/sub"_s << u"data"_s << false << true << C::tpcSrcInsideDst;
        QTest::newRow("source inside through a link") << u"link/sub"_s << u"data"_s << true << true
                                                      << C::tpcSrcInsideDst;
        QTest::newRow("source inside, no mirroring") << u"data/sub"_s << u"data"_s << true << false << C::tpcNone;
        QTest::newRow("a prefix of the name is not a parent") << u"a"_s << u"ab"_s << true << true << C::tpcNone;
        QTest::newRow("names differing in case") << u"Photos"_s << u"photos"_s << true << true << C::tpcNone;
        QTest::newRow("name that is not UTF-8") << NameFromBytes("caf\xe9") << NameFromBytes("caf\xe9/x") << true
                                                << false << C::tpcDstInsideSrc;
        QTest::newRow("empty destination") << u"data"_s << QString() << true << true << C::tpcNone;
    }

    void clash()
    {
        QFETCH(QString, src);
        QFETCH(QString, dst);
        QFETCH(bool, subDirs);
        QFETCH(bool, mirroring);
        QFETCH(TTaskPathClash, clash);
        QCOMPARE(CheckTaskPaths(at(src), dst.isEmpty() ? dst : at(dst), subDirs, mirroring), clash);
    }

    void rootAsSource()
    {
        QCOMPARE(CheckTaskPaths(u"/"_s, at(u"b"_s), true, false), TTaskPathClash::tpcDstInsideSrc);
        QCOMPARE(CheckTaskPaths(at(u"b"_s), u"//"_s, false, true), TTaskPathClash::tpcSrcInsideDst);
    }

    // One directory mounted at a second place has two spellings that no link explains.
    void sameDirectoryMountedTwice()
    {
        QVERIFY(MakeDirs(at(u"mounted"_s)));
        if (::mount(Native(at(u"data"_s)).c_str(), Native(at(u"mounted"_s)).c_str(), nullptr, MS_BIND, nullptr) != 0)
            QSKIP("a bind mount needs root in a namespace that allows mounting");
        const TTaskPathClash same = CheckTaskPaths(at(u"data"_s), at(u"mounted"_s), false, false);
        const TTaskPathClash inside = CheckTaskPaths(at(u"data"_s), at(u"mounted/sub/x"_s), true, false);
        ::umount(Native(at(u"mounted"_s)).c_str());
        QCOMPARE(same, TTaskPathClash::tpcSame);
        QCOMPARE(inside, TTaskPathClash::tpcDstInsideSrc);
    }
};

QTEST_GUILESS_MAIN(TestTaskPaths)
#include "tst_taskpaths.moc"
