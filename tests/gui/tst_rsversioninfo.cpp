#include "RsUnits/RsVersionInfo.h"
#include "ui/ProgramVersion.h"

#include <QRegularExpression>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

TRsVersionData numbersOnly()
{
    TRsVersionData d;
    d.HasVersionInfo = true;
    d.FixedFileInfo.dwProductVersionMS = (2u << 16) | 7u;
    d.FixedFileInfo.dwProductVersionLS = (65535u << 16) | 3u;
    d.FixedFileInfo.dwFileVersionMS = (9u << 16) | 9u;
    return d;
}

} // namespace

class TestRsVersionInfo : public QObject
{
    Q_OBJECT

private slots:
    void noVersionInformation();
    void noTranslationShowsFixedNumbers();
    void oneTranslation();
    void translationStrings();
    void programData();
};

void TestRsVersionInfo::noVersionInformation()
{
    TRsVersionData d = numbersOnly();
    d.HasVersionInfo = false;
    d.Translations.append({0x0411, 0x03A4});
    const TRsVersionInfo info(d);
    QVERIFY(!info.HasVersionInfo());
    QCOMPARE(info.GetProductVersionText(0), u"No Version Information"_s);
    // Nothing of data without version information is taken over.
    QCOMPARE(info.GetTranslationCount(), 0);
}

void TestRsVersionInfo::noTranslationShowsFixedNumbers()
{
    const TRsVersionInfo info(numbersOnly());
    QCOMPARE(info.GetTranslationCount(), 0);
    // High and low halves of the high word, then of the low word; the file version plays no part.
    QCOMPARE(info.GetProductVersionText(0), u"2.7.65535.3"_s);
}

void TestRsVersionInfo::oneTranslation()
{
    TRsVersionData d = numbersOnly();
    d.Translations.append({0x0411, 0x03A4});
    d.SetStringValue(u"041103a4"_s, u"ProductVersion"_s, u"1.2.3.4 (2026-12-10)"_s);
    // A string of another translation is not this one's.
    d.SetStringValue(u"040904b0"_s, u"ProductVersion"_s, u"wrong"_s);
    const TRsVersionInfo info(d);
    QCOMPARE(info.GetTranslationCount(), 1);
    QCOMPARE(info.GetProductVersionText(0), u"1.2.3.4 (2026-12-10)"_s);

    // With a translation but no ProductVersion string the text is empty, as the resource says.
    TRsVersionData empty = numbersOnly();
    empty.Translations.append({0x0411, 0x03A4});
    QCOMPARE(TRsVersionInfo(empty).GetProductVersionText(0), QString());
}

void TestRsVersionInfo::translationStrings()
{
    TRsVersionData d = numbersOnly();
    d.Translations.append({0x0411, 0x03A4});
    d.Translations.append({0x0009, 0x04B0});
    d.SetStringValue(u"000904b0"_s, u"ProductName"_s, u"X"_s);
    const TRsVersionInfo info(d);
    QCOMPARE(info.GetTranslationString(0), u"041103a4"_s);
    QCOMPARE(info.GetTranslationString(1), u"000904b0"_s);
    QCOMPARE(info.GetStringValue(u"000904b0"_s, u"ProductName"_s), u"X"_s);
    QCOMPARE(info.GetStringValue(u"000904b0"_s, u"Missing"_s), QString());
    QCOMPARE(info.GetProductVersionText(1), QString());
}

// The program's own data: the project's four numbers in the fixed part and the date of the last
// commit after them, the same for every build of one commit.
void TestRsVersionInfo::programData()
{
    const TRsVersionInfo info(ProgramVersionData());
    QVERIFY(info.HasVersionInfo());
    QCOMPARE(info.GetTranslationCount(), 1);
    const QString text = info.GetProductVersionText(0);
    const QRegularExpression shape(u"^(\\d+\\.\\d+\\.\\d+\\.\\d+) \\((\\d{4}-\\d{2}-\\d{2})\\)$"_s);
    const QRegularExpressionMatch m = shape.match(text);
    QVERIFY2(m.hasMatch(), qPrintable(text));
    const QString numbers = QString::fromLatin1(TSUMIKI_VERSION) + u".0"_s;
    QCOMPARE(m.captured(1), numbers);
    QVERIFY(QDate::fromString(m.captured(2), Qt::ISODate).isValid());
    // Without the translation the fixed part gives the same four numbers.
    TRsVersionData bare = ProgramVersionData();
    bare.Translations.clear();
    QCOMPARE(TRsVersionInfo(bare).GetProductVersionText(0), numbers);
}

QTEST_MAIN(TestRsVersionInfo)
#include "tst_rsversioninfo.moc"
