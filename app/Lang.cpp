// Language texts: the named texts, the language directory and the loading of language files.

#include "app/Lang.h"

#include "app/AtomicFileWriter.h"
#include "app/Ini.h"
#include "app/LangExtra.h"
#include "app/MsgDialog.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

QString TaskListLabel;
QString TaskLabel;
QString NameLabel;
QString SrcLabel;
QString DstLabel;
QString RestoreWindowCaption;
QString MinimizeToTrayCaption;
QString ButtonCaptionOK;
QString ButtonCaptionClose;
QString ButtonCaptionSelect;
QString ButtonCaptionAdd;
QString ButtonCaptionDelete;
QString SelectFolderCaption;
QString SelectFolderTitle;
QString MsgDialogCaption;
QString MsgErrorCannotMakeDirectory;
QString MsgErrorFileNotFound;
QString MsgErrorPathNotFound;
QString MsgErrorOccurredInItem;
QString MsgErrorTaskListNotFound;
QString MsgErrorAbortBackup;
QString MsgErrorCannotShowHelp;
QString MsgConfirmOKCancel;
QString MsgConfirmOverwriteItem;
QString MsgConfirmDeleteItem;
QString MsgConfirmRunItem;
QString MsgConfirmTestItem;
QString MsgConfirmStopItem;
QString MsgWarnSpecifyPath;
QString MsgWarnSameItemExists;
QString MsgWarnHasInvalidFileNameChars;
QString MsgWarnExit;
QString MsgInfoCollectItemInfo;
QString MsgInfoCollectedItemInfo;
QString MsgInfoStartItem;
QString MsgInfoFinishedItem;
QString MsgInfoStoppedItem;
QString MsgDirAttrib;
QString MsgDirNew;
QString MsgDirDelete;
QString MsgFileNew;
QString MsgFileOverwrite;
QString MsgFileDelete;
QString MsgFileVerify;
QString LogSrcPath;
QString LogDstPath;
QString LogStartTime;
QString LogFinishTime;
QString LogDirAttrib;
QString LogDirNew;
QString LogDirDelete;
QString LogDirErrorAttrib;
QString LogDirErrorNew;
QString LogDirErrorDelete;
QString LogFileNew;
QString LogFileOverwrite;
QString LogFileDelete;
QString LogFileVerify;
QString LogFileErrorNew;
QString LogFileErrorOverwrite;
QString LogFileErrorDelete;
QString LogFileErrorVerify;
QString LogFileErrorMisc;
QString AddTaskListCaption;
QString ConfigTaskListCaption;
QString AddTaskCaption;
QString ConfigTaskCaption;

QString ApplicationTitle;
QString LangFileName;
QString LangDir;

const QString DefaultLangFileBaseName = u"Tmk日本語_かな.lang"_s;

