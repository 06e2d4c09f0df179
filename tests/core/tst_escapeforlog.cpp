// Names as log lines show them: control characters and bytes that are not UTF-8 as visible escapes.

#include "engine/EscapeForLog.h"
#include "engine/platform/Platform.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A name as the scan reports it for these bytes on disk.
QString fromBytes(const QByteArray& bytes)
{
    const platform::Path p = platform::fromNative(std::string_view(bytes.constData(), size_t(bytes.size())));
    return QString::fromUtf16(p.data(), qsizetype(p.size()));
}

} // namespace

class TestEscapeForLog : public QObject
{
    Q_OBJECT

private slots:
    void escapes_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // the name on disk
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << QByteArray("photos/a.jpg") << u"photos/a.jpg"_s;
        QTest::newRow("kana and emoji") << QByteArray("しゃしん/\xF0\x9F\x98\x80.jpg") << u"しゃしん/\U0001F600.jpg"_s;
        QTest::newRow("line break forging a line") << QByteArray("a\nF さくじょ: b") << u"a\\nF さくじょ: b"_s;
        QTest::newRow("carriage return and tab") << QByteArray("a\rb\tc") << u"a\\rb\\tc"_s;
        QTest::newRow("other C0 controls and DEL") << QByteArray("\x01x\x1B[31m\x7F") << u"\\x01x\\x1B[31m\\x7F"_s;
        QTest::newRow("backslash stays readable") << QByteArray("a\\nb") << u"a\\\\nb"_s;
        QTest::newRow("latin-1 byte") << QByteArray("caf\xE9.txt") << u"caf\\xE9.txt"_s;
        QTest::newRow("bytes that only look like UTF-8") << QByteArray("\xC3\x28\xFF") << u"\\xC3(\\xFF"_s;
        QTest::newRow("C1 control") << QByteArray("a\xC2\x85" "b") << u"a\\u0085b"_s;
        QTest::newRow("line separator") << QByteArray("a\xE2\x80\xA8" "b\xE2\x80\xA9") << u"a\\u2028b\\u2029"_s;
    }

    void escapes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        const QString escaped = EscapeForLog(fromBytes(bytes));
        QCOMPARE(escaped, shown);
        // One line of valid UTF-16 whatever the name held.
        QVERIFY(!escaped.contains(u'\n') && !escaped.contains(u'\r'));
        QVERIFY(escaped.isValidUtf16());
    }

    // Surrogates the codec never makes (a string from elsewhere) are shown as code units.
    void loneSurrogatesOutsideTheByteRange_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("high alone") << QString(QChar(0xD800)) + u"x"_s << u"\\uD800x"_s;
        QTest::newRow("high at the end") << u"x"_s + QChar(0xDBFF) << u"x\\uDBFF"_s;
        QTest::newRow("low below the byte range") << QString(QChar(0xDC7F)) << u"\\uDC7F"_s;
        QTest::newRow("low above the byte range") << QString(QChar(0xDD00)) << u"\\uDD00"_s;
        QTest::newRow("a pair is a character") << u"\U0001F600"_s << u"\U0001F600"_s;
    }

    void loneSurrogatesOutsideTheByteRange()
    {
        QFETCH(QString, name);
        QTEST(EscapeForLog(name), "shown");
    }

    // The common case costs nothing: the same string comes back, shared.
    void cleanNameIsNotCopied()
    {
        const QString name = QStringLiteral("dir/") + QString::number(42) + QStringLiteral(".txt");
        QCOMPARE(EscapeForLog(name).constData(), name.constData());
    }

    // A task's paths keep their backslashes (a Windows-style path's delimiters) unless they hold
    // something that breaks the line: then the whole path is escaped, unambiguously.
    void taskPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << u"/home/a/photos"_s << u"/home/a/photos"_s;
        QTest::newRow("windows style") << u"C:\\Data"_s << u"C:\\Data"_s;
        QTest::newRow("line break") << u"/a\nb"_s << u"/a\\nb"_s;
        QTest::newRow("line break and backslash") << u"/a\nb\\c"_s << u"/a\\nb\\\\c"_s;
    }

    void taskPaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, shown);
        QCOMPARE(EscapeTaskPathForLog(path), shown);
    }
};

QTEST_GUILESS_MAIN(TestEscapeForLog)
#include "tst_escapeforlog.moc"
