// The built-in texts that the default language file does not list.

#include "app/LangExtra.h"

using namespace Qt::StringLiterals;

// ---- editing task lists and tasks
QString MsgWarnTaskListNameTaken = u"「%s」は ほかの ファイルと おなじ なまえに なるので つかえません。"_s;

// ---- keeping the backup safe

// ---- shortcut keys and version information
QString KeyUseMoveInPane = u"リストと ログ: カーソルの いどー"_s;
QString KeyUseToggleTask = u"タスク: チェックの きりかえ"_s;
QString KeyUseSelectAllLog = u"ログ: ぜんぶ せんたく"_s;
QString KeyUseCopyLog = u"ログ: コピー"_s;
QString KeyUseMoveFocus = u"ウィンドー: フォーカスの いどー"_s;

const QList<TLangExtraText>& ExtraLangTexts()
{
    static const QList<TLangExtraText> texts = [] {
        QList<TLangExtraText> list = {
            // ---- editing task lists and tasks
            {u"Lang: Msg"_s, u"MsgWarnTaskListNameTaken"_s, &MsgWarnTaskListNameTaken, {}},

            // ---- keeping the backup safe

            // ---- shortcut keys and version information
            {u"Lang: Msg"_s, u"KeyUseMoveInPane"_s, &KeyUseMoveInPane, {}},
            {u"Lang: Msg"_s, u"KeyUseToggleTask"_s, &KeyUseToggleTask, {}},
            {u"Lang: Msg"_s, u"KeyUseSelectAllLog"_s, &KeyUseSelectAllLog, {}},
            {u"Lang: Msg"_s, u"KeyUseCopyLog"_s, &KeyUseCopyLog, {}},
            {u"Lang: Msg"_s, u"KeyUseMoveFocus"_s, &KeyUseMoveFocus, {}},
        };
        // The built-in text is what the variable held before any language file was read.
        for (TLangExtraText& t : list)
            t.builtIn = *t.text;
        return list;
    }();
    return texts;
}
