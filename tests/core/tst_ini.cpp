#include "app/Ini.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using testsupport::utf16leWithBom;

namespace {

QByteArray utf16leNoBom(const QString& text)
{
    return utf16leWithBom(text).sliced(2);
}

} // namespace

class TestIni : public QObject
{
    Q_OBJECT

private slots:
    void parseInteger_data();
    void parseInteger();
    void readIntegerDefaultsAndBools();
    void readingRules_data();
    void readingRules();
    void firstMatchWins();
    void readSectionAndSections();
    void canonicalRewriteOfMessyFile();
    void writeOrderAndReplaceInPlace();
    void eraseSectionRemovesEveryDuplicate();
    void lineBreakInValueCannotForgeSection();
    void updateFileWritesAndReopens();
    void updateFileFailureKeepsOldFile();
    void missingAndUnreadableFiles();
    void fifoAndSymbolicLink();
    void hostileBytes_data();
    void hostileBytes();
    void largeFile();
};

void TestIni::parseInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");

    QTest::newRow("zero") << u"0"_s << true << 0;
    QTest::newRow("decimal") << u"42"_s << true << 42;
    QTest::newRow("leading zeros") << u"007"_s << true << 7;
    QTest::newRow("plus") << u"+5"_s << true << 5;
    QTest::newRow("minus") << u"-5"_s << true << -5;
    QTest::newRow("int max") << u"2147483647"_s << true << 2147483647;
    QTest::newRow("int min") << u"-2147483648"_s << true << int(-2147483647 - 1);
    QTest::newRow("overflow") << u"2147483648"_s << false << 0;
    QTest::newRow("underflow") << u"-2147483649"_s << false << 0;
    QTest::newRow("huge") << u"99999999999999999999999"_s << false << 0;
    QTest::newRow("dollar hex") << u"$1F"_s << true << 31;
    QTest::newRow("dollar hex lower") << u"$ff"_s << true << 255;
    QTest::newRow("0x hex") << u"0x10"_s << true << 16;
    QTest::newRow("0X hex") << u"0XaB"_s << true << 171;
    QTest::newRow("negative hex") << u"-$10"_s << true << -16;
    QTest::newRow("hex max") << u"$7FFFFFFF"_s << true << 2147483647;
    QTest::newRow("hex overflow") << u"$80000000"_s << false << 0;
    QTest::newRow("hex all ones") << u"$FFFFFFFF"_s << false << 0;
    QTest::newRow("empty") << QString() << false << 0;
    QTest::newRow("sign only") << u"-"_s << false << 0;
    QTest::newRow("dollar only") << u"$"_s << false << 0;
    QTest::newRow("0x only") << u"0x"_s << false << 0;
    QTest::newRow("double sign") << u"--1"_s << false << 0;
    QTest::newRow("inner space") << u"1 2"_s << false << 0;
    QTest::newRow("trailing letter") << u"12a"_s << false << 0;
    QTest::newRow("hex digit in decimal") << u"1F"_s << false << 0;
    QTest::newRow("bad hex digit") << u"$1G"_s << false << 0;
    QTest::newRow("exponent") << u"1e3"_s << false << 0;
    QTest::newRow("decimal point") << u"1.0"_s << false << 0;
    QTest::newRow("full-width digits") << u"１２"_s << false << 0;
    QTest::newRow("word") << u"true"_s << false << 0;
    QTest::newRow("quoted") << u"\"1\""_s << false << 0;
}

void TestIni::parseInteger()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    bool parsed = !ok;
    const int v = TIniFile::parseInteger(text, &parsed);
    QCOMPARE(parsed, ok);
    if (ok)
        QCOMPARE(v, value);
}

