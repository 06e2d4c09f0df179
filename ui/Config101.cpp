#include "ui/Config101.h"

#include "RsUnits/RsEdit.h"
#include "RsUnits/RsSpacer.h"
#include "app/Lang.h"
#include "app/LangExtra.h"
#include "app/MsgDialog.h"
#include "app/ProgramDir.h"
#include "app/TmkLib.h"
#include "model/RsTaskList.h"
#include "model/TaskListFiles.h"
#include "ui/Main.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

TConfigForm101::TConfigForm101(TMainForm& mainForm)
    : TConfigDialog(mainForm, u"ConfigForm101"_s, QPoint(205, 431), 392, 253)
{
    // Created in tab order.
    Label101 = MakeLabel(this, u"Label101"_s, 8, 8);
    Edit101 = MakeEdit(this, u"Edit101"_s, 8, 28, 376);
    CheckBox101 = MakeCheckBox(this, u"CheckBox101"_s, 8, 60, 376);
    CheckBox102 = MakeCheckBox(this, u"CheckBox102"_s, 24, 88, 360);
    Label102 = MakeLabel(this, u"Label102"_s, 8, 116);
    Edit102 = MakeReadOnlyEdit(this, u"Edit102"_s, 8, 136, 376);
    Spacer101 = MakeDoubleLine(this, u"Spacer101"_s, 8, 164, 376);
    Label103 = MakeLabel(this, u"Label103"_s, 8, 174);
    Edit103 = MakeReadOnlyEdit(this, u"Edit103"_s, 8, 194, 376);
    Button101 = MakeCloseButton(u"Button101"_s, 294, 226);

    connect(Edit101, &QLineEdit::editingFinished, this, &TConfigForm101::Edit101Exit);
    connect(CheckBox101, &QCheckBox::clicked, this, &TConfigForm101::CheckBox101Click);
    connect(CheckBox102, &QCheckBox::clicked, this, &TConfigForm101::CheckBox102Click);
}

void TConfigForm101::FormShow()
{
    const TDialogTexts texts = LoadConfigForm101Texts();
    Edit101->clear();
    Edit102->clear();
    Edit103->clear();
    TRsTaskListManager& manager = MainForm().AManager;
    const bool adding = MainForm().ActionName == u"ActTaskListAddTaskList"_s;
    ApplyTexts(texts, adding ? AddTaskListCaption : ConfigTaskListCaption);
    LoadPosition();
    if (adding) {
        FList = new TRsTaskList;
        manager.Add(FList);
    } else {
        FList = MainForm().SelectedTaskList();
    }
    if (!FList) {
        // Nothing to change: the dialog closes at once without touching anything.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    FOldName = FList->TaskListName();
    Edit101->setText(FList->TaskListName());
    CheckBox101->setChecked(FList->SaveLog);
    CheckBox102->setChecked(FList->AddDateStr);
    ShowFileNames();
    ApplySaveLogDependency();
}

void TConfigForm101::ShowFileNames()
{
    Edit102->setText(QDir::toNativeSeparators(FList->GetLogFileName(CheckBox102->isChecked())));
    Edit102->setCursorPosition(0);
    Edit103->setText(QDir::toNativeSeparators(FList->GetTaskListFileName()));
    Edit103->setCursorPosition(0);
}

void TConfigForm101::Edit101Exit()
{
    if (!FList || Closed())
        return;
    FList->SetTaskListName(Edit101->text());
    ShowFileNames();
}

void TConfigForm101::CheckBox101Click()
{
    if (FList)
        FList->SaveLog = CheckBox101->isChecked();
    ApplySaveLogDependency();
}

void TConfigForm101::CheckBox102Click()
{
    if (!FList)
        return;
    FList->AddDateStr = CheckBox102->isChecked();
    ShowFileNames();
}

void TConfigForm101::ApplySaveLogDependency()
{
    const bool on = CheckBox101->isChecked();
    CheckBox102->setEnabled(on);
    Label102->setEnabled(on);
    Edit102->setEnabled(on);
}

void TConfigForm101::DeleteOldFiles()
{
    const QString dir = ProgramDirectory();
    const QString newFile = FList ? FList->GetTaskListFileName() : QString();
    QStringList old;
    for (const QString& path : {dir + FOldName + u".ini"_s, dir + FOldName + u".log"_s}) {
        // On a file system that ignores letter case the old name may be the file just written.
        if (newFile.isEmpty() || !IsSameExistingFile(path, newFile))
            old << path;
    }
    DeleteFilesInOrder(old, this);
}

bool TConfigForm101::FormClose()
{
    if (!FList)
        return true;
    TRsTaskListManager& manager = MainForm().AManager;
    const QString name = Edit101->text();
    // A lone surrogate has no file name form of its own: the file would be written under another name.
    if (ContainsInvalidFileNameChar(name) || !name.isValidUtf16()) {
        ShowMsgDialog(FormatLangText(MsgWarnHasInvalidFileNameChars, name) + u"\n\n"_s + GetInvalidFileNameCharsText(),
                      TMsgDlgType::Warning, TMsgDlgButtons::OK, this);
        return false;
    }
    // Two lists whose names differ only in letter case, or a list named like the settings or shortcut
    // key file, would share one file and overwrite each other.
    if (!name.isEmpty() && manager.IsTaskListNameTaken(name, FList)) {
        QString clash;
        const int other = manager.IndexOfTaskListName(name);
        if (other >= 0 && manager[other] != FList)
            clash = manager[other]->TaskListName() + u".ini"_s;
        else
            clash = (SameTextAscii(name, SettingsFileBaseName()) ? SettingsFileBaseName() : ShortcutKeyFileBaseName())
                    + u".ini"_s;
        ShowMsgDialog(FormatLangText(MsgWarnTaskListNameTaken, name, clash), TMsgDlgType::Warning, TMsgDlgButtons::OK,
                      this);
        return false;
    }
    FList->SetTaskListName(name);
    FList->SaveLog = CheckBox101->isChecked();
    FList->AddDateStr = CheckBox102->isChecked();

    if (!name.isEmpty()) {
        // The new file first: the old files go only once the list is safe under its new name.
        QString reason;
        if (!FList->SaveToFile(FList->GetTaskListFileName(), &reason)) {
            ReportWriteFailure(FList->GetTaskListFileName(), reason, this);
            // A new or renamed list stays open to be corrected; the old files are untouched. A list
            // that keeps its name closes: its file is written again at exit.
            return name == FOldName;
        }
        if (!FOldName.isEmpty() && FOldName != name)
            DeleteOldFiles();
        return true;
    }

    if (!FOldName.isEmpty()) {
        if (ShowMsgDialog(FormatLangText(MsgConfirmDeleteItem, FOldName), TMsgDlgType::Confirmation,
                          TMsgDlgButtons::OKCancel, this) != TMsgDlgResult::OK) {
            Edit101->setText(FOldName);
            Edit101Exit();
            ApplySaveLogDependency();
            return false;
        }
        FList->SetTaskListName(FOldName);
        TRsTaskList* list = FList;
        FList = nullptr;
        DeleteOldFiles();
        manager.Remove(list);
        return true;
    }
    manager.Remove(FList);
    FList = nullptr;
    return true;
}

void TConfigForm101::FormAbandon()
{
    // A new list that never got a name would be written as a file named ".ini" at exit.
    if (FList && FOldName.isEmpty() && FList->TaskListName().isEmpty()) {
        MainForm().AManager.Remove(FList);
        FList = nullptr;
    }
}
