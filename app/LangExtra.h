#pragma once

// Texts the program shows beyond those of the default language file (warnings and lines added for
// safety, progress). They are read from the current language file like every other text, but the
// default language file never lists them, so it stays as it always was; a language file that lacks
// one shows the built-in kana text. Each variable starts with its built-in text, so code that runs
// before a language file is read (the engine's tests, the unattended run's first lines) has it too.

#include <QList>
#include <QString>

// Each group below belongs to one area of the program; add a text at the end of its own group.

// ---- editing task lists and tasks
extern QString MsgWarnTaskListNameTaken;

// ---- keeping the backup safe

// ---- shortcut keys and version information
// What a pane of the main window does with a key it keeps for itself (named when such a key is
// refused as a shortcut).
extern QString KeyUseMoveInPane;
extern QString KeyUseToggleTask;
extern QString KeyUseSelectAllLog;
extern QString KeyUseCopyLog;
extern QString KeyUseMoveFocus;

struct TLangExtraText
{
    QString section;
    QString key;
    QString* text;
    QString builtIn;
};

// Every extra text with its section, key and built-in text.
const QList<TLangExtraText>& ExtraLangTexts();
