// The built-in texts that the default language file does not list.

#include "app/LangExtra.h"

using namespace Qt::StringLiterals;

// ---- editing task lists and tasks
QString MsgWarnTaskListNameTaken = u"[%s] は [%s] と おなじ ファイルに なるので つかえません"_s;
QString MsgWarnTaskPathsSame = u"オリジナルと バックアップが おなじ ディレクトリーです"_s;
QString MsgWarnTaskDstInsideSrc = u"バックアップが オリジナルの なかに あります (サブ ディレクトリーを ふくむ ときは つかえません)"_s;
QString MsgWarnTaskSrcInsideDst = u"オリジナルが バックアップの なかに あります (ミラーリング では つかえません)"_s;

// ---- keeping the backup safe

// ---- shortcut keys and version information

const QList<TLangExtraText>& ExtraLangTexts()
{
    static const QList<TLangExtraText> texts = [] {
        QList<TLangExtraText> list = {
            // ---- editing task lists and tasks
            {u"Lang: Msg"_s, u"MsgWarnTaskListNameTaken"_s, &MsgWarnTaskListNameTaken, {}},
            {u"Lang: Msg"_s, u"MsgWarnTaskPathsSame"_s, &MsgWarnTaskPathsSame, {}},
            {u"Lang: Msg"_s, u"MsgWarnTaskDstInsideSrc"_s, &MsgWarnTaskDstInsideSrc, {}},
            {u"Lang: Msg"_s, u"MsgWarnTaskSrcInsideDst"_s, &MsgWarnTaskSrcInsideDst, {}},

            // ---- keeping the backup safe

            // ---- shortcut keys and version information
        };
        // The built-in text is what the variable held before any language file was read.
        for (TLangExtraText& t : list)
            t.builtIn = *t.text;
        return list;
    }();
    return texts;
}