namespace {

struct NamedText
{
    QString section;
    QString key;
    QString* text;
};

// Every named text with the section it is read from.
const QList<NamedText>& namedTexts()
{
    static const QList<NamedText> texts = {
        {u"MainForm"_s, u"TaskListLabel"_s, &TaskListLabel},
        {u"MainForm"_s, u"TaskLabel"_s, &TaskLabel},
        {u"MainForm"_s, u"NameLabel"_s, &NameLabel},
        {u"MainForm"_s, u"SrcLabel"_s, &SrcLabel},
        {u"MainForm"_s, u"DstLabel"_s, &DstLabel},
        {u"Lang: Menu"_s, u"RestoreWindowCaption"_s, &RestoreWindowCaption},
        {u"Lang: Menu"_s, u"MinimizeToTrayCaption"_s, &MinimizeToTrayCaption},
        {u"Lang: Button"_s, u"ButtonCaptionOK"_s, &ButtonCaptionOK},
        {u"Lang: Button"_s, u"ButtonCaptionClose"_s, &ButtonCaptionClose},
        {u"Lang: Button"_s, u"ButtonCaptionSelect"_s, &ButtonCaptionSelect},
        {u"Lang: Button"_s, u"ButtonCaptionAdd"_s, &ButtonCaptionAdd},
        {u"Lang: Button"_s, u"ButtonCaptionDelete"_s, &ButtonCaptionDelete},
        {u"Lang: Dialog"_s, u"SelectFolderCaption"_s, &SelectFolderCaption},
        {u"Lang: Dialog"_s, u"SelectFolderTitle"_s, &SelectFolderTitle},
        {u"Lang: Msg"_s, u"MsgDialogCaption"_s, &MsgDialogCaption},
        {u"Lang: Msg"_s, u"MsgErrorCannotMakeDirectory"_s, &MsgErrorCannotMakeDirectory},
        {u"Lang: Msg"_s, u"MsgErrorFileNotFound"_s, &MsgErrorFileNotFound},
        {u"Lang: Msg"_s, u"MsgErrorPathNotFound"_s, &MsgErrorPathNotFound},
        {u"Lang: Msg"_s, u"MsgErrorOccurredInItem"_s, &MsgErrorOccurredInItem},
        {u"Lang: Msg"_s, u"MsgErrorTaskListNotFound"_s, &MsgErrorTaskListNotFound},
        {u"Lang: Msg"_s, u"MsgErrorAbortBackup"_s, &MsgErrorAbortBackup},
        {u"Lang: Msg"_s, u"MsgErrorCannotShowHelp"_s, &MsgErrorCannotShowHelp},
        {u"Lang: Msg"_s, u"MsgConfirmOKCancel"_s, &MsgConfirmOKCancel},
        {u"Lang: Msg"_s, u"MsgConfirmOverwriteItem"_s, &MsgConfirmOverwriteItem},
        {u"Lang: Msg"_s, u"MsgConfirmDeleteItem"_s, &MsgConfirmDeleteItem},
        {u"Lang: Msg"_s, u"MsgConfirmRunItem"_s, &MsgConfirmRunItem},
        {u"Lang: Msg"_s, u"MsgConfirmTestItem"_s, &MsgConfirmTestItem},
        {u"Lang: Msg"_s, u"MsgConfirmStopItem"_s, &MsgConfirmStopItem},
        {u"Lang: Msg"_s, u"MsgWarnSpecifyPath"_s, &MsgWarnSpecifyPath},
        {u"Lang: Msg"_s, u"MsgWarnSameItemExists"_s, &MsgWarnSameItemExists},
        {u"Lang: Msg"_s, u"MsgWarnHasInvalidFileNameChars"_s, &MsgWarnHasInvalidFileNameChars},
        {u"Lang: Msg"_s, u"MsgWarnExit"_s, &MsgWarnExit},
        {u"Lang: Msg"_s, u"MsgInfoCollectItemInfo"_s, &MsgInfoCollectItemInfo},
        {u"Lang: Msg"_s, u"MsgInfoCollectedItemInfo"_s, &MsgInfoCollectedItemInfo},
        {u"Lang: Msg"_s, u"MsgInfoStartItem"_s, &MsgInfoStartItem},
        {u"Lang: Msg"_s, u"MsgInfoFinishedItem"_s, &MsgInfoFinishedItem},
        {u"Lang: Msg"_s, u"MsgInfoStoppedItem"_s, &MsgInfoStoppedItem},
        {u"Lang: Msg"_s, u"MsgDirAttrib"_s, &MsgDirAttrib},
        {u"Lang: Msg"_s, u"MsgDirNew"_s, &MsgDirNew},
        {u"Lang: Msg"_s, u"MsgDirDelete"_s, &MsgDirDelete},
        {u"Lang: Msg"_s, u"MsgFileNew"_s, &MsgFileNew},
        {u"Lang: Msg"_s, u"MsgFileOverwrite"_s, &MsgFileOverwrite},
        {u"Lang: Msg"_s, u"MsgFileDelete"_s, &MsgFileDelete},
        {u"Lang: Msg"_s, u"MsgFileVerify"_s, &MsgFileVerify},
        {u"Lang: Log"_s, u"LogSrcPath"_s, &LogSrcPath},
        {u"Lang: Log"_s, u"LogDstPath"_s, &LogDstPath},
        {u"Lang: Log"_s, u"LogStartTime"_s, &LogStartTime},
        {u"Lang: Log"_s, u"LogFinishTime"_s, &LogFinishTime},
        {u"Lang: Log"_s, u"LogDirAttrib"_s, &LogDirAttrib},
        {u"Lang: Log"_s, u"LogDirNew"_s, &LogDirNew},
        {u"Lang: Log"_s, u"LogDirDelete"_s, &LogDirDelete},
        {u"Lang: Log"_s, u"LogDirErrorAttrib"_s, &LogDirErrorAttrib},
        {u"Lang: Log"_s, u"LogDirErrorNew"_s, &LogDirErrorNew},
        {u"Lang: Log"_s, u"LogDirErrorDelete"_s, &LogDirErrorDelete},
        {u"Lang: Log"_s, u"LogFileNew"_s, &LogFileNew},
        {u"Lang: Log"_s, u"LogFileOverwrite"_s, &LogFileOverwrite},
        {u"Lang: Log"_s, u"LogFileDelete"_s, &LogFileDelete},
        {u"Lang: Log"_s, u"LogFileVerify"_s, &LogFileVerify},
        {u"Lang: Log"_s, u"LogFileErrorNew"_s, &LogFileErrorNew},
        {u"Lang: Log"_s, u"LogFileErrorOverwrite"_s, &LogFileErrorOverwrite},
        {u"Lang: Log"_s, u"LogFileErrorDelete"_s, &LogFileErrorDelete},
        {u"Lang: Log"_s, u"LogFileErrorVerify"_s, &LogFileErrorVerify},
        {u"Lang: Log"_s, u"LogFileErrorMisc"_s, &LogFileErrorMisc},
        {u"ConfigForm101"_s, u"AddTaskListCaption"_s, &AddTaskListCaption},
        {u"ConfigForm101"_s, u"ConfigTaskListCaption"_s, &ConfigTaskListCaption},
        {u"ConfigForm201"_s, u"AddTaskCaption"_s, &AddTaskCaption},
        {u"ConfigForm201"_s, u"ConfigTaskCaption"_s, &ConfigTaskCaption},
    };
    return texts;
}

// Reads every named text of the given sections from the language file (built-in text for a key the
// file lacks or holds in another section).
void loadNamedTexts(const TIniFile& ini, const QStringList& sections)
{
    for (const NamedText& named : namedTexts()) {
        if (sections.contains(named.section))
            *named.text = ini.ReadString(named.section, named.key, DefaultLangText(named.section, named.key));
    }
    for (const TLangExtraText& extra : ExtraLangTexts()) {
        if (sections.contains(extra.section))
            *extra.text = ini.ReadString(extra.section, extra.key, extra.builtIn);
    }
}

QString langText(const TIniFile& ini, const QString& section, const QString& key)
{
    return ini.ReadString(section, key, DefaultLangText(section, key));
}

// The controls of one section whose keys are "<control>.Caption".
void loadCaptions(const TIniFile& ini, const QString& section, TDialogTexts& texts)
{
    static const QString suffix = u".Caption"_s;
    for (const TLangSection& s : DefaultLangSections()) {
        if (s.name != section)
            continue;
        for (const TLangEntry& e : s.entries) {
            if (e.key.endsWith(suffix))
                texts.captions.insert(e.key.chopped(suffix.size()), ini.ReadString(section, e.key, e.text));
        }
    }
}

QString dirWithSlash(const QString& dir)
{
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

} // namespace

QString DefaultLangText(const QString& section, const QString& key)
{
    for (const TLangSection& s : DefaultLangSections()) {
        if (s.name != section)
            continue;
        for (const TLangEntry& e : s.entries) {
            if (e.key == key)
                return e.text;
        }
    }
    for (const TLangExtraText& extra : ExtraLangTexts()) {
        if (extra.section == section && extra.key == key)
            return extra.builtIn;
    }
    return {};
}

QString FormatLangTextList(const QString& text, const QStringList& args)
{
    QString result;
    result.reserve(text.size());
    qsizetype next = 0;
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype at = text.indexOf(u"%s"_s, from);
        if (at < 0 || next >= args.size()) {
            result += QStringView(text).mid(from);
            break;
        }
        result += QStringView(text).mid(from, at - from);
        result += args.at(next++);
        from = at + 2;
    }
    return result;
}

