#include "app/MainActions.h"

using namespace Qt::StringLiterals;

const QList<TMainAction>& MainActions()
{
    static const QList<TMainAction> actions{
        {u"ActFileQuit"_s, 0},
        {u"ActFileQuitAll"_s, 0},
        {u"ActTaskListAddTaskList"_s, 1},
        {u"ActTaskListDeleteTaskList"_s, 1},
        {u"ActTaskListConfigTaskList"_s, 1},
        {u"ActTaskListMoveTaskListUpward"_s, 1},
        {u"ActTaskListMoveTaskListDownward"_s, 1},
        {u"ActTaskListTestTaskList"_s, 1},
        {u"ActTaskListRunTaskList"_s, 1},
        {u"ActTaskListStopTaskList"_s, 1},
        {u"ActTaskAddTask"_s, 2},
        {u"ActTaskDeleteTask"_s, 2},
        {u"ActTaskConfigTask"_s, 2},
        {u"ActTaskMoveTaskUpward"_s, 2},
        {u"ActTaskMoveTaskDownward"_s, 2},
        {u"ActTaskTestTask"_s, 2},
        {u"ActTaskRunTask"_s, 2},
        {u"ActTaskStopTask"_s, 2},
        {u"ActToolShowShortcutKey"_s, 3},
        {u"ActHelpShowHelp"_s, 4},
        {u"ActHelpShowVersionInfo"_s, 4},
        {u"ActPopMinimizeRestoreWindow"_s, 5},
    };
    return actions;
}
