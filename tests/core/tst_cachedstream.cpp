// The cached file stream: cache refills, positions, size, modes, writes and errors.

#include "engine/RsCachedFileStream.h"
#include "engine/platform/Platform.h"

#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <clocale>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray pattern(qsizetype size)
{
    QByteArray data(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        data[i] = char(i * 13 + (i >> 8));
    return data;
}

} // namespace

class TestCachedStream : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void emptyFile();
    void readServedByRefills();
    void readsOfAnySizeMatchTheFile_data();
    void readsOfAnySizeMatchTheFile();
    void seekBackIntoCacheNeedsNoRefill();
    void seekPastEnd();
    void negativePositionRaises();
    void sizeIsTakenAtOpening();
    void openFailures_data();
    void openFailures();
    void nonUtf8Name();
    void modes();
    void writeAndSetSize();
    void writeOnReadOnlyStream();
    void copyFrom();
};

void TestCachedStream::initTestCase()
{
    // The system's error texts are compared in their untranslated form.
    std::setlocale(LC_MESSAGES, "C");
}

void TestCachedStream::emptyFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"empty"_s);
    QVERIFY(testsupport::writeBytes(file, QByteArray()));
    TRsCachedFileStream stream(file, fmOpenRead | fmShareDenyWrite, 16384);
    QCOMPARE(stream.Size(), qint64(0));
    char buffer[16];
    QCOMPARE(stream.Read(buffer, sizeof buffer), 0);
    QCOMPARE(stream.Position(), qint64(0));
    QCOMPARE(stream.FileName(), file);
    QVERIFY(stream.Handle() >= 0);
}

void TestCachedStream::readServedByRefills()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"f"_s);
    const QByteArray data = pattern(20000);
    QVERIFY(testsupport::writeBytes(file, data));
    TRsCachedFileStream stream(file, fmOpenRead | fmShareDenyWrite, 4096);
    QByteArray buffer(10000, Qt::Uninitialized);
    QCOMPARE(stream.Read(buffer.data(), 10000), 10000);
    QCOMPARE(buffer, data.left(10000));
    QCOMPARE(stream.RefillCount(), qint64(3)); // 4096 + 4096 + the first 1808 of the third window
    QCOMPARE(stream.Position(), qint64(10000));
    // The rest of the third window serves the next read without a refill.
    QCOMPARE(stream.Read(buffer.data(), 2288), 2288);
    QCOMPARE(stream.RefillCount(), qint64(3));
    QCOMPARE(buffer.left(2288), data.mid(10000, 2288));
}

void TestCachedStream::readsOfAnySizeMatchTheFile_data()
{
    QTest::addColumn<int>("cacheSize");
    QTest::addColumn<int>("pieceSize");
    QTest::addColumn<int>("fileSize");
    QTest::newRow("digest's use") << 16384 << 4096 << 100003;
    QTest::newRow("pieces larger than the cache") << 1000 << 4096 << 50000;
    QTest::newRow("tiny cache") << 1 << 7 << 3001;
    QTest::newRow("odd sizes") << 4099 << 1013 << 65537;
}

void TestCachedStream::readsOfAnySizeMatchTheFile()
{
    QFETCH(int, cacheSize);
    QFETCH(int, pieceSize);
    QFETCH(int, fileSize);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"f"_s);
    const QByteArray data = pattern(fileSize);
    QVERIFY(testsupport::writeBytes(file, data));
    TRsCachedFileStream stream(file, fmOpenRead | fmShareDenyWrite, cacheSize);
    QByteArray all;
    QByteArray piece(pieceSize, Qt::Uninitialized);
    qint32 n;
    while ((n = stream.Read(piece.data(), pieceSize)) > 0)
        all.append(piece.constData(), n);
    QCOMPARE(all, data);
    // One refill per cache window, plus the reads that found the end (the short last piece, the final 0).
    const qint64 windows = (fileSize + cacheSize - 1) / cacheSize;
    QVERIFY(stream.RefillCount() >= windows && stream.RefillCount() <= windows + 2);
}

void TestCachedStream::seekBackIntoCacheNeedsNoRefill()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"f"_s);
    const QByteArray data = pattern(50000);
    QVERIFY(testsupport::writeBytes(file, data));
    TRsCachedFileStream stream(file, fmOpenRead, 16384);
    stream.SetPosition(20000);
    char buffer[100];
    QCOMPARE(stream.Read(buffer, 100), 100);
    QCOMPARE(stream.RefillCount(), qint64(1));
    QCOMPARE(stream.Seek(-50, soCurrent), qint64(20050));
    QCOMPARE(stream.Read(buffer, 100), 100);
    QCOMPARE(QByteArray(buffer, 100), data.mid(20050, 100));
    QCOMPARE(stream.RefillCount(), qint64(1));
    // Before the window: a refill that starts where the miss happened.
    stream.SetPosition(19999);
    QCOMPARE(stream.Read(buffer, 1), 1);
    QCOMPARE(buffer[0], data[19999]);
    QCOMPARE(stream.RefillCount(), qint64(2));
}

