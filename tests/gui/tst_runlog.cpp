#include "RsUnits/RsLogView.h"
#include "ui/RunLog.h"

#include <QScrollBar>
#include <QtTest>

using namespace Qt::StringLiterals;

// The log pane's feed: lines in batches, in order, the view following the end only while it is there.
class TestRunLog : public QObject
{
    Q_OBJECT

private slots:
    void paneGetsLinesInBatches();
    void linesKeepTheirOrder();
    void paneFollowsOnlyWhenAtEnd();
    void paneTakesManyLines();
};

void TestRunLog::paneGetsLinesInBatches()
{
    TRsLogView pane;
    TRunLog log(&pane);
    log.AddPaneLine(u"first"_s);
    log.AddPaneLines({u"second"_s, QString(), u"fourth"_s});
    // Nothing is appended line by line; the block arrives on the short timer.
    QCOMPARE(pane.lineCount(), 0);
    QCOMPARE(log.PendingCount(), 4);
    QTRY_COMPARE(log.PendingCount(), 0);
    QCOMPARE(pane.toPlainText(), u"first\nsecond\n\nfourth"_s);
    QCOMPARE(pane.lineCount(), 4);
    log.AddPaneLine(u"fifth"_s);
    log.Flush();
    QCOMPARE(pane.lineCount(), 5);
    QCOMPARE(pane.line(4), u"fifth"_s);
}

void TestRunLog::linesKeepTheirOrder()
{
    TRsLogView pane;
    TRunLog log(&pane);
    log.AddPaneLine(u"1"_s);
    log.AddPaneLines({u"2"_s, u"3"_s});
    log.Flush();
    log.AddPaneLine(u"4"_s);
    log.AddPaneLines({u"5"_s});
    log.Flush();
    QCOMPARE(pane.toPlainText(), u"1\n2\n3\n4\n5"_s);
}

void TestRunLog::paneFollowsOnlyWhenAtEnd()
{
    TRsLogView pane;
    pane.resize(300, 120);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    TRunLog log(&pane);
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << u"line %1"_s.arg(i);
    log.AddPaneLines(lines);
    log.Flush();
    QScrollBar* bar = pane.verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    // At the end: new lines keep the view at the end.
    log.AddPaneLines(lines);
    log.Flush();
    QCOMPARE(bar->value(), bar->maximum());

    // Scrolled back: the view stays where the user put it.
    bar->setValue(10);
    log.AddPaneLines(lines);
    log.Flush();
    QCOMPARE(bar->value(), 10);
    QVERIFY(!pane.isAtEnd());
    QCOMPARE(pane.lineCount(), 600);
}

void TestRunLog::paneTakesManyLines()
{
    TRsLogView pane;
    pane.show();
    TRunLog log(&pane);
    for (int i = 0; i < 100000; ++i)
        log.AddPaneLine(u"F さくせー: dir/file%1.txt"_s.arg(i));
    log.Flush();
    // Every line is kept: the pane is never trimmed.
    QCOMPARE(pane.lineCount(), 100000);
    QCOMPARE(pane.line(99999), u"F さくせー: dir/file99999.txt"_s);
}

QTEST_MAIN(TestRunLog)
#include "tst_runlog.moc"
