// The two dialogs the main window opens for itself: shortcut keys and version information. Each
// is owned by the window, shown modally and gone when it closes, even when showing it fails.

#include "ui/Main.h"

#include "ui/About.h"
#include "ui/ConfigShortcut.h"

#include <memory>

void TMainForm::ActHelpShowVersionInfoExecute()
{
    const auto dialog = std::make_unique<TAboutForm>(this);
    dialog->exec();
}

void TMainForm::ActToolShowShortcutKeyExecute()
{
    const auto dialog = std::make_unique<TConfigShortcutForm>(this);
    dialog->exec();
}