void TestIni::readIntegerDefaultsAndBools()
{
    const TIniFile ini = TIniFile::fromBytes(utf16leWithBom(u"[S]\r\n"
                                                           "Num = $20 \r\n"
                                                           "Bad=12x\r\n"
                                                           "Empty=\r\n"
                                                           "Zero=0\r\n"
                                                           "Two=2\r\n"
                                                           "Neg=-1\r\n"
                                                           "Word=yes\r\n"_s));
    QCOMPARE(ini.ReadInteger(u"S"_s, u"Num"_s, -7), 32);
    QCOMPARE(ini.ReadInteger(u"S"_s, u"Bad"_s, -7), -7);
    QCOMPARE(ini.ReadInteger(u"S"_s, u"Empty"_s, -7), -7);
    QCOMPARE(ini.ReadInteger(u"S"_s, u"Missing"_s, -7), -7);
    QCOMPARE(ini.ReadInteger(u"Nope"_s, u"Num"_s, -7), -7);
    QCOMPARE(ini.ReadBool(u"S"_s, u"Zero"_s, true), false);
    QCOMPARE(ini.ReadBool(u"S"_s, u"Two"_s, false), true);
    QCOMPARE(ini.ReadBool(u"S"_s, u"Neg"_s, false), true);
    QCOMPARE(ini.ReadBool(u"S"_s, u"Word"_s, true), true);
    QCOMPARE(ini.ReadBool(u"S"_s, u"Word"_s, false), false);
    QCOMPARE(ini.ReadBool(u"S"_s, u"Missing"_s, true), true);

    TIniFile out = TIniFile::fromBytes({});
    out.WriteBool(u"B"_s, u"On"_s, true);
    out.WriteBool(u"B"_s, u"Off"_s, false);
    out.WriteInteger(u"B"_s, u"Min"_s, -2147483647 - 1);
    QCOMPARE(out.toBytes(), utf16leWithBom(u"[B]\r\nOn=1\r\nOff=0\r\nMin=-2147483648\r\n\r\n"_s));
}

void TestIni::readingRules_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // "<default>" when the lookup must miss

    const QString d = u"<default>"_s;
    QTest::newRow("with BOM") << utf16leWithBom(u"[A]\r\nk=v\r\n"_s) << u"A"_s << u"k"_s << u"v"_s;
    QTest::newRow("without BOM") << utf16leNoBom(u"[A]\r\nk=v\r\n"_s) << u"A"_s << u"k"_s << u"v"_s;
    QTest::newRow("no final line break") << utf16leWithBom(u"[A]\r\nk=v"_s) << u"A"_s << u"k"_s << u"v"_s;
    QTest::newRow("LF only") << utf16leWithBom(u"[A]\nk=v\nj=w\n"_s) << u"A"_s << u"j"_s << u"w"_s;
    QTest::newRow("trimmed around key and value")
        << utf16leWithBom(u"  [ A ]  \r\n\t key \t=\t value with  inner  spaces \t\r\n"_s) << u"A"_s << u"key"_s
        << u"value with  inner  spaces"_s;
    QTest::newRow("control chars trimmed") << utf16leWithBom(u"[A]\r\n\x01k\x1F=\x02v\x03\r\n"_s) << u"A"_s << u"k"_s
                                           << u"v"_s;
    QTest::newRow("ideographic space is not trimmed")
        << utf16leWithBom(u"[A]\r\nk=\u3000v\u3000\r\n"_s) << u"A"_s << u"k"_s << u"\u3000v\u3000"_s;
    QTest::newRow("quotes kept") << utf16leWithBom(u"[A]\r\nk=\"quoted\"\r\n"_s) << u"A"_s << u"k"_s << u"\"quoted\""_s;
    QTest::newRow("first equals splits") << utf16leWithBom(u"[A]\r\nk = a=b=c\r\n"_s) << u"A"_s << u"k"_s << u"a=b=c"_s;
    QTest::newRow("empty value") << utf16leWithBom(u"[A]\r\nk=\r\n"_s) << u"A"_s << u"k"_s << QString();
    QTest::newRow("section case") << utf16leWithBom(u"[General]\r\nk=v\r\n"_s) << u"GENERAL"_s << u"k"_s << u"v"_s;
    QTest::newRow("key case") << utf16leWithBom(u"[A]\r\nTaskCount=3\r\n"_s) << u"a"_s << u"taskcount"_s << u"3"_s;
    QTest::newRow("non-ASCII case") << utf16leWithBom(u"[Ärger]\r\nÖl=1\r\n"_s) << u"ärger"_s << u"öL"_s << u"1"_s;
    QTest::newRow("comment line ignored") << utf16leWithBom(u"[A]\r\n;k=v\r\n"_s) << u"A"_s << u";k"_s << d;
    QTest::newRow("indented comment ignored") << utf16leWithBom(u"[A]\r\n   ; k=v\r\n"_s) << u"A"_s << u"; k"_s << d;
    QTest::newRow("before first section ignored") << utf16leWithBom(u"k=v\r\n[A]\r\n"_s) << u"A"_s << u"k"_s << d;
    QTest::newRow("line without equals never matches")
        << utf16leWithBom(u"[A]\r\nlonely\r\n"_s) << u"A"_s << u"lonely"_s << d;
    QTest::newRow("unclosed bracket opens no section")
        << utf16leWithBom(u"[A]\r\n[B\r\nk=v\r\n"_s) << u"B"_s << u"k"_s << d;
    QTest::newRow("unclosed bracket stays in previous section")
        << utf16leWithBom(u"[A]\r\n[B\r\nk=v\r\n"_s) << u"A"_s << u"k"_s << u"v"_s;
    QTest::newRow("empty section name") << utf16leWithBom(u"[]\r\nk=v\r\n"_s) << QString() << u"k"_s << u"v"_s;
    QTest::newRow("missing section") << utf16leWithBom(u"[A]\r\nk=v\r\n"_s) << u"B"_s << u"k"_s << d;
    QTest::newRow("empty file") << QByteArray() << u"A"_s << u"k"_s << d;
    QTest::newRow("BOM only") << QByteArray("\xFF\xFE") << u"A"_s << u"k"_s << d;
}

