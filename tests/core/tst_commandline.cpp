#include "app/TmkLib.h"

#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TCommandLineResult)

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void grammar_data();
    void grammar();
    void errorTexts();
    void runRequestGlobals();
};

void TestCommandLine::grammar_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<TCommandLineResult>("result");
    QTest::addColumn<bool>("run");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("name");

    using R = TCommandLineResult;
    QTest::newRow("none") << QStringList() << R::Ok << false << false << QString();
    QTest::newRow("name") << QStringList{u"/t=Daily"_s} << R::Ok << true << false << u"daily"_s;
    QTest::newRow("upper-case option") << QStringList{u"/T=Daily"_s} << R::Ok << true << false << u"daily"_s;
    QTest::newRow("quoted name with spaces") << QStringList{u"/t=My list"_s} << R::Ok << true << false << u"my list"_s;
    QTest::newRow("only A-Z lower-cased") << QStringList{u"/t=ÄRGER"_s} << R::Ok << true << false << u"Ärger"_s;
    QTest::newRow("full-width letters unchanged")
        << QStringList{u"/t=ＤＡＩＬＹ"_s} << R::Ok << true << false << u"ＤＡＩＬＹ"_s;
    QTest::newRow("name holding /t= and =") << QStringList{u"/t=/t=a=b"_s} << R::Ok << true << false << u"/t=a=b"_s;
    QTest::newRow("name of spaces kept") << QStringList{u"/t= "_s} << R::Ok << true << false << u" "_s;
    QTest::newRow("empty name") << QStringList{u"/t="_s} << R::EmptyTaskListName << false << false << QString();
    QTest::newRow("switch alone") << QStringList{u"/s"_s} << R::InvalidOption << false << false << QString();
    QTest::newRow("prefix before option") << QStringList{u"x/t=Daily"_s} << R::InvalidOption << false << false
                                          << QString();
    QTest::newRow("leading space") << QStringList{u" /t=Daily"_s} << R::InvalidOption << false << false << QString();
    QTest::newRow("missing equals") << QStringList{u"/tDaily"_s} << R::InvalidOption << false << false << QString();
    QTest::newRow("empty argument") << QStringList{QString()} << R::InvalidOption << false << false << QString();
    QTest::newRow("dash form") << QStringList{u"-t=Daily"_s} << R::InvalidOption << false << false << QString();

    QTest::newRow("silent first") << QStringList{u"/s"_s, u"/t=Daily"_s} << R::Ok << true << true << u"daily"_s;
    QTest::newRow("silent second") << QStringList{u"/t=Daily"_s, u"/s"_s} << R::Ok << true << true << u"daily"_s;
    QTest::newRow("upper-case switch") << QStringList{u"/S"_s, u"/T=Daily"_s} << R::Ok << true << true << u"daily"_s;
    QTest::newRow("silent, empty name") << QStringList{u"/s"_s, u"/t="_s} << R::EmptyTaskListName << false << false
                                        << QString();
    QTest::newRow("empty name, silent") << QStringList{u"/t="_s, u"/s"_s} << R::EmptyTaskListName << false << false
                                        << QString();
    QTest::newRow("two switches") << QStringList{u"/s"_s, u"/s"_s} << R::InvalidOption << false << false << QString();
    QTest::newRow("two names") << QStringList{u"/t=a"_s, u"/t=b"_s} << R::InvalidOption << false << false
                               << QString();
    QTest::newRow("switch and junk") << QStringList{u"/s"_s, u"x"_s} << R::InvalidOption << false << false
                                     << QString();
    QTest::newRow("junk and switch") << QStringList{u"x"_s, u"/s"_s} << R::InvalidOption << false << false
                                     << QString();
    QTest::newRow("switch with suffix") << QStringList{u"/sx"_s, u"/t=a"_s} << R::InvalidOption << false << false
                                        << QString();
    // The first "/s" is the switch, so the second must carry the name.
    QTest::newRow("switch, then /s= name") << QStringList{u"/s"_s, u"/t=/s"_s} << R::Ok << true << true << u"/s"_s;

    QTest::newRow("three valid") << QStringList{u"/s"_s, u"/t=a"_s, u"/s"_s} << R::TooManyOptions << false << false
                                 << QString();
    QTest::newRow("three empty") << QStringList{QString(), QString(), QString()} << R::TooManyOptions << false
                                 << false << QString();
    QTest::newRow("four") << QStringList{u"/t=a"_s, u"/t=b"_s, u"/t=c"_s, u"/t=d"_s} << R::TooManyOptions << false
                          << false << QString();
}

void TestCommandLine::grammar()
{
    QFETCH(QStringList, arguments);
    QFETCH(TCommandLineResult, result);
    QFETCH(bool, run);
    QFETCH(bool, silent);
    QFETCH(QString, name);

    // Start from a dirty request: the parse must clear it.
    TCommandLineRequest request{true, true, u"stale"_s};
    QCOMPARE(ParseCommandLine(arguments, request), result);
    QCOMPARE(request.run, run);
    QCOMPARE(request.silent, silent);
    QCOMPARE(request.taskListName, name);
}

void TestCommandLine::errorTexts()
{
    QCOMPARE(CommandLineErrorText(TCommandLineResult::Ok), QString());
    QCOMPARE(CommandLineErrorText(TCommandLineResult::InvalidOption), u"A command line option is invalid."_s);
    QCOMPARE(CommandLineErrorText(TCommandLineResult::TooManyOptions),
             u"There are too many options in a command line."_s);
    QCOMPARE(CommandLineErrorText(TCommandLineResult::EmptyTaskListName), u"A TaskListName is empty."_s);
    QVERIFY(IsSupportedOperatingSystem());
}

void TestCommandLine::runRequestGlobals()
{
    QCOMPARE(CommandLineRun, false);
    QCOMPARE(SilentRun, false);
    QVERIFY(CommandLineTaskListName.isEmpty());

    TCommandLineRequest request;
    QCOMPARE(ParseCommandLine({u"/t=Weekly"_s, u"/S"_s}, request), TCommandLineResult::Ok);
    SetCommandLineRunRequest(request);
    QCOMPARE(CommandLineRun, true);
    QCOMPARE(SilentRun, true);
    QCOMPARE(CommandLineTaskListName, u"weekly"_s);
    ClearCommandLineRunRequest();
    QCOMPARE(CommandLineRun, false);
    QCOMPARE(SilentRun, false);
    QVERIFY(CommandLineTaskListName.isEmpty());
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
