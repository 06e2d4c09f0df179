// Language texts: the default language file, the fallback to built-in texts, the language directory
// and the filling of format texts.

#include "app/Ini.h"
#include "app/Lang.h"
#include "app/LangExtra.h"
#include "app/MsgDialog.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The default language file as translators see it, line for line.
const char16_t* const ExpectedDefaultListing = uR"LISTING(;------------------------------------------------------------------------------
;[General]
;FileName=Tmk日本語_かな.lang
;Charset=UTF-16
;Description=日本語_かな
;------------------------------------------------------------------------------

[Application]
Application.Title=つみき！

[MainForm]
TaskListLabel=タスク リスト
TaskLabel=タスク
NameLabel=なまえ
SrcLabel=オリジナル
DstLabel=バックアップ
File1.Caption=ファイル(&F)
TaskList1.Caption=タスク リスト(&L)
Task1.Caption=タスク(&K)
Tool1.Caption=ツール(&T)
Help1.Caption=ヘルプ(&H)
Language1.Caption=ことば(&L)
ActFileQuit.Caption=しゅーりょー(&X)
ActFileQuitAll.Caption=すべての つみき！を しゅーりょー(&Q)
ActTaskListAddTaskList.Caption=タスク リストの ついか(&A)
ActTaskListDeleteTaskList.Caption=タスク リストの さくじょ(&D)
ActTaskListConfigTaskList.Caption=タスク リストの せってー(&C)
ActTaskListMoveTaskListUpward.Caption=タスク リストを うえへ(&P)
ActTaskListMoveTaskListDownward.Caption=タスク リストを したへ(&N)
ActTaskListTestTaskList.Caption=タスク リストの テスト(&T)
ActTaskListRunTaskList.Caption=タスク リストの じっこー(&R)
ActTaskListStopTaskList.Caption=タスク リストの てーし(&S)
ActTaskAddTask.Caption=タスクの ついか(&A)
ActTaskDeleteTask.Caption=タスクの さくじょ(&D)
ActTaskConfigTask.Caption=タスクの せってー(&C)
ActTaskMoveTaskUpward.Caption=タスクを うえへ(&P)
ActTaskMoveTaskDownward.Caption=タスクを したへ(&N)
ActTaskTestTask.Caption=タスクの テスト(&T)
ActTaskRunTask.Caption=タスクの じっこー(&R)
ActTaskStopTask.Caption=タスクの てーし(&S)
ActToolShowShortcutKey.Caption=ショートカット キー(&S)
ActHelpShowHelp.Caption=ヘルプ(&H)
ActHelpShowVersionInfo.Caption=バージョン じょーほー(&A)

[Lang: Menu]
RestoreWindowCaption=もとの サイズに もどす
MinimizeToTrayCaption=タスク トレイに いれる

[Lang: Button]
ButtonCaptionOK=OK
ButtonCaptionClose=とじる
ButtonCaptionSelect=さんしょー
ButtonCaptionAdd=ついか
ButtonCaptionDelete=さくじょ

[Lang: Dialog]
SelectFolderCaption=ドライブ / ディレクトリーの さんしょー
SelectFolderTitle=ドライブ / ディレクトリーを えらんで [OK] ボタンを おしてください

