// The editing commands of task lists and tasks: add and change through their dialogs, delete with
// their files, move up and down.

#include "RsUnits/RsGrid.h"
#include "app/Lang.h"
#include "app/MsgDialog.h"
#include "app/ProgramDir.h"
#include "model/TaskListFiles.h"
#include "ui/Config101.h"
#include "ui/Config201.h"
#include "ui/Main.h"

#include <QAction>

using namespace Qt::StringLiterals;

int TMainForm::TaskGridRow() const
{
    return Grid201->Row();
}

QColor TMainForm::InactiveSelectionColor() const
{
    return Grid101->ViewOptions()->InactiveSelectedColor();
}

// No list or task is edited, and no dialog opens, while a run is in progress: the run works on them.
bool TMainForm::EditingAllowed() const
{
    return !FIsBackupRunning;
}

void TMainForm::SetTaskListRows()
{
    Grid101->SetRowCount(qMax(AManager.Count() + 1, 2));
    Grid101->viewport()->update();
}

void TMainForm::SetTaskRows(const TRsTaskList* list)
{
    Grid201->SetRowCount(qMax((list ? list->Count() : 0) + 1, 2));
    Grid201->viewport()->update();
}

TRsTaskItem* TMainForm::SelectedTask(int* index) const
{
    TRsTaskList* list = SelectedTaskList();
    const int i = Grid201->Row() - 1;
    if (!list || i < 0 || i >= list->Count())
        return nullptr;
    if (index)
        *index = i;
    return list->Items(i);
}

void TMainForm::ActTaskListAddTaskListExecute()
{
    if (!EditingAllowed())
        return;
    Grid101->setFocus();
    ActionName = u"ActTaskListAddTaskList"_s;
    const int before = AManager.Count();
    {
        TConfigForm101 dialog(*this);
        dialog.exec();
        dialog.Finish();
    }
    SetTaskListRows();
    if (AManager.Count() > before)
        Grid101->SetRow(AManager.Count());
    SelectTaskList(SelectedTaskList());
}

void TMainForm::ActTaskListConfigTaskListExecute()
{
    if (!EditingAllowed() || AManager.Count() == 0 || !SelectedTaskList())
        return;
    Grid101->setFocus();
    ActionName = u"ActTaskListConfigTaskList"_s;
    {
        TConfigForm101 dialog(*this);
        dialog.exec();
        dialog.Finish();
    }
    SetTaskListRows();
    SelectTaskList(SelectedTaskList());
}

void TMainForm::ActTaskListDeleteTaskListExecute()
{
    TRsTaskList* list = SelectedTaskList();
    if (!EditingAllowed() || !list)
        return;
    Grid101->setFocus();
    if (ShowMsgDialog(FormatLangText(MsgConfirmDeleteItem, list->TaskListName()), TMsgDlgType::Confirmation,
                      TMsgDlgButtons::OKCancel, this) != TMsgDlgResult::OK)
        return;
    // A list without a name has no files of its own (its name would make the settings' neighbours).
    if (!list->TaskListName().isEmpty()) {
        const QString file = list->GetTaskListFileName();
        DeleteFilesInOrder(QStringList{file} + TaskListLogFiles(ProgramDirectory(), list->TaskListName()), this, file);
    }
    AManager.Remove(list);
    SetTaskListRows();
    SelectTaskList(SelectedTaskList());
}

void TMainForm::MoveSelectedTaskList(int step)
{
    TRsTaskList* list = SelectedTaskList();
    if (!EditingAllowed() || !list)
        return;
    Grid101->setFocus();
    const int index = AManager.IndexOf(list);
    const int target = index + step;
    if (target < 0 || target >= AManager.Count())
        return;
    // The moved list is a copy: its remembered rows start afresh.
    auto* copy = new TRsTaskList;
    copy->Assign(*list);
    AManager.Insert(step < 0 ? target : target + 1, copy);
    AManager.Remove(list);
    Grid101->SetRow(AManager.IndexOf(copy) + 1);
    Grid101->viewport()->update();
    SelectTaskList(copy);
}

void TMainForm::ActTaskListMoveTaskListUpwardExecute()
{
    MoveSelectedTaskList(-1);
}

void TMainForm::ActTaskListMoveTaskListDownwardExecute()
{
    MoveSelectedTaskList(1);
}

void TMainForm::ActTaskAddTaskExecute()
{
    TRsTaskList* list = SelectedTaskList();
    if (!EditingAllowed() || !list)
        return;
    Grid201->setFocus();
    ActionName = u"ActTaskAddTask"_s;
    const int before = list->Count();
    {
        TConfigForm201 dialog(*this);
        dialog.exec();
        dialog.Finish();
    }
    SetTaskRows(list);
    if (list->Count() > before)
        Grid201->SetRow(list->Count());
}

void TMainForm::ActTaskConfigTaskExecute()
{
    TRsTaskList* list = SelectedTaskList();
    if (!EditingAllowed() || !SelectedTask())
        return;
    Grid201->setFocus();
    ActionName = u"ActTaskConfigTask"_s;
    {
        TConfigForm201 dialog(*this);
        dialog.exec();
        dialog.Finish();
    }
    SetTaskRows(list);
}

void TMainForm::ActTaskDeleteTaskExecute()
{
    TRsTaskList* list = SelectedTaskList();
    TRsTaskItem* task = SelectedTask();
    if (!EditingAllowed() || !task)
        return;
    Grid201->setFocus();
    if (ShowMsgDialog(FormatLangText(MsgConfirmDeleteItem, TaskText(task)), TMsgDlgType::Confirmation,
                      TMsgDlgButtons::OKCancel, this) != TMsgDlgResult::OK)
        return;
    list->Remove(task);
    QString reason;
    if (!list->SaveToFile(list->GetTaskListFileName(), &reason))
        ReportWriteFailure(list->GetTaskListFileName(), reason, this);
    SetTaskRows(list);
}

void TMainForm::MoveSelectedTask(int step)
{
    TRsTaskList* list = SelectedTaskList();
    int index = -1;
    TRsTaskItem* task = SelectedTask(&index);
    if (!EditingAllowed() || !task)
        return;
    Grid201->setFocus();
    const int target = index + step;
    if (target < 0 || target >= list->Count())
        return;
    auto* copy = new TRsTaskItem;
    copy->Assign(*task);
    list->Insert(step < 0 ? target : target + 1, copy);
    list->Remove(task);
    Grid201->SetRow(list->IndexOf(copy) + 1);
    Grid201->viewport()->update();
}

void TMainForm::ActTaskMoveTaskUpwardExecute()
{
    MoveSelectedTask(-1);
}

void TMainForm::ActTaskMoveTaskDownwardExecute()
{
    MoveSelectedTask(1);
}
