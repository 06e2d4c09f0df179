// The built-in texts that the default language file does not list.

#include "app/LangExtra.h"

using namespace Qt::StringLiterals;

// ---- editing task lists and tasks
QString MsgWarnTaskListNameTaken = u"「%s」は ほかの ファイルと おなじ なまえに なるので つかえません。"_s;

// ---- keeping the backup safe
// state files
QString MsgWarnTaskListNameReplaced = u"[%s] の タスク リスト めー [%s] は ファイル めーに つかえないので [%s] と します"_s;
QString MsgWarnLogFileUnreadable = u"ログ ファイル [%s] を よめません。 ログは からで はじまり、 つぎの じっこーで うわがき されます"_s;

// ---- shortcut keys and version information

const QList<TLangExtraText>& ExtraLangTexts()
{
    static const QList<TLangExtraText> texts = [] {
        QList<TLangExtraText> list = {
            // ---- editing task lists and tasks
            {u"Lang: Msg"_s, u"MsgWarnTaskListNameTaken"_s, &MsgWarnTaskListNameTaken, {}},

            // ---- keeping the backup safe
            // state files
            {u"Lang: Msg"_s, u"MsgWarnTaskListNameReplaced"_s, &MsgWarnTaskListNameReplaced, {}},
            {u"Lang: Msg"_s, u"MsgWarnLogFileUnreadable"_s, &MsgWarnLogFileUnreadable, {}},

            // ---- shortcut keys and version information
        };
        // The built-in text is what the variable held before any language file was read.
        for (TLangExtraText& t : list)
            t.builtIn = *t.text;
        return list;
    }();
    return texts;
}