[Lang: Msg]
MsgDialogCaption=つみき！ [おしらせ]
MsgErrorCannotMakeDirectory=ディレクトリーを つくれませんでした
MsgErrorFileNotFound=ファイルが ありません
MsgErrorPathNotFound=[%s] の パスが みつかりません
MsgErrorOccurredInItem=[%s] で エラーが はっせー しました
MsgErrorTaskListNotFound=タスク リスト [%s] が ありません
MsgErrorAbortBackup=バックアップを ちゅーし します
MsgErrorCannotShowHelp=ヘルプを ひらけませんでした
MsgConfirmOKCancel=よろしーですか？
MsgConfirmOverwriteItem=[%s] を うわがき します
MsgConfirmDeleteItem=[%s] を さくじょ します
MsgConfirmRunItem=[%s] を じっこー します
MsgConfirmTestItem=[%s] を テスト します
MsgConfirmStopItem=[%s] を てーし します
MsgWarnSpecifyPath=パスを してー して ください
MsgWarnSameItemExists=[%s] と おなじです
MsgWarnHasInvalidFileNameChars=[%s] には ファイル めーとして つかえない もじが あります
MsgWarnExit=しょりを しゅーりょー します
MsgInfoCollectItemInfo=[%s] の じょーほーを あつめます
MsgInfoCollectedItemInfo=[%s] の じょーほーを あつめました
MsgInfoStartItem=[%s] の バックアップを はじめます
MsgInfoFinishedItem=[%s] を しゅーりょー しました
MsgInfoStoppedItem=[%s] を てーし しました
MsgDirAttrib=ディレクトリー (ぞくせー へんこー)
MsgDirNew=ディレクトリー (さくせー)
MsgDirDelete=ディレクトリー (さくじょ)
MsgFileNew=ファイル (さくせー)
MsgFileOverwrite=ファイル (うわがき)
MsgFileDelete=ファイル (さくじょ)
MsgFileVerify=ファイル (ベリファイ)

[Lang: Log]
LogSrcPath=オリジナル:
LogDstPath=バックアップ:
LogStartTime=かいし:
LogFinishTime=しゅーりょー:
LogDirAttrib=D ぞくせー へんこー:
LogDirNew=D さくせー:
LogDirDelete=D さくじょ:
LogDirErrorAttrib=D エラー (ぞくせー へんこー):
LogDirErrorNew=D エラー (さくせー):
LogDirErrorDelete=D エラー (さくじょ):
LogFileNew=F さくせー:
LogFileOverwrite=F うわがき:
LogFileDelete=F さくじょ:
LogFileVerify=F ベリファイ:
LogFileErrorNew=F エラー (さくせー):
LogFileErrorOverwrite=F エラー (うわがき):
LogFileErrorDelete=F エラー (さくじょ):
LogFileErrorVerify=F エラー (ベリファイ):
LogFileErrorMisc=F エラー (そのほか):

[ConfigForm101]
AddTaskListCaption=タスク リストの ついか
ConfigTaskListCaption=タスク リストの せってー
Label102.Caption=ログ ファイル
Label103.Caption=タスク リスト ファイル
CheckBox101.Caption=ログを ほぞん する
CheckBox102.Caption=ログ ファイル めーに ひづけを いれる

[ConfigForm201]
AddTaskCaption=タスクの ついか
ConfigTaskCaption=タスクの せってー
Label203.Caption=ディレクトリー
Label204.Caption=ファイル
Label205.Caption=かくちょーし
CheckBox201.Caption=サブ ディレクトリーを ふくむ
CheckBox202.Caption=ミラーリング
CheckBox203.Caption=ベリファイ
GroupBox201.Caption=じょがい

[ConfigShortcutForm]
Label001.Caption=アクション
Label002.Caption=ショートカット キー
Label003.Caption=わりあてたい キー

[AboutForm]
AboutForm.Caption=つみき！の バージョン じょーほー
TitleLabel.Caption=ファイル バックアップ ソフト つみき！
AuthorLabel.Caption=つくった ひと: つみき プロジェクト
WebSiteLabel.Caption=「つみき プロジェクト」
CreditMemo.Text=つみき！は いかの コンポーネントや ユニットを つかっています。

)LISTING";

QByteArray expectedDefaultBytes()
{
    QString text = QString::fromUtf16(ExpectedDefaultListing);
    text.replace(u"\n"_s, u"\r\n"_s);
    return testsupport::utf16leWithBom(text);
}

// Records the message boxes instead of showing them.
struct RecordingPresenter : TMsgDialogPresenter
{
    QStringList texts;
    QStringList captions;
    TMsgDlgResult present(const QString& caption, const QString& text, TMsgDlgType, TMsgDlgButtons,
                          QObject*) override
    {
        texts << text;
        captions << caption;
        return TMsgDlgResult::OK;
    }
};

void resetTexts()
{
    for (QString* t : {&TaskListLabel, &MsgDialogCaption, &MsgConfirmOKCancel, &MsgErrorCannotMakeDirectory,
                       &RestoreWindowCaption, &MinimizeToTrayCaption, &LogFileNew, &ApplicationTitle})
        t->clear();
    LangFileName.clear();
    LangDir.clear();
}

} // namespace