void TestIni::readingRules()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const TIniFile ini = TIniFile::fromBytes(bytes);
    QCOMPARE(ini.ReadString(section, key, u"<default>"_s), expected);
    QCOMPARE(ini.ValueExists(section, key), expected != u"<default>"_s);
}

void TestIni::firstMatchWins()
{
    const TIniFile ini = TIniFile::fromBytes(utf16leWithBom(u"[A]\r\nk=first\r\nK=second\r\n"
                                                           "[a]\r\nk=other section\r\nonly=later\r\n"_s));
    QCOMPARE(ini.ReadString(u"A"_s, u"k"_s, {}), u"first"_s);
    // A key only present in a later section of the same name is not found: the first section wins.
    QCOMPARE(ini.ReadString(u"A"_s, u"only"_s, u"none"_s), u"none"_s);

    // Writing a duplicated key changes the first one only.
    TIniFile w = TIniFile::fromBytes(utf16leWithBom(u"[A]\r\nk=1\r\nk=2\r\n"_s));
    w.WriteString(u"a"_s, u"K"_s, u"3"_s);
    QCOMPARE(w.toBytes(), utf16leWithBom(u"[A]\r\nk=3\r\nk=2\r\n\r\n"_s));
}

void TestIni::readSectionAndSections()
{
    const TIniFile ini =
        TIniFile::fromBytes(utf16leWithBom(u"[One]\r\nb=1\r\nnoequals\r\na=2\r\n[Two]\r\n[One]\r\nc=3\r\n"_s));
    QCOMPARE(ini.ReadSections(), (QStringList{u"One"_s, u"Two"_s, u"One"_s}));
    QCOMPARE(ini.ReadSection(u"one"_s), (QStringList{u"b"_s, u"a"_s}));
    QVERIFY(ini.ReadSection(u"Two"_s).isEmpty());
    QVERIFY(ini.SectionExists(u"TWO"_s));
    QVERIFY(!ini.SectionExists(u"Three"_s));
}

