#pragma once

// The shortcut key file: one value per command of the main window, read at start over the default
// keys and written back at exit. The window keeps the values in its actions; an unattended run
// without a window keeps them here, so that both leave the same file behind.

#include "app/ShortCut.h"

#include <QList>
#include <QString>

#include <functional>

// One command of the main window as the file names it, with its key (0: none).
struct TShortcutKey
{
    QString Name;
    TShortCut Key = 0;
};

// The command that never has a shortcut and is not in the file.
extern const QString TrayActionName;

// A value as a command keeps it: one without a key of its own is no shortcut at all.
TShortCut NormalizedShortCut(TShortCut value);
// Ctrl+Q for ActFileQuitAll, F1 for ActHelpShowHelp, none for the others.
TShortCut DefaultShortCut(const QString& actionName);
// Every command of the main window in the order of its action list, with its default key.
QList<TShortcutKey> DefaultShortcutKeys();

// Reads the "ShortCut" section of the file into keys (all but the tray command). A key that is
// missing, empty or not a number leaves the command as it is, and so does a value that accept()
// refuses (a key the window keeps for itself). Two commands can never share a shortcut: a later
// command whose shortcut an earlier one already has loses it.
void ReadShortcutKeyFile(QList<TShortcutKey>& keys, const QString& fileName,
                         const std::function<bool(TShortCut)>& accept = {});
// Writes every command but the tray command into the file, keeping its other content; false with
// error set when the file cannot be written.
bool WriteShortcutKeyFile(const QList<TShortcutKey>& keys, const QString& fileName, QString* error = nullptr);