class TestLang : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetTexts(); }

    void defaultFileIsByteExact()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Tmk日本語_かな.lang"_s);
        QVERIFY(WriteDefaultLangFile(path));
        const QByteArray actual = testsupport::readBytes(path);
        const QByteArray expected = expectedDefaultBytes();
        QCOMPARE(actual.size(), expected.size());
        QCOMPARE(actual, expected);
    }

    void firstStartCreatesLangDirAndDefaultFile()
    {
        QTemporaryDir dir;
        QVERIFY(PrepareLanguage(dir.path(), QString()));
        const QString langDir = dir.path() + u"/Lang/"_s;
        QCOMPARE(LangDir, langDir);
        QVERIFY(QFileInfo(langDir).isDir());
        QCOMPARE(LangFileName, langDir + u"Tmk日本語_かな.lang"_s);
        QVERIFY(!QFile::exists(LangFileName)); // written when first read

        const TMainFormTexts texts = LoadMainFormTexts();
        QCOMPARE(testsupport::readBytes(LangFileName), expectedDefaultBytes());
        QCOMPARE(texts.title, u"つみき！"_s);
        QCOMPARE(ApplicationTitle, u"つみき！"_s);
        QCOMPARE(TaskListLabel, u"タスク リスト"_s);
        QCOMPARE(MsgDialogCaption, u"つみき！ [おしらせ]"_s);
        QCOMPARE(LogFileErrorMisc, u"F エラー (そのほか):"_s);
        QCOMPARE(texts.captions.value(u"ActTaskListMoveTaskListUpward"_s), u"タスク リストを うえへ(&P)"_s);
        QCOMPARE(texts.captions.value(u"Language1"_s), u"ことば(&L)"_s);
        QCOMPARE(texts.captions.size(), 6 + 21);
    }

    void existingLangDirIsKept()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"Lang"_s));
        const QString other = dir.path() + u"/Lang/other.lang"_s;
        const QByteArray otherBytes = testsupport::utf16leWithBom(u"[Lang: Msg]\r\nMsgConfirmOKCancel=OK?\r\n"_s);
        QVERIFY(testsupport::writeBytes(other, otherBytes));
        QVERIFY(PrepareLanguage(dir.path() + u'/', other));
        QCOMPARE(LangDir, dir.path() + u"/Lang/"_s);
        QCOMPARE(LangFileName, other);
        LoadMainFormTexts();
        QCOMPARE(MsgConfirmOKCancel, u"OK?"_s);
        QCOMPARE(LangFileName, other);
        QCOMPARE(testsupport::readBytes(other), otherBytes);
        QVERIFY(!QFile::exists(dir.path() + u"/Lang/Tmk日本語_かな.lang"_s)); // not needed, not written
    }

    void langDirCannotBeMade()
    {
        QTemporaryDir dir;
        // A file where the directory should be.
        QVERIFY(testsupport::writeBytes(dir.path() + u"/Lang"_s, "x"));
        RecordingPresenter presenter;
        TMsgDialogPresenter* previous = setMsgDialogPresenter(&presenter);
        const bool made = PrepareLanguage(dir.path(), QString());
        setMsgDialogPresenter(previous);
        QVERIFY(!made);
        QCOMPARE(presenter.texts, QStringList{u"Tsumiki! cannot make directory."_s});
        QCOMPARE(presenter.captions, QStringList{u"Tsumiki! [Information]"_s});
        QCOMPARE(MsgErrorCannotMakeDirectory, u"Tsumiki! cannot make directory."_s);
        QCOMPARE(LangDir, dir.path() + u'/');
        QCOMPARE(LangFileName, dir.path() + u"/Tmk日本語_かな.lang"_s);

        LoadMainFormTexts();
        QCOMPARE(testsupport::readBytes(LangFileName), expectedDefaultBytes());
        QCOMPARE(MsgErrorCannotMakeDirectory, u"ディレクトリーを つくれませんでした"_s);
    }

    void defaultFileCannotBeWritten()
    {
        QTemporaryDir dir;
        QVERIFY(PrepareLanguage(dir.path(), QString()));
        // The default file's place is taken by a directory: it cannot be written, the built-in
        // texts are used all the same.
        QVERIFY(QDir(LangDir).mkdir(DefaultLangFileBaseName));
        LoadMainFormTexts();
        QCOMPARE(MsgDialogCaption, u"つみき！ [おしらせ]"_s);
        QCOMPARE(LogFileNew, u"F さくせー:"_s);
    }

    void missingCurrentFileFallsBackToDefault()
    {
        QTemporaryDir dir;
        QVERIFY(PrepareLanguage(dir.path(), dir.path() + u"/Lang/gone.lang"_s));
        QCOMPARE(ResolveLangFile(), dir.path() + u"/Lang/Tmk日本語_かな.lang"_s);
        QCOMPARE(LangFileName, dir.path() + u"/Lang/Tmk日本語_かな.lang"_s);
        QCOMPARE(testsupport::readBytes(LangFileName), expectedDefaultBytes());

        // An existing default file is used as it is, not rewritten.
        const QByteArray custom = testsupport::utf16leWithBom(u"[Lang: Msg]\r\nMsgDialogCaption=Mine\r\n"_s);
        QVERIFY(testsupport::writeBytes(LangFileName, custom));
        LangFileName = dir.path() + u"/Lang/gone-too.lang"_s;
        LoadMainFormTexts();
        QCOMPARE(MsgDialogCaption, u"Mine"_s);
        QCOMPARE(testsupport::readBytes(dir.path() + u"/Lang/Tmk日本語_かな.lang"_s), custom);
    }

    void resolveTexts_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("confirm");     // MsgConfirmOKCancel
        QTest::addColumn<QString>("caption");     // MsgDialogCaption
        QTest::addColumn<QString>("restore");     // RestoreWindowCaption
        QTest::addColumn<QString>("upward");      // caption of ActTaskMoveTaskUpward

        const QString dConfirm = u"よろしーですか？"_s;
        const QString dCaption = u"つみき！ [おしらせ]"_s;
        const QString dRestore = u"もとの サイズに もどす"_s;
        const QString dUpward = u"タスクを うえへ(&P)"_s;
        auto utf16 = [](const char16_t* s) { return testsupport::utf16leWithBom(QString::fromUtf16(s)); };

        QTest::newRow("only one key") << utf16(u"[Lang: Msg]\r\nMsgConfirmOKCancel=Sure?\r\n")
                                      << u"Sure?"_s << dCaption << dRestore << dUpward;
        QTest::newRow("key in another section") << utf16(u"[Lang: Log]\r\nMsgConfirmOKCancel=Sure?\r\n")
                                                << dConfirm << dCaption << dRestore << dUpward;
        QTest::newRow("misspelt key") << utf16(u"[Lang: Msg]\r\nMsgConfirmOkCancl=Sure?\r\n")
                                      << dConfirm << dCaption << dRestore << dUpward;
        QTest::newRow("case of names ignored") << utf16(u"[lang: msg]\r\nmsgconfirmokcancel=Sure?\r\n")
                                               << u"Sure?"_s << dCaption << dRestore << dUpward;
        QTest::newRow("menu texts and move command")
            << utf16(u"[Lang: Menu]\r\nRestoreWindowCaption=Restore\r\n[MainForm]\r\nActTaskMoveTaskUpward.Caption=Up(&U)\r\n")
            << dConfirm << dCaption << u"Restore"_s << u"Up(&U)"_s;
        QTest::newRow("no BOM") << utf16(u"[Lang: Msg]\r\nMsgDialogCaption=X\r\n").mid(2)
                                << dConfirm << u"X"_s << dRestore << dUpward;
        QTest::newRow("UTF-8 file") << QByteArray("[Lang: Msg]\r\nMsgConfirmOKCancel=Sure?\r\n")
                                    << dConfirm << dCaption << dRestore << dUpward;
        QTest::newRow("empty file") << QByteArray() << dConfirm << dCaption << dRestore << dUpward;
    }

    void resolveTexts()
    {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        const QString path = dir.path() + u"/Lang/test.lang"_s;
        QVERIFY(PrepareLanguage(dir.path(), path));
        QVERIFY(testsupport::writeBytes(path, file));
        const TMainFormTexts texts = LoadMainFormTexts();
        QTEST(MsgConfirmOKCancel, "confirm");
        QTEST(MsgDialogCaption, "caption");
        QTEST(RestoreWindowCaption, "restore");
        QTEST(texts.captions.value(u"ActTaskMoveTaskUpward"_s), "upward");
        QCOMPARE(MinimizeToTrayCaption, u"タスク トレイに いれる"_s);
        QCOMPARE(LangFileName, path); // an existing file stays current even when it supplies nothing
    }

    // Texts beyond the default file: a language file may supply them, and one that lacks them (the
    // default file among them) shows the built-in text.
    void extraTexts()
    {
        QVERIFY(!ExtraLangTexts().isEmpty());
        const TLangExtraText& extra = ExtraLangTexts().first();
        const QString builtIn = extra.builtIn;
        QVERIFY(!builtIn.isEmpty());
        QVERIFY(!QString::fromUtf16(reinterpret_cast<const char16_t*>(expectedDefaultBytes().constData() + 2),
                                    (expectedDefaultBytes().size() - 2) / 2)
                     .contains(extra.key));
        QCOMPARE(DefaultLangText(extra.section, extra.key), builtIn);

        QTemporaryDir dir;
        const QString path = dir.path() + u"/Lang/test.lang"_s;
        QVERIFY(PrepareLanguage(dir.path(), path));
        QVERIFY(testsupport::writeBytes(
            path, testsupport::utf16leWithBom(u'[' + extra.section + u"]\r\n"_s + extra.key + u"=Mine\r\n"_s)));
        LoadMainFormTexts();
        QCOMPARE(*extra.text, u"Mine"_s);

        QVERIFY(testsupport::writeBytes(path, testsupport::utf16leWithBom(u"[Lang: Msg]\r\n"_s)));
        LoadMainFormTexts();
        QCOMPARE(*extra.text, builtIn);
    }

    // The English file shipped with the program: every text of the built-in set (and of the texts
    // beyond it) in its own section, with the same places for arguments and accelerators, and no
    // kana left over.
    void shippedEnglishFileIsComplete()
    {
        const QString path = QStringLiteral(TSUMIKI_DIST_DIR) + u"/Lang/English.lang"_s;
        const QByteArray bytes = testsupport::readBytes(path);
        QVERIFY2(bytes.startsWith("\xFF\xFE"), qPrintable(path));
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                                (bytes.size() - 2) / 2);
        QVERIFY(text.endsWith(u"\r\n"_s));
        QCOMPARE(text.count(u'\n'), text.count(u"\r\n"_s));
        const TIniFile ini(path);
        auto check = [&](const QString& section, const QString& key, const QString& builtIn) {
            const QString where = section + u'/' + key;
            QVERIFY2(ini.ValueExists(section, key), qPrintable(where));
            const QString text = ini.ReadString(section, key, QString());
            QVERIFY2(!text.isEmpty(), qPrintable(where));
            QVERIFY2(text.count(u"%s"_s) == builtIn.count(u"%s"_s), qPrintable(where));
            QVERIFY2(text.contains(u"(&"_s) == builtIn.contains(u"(&"_s), qPrintable(where));
            for (const QChar c : text)
                QVERIFY2(c.unicode() < 0x3040 || c.unicode() > 0x30FF, qPrintable(where));
        };
        for (const TLangSection& s : DefaultLangSections()) {
            for (const TLangEntry& e : s.entries)
                check(s.name, e.key, e.text);
        }
        for (const TLangExtraText& extra : ExtraLangTexts())
            check(extra.section, extra.key, extra.builtIn);
        // Each section once: a second one of the same name would never be read.
        const QStringList sections = ini.ReadSections();
        QCOMPARE(QSet<QString>(sections.begin(), sections.end()).size(), sections.size());
    }

    void dialogTexts()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + u"/Lang/test.lang"_s;
        QVERIFY(PrepareLanguage(dir.path(), path));
        QVERIFY(testsupport::writeBytes(
            path, testsupport::utf16leWithBom(u"[MainForm]\r\nNameLabel=Name\r\n[ConfigForm101]\r\nCheckBox101.Caption=Save log\r\n"
                                              u"AddTaskListCaption=Add list\r\n[Lang: Dialog]\r\nSelectFolderCaption=Pick\r\n"
                                              u"[ConfigShortcutForm]\r\nLabel002.Caption=Keys\r\n[AboutForm]\r\nAboutForm.Caption=About\r\n"_s)));
        LoadMainFormTexts();

        const TDialogTexts list = LoadConfigForm101Texts();
        QCOMPARE(list.text(u"CheckBox101"_s), u"Save log"_s);
        QCOMPARE(list.text(u"CheckBox102"_s), u"ログ ファイル めーに ひづけを いれる"_s);
        QCOMPARE(list.text(u"Label101"_s), u"Name"_s);
        QCOMPARE(list.text(u"Button101"_s), u"とじる"_s);
        QCOMPARE(AddTaskListCaption, u"Add list"_s);
        QCOMPARE(ConfigTaskListCaption, u"タスク リストの せってー"_s);

        const TDialogTexts task = LoadConfigForm201Texts();
        QCOMPARE(SelectFolderCaption, u"Pick"_s);
        QCOMPARE(task.text(u"GroupBox201"_s), u"じょがい"_s);
        QCOMPARE(task.text(u"Label201"_s), u"オリジナル"_s);
        QCOMPARE(task.text(u"Button201"_s), u"さんしょー"_s);

        const TDialogTexts keys = LoadConfigShortcutFormTexts();
        QCOMPARE(keys.caption, u"つみき！ - Keys"_s);
        QCOMPARE(keys.text(u"Label001"_s), u"アクション"_s);

        const TDialogTexts about = LoadAboutFormTexts();
        QCOMPARE(about.caption, u"About"_s);
        QCOMPARE(about.text(u"CreditMemo"_s), u"つみき！は いかの コンポーネントや ユニットを つかっています。"_s);
        QCOMPARE(about.text(u"OKButton"_s), u"OK"_s);

        // The file vanishes while the program runs: the next dialog falls back to the default file.
        QVERIFY(QFile::remove(path));
        const TDialogTexts again = LoadConfigForm101Texts();
        QCOMPARE(again.text(u"CheckBox101"_s), u"ログを ほぞん する"_s);
        QCOMPARE(LangFileName, dir.path() + u"/Lang/Tmk日本語_かな.lang"_s);
        QVERIFY(QFile::exists(LangFileName));
    }

    void formatText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");

        QTest::newRow("one") << u"[%s] を じっこー します"_s << QStringList{u"Daily"_s} << u"[Daily] を じっこー します"_s;
        QTest::newRow("none in text") << u"よろしーですか？"_s << QStringList{u"x"_s} << u"よろしーですか？"_s;
        QTest::newRow("too few args") << u"%s and %s"_s << QStringList{u"a"_s} << u"a and %s"_s;
        QTest::newRow("no args") << u"[%s]"_s << QStringList{} << u"[%s]"_s;
        QTest::newRow("too many args") << u"%s!"_s << QStringList{u"a"_s, u"b"_s} << u"a!"_s;
        QTest::newRow("other percent") << u"100% %d %n %s %"_s << QStringList{u"x"_s} << u"100% %d %n x %"_s;
        QTest::newRow("arg holds %s") << u"%s/%s"_s << QStringList{u"%s"_s, u"b"_s} << u"%s/b"_s;
        QTest::newRow("adjacent") << u"%s%s%s"_s << QStringList{u"1"_s, u"2"_s, u"3"_s} << u"123"_s;
        QTest::newRow("percent percent s") << u"%%s"_s << QStringList{u"x"_s} << u"%x"_s;
        QTest::newRow("empty text") << QString() << QStringList{u"x"_s} << QString();
    }

    void formatText()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, args);
        QTEST(FormatLangTextList(text, args), "expected");
    }

    void formatTextVariadic()
    {
        QCOMPARE(FormatLangText(u"[%s] - [%s]"_s, u"a"_s, u"b"_s), u"[a] - [b]"_s);
        QCOMPARE(FormatLangText(u"[%s]"_s), u"[%s]"_s);
    }
};

QTEST_GUILESS_MAIN(TestLang)
#include "tst_lang.moc"
