#include "app/RsLogLines.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// A line as a run log has them: a key text, then a path; neighbours share their directory.
QString logLine(int i)
{
    static const QString keys[] = {u"F さくせー:"_s, u"F うわがき:"_s, u"D さくせー:"_s, u"F エラー:"_s};
    return keys[i % 4] + u" photos/%1/trip %2/IMG_%3.jpg"_s.arg(i / 500).arg(i / 37).arg(i, 6, 10, QChar(u'0'));
}

void appendAll(TRsLogLines& store, const QStringList& lines)
{
    for (const QString& line : lines)
        store.Append(line);
}

// Where a position of the lines lies in their text joined by '\n'.
qsizetype offsetIn(const QStringList& lines, qsizetype line, qsizetype column)
{
    qsizetype offset = 0;
    for (qsizetype i = 0; i < line; ++i)
        offset += lines.at(i).size() + 1;
    return offset + qBound<qsizetype>(0, column, lines.at(line).size());
}

} // namespace

// The log pane's store of lines: every line comes back exactly, alone or as a range of text, however
// the lines are packed.
class TestRsLogLines : public QObject {
    Q_OBJECT

private slots:
    void linesComeBackExactly_data();
    void linesComeBackExactly();
    void manyLinesComeBackInOrder();
    void textRanges_data();
    void textRanges();
    void clearStartsOver();
};

void TestRsLogLines::linesComeBackExactly_data()
{
    QTest::addColumn<QStringList>("lines");
    const QString kana = u"F さくせー: しゃしん/りょこー.jpg"_s;
    QTest::newRow("one empty line") << QStringList{QString()};
    QTest::newRow("empty lines between") << QStringList{u"a"_s, QString(), QString(), u"b"_s, QString()};
    QTest::newRow("kana and paths") << QStringList{kana, kana, kana + u"x"_s, kana.left(5)};
    QTest::newRow("outside the basic plane") << QStringList{u"\U0001F600 file"_s, u"\U0001F600\U0001F601"_s};
    // A byte of a file name that is not UTF-8 reaches the log as a lone surrogate.
    QTest::newRow("lone surrogates") << QStringList{u"name \xDC80\xDCFF end"_s, QString(QChar(0xD800)),
                                                     u"\xDC80"_s, u"x\xDBFF"_s, u"\xDBFF\xDBFF\xDC00"_s};
    // い and う share their first two bytes in UTF-8: a shared start may end inside a character.
    QTest::newRow("shared start inside a character") << QStringList{u"あい"_s, u"あう"_s, u"あ"_s, u"あいう"_s};
    QTest::newRow("line breaks are characters here") << QStringList{u"a\nb"_s, u"c\r\nd"_s, u"\u2029"_s};
    QTest::newRow("longer than a chunk") << QStringList{u"head"_s, QString(300000, u'ろ'), u"tail"_s,
                                                         QString(300000, u'ろ') + u"!"_s};
}

void TestRsLogLines::linesComeBackExactly()
{
    QFETCH(QStringList, lines);
    TRsLogLines store;
    appendAll(store, lines);
    QCOMPARE(store.Count(), lines.size());
    qint64 total = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QCOMPARE(store.Line(i), lines.at(i));
        QCOMPARE(store.LineLength(i), lines.at(i).size());
        total += lines.at(i).size();
    }
    QCOMPARE(store.TotalLength(), total);
    QCOMPARE(store.Text(), lines.join(u'\n'));
}

void TestRsLogLines::manyLinesComeBackInOrder()
{
    QStringList lines;
    for (int i = 0; i < 120000; ++i)
        lines << logLine(i);
    TRsLogLines store;
    appendAll(store, lines);
    QCOMPARE(store.Count(), lines.size());
    for (qsizetype i = 0; i < lines.size(); i += 997)
        QCOMPARE(store.Line(i), lines.at(i));
    for (qsizetype i = lines.size() - 40; i < lines.size(); ++i)
        QCOMPARE(store.Line(i), lines.at(i));
    QCOMPARE(store.Text(), lines.join(u'\n'));
}

void TestRsLogLines::textRanges_data()
{
    QTest::addColumn<qsizetype>("firstLine");
    QTest::addColumn<qsizetype>("firstColumn");
    QTest::addColumn<qsizetype>("lastLine");
    QTest::addColumn<qsizetype>("lastColumn");
    QTest::newRow("inside one line") << qsizetype(3) << qsizetype(2) << qsizetype(3) << qsizetype(9);
    QTest::newRow("one whole line") << qsizetype(5) << qsizetype(0) << qsizetype(5) << qsizetype(1000);
    QTest::newRow("empty") << qsizetype(5) << qsizetype(4) << qsizetype(5) << qsizetype(4);
    QTest::newRow("two partial lines") << qsizetype(7) << qsizetype(6) << qsizetype(8) << qsizetype(3);
    QTest::newRow("a line with its break") << qsizetype(9) << qsizetype(0) << qsizetype(10) << qsizetype(0);
    QTest::newRow("across groups") << qsizetype(14) << qsizetype(11) << qsizetype(52) << qsizetype(20);
    QTest::newRow("from the start") << qsizetype(0) << qsizetype(0) << qsizetype(33) << qsizetype(5);
    QTest::newRow("to the end") << qsizetype(21) << qsizetype(8) << qsizetype(59) << qsizetype(1000);
    QTest::newRow("everything") << qsizetype(0) << qsizetype(0) << qsizetype(59) << qsizetype(1000);
    QTest::newRow("columns past the end") << qsizetype(2) << qsizetype(500) << qsizetype(4) << qsizetype(500);
    QTest::newRow("lines past the end") << qsizetype(57) << qsizetype(0) << qsizetype(90) << qsizetype(1000);
}

void TestRsLogLines::textRanges()
{
    QFETCH(qsizetype, firstLine);
    QFETCH(qsizetype, firstColumn);
    QFETCH(qsizetype, lastLine);
    QFETCH(qsizetype, lastColumn);
    QStringList lines;
    for (int i = 0; i < 60; ++i)
        lines << (i % 10 == 6 ? QString() : logLine(i));
    TRsLogLines store;
    appendAll(store, lines);

    const QString all = lines.join(u'\n');
    const qsizetype last = qMin(lastLine, lines.size() - 1);
    const qsizetype from = offsetIn(lines, firstLine, firstColumn);
    const qsizetype to = offsetIn(lines, last, last == lastLine ? lastColumn : lines.at(last).size());
    QCOMPARE(store.Text(firstLine, firstColumn, lastLine, lastColumn), all.mid(from, qMax<qsizetype>(0, to - from)));
}

void TestRsLogLines::clearStartsOver()
{
    TRsLogLines store;
    for (int i = 0; i < 50000; ++i)
        store.Append(logLine(i));
    const qsizetype full = store.MemoryUsed();
    store.Clear();
    QCOMPARE(store.Count(), 0);
    QVERIFY(store.IsEmpty());
    QCOMPARE(store.TotalLength(), 0);
    QCOMPARE(store.Text(), QString());
    QVERIFY(store.MemoryUsed() < full / 100);
    store.Append(u"again"_s);
    store.Append(u"again and more"_s);
    QCOMPARE(store.Text(), u"again\nagain and more"_s);
}

QTEST_GUILESS_MAIN(TestRsLogLines)
#include "tst_rsloglines.moc"
