// Commands whose windows come with the shortcut key and version dialogs, the tray side and the
// language menu.
// Until those land the commands exist (menus, buttons and shortcuts are bound to them) and do
// nothing.

#include "ui/Main.h"

void TMainForm::ActFileQuitAllExecute()
{
}

void TMainForm::ActToolShowShortcutKeyExecute()
{
}

void TMainForm::ActHelpShowVersionInfoExecute()
{
}

void TMainForm::ActPopMinimizeRestoreWindowExecute()
{
}

// Rebuilds the language submenu each time the tool menu opens.
void TMainForm::Tool1Click()
{
}