void TestIni::canonicalRewriteOfMessyFile()
{
    // Hand-edited file: comments, blank lines, odd spacing, tabs, mixed case, hex numbers, a stray
    // line before the first section, a line without "=", quotes and "=" inside a value.
    const QString messy = u"stray line before any section\r\n"
                          "; leading comment\r\n"
                          "\r\n"
                          "   [ General ]   \r\n"
                          "TaskListName   =   Daily backup  \r\n"
                          "\tTASKCOUNT=$2\r\n"
                          ";   a comment in the middle\r\n"
                          "this line has no equals sign\r\n"
                          "Path = \"C:\\with spaces\\\" \r\n"
                          "Expr=a=b\r\n"
                          "\r\n"
                          "\r\n"
                          "[Task0]\r\n"
                          "  SrcPath=/home/me/\r\n"
                          "Enabled=0x1\r\n"_s;
    TIniFile ini = TIniFile::fromBytes(utf16leWithBom(messy));
    QCOMPARE(ini.ReadInteger(u"general"_s, u"TaskCount"_s, 0), 2);
    QCOMPARE(ini.ReadBool(u"TASK0"_s, u"enabled"_s, false), true);

    // A program writing keys in its own spelling: values are replaced in place, the file's
    // spelling of names stays, a new key goes to the end of its section, a new section to the end.
    ini.WriteInteger(u"General"_s, u"TaskCount"_s, 3);
    ini.WriteString(u"Task0"_s, u"DstPath"_s, u"/backup/"_s);
    ini.WriteBool(u"Task1"_s, u"Enabled"_s, false);

    const QString canonical = u"[General]\r\n"
                              "TaskListName=Daily backup\r\n"
                              "TASKCOUNT=3\r\n"
                              "this line has no equals sign\r\n"
                              "Path=\"C:\\with spaces\\\"\r\n"
                              "Expr=a=b\r\n"
                              "\r\n"
                              "[Task0]\r\n"
                              "SrcPath=/home/me/\r\n"
                              "Enabled=0x1\r\n"
                              "DstPath=/backup/\r\n"
                              "\r\n"
                              "[Task1]\r\n"
                              "Enabled=0\r\n"
                              "\r\n"_s;
    QCOMPARE(ini.toBytes(), utf16leWithBom(canonical));

    // The canonical form is a fixed point: reading and writing it again changes no byte.
    QCOMPARE(TIniFile::fromBytes(ini.toBytes()).toBytes(), ini.toBytes());
    // And the same content without a byte order mark gives the same image.
    QCOMPARE(TIniFile::fromBytes(utf16leNoBom(canonical)).toBytes(), utf16leWithBom(canonical));
}

void TestIni::writeOrderAndReplaceInPlace()
{
    TIniFile ini = TIniFile::fromBytes({});
    ini.WriteString(u"Second"_s, u"b"_s, u"1"_s);
    ini.WriteString(u"First"_s, u"z"_s, u"2"_s);
    ini.WriteString(u"Second"_s, u"a"_s, u"3"_s);
    ini.WriteString(u"second"_s, u"B"_s, u"  replaced  "_s); // other case: same section and key
    ini.WriteString(u"Empty"_s, u"k"_s, QString());
    QCOMPARE(ini.toBytes(), utf16leWithBom(u"[Second]\r\nb=replaced\r\na=3\r\n\r\n"
                                            "[First]\r\nz=2\r\n\r\n"
                                            "[Empty]\r\nk=\r\n\r\n"_s));
    ini.Clear();
    QCOMPARE(ini.toBytes(), QByteArray("\xFF\xFE"));
    ini.WriteString(u"Only"_s, u"k"_s, u"v"_s);
    QCOMPARE(ini.toBytes(), utf16leWithBom(u"[Only]\r\nk=v\r\n\r\n"_s));
}

void TestIni::eraseSectionRemovesEveryDuplicate()
{
    TIniFile ini = TIniFile::fromBytes(utf16leWithBom(u"[A]\r\nk=1\r\n[B]\r\nk=2\r\n[a]\r\nk=3\r\n[C]\r\nk=4\r\n"_s));
    ini.EraseSection(u"a"_s);
    QVERIFY(!ini.SectionExists(u"A"_s));
    QCOMPARE(ini.ReadString(u"A"_s, u"k"_s, u"gone"_s), u"gone"_s);
    QCOMPARE(ini.ReadString(u"C"_s, u"k"_s, {}), u"4"_s); // lookups after the erase still find the rest
    QCOMPARE(ini.toBytes(), utf16leWithBom(u"[B]\r\nk=2\r\n\r\n[C]\r\nk=4\r\n\r\n"_s));
    ini.EraseSection(u"missing"_s);
    ini.WriteString(u"A"_s, u"new"_s, u"x"_s); // recreated at the end
    QCOMPARE(ini.ReadSections(), (QStringList{u"B"_s, u"C"_s, u"A"_s}));
}

void TestIni::lineBreakInValueCannotForgeSection()
{
    TIniFile ini = TIniFile::fromBytes({});
    ini.WriteString(u"Task0"_s, u"SrcPath"_s, u"/tmp/x\n[General]\r\nTaskCount=99"_s);
    const TIniFile reread = TIniFile::fromBytes(ini.toBytes());
    QCOMPARE(reread.ReadSections(), QStringList{u"Task0"_s});
    QCOMPARE(reread.ReadString(u"Task0"_s, u"SrcPath"_s, {}), u"/tmp/x [General]  TaskCount=99"_s);
}

