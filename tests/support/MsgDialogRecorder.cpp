#include "support/MsgDialogRecorder.h"

MsgDialogRecorder::MsgDialogRecorder()
    : m_previous(setMsgDialogPresenter(this))
{
}

MsgDialogRecorder::~MsgDialogRecorder()
{
    setMsgDialogPresenter(m_previous);
}

void MsgDialogRecorder::enqueueAnswer(TMsgDlgResult result)
{
    m_answers.enqueue(result);
}

void MsgDialogRecorder::clear()
{
    m_boxes.clear();
    m_answers.clear();
}

TMsgDlgResult MsgDialogRecorder::present(const QString& caption, const QString& text, TMsgDlgType type,
                                         TMsgDlgButtons buttons, QObject* owner)
{
    const TMsgDlgResult answer = m_answers.isEmpty() ? TMsgDlgResult::OK : m_answers.dequeue();
    m_boxes.append(Box{caption, text, type, buttons, owner, answer});
    return answer;
}
