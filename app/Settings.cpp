// The settings file: language, main window placement, selected task list, the task lists and the
// dialog positions.

#include "app/Settings.h"

#include "app/Ini.h"
#include "app/Lang.h"
#include "app/LangExtra.h"
#include "app/MsgDialog.h"
#include "app/ProgramDir.h"
#include "model/RsTaskList.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QString SectionLanguage = u"Language"_s;
const QString SectionMainForm = u"MainForm"_s;
const QString SectionTaskListManager = u"TaskListManager"_s;

QString taskListKey(qsizetype i)
{
    return u"TaskList"_s + QString::number(i);
}

void reportFailures(const QStringList& lines, QObject* owner)
{
    if (!lines.isEmpty())
        ShowMsgDialog(lines.join(u'\n'), TMsgDlgType::Error, TMsgDlgButtons::OK, owner);
}

// Two lists of one name would write one file at exit, the later over the earlier: a list whose name
// an earlier list has taken keeps the name of the file it came from, or is not loaded at all.
bool takeDistinctName(TRsTaskList& list, const QString& fileName, const TRsTaskListManager& manager, QString* reason,
                      QStringList& warnings)
{
    if (!manager.IsTaskListNameTaken(list.TaskListName()))
        return true;
    const QString fileBaseName = QFileInfo(fileName).completeBaseName();
    if (!TRsTaskListManager::IsUsableTaskListName(fileBaseName) || manager.IsTaskListNameTaken(fileBaseName)) {
        *reason = u"Another task list already has the name \"%1\""_s.arg(list.TaskListName());
        return false;
    }
    warnings << FormatLangText(MsgWarnTaskListNameReplaced, QDir::toNativeSeparators(fileName), list.TaskListName(),
                               fileBaseName);
    list.SetTaskListName(fileBaseName);
    return true;
}

} // namespace

QString FileFailureLine(const QString& fileName, const QString& reason)
{
    QString line = ErrorOccurredInFileText(fileName);
    if (!reason.isEmpty())
        line += u" ("_s + reason + u')';
    return line;
}

QString LoadLangFileNameSetting()
{
    const TIniFile ini(SettingsFileName());
    return ini.ReadString(SectionLanguage, u"LangFileName"_s, QString());
}

TMainFormPlacement LoadMainSettings(const TMainFormPlacement& current, TRsTaskListManager& manager,
                                    QObject* owner)
{
    const TIniFile ini(SettingsFileName());
    TMainFormPlacement p = current;
    p.Left = ini.ReadInteger(SectionMainForm, u"Left"_s, current.Left);
    p.Top = ini.ReadInteger(SectionMainForm, u"Top"_s, current.Top);
    p.Width = ini.ReadInteger(SectionMainForm, u"Width"_s, current.Width);
    p.Height = ini.ReadInteger(SectionMainForm, u"Height"_s, current.Height);
    p.WindowState = ini.ReadInteger(SectionMainForm, u"WindowState"_s, current.WindowState);
    if (p.WindowState < 0 || p.WindowState > 2)
        p.WindowState = 0;
    p.LeftPanelWidth = ini.ReadInteger(SectionMainForm, u"LeftPanel.Width"_s, current.LeftPanelWidth);
    p.BottomPanelHeight = ini.ReadInteger(SectionMainForm, u"BottomPanel.Height"_s, current.BottomPanelHeight);

    const int count = ini.ReadInteger(SectionTaskListManager, u"TaskListCount"_s, 0);
    QStringList unreadable;
    QStringList warnings;
    for (int i = 0; i < count; ++i) {
        const QString fileName = ini.ReadString(SectionTaskListManager, taskListKey(i), QString());
        if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
            continue;
        auto* list = new TRsTaskList;
        QString reason;
        if (!list->LoadFromFile(fileName, &reason, &warnings) ||
            !takeDistinctName(*list, fileName, manager, &reason, warnings)) {
            // Keeping a half-read list would overwrite its file with what was read at exit; leave the
            // file alone instead and say so.
            delete list;
            unreadable << FileFailureLine(fileName, reason);
            continue;
        }
        manager.Add(list);
    }
    reportFailures(unreadable, owner);
    if (!warnings.isEmpty())
        ShowMsgDialog(warnings.join(u"\n\n"_s), TMsgDlgType::Warning, TMsgDlgButtons::OK, owner);
    return p;
}

int LoadSelectedRow(int taskListCount)
{
    const TIniFile ini(SettingsFileName());
    const int row = ini.ReadInteger(SectionMainForm, u"Grid101.Row"_s, 1);
    return row >= 1 && row <= taskListCount ? row : 1;
}

QStringList SaveMainSettings(const TMainFormPlacement& placement, int grid101Row, bool silentRun,
                             const TRsTaskListManager& manager, QObject* owner)
{
    TIniFile ini(SettingsFileName());
    ini.WriteString(SectionLanguage, u"LangFileName"_s, LangFileName);
    ini.WriteInteger(SectionMainForm, u"Left"_s, placement.Left);
    ini.WriteInteger(SectionMainForm, u"Top"_s, placement.Top);
    ini.WriteInteger(SectionMainForm, u"Width"_s, placement.Width);
    ini.WriteInteger(SectionMainForm, u"Height"_s, placement.Height);
    ini.WriteInteger(SectionMainForm, u"WindowState"_s, placement.WindowState == 2 ? 2 : 0);
    ini.WriteInteger(SectionMainForm, u"LeftPanel.Width"_s, placement.LeftPanelWidth);
    ini.WriteInteger(SectionMainForm, u"BottomPanel.Height"_s, placement.BottomPanelHeight);
    if (!silentRun)
        ini.WriteInteger(SectionMainForm, u"Grid101.Row"_s, grid101Row);

    QStringList failed;
    QStringList lines;
    ini.EraseSection(SectionTaskListManager);
    ini.WriteInteger(SectionTaskListManager, u"TaskListCount"_s, int(manager.Count()));
    for (int i = 0; i < manager.Count(); ++i) {
        TRsTaskList* list = manager.Items(i);
        const QString fileName = list->GetTaskListFileName();
        ini.WriteString(SectionTaskListManager, taskListKey(i), fileName);
        QString reason;
        if (!list->SaveToFile(fileName, &reason)) {
            failed << fileName;
            lines << FileFailureLine(fileName, reason);
        }
    }
    if (!ini.UpdateFile()) {
        failed << SettingsFileName();
        lines << FileFailureLine(SettingsFileName(), ini.errorString());
    }
    reportFailures(lines, owner);
    return failed;
}

TDialogPosition LoadDialogPosition(const QString& dialogName, const TDialogPosition& designed)
{
    const TIniFile ini(SettingsFileName());
    return {ini.ReadInteger(dialogName, u"Left"_s, designed.Left), ini.ReadInteger(dialogName, u"Top"_s, designed.Top)};
}

bool SaveDialogPosition(const QString& dialogName, const TDialogPosition& position, QObject* owner)
{
    TIniFile ini(SettingsFileName());
    ini.WriteInteger(dialogName, u"Left"_s, position.Left);
    ini.WriteInteger(dialogName, u"Top"_s, position.Top);
    if (ini.UpdateFile())
        return true;
    reportFailures({FileFailureLine(SettingsFileName(), ini.errorString())}, owner);
    return false;
}
