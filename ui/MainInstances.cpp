// Quitting all shown copies of this program, this one last.

#include "ui/Main.h"

#include "app/LangExtra.h"
#include "app/MsgDialog.h"
#include "app/Lang.h"
#include "ui/QuitAllJob.h"

#include <QCoreApplication>

void TMainForm::ActFileQuitAllExecute()
{
    if (findChild<TQuitAllJob*>())
        return; // already asking the others
    auto* job = new TQuitAllJob(QCoreApplication::applicationFilePath(), QString(), -1, this);
    connect(job, &TQuitAllJob::Finished, this, [this, job] {
        const QStringList notClosed = job->NotClosed();
        job->deleteLater();
        if (!notClosed.isEmpty())
            ShowMsgDialog(FormatLangText(MsgWarnInstanceNotClosed, notClosed.join(u", ")), TMsgDlgType::Warning,
                          TMsgDlgButtons::OK, this);
        close();
    });
    job->Start();
}