void TestIni::updateFileWritesAndReopens()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"settings.ini"_s);
    QVERIFY(testsupport::writeBytes(path, utf16leNoBom(u"; note\r\n[Keep]\r\nuntouched=yes\r\n[Mine]\r\nv=1\r\n"_s)));

    TIniFile ini(path);
    QVERIFY(!ini.loadFailed());
    ini.WriteInteger(u"Mine"_s, u"v"_s, 2);
    QVERIFY2(ini.UpdateFile(), qPrintable(ini.errorString()));
    QCOMPARE(testsupport::readBytes(path),
             utf16leWithBom(u"[Keep]\r\nuntouched=yes\r\n\r\n[Mine]\r\nv=2\r\n\r\n"_s));
    QCOMPARE(TIniFile(path).ReadInteger(u"mine"_s, u"V"_s, 0), 2);
    // Nothing but the file itself is left in the directory (no temporary file).
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"settings.ini"_s});

    // An image that is not bound to a file cannot be written, and says so.
    TIniFile unbound = TIniFile::fromBytes({});
    QVERIFY(!unbound.UpdateFile());
    QVERIFY(!unbound.errorString().isEmpty());
}

void TestIni::updateFileFailureKeepsOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Missing parent directory.
    TIniFile missing(dir.filePath(u"no/such/dir/x.ini"_s));
    missing.WriteString(u"A"_s, u"k"_s, u"v"_s);
    QVERIFY(!missing.UpdateFile());
    QVERIFY(missing.errorString().contains(u"x.ini"_s));

    // The rename over the target fails (a directory holds its place): the failure is reported and
    // the temporary file is gone.
    const QString blocked = dir.filePath(u"blocked.ini"_s);
    QVERIFY(QDir().mkpath(blocked + u"/inside"_s));
    TIniFile overDir(blocked);
    overDir.WriteString(u"A"_s, u"k"_s, u"v"_s);
    QVERIFY(!overDir.UpdateFile());
    QVERIFY(!overDir.errorString().isEmpty());
    QVERIFY(QFileInfo(blocked + u"/inside"_s).isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());

    // A directory that may not be written: the old file stays as it was.
    const QString sub = dir.filePath(u"ro"_s);
    QVERIFY(QDir().mkpath(sub));
    const QString path = sub + u"/list.ini"_s;
    const QByteArray old = utf16leWithBom(u"[A]\r\nk=old\r\n\r\n"_s);
    QVERIFY(testsupport::writeBytes(path, old));
    QVERIFY(QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner));
    QFile probe(sub + u"/probe"_s);
    if (probe.open(QIODevice::WriteOnly)) { // running as root: permissions do not hold
        probe.close();
        QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QSKIP("directory permissions are not enforced for this user");
    }
    TIniFile ini(path);
    ini.WriteString(u"A"_s, u"k"_s, u"new"_s);
    const bool written = ini.UpdateFile();
    QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!written);
    QVERIFY(!ini.errorString().isEmpty());
    QCOMPARE(testsupport::readBytes(path), old);
}

void TestIni::missingAndUnreadableFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TIniFile missing(dir.filePath(u"none.ini"_s));
    QVERIFY(!missing.loadFailed());
    QVERIFY(missing.ReadSections().isEmpty());

    // A directory in place of the file cannot be read: the image is empty and the failure is known.
    const QString asDir = dir.filePath(u"dir.ini"_s);
    QVERIFY(QDir().mkpath(asDir));
    const TIniFile notAFile(asDir);
    QVERIFY(notAFile.ReadSections().isEmpty());
    QVERIFY(notAFile.loadFailed());
    QVERIFY(!notAFile.errorString().isEmpty());
}

void TestIni::fifoAndSymbolicLink()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A FIFO in place of the file: reading it would block for ever.
    const QString fifo = dir.filePath(u"fifo.ini"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const TIniFile fromFifo(fifo);
    QVERIFY(fromFifo.loadFailed());
    QVERIFY(fromFifo.ReadSections().isEmpty());

    // A settings file reached through a link: the target is rewritten and the link stays a link.
    const QString real = dir.filePath(u"real.ini"_s);
    const QString link = dir.filePath(u"link.ini"_s);
    QVERIFY(testsupport::writeBytes(real, utf16leWithBom(u"[A]\r\nk=1\r\n"_s)));
    QVERIFY(QFile::link(real, link));
    TIniFile ini(link);
    QCOMPARE(ini.ReadInteger(u"A"_s, u"k"_s, 0), 1);
    ini.WriteInteger(u"A"_s, u"k"_s, 2);
    QVERIFY2(ini.UpdateFile(), qPrintable(ini.errorString()));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(testsupport::readBytes(real), utf16leWithBom(u"[A]\r\nk=2\r\n\r\n"_s));
}