void TestCachedStream::seekPastEnd()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"f"_s);
    QVERIFY(testsupport::writeBytes(file, pattern(5000)));
    TRsCachedFileStream stream(file, fmOpenRead, 4096);
    QCOMPARE(stream.Seek(100, soEnd), qint64(5100));
    char buffer[10];
    QCOMPARE(stream.Read(buffer, 10), 0);
    QCOMPARE(stream.Seek(-10, soEnd), qint64(4990));
    QCOMPARE(stream.Read(buffer, 10), 10);
}

void TestCachedStream::negativePositionRaises()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"f"_s);
    QVERIFY(testsupport::writeBytes(file, pattern(100)));
    TRsCachedFileStream stream(file, fmOpenRead, 4096);
    stream.Seek(-1, soBeginning); // no bound is tested here
    char buffer[4];
    try {
        stream.Read(buffer, 4);
        QFAIL("no error raised");
    } catch (const ERsCachedFileStreamError& e) {
        QCOMPARE(e.message(), u"SetFilePointerEx failed: "_s + file);
        QCOMPARE(LastErrorText(), u"(Invalid argument)"_s);
    }
}

void TestCachedStream::sizeIsTakenAtOpening()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"f"_s);
    QVERIFY(testsupport::writeBytes(file, pattern(1000)));
    TRsCachedFileStream stream(file, fmOpenRead | fmShareDenyWrite, 4096);
    {
        QFile grow(file);
        QVERIFY(grow.open(QIODevice::Append));
        QCOMPARE(grow.write(pattern(500)), qint64(500));
    }
    QCOMPARE(stream.Size(), qint64(1000));
    QCOMPARE(stream.Seek(0, soEnd), qint64(1000));
}

void TestCachedStream::openFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << u"missing"_s << int(fmOpenRead | fmShareDenyWrite) << u"(No such file or directory)"_s;
    QTest::newRow("missing for writing") << u"missing"_s << int(fmOpenWrite) << u"(No such file or directory)"_s;
    QTest::newRow("directory") << u"sub"_s << int(fmOpenRead) << u"(Is a directory)"_s;
    QTest::newRow("fifo") << u"fifo"_s << int(fmOpenRead | fmShareDenyWrite) << u"(Invalid argument)"_s;
    QTest::newRow("below a file") << u"file/x"_s << int(fmCreate) << u"(Not a directory)"_s;
    QTest::newRow("empty name") << QString() << int(fmOpenRead) << u"(No such file or directory)"_s;
}

void TestCachedStream::openFailures()
{
    QFETCH(QString, name);
    QFETCH(int, mode);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(u"fifo"_s)).constData(), 0644), 0);
    QVERIFY(testsupport::writeBytes(dir.filePath(u"file"_s), "x"));
    const QString file = name.isEmpty() ? QString() : dir.filePath(name);
    try {
        TRsCachedFileStream stream(file, quint16(mode), 16384);
        QFAIL("no error raised");
    } catch (const ERsCachedFileStreamError& e) {
        QCOMPARE(e.message(), u"Cannot open file: "_s + file);
        QCOMPARE(LastErrorText(), reason);
    }
}

void TestCachedStream::nonUtf8Name()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // The name "\xff.bin" exists only as bytes; QFile would not find it again.
    const QByteArray native = QFile::encodeName(dir.path()) + "/\xff.bin";
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "bytes", 5), ssize_t(5));
    ::close(fd);
    const platform::Path path = platform::fromNative(native.toStdString());
    const QString name = QString::fromUtf16(path.data(), qsizetype(path.size()));
    TRsCachedFileStream stream(name, fmOpenRead | fmShareDenyWrite, 16384);
    char buffer[8];
    QCOMPARE(stream.Read(buffer, 8), 5);
    QCOMPARE(QByteArray(buffer, 5), QByteArray("bytes"));
    QVERIFY(platform::deleteFile(path));
}

