// The built-in texts that the default language file does not list.

#include "app/LangExtra.h"

using namespace Qt::StringLiterals;

// ---- main window
QString LogLabel = u"ログ"_s;
QString MsgWarnInstanceNotClosed = u"ほかの つみき！ (%s) が しゅーりょー しませんでした"_s;

// ---- editing task lists and tasks
QString MsgWarnTaskListNameTaken = u"[%s] は [%s] と おなじ ファイルに なるので つかえません"_s;
QString MsgWarnTaskPathsSame = u"オリジナルと バックアップが おなじ ディレクトリーです"_s;
QString MsgWarnTaskDstInsideSrc = u"バックアップが オリジナルの なかに あります (サブ ディレクトリーを ふくむ ときは つかえません)"_s;
QString MsgWarnTaskSrcInsideDst = u"オリジナルが バックアップの なかに あります (ミラーリング では つかえません)"_s;

// ---- keeping the backup safe
QString LogDirErrorList = u"D エラー (よみこみ):"_s;
QString LogErrorEntryStatus = u"エラー (じょーたいの よみこみ):"_s;
QString LogDirSkipRepeated = u"D スキップ (おなじ ディレクトリー):"_s;
QString LogDirErrorLink = u"D エラー (リンク): %s (バックアップの なかの リンクの さきには かきこみません)"_s;
QString LogErrorEmptySource = u"エラー: オリジナルが からっぽ なので バックアップの さくじょは しません:"_s;
QString MsgConfirmEmptySource = u"オリジナル [%s] には なにも ありません。\nバックアップの ファイルと ディレクトリーを さくじょ します。"_s;
QString LogErrorSamePaths = u"エラー: オリジナル %s と バックアップ %s は おなじ ばしょ なので じっこー しません"_s;
QString LogErrorDstInsideSrc = u"エラー: オリジナル %s の なかに バックアップ %s が あるので じっこー しません"_s;
QString LogErrorSrcInsideDst = u"エラー: ミラーリング する オリジナル %s が バックアップ %s の なかに あるので じっこー しません"_s;
// state files
QString MsgWarnTaskListNameReplaced = u"[%s] の タスク リスト めー [%s] は ファイル めーに つかえないので [%s] と します"_s;
QString MsgWarnLogFileUnreadable = u"ログ ファイル [%s] を よめません。 ログは からで はじまり、 つぎの じっこーで うわがき されます"_s;

// ---- shortcut keys and version information
QString KeyUseMoveInPane = u"リストと ログ: カーソルの いどー"_s;
QString KeyUseToggleTask = u"タスク: チェックの きりかえ"_s;
QString KeyUseSelectAllLog = u"ログ: ぜんぶ せんたく"_s;
QString KeyUseCopyLog = u"ログ: コピー"_s;
QString KeyUseMoveFocus = u"ウィンドー: フォーカスの いどー"_s;

// ---- the run and its progress
QString LogErrorInternal = u"エラー (とちゅーで おわりました):"_s;
QString LogReasonFileShrank = u"よんでいる あいだに ファイルが みじかく なりました"_s;
QString ProgressScan = u"しらべています: オリジナル %s、 バックアップ %s"_s;
QString ProgressCompare = u"くらべています"_s;
QString ProgressDigest = u"MD5:"_s;
QString ProgressItems = u"%s / %s こ"_s;
QString ProgressRemaining = u"のこり %s"_s;
QString RunSummaryFinished = u"おわりました: %s こ、 エラー %s、 %s"_s;
QString RunSummaryStopped = u"ちゅーし しました: %s こ、 エラー %s、 %s"_s;
QString RunFailedList = u"つみき！: タスク リスト [%s]:"_s;
QString RunFailedItems = u"エラー %s こ"_s;
QString RunFailedPaths = u"みつからない ディレクトリー %s"_s;
QString RunFailedRefused = u"じっこー しなかった タスク %s"_s;
QString RunFailedStopped = u"ちゅーし しました"_s;
QString RunFailedLogNotWritten = u"ログ ファイル [%s] を かけません %s"_s;
QString RunFailedLog = u"ログ: %s"_s;

// ---- faithful copies
QString LogPermissionsNotKept = u"ちゅーい (パーミッションを たもてません):"_s;
QString LogSkipPseudoFileSystem = u"よみこみ しません (とくしゅな ファイル システム):"_s;
QString LogReasonDigestsDiffer = u"MD5 が ちがいます"_s;
QString LogDstErrorSync = u"エラー (ディスクへの かきこみ):"_s;

// ---- large runs

