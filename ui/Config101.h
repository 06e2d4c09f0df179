#pragma once

#include "ui/ConfigDialog.h"

class QCheckBox;
class QLabel;
class QPushButton;
class TRsEdit;
class TRsSpacer;
class TRsTaskList;

// The task list dialog: adds a task list or changes the selected one (its name and its two log
// switches), showing the log and task list file names as they follow. It edits the list in place;
// closing commits: the new file is written, the old files of a renamed list deleted, or a list whose
// name was cleared removed.
class TConfigForm101 : public TConfigDialog
{
    Q_OBJECT

public:
    explicit TConfigForm101(TMainForm& mainForm);

    // The list being edited; none once closing removed it.
    TRsTaskList* List() const { return FList; }

protected:
    void FormShow() override;
    bool FormClose() override;
    void FormAbandon() override;

private:
    void Edit101Exit();
    void CheckBox101Click();
    void CheckBox102Click();
    void ApplySaveLogDependency();
    void ShowFileNames();
    // Deletes the old name's ".ini" and ".log", sparing a file that is the new list file itself.
    void DeleteOldFiles();

    QLabel* Label101 = nullptr;
    TRsEdit* Edit101 = nullptr;
    QCheckBox* CheckBox101 = nullptr;
    QCheckBox* CheckBox102 = nullptr;
    QLabel* Label102 = nullptr;
    TRsEdit* Edit102 = nullptr;
    TRsSpacer* Spacer101 = nullptr;
    QLabel* Label103 = nullptr;
    TRsEdit* Edit103 = nullptr;
    QPushButton* Button101 = nullptr;

    TRsTaskList* FList = nullptr;
    QString FOldName;
};
