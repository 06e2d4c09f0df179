// Commands whose windows and editing come with the dialogs.
// Until those land the commands exist (menus, buttons and shortcuts are bound to them) and do
// nothing.

#include "ui/Main.h"

void TMainForm::ActTaskListAddTaskListExecute()
{
}

void TMainForm::ActTaskListDeleteTaskListExecute()
{
}

void TMainForm::ActTaskListConfigTaskListExecute()
{
}

void TMainForm::ActTaskListMoveTaskListUpwardExecute()
{
}

void TMainForm::ActTaskListMoveTaskListDownwardExecute()
{
}

void TMainForm::ActTaskAddTaskExecute()
{
}

void TMainForm::ActTaskDeleteTaskExecute()
{
}

void TMainForm::ActTaskConfigTaskExecute()
{
}

void TMainForm::ActTaskMoveTaskUpwardExecute()
{
}

void TMainForm::ActTaskMoveTaskDownwardExecute()
{
}
