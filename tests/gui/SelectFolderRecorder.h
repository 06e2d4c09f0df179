#pragma once

// Answers every folder chooser at once instead of showing it: records what the chooser was asked
// (caption, title, start and root folder, options, position, owner) and answers from a queue of
// folders, an empty entry meaning Cancel (Cancel once the queue is empty). Installed for its
// lifetime.

#include "RsUnits/RsSelectFolder.h"

#include <QList>
#include <QQueue>
#include <QString>

class SelectFolderRecorder : public TRsSelectFolderPresenter
{
public:
    struct Request
    {
        QString caption;
        QString title;
        QString initialDir;
        QString rootDir;
        TRsSelectFolderOptions options = 0;
        TRsDialogPosition position = dpScreenCenter;
        QWidget* owner = nullptr;
    };

    SelectFolderRecorder() { m_previous = setSelectFolderPresenter(this); }
    ~SelectFolderRecorder() override { setSelectFolderPresenter(m_previous); }
    SelectFolderRecorder(const SelectFolderRecorder&) = delete;
    SelectFolderRecorder& operator=(const SelectFolderRecorder&) = delete;

    // The next chooser answers with folder (empty: Cancel).
    void enqueueAnswer(const QString& folder) { m_answers.enqueue(folder); }
    const QList<Request>& requests() const { return m_requests; }
    int count() const { return int(m_requests.size()); }
    const Request& last() const { return m_requests.last(); }

    bool present(TRsSelectFolder& dialog, const QString& initialDir, const QString& rootDir, QString& chosen) override
    {
        m_requests.append({dialog.Caption(), dialog.Title(), initialDir, rootDir, dialog.Options(), dialog.Position(),
                           dialog.OwnerHandle()});
        chosen = m_answers.isEmpty() ? QString() : m_answers.dequeue();
        return !chosen.isEmpty();
    }

private:
    TRsSelectFolderPresenter* m_previous = nullptr;
    QList<Request> m_requests;
    QQueue<QString> m_answers;
};