QString ErrorOccurredInFileText(const QString& fileName)
{
    const QString text = MsgErrorOccurredInItem.isEmpty() ? DefaultLangText(u"Lang: Msg"_s, u"MsgErrorOccurredInItem"_s)
                                                          : MsgErrorOccurredInItem;
    return FormatLangText(text, QDir::toNativeSeparators(fileName));
}

QString DefaultLangFileName()
{
    return LangDir + DefaultLangFileBaseName;
}

bool PrepareLanguage(const QString& programDir, const QString& settingsLangFileName, QObject* owner)
{
    const QString dir = dirWithSlash(programDir);
    LangDir = dir + u"Lang/"_s;
    bool made = QFileInfo(LangDir).isDir() || QDir().mkpath(LangDir);
    if (!made) {
        // No language file has been read yet, so the named text is still empty.
        if (MsgErrorCannotMakeDirectory.isEmpty())
            MsgErrorCannotMakeDirectory = u"Tsumiki! cannot make directory."_s;
        ShowMsgDialog(MsgErrorCannotMakeDirectory, TMsgDlgType::Error, TMsgDlgButtons::OK, owner);
        LangDir = dir;
    }
    LangFileName = settingsLangFileName.isEmpty() ? DefaultLangFileName() : settingsLangFileName;
    return made;
}

