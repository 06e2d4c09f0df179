// The MD5 digest: RFC 1321 vectors, files of awkward sizes against md5sum, pieces and stop test.

#include "app/LangExtra.h"
#include "engine/MD5.h"
#include "engine/RsCachedFileStream.h"

#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <clocale>

#include <unistd.h>

using namespace Qt::StringLiterals;

class TestMD5 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void rfc1321Suite_data();
    void rfc1321Suite();
    void stringEncodings();
    void splitUpdatesMatchOneUpdate();
    void fileAgainstMd5sum_data();
    void fileAgainstMd5sum();
    void piecesAndStopTest_data();
    void piecesAndStopTest();
    void streamPositionRestored();
    void sameDigest();
    void missingFileRaises();
    void fileThatShrinksSaysSo();
};

void TestMD5::initTestCase()
{
    // The system's error texts are compared in their untranslated form.
    std::setlocale(LC_MESSAGES, "C");
}

void TestMD5::rfc1321Suite_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hex");
    QTest::newRow("empty") << QString() << u"D41D8CD98F00B204E9800998ECF8427E"_s;
    QTest::newRow("a") << u"a"_s << u"0CC175B9C0F1B6A831C399E269772661"_s;
    QTest::newRow("abc") << u"abc"_s << u"900150983CD24FB0D6963F7D28E17F72"_s;
    QTest::newRow("message digest") << u"message digest"_s << u"F96B697D7CB7938D525A2F31AAF161D0"_s;
    QTest::newRow("alphabet") << u"abcdefghijklmnopqrstuvwxyz"_s << u"C3FCD3D76192E4007DFB496CCA67E13B"_s;
    QTest::newRow("alphanumeric") << u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"_s
                                  << u"D174AB98D277D9F5A5611C2C9F419D9F"_s;
    QTest::newRow("digits") << u"12345678901234567890123456789012345678901234567890123456789012345678901234567890"_s
                            << u"57EDF4A22BE3C955AC49DA2E2107B67A"_s;
}

void TestMD5::rfc1321Suite()
{
    QFETCH(QString, text);
    QFETCH(QString, hex);
    const TMD5 md5;
    QCOMPARE(md5.HashStringAsHex(text), hex);
    QCOMPARE(MD5DigestToHex(md5.HashString(text, QStringConverter::Latin1)), hex);
}

void TestMD5::stringEncodings()
{
    const TMD5 md5;
    const QString text = u"caf\u00E9 \U0001F600"_s;
    // No encoding: 7-bit ASCII, each character outside it (a surrogate pair is one) becoming "?".
    QCOMPARE(md5.HashStringAsHex(text), md5.HashStringAsHex(u"caf? ?"_s));
    const QByteArray utf8 = text.toUtf8();
    QCOMPARE(md5.HashStringAsHex(text, QStringConverter::Utf8),
             QString::fromLatin1(QCryptographicHash::hash(utf8, QCryptographicHash::Md5).toHex().toUpper()));
    const QByteArray utf16 = QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    QCOMPARE(md5.HashStringAsHex(text, QStringConverter::Utf16LE),
             QString::fromLatin1(QCryptographicHash::hash(utf16, QCryptographicHash::Md5).toHex().toUpper()));
}

void TestMD5::splitUpdatesMatchOneUpdate()
{
    // Feeding the same bytes in pieces of every awkward size around the block boundary gives the
    // digest of one piece: the partial-block buffering is where such code goes wrong.
    QByteArray data(1000, Qt::Uninitialized);
    QRandomGenerator rng(1321);
    for (char& c : data)
        c = char(rng.bounded(256));
    const QString whole = MD5DigestToHex(TMD5().HashBytes(data.constData(), size_t(data.size())));
    QCOMPARE(whole, QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex().toUpper()));
    for (int step : {1, 3, 55, 56, 63, 64, 65, 127, 129}) {
        TMD5Context context;
        for (qsizetype at = 0; at < data.size(); at += step)
            context.update(data.constData() + at, size_t(std::min<qsizetype>(step, data.size() - at)));
        QCOMPARE(MD5DigestToHex(context.finish()), whole);
    }
}

void TestMD5::fileAgainstMd5sum_data()
{
    QTest::addColumn<qint64>("size");
    for (qint64 size : {0, 1, 55, 56, 63, 64, 65, 4095, 4096, 4097, 16384, 16385, (1 << 20) + 7, (3 << 20) + 1})
        QTest::addRow("%lld", static_cast<long long>(size)) << size;
}

