#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <initializer_list>

class QObject;

// Language texts. Every text the user sees comes from the current language file, or, for a key the
// file lacks, from the built-in kana text set. Each named text is a process-wide string named by its
// key; they stay empty until the first language file has been read.

// ---- "MainForm" (the first five keys)
extern QString TaskListLabel;
extern QString TaskLabel;
extern QString NameLabel;
extern QString SrcLabel;
extern QString DstLabel;

// ---- "Lang: Menu"
extern QString RestoreWindowCaption;
extern QString MinimizeToTrayCaption;

// ---- "Lang: Button"
extern QString ButtonCaptionOK;
extern QString ButtonCaptionClose;
extern QString ButtonCaptionSelect;
extern QString ButtonCaptionAdd;
extern QString ButtonCaptionDelete;

// ---- "Lang: Dialog" (read when the task dialog opens)
extern QString SelectFolderCaption;
extern QString SelectFolderTitle;

// ---- "Lang: Msg"
extern QString MsgDialogCaption;
extern QString MsgErrorCannotMakeDirectory;
extern QString MsgErrorFileNotFound;
extern QString MsgErrorPathNotFound;
extern QString MsgErrorOccurredInItem;
extern QString MsgErrorTaskListNotFound;
extern QString MsgErrorAbortBackup;
extern QString MsgErrorCannotShowHelp;
extern QString MsgConfirmOKCancel;
extern QString MsgConfirmOverwriteItem;
extern QString MsgConfirmDeleteItem;
extern QString MsgConfirmRunItem;
extern QString MsgConfirmTestItem;
extern QString MsgConfirmStopItem;
extern QString MsgWarnSpecifyPath;
extern QString MsgWarnSameItemExists;
extern QString MsgWarnHasInvalidFileNameChars;
extern QString MsgWarnExit;
extern QString MsgInfoCollectItemInfo;
extern QString MsgInfoCollectedItemInfo;
extern QString MsgInfoStartItem;
extern QString MsgInfoFinishedItem;
extern QString MsgInfoStoppedItem;
extern QString MsgDirAttrib;
extern QString MsgDirNew;
extern QString MsgDirDelete;
extern QString MsgFileNew;
extern QString MsgFileOverwrite;
extern QString MsgFileDelete;
extern QString MsgFileVerify;

// ---- "Lang: Log" (the words of the run log)
extern QString LogSrcPath;
extern QString LogDstPath;
extern QString LogStartTime;
extern QString LogFinishTime;
extern QString LogDirAttrib;
extern QString LogDirNew;
extern QString LogDirDelete;
extern QString LogDirErrorAttrib;
extern QString LogDirErrorNew;
extern QString LogDirErrorDelete;
extern QString LogFileNew;
extern QString LogFileOverwrite;
extern QString LogFileDelete;
extern QString LogFileVerify;
extern QString LogFileErrorNew;
extern QString LogFileErrorOverwrite;
extern QString LogFileErrorDelete;
extern QString LogFileErrorVerify;
extern QString LogFileErrorMisc;

// ---- "ConfigForm101" / "ConfigForm201" dialog captions (read each time the dialog opens)
extern QString AddTaskListCaption;
extern QString ConfigTaskListCaption;
extern QString AddTaskCaption;
extern QString ConfigTaskCaption;

// The application title ("Application.Title"); dialogs build their captions from it.
extern QString ApplicationTitle;

// Full path of the language file in use; stored in the settings file at exit.
extern QString LangFileName;
// Directory holding the language files, with a trailing "/".
extern QString LangDir;

// Name of the language file the program writes out of its built-in texts.
extern const QString DefaultLangFileBaseName; // "Tmk日本語_かな.lang"

// ---- Built-in texts

struct TLangEntry
{
    QString key;
    QString text;
};

struct TLangSection
{
    QString name;
    QList<TLangEntry> entries;
};

// The built-in text set, sections and keys in file order.
const QList<TLangSection>& DefaultLangSections();
// The built-in text of key in section (empty when there is none).
QString DefaultLangText(const QString& section, const QString& key);
// "[file] で エラーが はっせー しました" for fileName, also before a language file has been read.
QString ErrorOccurredInFileText(const QString& fileName);

// ---- Formatting

// Puts the arguments into a language text: each "%s", from the left, is replaced by the next
// argument. Surplus "%s" stay as they are, surplus arguments are ignored, and every other "%" is
// kept literally. A language text is never used as a printf format.
QString FormatLangTextList(const QString& text, const QStringList& args);
inline QString FormatLangText(const QString& text, std::initializer_list<QString> args)
{
    return FormatLangTextList(text, QStringList(args));
}
template <typename... Args>
QString FormatLangText(const QString& text, const Args&... args)
{
    return FormatLangTextList(text, QStringList{QString(args)...});
}

// ---- Files

// The default language file of the current language directory.
QString DefaultLangFileName();

// Settles the language directory (programDir + "Lang/", created with missing parents) and the
// current language file (settingsLangFileName, or the default file when that is empty). When the
// directory cannot be made, the error is shown (owner: the main window, may be null) and the program
// directory itself becomes the language directory. Returns false in that case.
bool PrepareLanguage(const QString& programDir, const QString& settingsLangFileName, QObject* owner = nullptr);

// Makes sure the current language file exists: when it is missing the default language file becomes
// the current one, and is written first when it is missing too. Returns the path now current.
QString ResolveLangFile();

// Writes the built-in texts as a language file; false with *errorText set when the file cannot be
// written.
bool WriteDefaultLangFile(const QString& path, QString* errorText = nullptr);
// The bytes WriteDefaultLangFile writes.
QByteArray DefaultLangFileBytes();

// Texts of the main window: title, pane headings (the named texts), and the captions of the menus
// and commands by object name ("File1", "ActFileQuit", ...).
struct TMainFormTexts
{
    QString title;
    QMap<QString, QString> captions;
};

// Resolves and reads the current language file, sets the application title and the named texts of
// "MainForm", "Lang: Menu", "Lang: Button", "Lang: Msg" and "Lang: Log", and returns what the main
// window applies itself.
TMainFormTexts LoadMainFormTexts();

// Dialog texts: the caption of each control by object name ("Label102", "CheckBox101", ...), with
// the buttons and labels that take named texts filled in as well.
struct TDialogTexts
{
    QString caption; // the dialog's own caption where the language file sets it
    QMap<QString, QString> captions;
    QString text(const QString& name) const { return captions.value(name); }
};

// Task list dialog: reads "ConfigForm101" (also sets AddTaskListCaption, ConfigTaskListCaption).
TDialogTexts LoadConfigForm101Texts();
// Task dialog: reads "ConfigForm201" and "Lang: Dialog" (also sets AddTaskCaption, ConfigTaskCaption,
// SelectFolderCaption, SelectFolderTitle).
TDialogTexts LoadConfigForm201Texts();
// Shortcut key dialog: "ConfigShortcutForm"; caption = "つみき！ - " + Label002.
TDialogTexts LoadConfigShortcutFormTexts();
// Version information dialog: "AboutForm".
TDialogTexts LoadAboutFormTexts();
