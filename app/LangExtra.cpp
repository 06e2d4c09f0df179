// The built-in texts that the default language file does not list.

#include "app/LangExtra.h"

using namespace Qt::StringLiterals;

// ---- main window
QString LogLabel = u"ログ"_s;
QString MsgWarnInstanceNotClosed = u"ほかの つみき！ (%s) が しゅーりょー しませんでした"_s;

// ---- editing task lists and tasks
QString MsgWarnTaskListNameTaken = u"「%s」は ほかの ファイルと おなじ なまえに なるので つかえません。"_s;

// ---- keeping the backup safe

// ---- shortcut keys and version information

const QList<TLangExtraText>& ExtraLangTexts()
{
    static const QList<TLangExtraText> texts = [] {
        QList<TLangExtraText> list = {
            // ---- main window
            {u"MainForm"_s, u"LogLabel"_s, &LogLabel, {}},
            {u"Lang: Msg"_s, u"MsgWarnInstanceNotClosed"_s, &MsgWarnInstanceNotClosed, {}},

            // ---- editing task lists and tasks
            {u"Lang: Msg"_s, u"MsgWarnTaskListNameTaken"_s, &MsgWarnTaskListNameTaken, {}},

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
