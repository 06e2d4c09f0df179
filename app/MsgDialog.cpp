#include "app/MsgDialog.h"

#include "app/Lang.h"

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Used when no window system presenter is installed (tests, a start without a display): the
// message still reaches the user, on standard error, and the box counts as confirmed.
class TStdErrPresenter : public TMsgDialogPresenter
{
public:
    TMsgDlgResult present(const QString& caption, const QString& text, TMsgDlgType, TMsgDlgButtons,
                          QObject*) override
    {
        const QByteArray out = (caption + u'\n' + text + u'\n').toLocal8Bit();
        std::fwrite(out.constData(), 1, size_t(out.size()), stderr);
        std::fflush(stderr);
        return TMsgDlgResult::OK;
    }
};

TMsgDialogPresenter* g_presenter = nullptr;

TMsgDialogPresenter& currentPresenter()
{
    static TStdErrPresenter fallback;
    return g_presenter ? *g_presenter : fallback;
}

} // namespace

TMsgDialogPresenter* setMsgDialogPresenter(TMsgDialogPresenter* presenter)
{
    TMsgDialogPresenter* previous = g_presenter;
    g_presenter = presenter;
    return previous;
}

TMsgDialogPresenter* msgDialogPresenter()
{
    return g_presenter;
}

QString MsgDialogCaptionText()
{
    return MsgDialogCaption.isEmpty() ? u"Tsumiki! [Information]"_s : MsgDialogCaption;
}

QString MsgDialogFullText(const QString& text, TMsgDlgType type)
{
    if (type != TMsgDlgType::Confirmation)
        return text;
    // Before a language file is read the built-in question is used, so the box still asks.
    const QString question = MsgConfirmOKCancel.isEmpty()
                                 ? DefaultLangText(u"Lang: Msg"_s, u"MsgConfirmOKCancel"_s)
                                 : MsgConfirmOKCancel;
    return text + u"\n\n"_s + question;
}

TMsgDlgResult ShowMsgDialog(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, QObject* owner)
{
    return currentPresenter().present(MsgDialogCaptionText(), MsgDialogFullText(text, type), type, buttons,
                                      owner);
}
