#pragma once

// The commands of the main window in the order of its action list, each with the tag that files it
// under a main menu (0 File1, 1 TaskList1, 2 Task1, 3 Tool1, 4 Help1, 5 the tray menu). The window
// makes its actions from this list; the shortcut key file follows its order.

#include <QList>
#include <QString>

struct TMainAction
{
    QString Name;
    int Tag = 0;
};

const QList<TMainAction>& MainActions();
