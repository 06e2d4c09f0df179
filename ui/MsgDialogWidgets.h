#pragma once

#include "app/MsgDialog.h"

// Shows the program's message boxes as real modal QMessageBox windows. Installed by the program
// entry once it knows a display is present; without it the core writes messages to standard error.
class TMsgDialogWidgetsPresenter : public TMsgDialogPresenter
{
public:
    TMsgDlgResult present(const QString& caption, const QString& text, TMsgDlgType type, TMsgDlgButtons buttons,
                          QObject* owner) override;
};
