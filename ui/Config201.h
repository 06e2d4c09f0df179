#pragma once

#include "ui/ConfigDialog.h"

#include <QStringList>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TExcludedListBox;
class TRsEdit;
class TRsSelectFolder;
class TRsSpacer;
class TRsTaskItem;
class TRsTaskList;

// The task dialog: adds a task to the selected task list or changes the selected task (its two
// directories, typed or chosen, its three switches and its exclusions). It edits the task in place;
// closing commits: the list's file is written, or a task whose two paths were cleared deleted.
class TConfigForm201 : public TConfigDialog
{
    Q_OBJECT

public:
    explicit TConfigForm201(TMainForm& mainForm);

    TRsTaskList* List() const { return FList; }
    // The task being edited; none once the dialog has closed (or deleted it).
    TRsTaskItem* Task() const;

    // Extensions as the extension field takes them: split at ";" and white space (a double-quoted
    // part is one entry), sorted ignoring letter case, the first of entries equal ignoring case kept,
    // and only valid extensions (a "." and at least one more character, each at most U+007E, not "."
    // and no invalid file name character) left.
    static QStringList TakeExtensions(const QString& text);
    static bool IsValidExtension(const QString& text);

protected:
    void FormShow() override;
    bool FormClose() override;
    void FormAbandon() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillList(TExcludedListBox* list, int type);
    void ShowExtensions();
    void TakeExtensionsIntoTask();
    void BrowseFolder(TRsEdit* edit, bool source);
    void AddExclusion(TRsEdit* edit, TExcludedListBox* list, int type);
    void DeleteExclusion(TExcludedListBox* list, int type);
    void StoreTask();
    void SaveList();
    // Warns and returns false when the destination is or lies inside the source, or a mirrored
    // source lies inside the destination.
    bool CheckPathsApart(const QString& src, const QString& dst);

    QLabel* Label201 = nullptr;
    TRsEdit* Edit201 = nullptr;
    QPushButton* Button201 = nullptr;
    QLabel* Label202 = nullptr;
    TRsEdit* Edit202 = nullptr;
    QPushButton* Button202 = nullptr;
    QCheckBox* CheckBox201 = nullptr;
    QCheckBox* CheckBox202 = nullptr;
    QCheckBox* CheckBox203 = nullptr;
    QGroupBox* GroupBox201 = nullptr;
    QLabel* Label203 = nullptr;
    TRsEdit* Edit203 = nullptr;
    QPushButton* Button203 = nullptr;
    TExcludedListBox* ListBox201 = nullptr;
    QPushButton* Button204 = nullptr;
    TRsSpacer* Spacer201 = nullptr;
    QLabel* Label204 = nullptr;
    TRsEdit* Edit204 = nullptr;
    QPushButton* Button205 = nullptr;
    TExcludedListBox* ListBox202 = nullptr;
    QPushButton* Button206 = nullptr;
    TRsSpacer* Spacer202 = nullptr;
    QLabel* Label205 = nullptr;
    TRsEdit* Edit205 = nullptr;
    QPushButton* Button207 = nullptr;
    TRsSelectFolder* SelectFolder1 = nullptr;

    TRsTaskList* FList = nullptr;
    int FItemIndex = -1;
    QStringList FTempExtList;
    QString FOldPath1;
    QString FOldPath2;
};