void TestMD5::fileAgainstMd5sum()
{
    QFETCH(qint64, size);
    const QString md5sum = QStandardPaths::findExecutable(u"md5sum"_s);
    if (md5sum.isEmpty())
        QSKIP("md5sum is not installed");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator rng(quint32(size) + 7);
    for (char& c : data)
        c = char(rng.bounded(256));
    const QString file = dir.filePath(u"random.bin"_s);
    QVERIFY(testsupport::writeBytes(file, data));

    QProcess process;
    process.start(md5sum, {file});
    QVERIFY(process.waitForFinished(30000));
    const QString expected = QString::fromLatin1(process.readAllStandardOutput().left(32)).toUpper();
    QCOMPARE(expected.size(), 32);
    QCOMPARE(MD5DigestToHex(GetFileMD5(file, nullptr)), expected);
}

void TestMD5::piecesAndStopTest_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("stopAfter"); // pieces after which the stop test answers true; 0: never
    QTest::addColumn<int>("expectedCalls");
    QTest::addColumn<qint64>("digestedBytes");
    QTest::newRow("empty file") << qint64(0) << 0 << 0 << qint64(0);
    QTest::newRow("4096 in one piece") << qint64(4096) << 0 << 1 << qint64(4096);
    QTest::newRow("4097 in two") << qint64(4097) << 0 << 2 << qint64(4097);
    QTest::newRow("stop after the first piece") << qint64(100000) << 1 << 1 << qint64(4096);
    QTest::newRow("stop after three pieces") << qint64(100000) << 3 << 3 << qint64(3 * 4096);
    QTest::newRow("stop on the last piece") << qint64(8000) << 2 << 2 << qint64(8000);
}

void TestMD5::piecesAndStopTest()
{
    QFETCH(qint64, size);
    QFETCH(int, stopAfter);
    QFETCH(int, expectedCalls);
    QFETCH(qint64, digestedBytes);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QByteArray data(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        data[i] = char(i * 7 + (i >> 8));
    const QString file = dir.filePath(u"f"_s);
    QVERIFY(testsupport::writeBytes(file, data));
    int calls = 0;
    const TMD5Digest digest = GetFileMD5(file, [&] { return ++calls == stopAfter; });
    QCOMPARE(calls, expectedCalls);
    const QByteArray prefix = data.left(digestedBytes);
    QCOMPARE(MD5DigestToHex(digest),
             QString::fromLatin1(QCryptographicHash::hash(prefix, QCryptographicHash::Md5).toHex().toUpper()));
}

void TestMD5::streamPositionRestored()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"f"_s);
    QVERIFY(testsupport::writeBytes(file, QByteArray(10000, 'x')));
    TRsCachedFileStream stream(file, fmOpenRead | fmShareDenyWrite, 16384);
    stream.SetPosition(1234);
    const TMD5 md5;
    QCOMPARE(md5.HashStreamAsHex(stream, nullptr),
             QString::fromLatin1(QCryptographicHash::hash(QByteArray(10000, 'x'), QCryptographicHash::Md5).toHex().toUpper()));
    QCOMPARE(stream.Position(), qint64(1234));
}

void TestMD5::sameDigest()
{
    const TMD5 md5;
    const TMD5Digest a = md5.HashString(u"abc"_s);
    const TMD5Digest b = md5.HashString(u"abc"_s);
    const TMD5Digest c = md5.HashString(u"abd"_s);
    QVERIFY(SameMD5Digest(a, b));
    QVERIFY(!SameMD5Digest(a, c));
    QVERIFY(!SameMD5Digest(a, TMD5Digest()));
    QVERIFY(TMD5Digest().isEmpty());
    QVERIFY(!a.isEmpty());
    // The words hold the digest bytes little-endian, low byte of A first.
    QCOMPARE(a.A, 0x98500190u);
    QCOMPARE(a.D, 0x727fe128u);
}

void TestMD5::missingFileRaises()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"missing"_s);
    try {
        GetFileMD5(file, nullptr);
        QFAIL("no error raised");
    } catch (const ERsCachedFileStreamError& e) {
        QCOMPARE(e.message(), u"Cannot open file: "_s + file);
        QCOMPARE(LastErrorText(), u"(No such file or directory)"_s);
        // The error carries its own reason: whatever the thread does next cannot change it.
        errno = 0;
        ::close(-1);
        QCOMPARE(e.reason(), u"(No such file or directory)"_s);
    }
}

// A file that becomes shorter while its digest is taken: the digest fails and says why, instead of
// the stale or empty reason of the thread's last error ("(Success)").
void TestMD5::fileThatShrinksSaysSo()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"shrinking"_s);
    QVERIFY(testsupport::writeBytes(file, QByteArray(200000, 'x')));
    TRsCachedFileStream stream(file, fmOpenRead | fmShareDenyWrite, 65536);
    QVERIFY(::truncate(QFile::encodeName(file).constData(), 1000) == 0);
    try {
        TMD5().HashStream(stream, nullptr);
        QFAIL("no error raised");
    } catch (const ERsError& e) {
        QCOMPARE(e.reason(), u'(' + LogReasonFileShrank + u')');
        QCOMPARE(ReasonOf(e), e.reason());
    }
}

QTEST_GUILESS_MAIN(TestMD5)
#include "tst_md5.moc"
