// Commands whose windows come with the shortcut key and version dialogs.
// Until those land the commands exist (menus, buttons and shortcuts are bound to them) and do
// nothing.

#include "ui/Main.h"

void TMainForm::ActToolShowShortcutKeyExecute()
{
}

void TMainForm::ActHelpShowVersionInfoExecute()
{
}