void TestCachedStream::modes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"f"_s);
    {
        TRsCachedFileStream created(file, fmCreate, 4096);
        QCOMPARE(created.Size(), qint64(0));
        created.WriteBuffer("hello world", 11);
        // Create opens for reading too.
        char buffer[5];
        created.SetPosition(6);
        QCOMPARE(created.Read(buffer, 5), 5);
        QCOMPARE(QByteArray(buffer, 5), QByteArray("world"));
    }
    QCOMPARE(testsupport::readBytes(file), QByteArray("hello world"));
    {
        // Create again truncates.
        TRsCachedFileStream created(file, fmCreate, 4096);
    }
    QCOMPARE(testsupport::readBytes(file), QByteArray());
    QVERIFY(testsupport::writeBytes(file, "abcdef"));
    {
        TRsCachedFileStream writer(file, fmOpenWrite | fmShareExclusive, 4096);
        QCOMPARE(writer.Size(), qint64(6));
        char buffer[2];
        QCOMPARE(writer.Read(buffer, 2), 0); // opened for writing only: the read fails quietly
        QCOMPARE(writer.Write("XY", 2), 2);
    }
    QCOMPARE(testsupport::readBytes(file), QByteArray("XYcdef"));
    {
        TRsCachedFileStream both(file, fmOpenReadWrite | fmShareDenyNone, 4096);
        char buffer[3];
        both.SetPosition(3);
        QCOMPARE(both.Read(buffer, 3), 3); // the system's position is now at the end
        QCOMPARE(both.Write("!", 1), 1);
    }
    QCOMPARE(testsupport::readBytes(file), QByteArray("XYcdef!"));
}

void TestCachedStream::writeAndSetSize()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"f"_s);
    QVERIFY(testsupport::writeBytes(file, pattern(10000)));
    TRsCachedFileStream stream(file, fmOpenReadWrite, 4096);
    char buffer[10];
    QCOMPARE(stream.Read(buffer, 10), 10);
    stream.SetSize(100);
    QCOMPARE(stream.Size(), qint64(100));
    QCOMPARE(stream.Position(), qint64(100));
    QCOMPARE(QFileInfo(file).size(), qint64(100));
    // A write goes to the system's position, which SetSize left at the new end.
    QCOMPARE(stream.Write("tail", 4), 4);
    QCOMPARE(stream.Size(), qint64(100)); // the recorded size is not touched by writes
    QCOMPARE(testsupport::readBytes(file), pattern(100) + "tail");
    // The data before the cut is still read correctly.
    stream.SetPosition(90);
    QCOMPARE(stream.Read(buffer, 10), 10);
    QCOMPARE(QByteArray(buffer, 10), pattern(100).mid(90));
}

void TestCachedStream::writeOnReadOnlyStream()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"f"_s);
    QVERIFY(testsupport::writeBytes(file, "abc"));
    TRsCachedFileStream stream(file, fmOpenRead, 4096);
    QCOMPARE(stream.Write("x", 1), 0);
    QVERIFY_THROWS_EXCEPTION(ERsStreamError, stream.WriteBuffer("x", 1));
    try {
        stream.SetSize(1);
        QFAIL("no error raised");
    } catch (const ERsCachedFileStreamError& e) {
        QCOMPARE(e.message(), u"SetEndOfFile failed: "_s + file);
    }
    QCOMPARE(testsupport::readBytes(file), QByteArray("abc"));
    char buffer[8];
    stream.SetPosition(0);
    QVERIFY_THROWS_EXCEPTION(ERsStreamError, stream.ReadBuffer(buffer, 8)); // only 3 bytes there
}

void TestCachedStream::copyFrom()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.filePath(u"src"_s);
    const QByteArray data = pattern(200000); // more than one 61440-byte buffer
    QVERIFY(testsupport::writeBytes(source, data));
    const QString target = dir.filePath(u"dst"_s);
    {
        TRsCachedFileStream in(source, fmOpenRead | fmShareDenyWrite, 16384);
        in.SetPosition(777);
        TRsCachedFileStream out(target, fmCreate, 4096);
        QCOMPARE(out.CopyFrom(in, 0), qint64(200000)); // 0: all of it, from the start
    }
    QCOMPARE(testsupport::readBytes(target), data);
    {
        TRsCachedFileStream in(source, fmOpenRead, 16384);
        in.SetPosition(1000);
        TRsCachedFileStream out(target, fmCreate, 4096);
        QCOMPARE(out.CopyFrom(in, 70000), qint64(70000));
        QCOMPARE(in.Position(), qint64(71000));
        // Asking for more than there is raises the read error.
        in.SetPosition(199990);
        QVERIFY_THROWS_EXCEPTION(ERsStreamError, out.CopyFrom(in, 20));
    }
    QCOMPARE(testsupport::readBytes(target).left(70000), data.mid(1000, 70000));
}

QTEST_GUILESS_MAIN(TestCachedStream)
#include "tst_cachedstream.moc"
