#pragma once

#include <QString>

// The directory of the running executable, with a trailing "/". Every state file lives here.
// Without an application object it is the current directory.
QString ProgramDirectory();
// Replaces the program directory (tests); an empty text restores the default. A missing trailing
// "/" is added.
void SetProgramDirectory(const QString& dir);

// The executable's file name without a ".exe" ending ("tsumiki"); "tsumiki" without an
// application object.
QString ExecutableBaseName();
// Replaces the executable base name (tests); an empty text restores the default.
void SetExecutableBaseName(const QString& baseName);

// Base names of the two files named after the executable: "tsumiki" and "tsumikiKey".
QString SettingsFileBaseName();
QString ShortcutKeyFileBaseName();
// Full paths: ProgramDirectory() + base name + ".ini".
QString SettingsFileName();
QString ShortcutKeyFileName();
