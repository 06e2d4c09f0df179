#pragma once

#include "app/MsgDialog.h"

#include <QList>
#include <QQueue>
#include <QString>

// Records every message box instead of showing it and answers from a queue of pre-set answers
// (OK once the queue is empty). Installed for its lifetime; the previous presenter comes back
// when it is destroyed.
class MsgDialogRecorder : public TMsgDialogPresenter
{
public:
    struct Box
    {
        QString caption;
        QString text;
        TMsgDlgType type = TMsgDlgType::Information;
        TMsgDlgButtons buttons = TMsgDlgButtons::OK;
        QObject* owner = nullptr;
        TMsgDlgResult answer = TMsgDlgResult::OK;
    };

    MsgDialogRecorder();
    ~MsgDialogRecorder() override;
    MsgDialogRecorder(const MsgDialogRecorder&) = delete;
    MsgDialogRecorder& operator=(const MsgDialogRecorder&) = delete;

    // The next box answers with result (queued in order).
    void enqueueAnswer(TMsgDlgResult result);

    const QList<Box>& boxes() const { return m_boxes; }
    int count() const { return int(m_boxes.size()); }
    const Box& last() const { return m_boxes.last(); }
    // Forgets the recorded boxes and the pending answers.
    void clear();

    TMsgDlgResult present(const QString& caption, const QString& text, TMsgDlgType type, TMsgDlgButtons buttons,
                          QObject* owner) override;

private:
    TMsgDialogPresenter* m_previous = nullptr;
    QList<Box> m_boxes;
    QQueue<TMsgDlgResult> m_answers;
};
