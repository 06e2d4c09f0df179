#pragma once

#include "app/Settings.h"
#include "model/RsTaskList.h"

#include <QMainWindow>
#include <QMap>

class QAction;
class QLabel;
class QMenu;

// The program's main window. Its creation reads the language texts, the settings and every task
// list, and handles the command-line run request; destroying it writes the settings and every task
// list file.
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    // noDisplay: the program runs on the offscreen platform because no display could be reached.
    explicit TMainForm(bool noDisplay = false, QWidget* parent = nullptr);
    ~TMainForm() override;

    // All task lists, in display order.
    TRsTaskListManager AManager;

    // Creation decided that the program ends without entering the message loop (a command-line
    // run that needs no window); ExitStatus() is then the process exit status.
    bool EndAtStart() const { return m_endAtStart; }
    int ExitStatus() const { return m_exitStatus; }

    // Placement read from the settings ("WindowState" 2 = maximised).
    const TMainFormPlacement& Placement() const { return m_placement; }

    // The application title, " - " and the task list's name when one is given and named.
    static QString MakeMainCaption(const TRsTaskList* list);

    QAction* Action(const QString& name) const { return m_actions.value(name); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void createMenus();
    void LoadMainFormTexts();
    void CommandLineBranch();
    void ActFileQuitExecute();
    TMainFormPlacement currentPlacement() const;

    bool m_noDisplay = false;
    bool m_endAtStart = false;
    int m_exitStatus = 0;
    bool m_destroyed = false;
    int m_grid101Row = 1;
    bool m_rowShown = false;
    TMainFormPlacement m_placement;
    QMap<QString, QAction*> m_actions;
    QMap<QString, QMenu*> m_menus;
    QLabel* Panel101 = nullptr;
    QLabel* Panel201 = nullptr;
};
