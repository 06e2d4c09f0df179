#pragma once

#include <QString>

class QObject;

// The one message box of the program. The core builds the caption and text; a presenter shows the
// box. The widget presenter lives in ui/; tests install a recorder; without either the default
// presenter prints to standard error and answers OK.

enum class TMsgDlgType
{
    Warning,
    Error,
    Information,
    Confirmation,
};

enum class TMsgDlgButtons
{
    OK,
    OKCancel,
};

enum class TMsgDlgResult
{
    OK,
    Cancel,
};

class TMsgDialogPresenter
{
public:
    virtual ~TMsgDialogPresenter() = default;
    // Shows one modal box and returns the button that closed it. owner may be null.
    virtual TMsgDlgResult present(const QString& caption, const QString& text, TMsgDlgType type,
                                  TMsgDlgButtons buttons, QObject* owner) = 0;
};

// Installs a presenter (not owned); null restores the default one. Returns the previous one
// (null when the default was in use).
TMsgDialogPresenter* setMsgDialogPresenter(TMsgDialogPresenter* presenter);
TMsgDialogPresenter* msgDialogPresenter();

// The caption: the language text MsgDialogCaption, or "Tsumiki! [Information]" while it is empty.
QString MsgDialogCaptionText();
// The text as shown: a confirmation gets an empty line and MsgConfirmOKCancel appended.
QString MsgDialogFullText(const QString& text, TMsgDlgType type);

// Shows text in a modal box centred on owner (a widget, or null). Only OK proceeds.
TMsgDlgResult ShowMsgDialog(const QString& text, TMsgDlgType type,
                            TMsgDlgButtons buttons = TMsgDlgButtons::OK, QObject* owner = nullptr);