void TestIni::hostileBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected"); // value of [A] k, or "<default>"

    const QByteArray good = utf16leWithBom(u"[A]\r\nk=v\r\n"_s);
    QTest::newRow("odd byte count: dangling byte ignored") << good + QByteArray("\x41", 1) << u"v"_s;
    QTest::newRow("truncated inside a value") << good.first(good.size() - 5) << QString(); // "k=" and half a "v"
    QTest::newRow("truncated inside the key") << good.first(2 + 2 * 6) << u"<default>"_s;
    QTest::newRow("single byte") << QByteArray("\xFF", 1) << u"<default>"_s;
    QTest::newRow("UTF-8 text") << QByteArray("[A]\r\nk=v\r\n") << u"<default>"_s;
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF[A]\r\nk=v\r\n") << u"<default>"_s;
    QTest::newRow("big-endian BOM") << QByteArray("\xFE\xFF\x00[\x00" "A\x00]", 8) << u"<default>"_s;
    QTest::newRow("NUL characters") << QByteArray(64, '\0') + good.sliced(2) << u"v"_s;
    QTest::newRow("lone surrogates") << QByteArray("\x00\xD8\x00\xDC\x00\xDC\x0A\x00", 8) + good.sliced(2) << u"v"_s;

    QByteArray random(64 * 1024, Qt::Uninitialized);
    QRandomGenerator rng(20261210);
    for (char& c : random)
        c = char(rng.bounded(256));
    QTest::newRow("random binary") << random << u"<default>"_s;
    QTest::newRow("random binary then a section") << random + QByteArray("\n\0", 2) + good.sliced(2) << u"v"_s;
}

void TestIni::hostileBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const TIniFile ini = TIniFile::fromBytes(bytes);
    QCOMPARE(ini.ReadString(u"A"_s, u"k"_s, u"<default>"_s), expected);
    // Whatever was read can be written and read back to the same image.
    const QByteArray canonical = ini.toBytes();
    QCOMPARE(TIniFile::fromBytes(canonical).toBytes(), canonical);
}

void TestIni::largeFile()
{
    // About 40 MB: many sections and keys plus one 8-million-character line. Reading is linear and
    // lookups are indexed, so this takes well under a few seconds even in sanitizer builds.
    QString text;
    text.reserve(21 * 1024 * 1024);
    for (int s = 0; s < 2000; ++s) {
        text += u"[Section"_s + QString::number(s) + u"]\r\n"_s;
        for (int k = 0; k < 200; ++k)
            text += u"Key"_s + QString::number(k) + u'=' + QString::number(s * 1000 + k) + u"\r\n"_s;
    }
    text += u"[Huge]\r\nline="_s + QString(8 * 1024 * 1024, u'x') + u"\r\nafter=1\r\n"_s;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"large.ini"_s);
    QVERIFY(testsupport::writeBytes(path, utf16leWithBom(text)));
    text.clear();

    TIniFile ini(path);
    QVERIFY(!ini.loadFailed());
    QCOMPARE(ini.ReadSections().size(), 2001);
    QCOMPARE(ini.ReadInteger(u"section1999"_s, u"key199"_s, -1), 1999199);
    QCOMPARE(ini.ReadInteger(u"Section0"_s, u"Key0"_s, -1), 0);
    QCOMPARE(ini.ReadString(u"Huge"_s, u"line"_s, {}).size(), 8 * 1024 * 1024);
    QCOMPARE(ini.ReadInteger(u"Huge"_s, u"after"_s, 0), 1);
    // Many writes into a big section stay cheap too.
    for (int k = 0; k < 20000; ++k)
        ini.WriteInteger(u"Section5"_s, u"Extra"_s + QString::number(k), k);
    QCOMPARE(ini.ReadInteger(u"Section5"_s, u"Extra19999"_s, -1), 19999);
    QVERIFY2(ini.UpdateFile(), qPrintable(ini.errorString()));
    QCOMPARE(TIniFile(path).ReadInteger(u"Section5"_s, u"Extra12345"_s, -1), 12345);
}

QTEST_GUILESS_MAIN(TestIni)
#include "tst_ini.moc"
