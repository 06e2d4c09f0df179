// Whole tasks onto disks unlike the one the tests run on, and the lines they write: a second run
// copies nothing where the destination keeps times coarsely or keeps no permission bits, what a
// run wrote is on the device when it ends, and every line names its items as one line of valid text.

#include "BackupTestRun.h"

#include "engine/EscapeForLog.h"
#include "support/DiskImage.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace enginetest;
using testsupport::DiskImage;

namespace {

constexpr qint64 kOld = 1600000000;
constexpr qint64 kNew = 1700000000;

struct TimedFile
{
    QString path;
    qint64 seconds;
    long nanoseconds;
};

// The lines one run adds to its own log (a fresh TaskRun each time, as the program's runs would be).
QStringList RunOnce(const QString& src, const QString& dst, bool mirroring, bool verifying)
{
    TaskRun run(src, dst, mirroring, verifying);
    run.RunAll();
    return run.Log();
}

} // namespace

Q_DECLARE_METATYPE(DiskImage::Kind)
Q_DECLARE_METATYPE(QList<TimedFile>)

class TestFaithfulCopies : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { SetTestLanguageTexts(); }

    void secondRunCopiesNothing_data()
    {
        QTest::addColumn<DiskImage::Kind>("disk");
        QTest::addColumn<QList<TimedFile>>("files");
        QTest::addColumn<bool>("keepsPermissions");
        // FAT: two seconds, no permission bits (the FUSE driver wraps years outside 1980-2107 rather
        // than keeping the nearer end, so no such time here).
        QTest::newRow("FAT") << DiskImage::Kind::Fat
                             << QList<TimedFile>{{u"odd.txt"_s, kOld + 1, 987'654'321},
                                                 {u"sub/even.txt"_s, kNew, 500'000'000},
                                                 {u"private/p.txt"_s, kNew + 3, 1}}
                             << false;
        // ext4 with 128-byte inodes: whole seconds, from 1901 to 2038.
        QTest::newRow("ext4, small inodes") << DiskImage::Kind::Ext4SmallInodes
                                            << QList<TimedFile>{{u"odd.txt"_s, kOld + 1, 987'654'321},
                                                                {u"sub/2100.txt"_s, 4'102'444'800, 123},
                                                                {u"private/1850.txt"_s, -3'786'825'600, 0}}
                                            << true;
    }

    // Copies of times with a fraction, of times the disk cannot hold, and of directories whose
    // permissions the disk cannot keep are current at the next run: nothing is copied or changed
    // again, while a real change still is.
    void secondRunCopiesNothing()
    {
        QFETCH(DiskImage::Kind, disk);
        QFETCH(QList<TimedFile>, files);
        QFETCH(bool, keepsPermissions);
        DiskImage image(disk, 48 << 20);
        if (!image.isMounted())
            QSKIP(qPrintable(image.reason()));
        QTemporaryDir tmp;
        const QString s = tmp.path() + u"/s"_s;
        const QString d = image.path() + u"/backup"_s;
        for (const TimedFile& f : files)
            QVERIFY(WriteFile(s + u'/' + f.path, f.path.toUtf8(), f.seconds, f.nanoseconds));
        QVERIFY(Chmod(s + u"/private"_s, 0700));
        QVERIFY(Chmod(s + u"/sub"_s, 0755));
        QVERIFY(Chmod(s + u"/odd.txt"_s, 0600));

        const QStringList first = RunOnce(s, d, true, true);
        QVERIFY2(first.filter(u"Error"_s).isEmpty(), qPrintable(first.join(u'\n')));
        QCOMPARE(first.filter(u"LogFileNew"_s).size(), files.size());
        QCOMPARE(first.filter(u"LogFileVerify"_s).size(), files.size());
        const QStringList notes = first.filter(LogPermissionsNotKept);
        QCOMPARE(notes, keepsPermissions ? QStringList() : QStringList{LogPermissionsNotKept + u' ' + d});
        for (const TimedFile& f : files)
            QCOMPARE(ReadFile(d + u'/' + f.path), f.path.toUtf8());

        // A mirror, which would also take a newer copy for a change.
        QCOMPARE(RunOnce(s, d, true, true), QStringList());

        QVERIFY(WriteFile(s + u"/odd.txt"_s, "changed", kOld + 5, 0));
        QCOMPARE(RunOnce(s, d, true, true),
                 notes + (QStringList{u"LogFileOverwrite odd.txt"_s, u"LogFileVerify "_s + d + u"/odd.txt"_s}));
        QCOMPARE(ReadFile(d + u"/odd.txt"_s), QByteArray("changed"));
    }

    // A directory of mode 000 is copied as mode 000, not as "a word without permission bits".
    void modeZeroIsKept()
    {
        QTemporaryDir tmp;
        const QString s = tmp.path() + u"/s"_s;
        const QString d = tmp.path() + u"/d"_s;
        QVERIFY(WriteFile(s + u"/locked/f.txt"_s, "f", kOld));
        QVERIFY(Chmod(s + u"/locked"_s, 0));
        const QStringList first = RunOnce(s, d, true, false);
        Chmod(s + u"/locked"_s, 0700);
        if (!first.contains(u"LogFileNew locked/f.txt"_s))
            QSKIP("needs root: an ordinary user cannot list a directory of mode 000");
        QCOMPARE(Mode(d + u"/locked"_s), mode_t(0));
        Chmod(s + u"/locked"_s, 0);
        QCOMPARE(RunOnce(s, d, true, false), QStringList()); // no attribute change where nothing changed
        Chmod(s + u"/locked"_s, 0700);
        Chmod(d + u"/locked"_s, 0700);
    }

    // A name is one line in the log whatever it holds, in the copy's line and the verification's.
    void itemLinesShowNamesEscaped()
    {
        QTemporaryDir tmp;
        const QString s = tmp.path() + u"/s"_s;
        const QString d = tmp.path() + u"/d"_s;
        const QString forged = u"a\nLogFileDelete precious.txt"_s;
        const QString latin1 = NameFromBytes("caf\xe9");
        QVERIFY(WriteFile(s + u'/' + forged, "x", kOld));
        QVERIFY(WriteFile(s + u'/' + latin1 + u"/f.txt"_s, "y", kOld));
        const QStringList log = RunOnce(s, d, false, true);
        QCOMPARE(log, (QStringList{u"LogDirNew caf\\xE9"_s, u"LogFileNew a\\nLogFileDelete precious.txt"_s,
                                   u"LogFileNew caf\\xE9/f.txt"_s,
                                   u"LogFileVerify "_s + d + u"/a\\nLogFileDelete precious.txt"_s,
                                   u"LogFileVerify "_s + d + u"/caf\\xE9/f.txt"_s}));
        QCOMPARE(ReadFile(d + u'/' + forged), QByteArray("x")); // the name on disk is the name
        QCOMPARE(ReadFile(d + u'/' + latin1 + u"/f.txt"_s), QByteArray("y"));
    }

    // A verification names its own reason, and does not verify again what could not be copied.
    void verificationGivesItsOwnReasons()
    {
        QTemporaryDir tmp;
        const QString s = tmp.path() + u"/s"_s;
        const QString d = tmp.path() + u"/d"_s;
        QVERIFY(WriteFile(s + u"/changed.txt"_s, "before", kNew));
        QVERIFY(WriteFile(s + u"/x/blocked.txt"_s, "x", kNew));
        QVERIFY(WriteFile(d + u"/x"_s, "a file where the source has a directory", kOld));
        TaskRun run(s, d, false, true);
        run.Scan();
        run.Collect();
        // Changed after its digest was taken: the copy no longer matches it.
        QVERIFY(WriteFile(s + u"/changed.txt"_s, "after!", kNew));
        platform::setLastError(ENOENT); // a stale reason that must not show
        run.Execute(false);
        const QStringList log = run.Log();
        QCOMPARE(log.filter(u"blocked.txt"_s).size(), 1); // its copy's error only
        QVERIFY(log.filter(u"blocked.txt"_s).first().startsWith(u"LogFileErrorNew x/blocked.txt ("_s));
        QCOMPARE(log.filter(u"Verify"_s),
                 QStringList{u"LogFileErrorVerify "_s + d + u"/changed.txt ("_s + LogReasonDigestsDiffer + u')'});
    }

    // What a run wrote is on the device when the run ends, not only in the cache.
    void runEndsWithItsDataOnTheDevice()
    {
        DiskImage image(DiskImage::Kind::Ext4SmallInodes, 16 << 20);
        if (!image.isMounted())
            QSKIP(qPrintable(image.reason()));
        QTemporaryDir tmp;
        const QString s = tmp.path() + u"/s"_s;
        const QByteArray marker = QByteArray("reached the device ").repeated(3500);
        QVERIFY(WriteFile(s + u"/data.bin"_s, marker, kOld));
        const QString d = image.path() + u"/backup"_s;
        RunOnce(s, d, false, false);
        // The device's bytes hold the copy right away (written back by itself it would take half a
        // minute): a patch of them finds it.
        QVERIFY(image.patchImage(marker.left(4096), QByteArray(4096, 'x')));
    }
};

QTEST_GUILESS_MAIN(TestFaithfulCopies)
#include "tst_faithfulcopies.moc"