const QList<TLangExtraText>& ExtraLangTexts()
{
    static const QList<TLangExtraText> texts = [] {
        QList<TLangExtraText> list = {
            // ---- main window
            {u"MainForm"_s, u"LogLabel"_s, &LogLabel, {}},
            {u"Lang: Msg"_s, u"MsgWarnInstanceNotClosed"_s, &MsgWarnInstanceNotClosed, {}},

            // ---- editing task lists and tasks
            {u"Lang: Msg"_s, u"MsgWarnTaskListNameTaken"_s, &MsgWarnTaskListNameTaken, {}},
            {u"Lang: Msg"_s, u"MsgWarnTaskPathsSame"_s, &MsgWarnTaskPathsSame, {}},
            {u"Lang: Msg"_s, u"MsgWarnTaskDstInsideSrc"_s, &MsgWarnTaskDstInsideSrc, {}},
            {u"Lang: Msg"_s, u"MsgWarnTaskSrcInsideDst"_s, &MsgWarnTaskSrcInsideDst, {}},

            // ---- keeping the backup safe
            {u"Lang: Log"_s, u"LogDirErrorList"_s, &LogDirErrorList, {}},
            {u"Lang: Log"_s, u"LogErrorEntryStatus"_s, &LogErrorEntryStatus, {}},
            {u"Lang: Log"_s, u"LogDirSkipRepeated"_s, &LogDirSkipRepeated, {}},
            {u"Lang: Log"_s, u"LogDirErrorLink"_s, &LogDirErrorLink, {}},
            {u"Lang: Log"_s, u"LogErrorEmptySource"_s, &LogErrorEmptySource, {}},
            {u"Lang: Msg"_s, u"MsgConfirmEmptySource"_s, &MsgConfirmEmptySource, {}},
            {u"Lang: Log"_s, u"LogErrorSamePaths"_s, &LogErrorSamePaths, {}},
            {u"Lang: Log"_s, u"LogErrorDstInsideSrc"_s, &LogErrorDstInsideSrc, {}},
            {u"Lang: Log"_s, u"LogErrorSrcInsideDst"_s, &LogErrorSrcInsideDst, {}},
            // state files
            {u"Lang: Msg"_s, u"MsgWarnTaskListNameReplaced"_s, &MsgWarnTaskListNameReplaced, {}},
            {u"Lang: Msg"_s, u"MsgWarnLogFileUnreadable"_s, &MsgWarnLogFileUnreadable, {}},

            // ---- shortcut keys and version information
            {u"Lang: Msg"_s, u"KeyUseMoveInPane"_s, &KeyUseMoveInPane, {}},
            {u"Lang: Msg"_s, u"KeyUseToggleTask"_s, &KeyUseToggleTask, {}},
            {u"Lang: Msg"_s, u"KeyUseSelectAllLog"_s, &KeyUseSelectAllLog, {}},
            {u"Lang: Msg"_s, u"KeyUseCopyLog"_s, &KeyUseCopyLog, {}},
            {u"Lang: Msg"_s, u"KeyUseMoveFocus"_s, &KeyUseMoveFocus, {}},

            // ---- the run and its progress
            {u"Lang: Log"_s, u"LogErrorInternal"_s, &LogErrorInternal, {}},
            {u"Lang: Log"_s, u"LogReasonFileShrank"_s, &LogReasonFileShrank, {}},
            {u"Lang: Msg"_s, u"ProgressScan"_s, &ProgressScan, {}},
            {u"Lang: Msg"_s, u"ProgressCompare"_s, &ProgressCompare, {}},
            {u"Lang: Msg"_s, u"ProgressDigest"_s, &ProgressDigest, {}},
            {u"Lang: Msg"_s, u"ProgressItems"_s, &ProgressItems, {}},
            {u"Lang: Msg"_s, u"ProgressRemaining"_s, &ProgressRemaining, {}},
            {u"Lang: Msg"_s, u"RunSummaryFinished"_s, &RunSummaryFinished, {}},
            {u"Lang: Msg"_s, u"RunSummaryStopped"_s, &RunSummaryStopped, {}},
            {u"Lang: Msg"_s, u"RunFailedList"_s, &RunFailedList, {}},
            {u"Lang: Msg"_s, u"RunFailedItems"_s, &RunFailedItems, {}},
            {u"Lang: Msg"_s, u"RunFailedPaths"_s, &RunFailedPaths, {}},
            {u"Lang: Msg"_s, u"RunFailedRefused"_s, &RunFailedRefused, {}},
            {u"Lang: Msg"_s, u"RunFailedStopped"_s, &RunFailedStopped, {}},
            {u"Lang: Msg"_s, u"RunFailedLogNotWritten"_s, &RunFailedLogNotWritten, {}},
            {u"Lang: Msg"_s, u"RunFailedLog"_s, &RunFailedLog, {}},

            // ---- faithful copies
            {u"Lang: Log"_s, u"LogPermissionsNotKept"_s, &LogPermissionsNotKept, {}},
            {u"Lang: Log"_s, u"LogSkipPseudoFileSystem"_s, &LogSkipPseudoFileSystem, {}},
            {u"Lang: Log"_s, u"LogReasonDigestsDiffer"_s, &LogReasonDigestsDiffer, {}},
            {u"Lang: Log"_s, u"LogDstErrorSync"_s, &LogDstErrorSync, {}},

            // ---- large runs
        };
        // The built-in text is what the variable held before any language file was read.
        for (TLangExtraText& t : list)
            t.builtIn = *t.text;
        return list;
    }();
    return texts;
}