QString ResolveLangFile()
{
    if (!LangFileName.isEmpty() && QFileInfo(LangFileName).isFile())
        return LangFileName;
    LangFileName = DefaultLangFileName();
    // When the default file cannot be written either, reading the missing file yields the
    // built-in texts throughout; the user hears of it once, not at every dialog.
    if (!QFileInfo(LangFileName).isFile()) {
        QString reason;
        static QString reported;
        if (!WriteDefaultLangFile(LangFileName, &reason) && reported != LangFileName) {
            reported = LangFileName;
            ShowMsgDialog(ErrorOccurredInFileText(LangFileName) + u"\n\n"_s + reason, TMsgDlgType::Error);
        }
    }
    return LangFileName;
}

QByteArray DefaultLangFileBytes()
{
    const QString rule = u";"_s + QString(78, u'-');
    QStringList lines = {
        rule,
        u";[General]"_s,
        u";FileName="_s + DefaultLangFileBaseName,
        u";Charset=UTF-16"_s,
        u";Description=日本語_かな"_s,
        rule,
        QString(),
    };
    for (const TLangSection& s : DefaultLangSections()) {
        lines << u'[' + s.name + u']';
        for (const TLangEntry& e : s.entries)
            lines << e.key + u'=' + e.text;
        lines << QString();
    }
    return Utf16LeLinesBytes(lines);
}

bool WriteDefaultLangFile(const QString& path, QString* errorText)
{
    return WriteFileAtomically(path, DefaultLangFileBytes(), errorText);
}

TMainFormTexts LoadMainFormTexts()
{
    const TIniFile ini(ResolveLangFile());
    TMainFormTexts texts;
    ApplicationTitle = langText(ini, u"Application"_s, u"Application.Title"_s);
    texts.title = ApplicationTitle;
    loadNamedTexts(ini, {u"MainForm"_s, u"Lang: Menu"_s, u"Lang: Button"_s, u"Lang: Msg"_s, u"Lang: Log"_s});
    TDialogTexts captions;
    loadCaptions(ini, u"MainForm"_s, captions);
    texts.captions = captions.captions;
    return texts;
}

TDialogTexts LoadConfigForm101Texts()
{
    const TIniFile ini(ResolveLangFile());
    loadNamedTexts(ini, {u"ConfigForm101"_s});
    TDialogTexts texts;
    loadCaptions(ini, u"ConfigForm101"_s, texts);
    texts.captions.insert(u"Label101"_s, NameLabel);
    texts.captions.insert(u"Button101"_s, ButtonCaptionClose);
    return texts;
}

TDialogTexts LoadConfigForm201Texts()
{
    const TIniFile ini(ResolveLangFile());
    loadNamedTexts(ini, {u"ConfigForm201"_s, u"Lang: Dialog"_s});
    TDialogTexts texts;
    loadCaptions(ini, u"ConfigForm201"_s, texts);
    texts.captions.insert(u"Label201"_s, SrcLabel);
    texts.captions.insert(u"Label202"_s, DstLabel);
    texts.captions.insert(u"Button201"_s, ButtonCaptionSelect);
    texts.captions.insert(u"Button202"_s, ButtonCaptionSelect);
    texts.captions.insert(u"Button203"_s, ButtonCaptionAdd);
    texts.captions.insert(u"Button204"_s, ButtonCaptionDelete);
    texts.captions.insert(u"Button205"_s, ButtonCaptionAdd);
    texts.captions.insert(u"Button206"_s, ButtonCaptionDelete);
    texts.captions.insert(u"Button207"_s, ButtonCaptionClose);
    return texts;
}

TDialogTexts LoadConfigShortcutFormTexts()
{
    const TIniFile ini(ResolveLangFile());
    TDialogTexts texts;
    loadCaptions(ini, u"ConfigShortcutForm"_s, texts);
    texts.captions.insert(u"Button001"_s, ButtonCaptionDelete);
    texts.captions.insert(u"Button002"_s, ButtonCaptionAdd);
    texts.captions.insert(u"Button003"_s, ButtonCaptionClose);
    // The product name, not the application title.
    texts.caption = u"つみき！ - "_s + texts.text(u"Label002"_s);
    return texts;
}

TDialogTexts LoadAboutFormTexts()
{
    const TIniFile ini(ResolveLangFile());
    TDialogTexts texts;
    loadCaptions(ini, u"AboutForm"_s, texts);
    texts.caption = texts.captions.take(u"AboutForm"_s);
    texts.captions.insert(u"CreditMemo"_s, langText(ini, u"AboutForm"_s, u"CreditMemo.Text"_s));
    texts.captions.insert(u"OKButton"_s, ButtonCaptionOK);
    return texts;
}
