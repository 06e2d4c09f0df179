#pragma once

// A program directory of its own for each test of the main window: task list files, the settings
// file listing them and, on request, the button strip and the help page.

#include "app/ProgramDir.h"
#include "app/Settings.h"
#include "app/TmkLib.h"
#include "model/RsTaskList.h"
#include "support/MsgDialogRecorder.h"
#include "support/TestSupport.h"
#include "ui/Main.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

struct TaskSpec
{
    QString src;
    QString dst;
    bool enabled = true;
};

struct ListSpec
{
    QString name;
    QList<TaskSpec> tasks;
};

class MainFormFixture
{
public:
    // stripFile: the button strip to copy into Image/ (empty: none).
    explicit MainFormFixture(const QList<ListSpec>& lists, const QString& stripFile = QString(), int selectedRow = 1)
    {
        dir = std::make_unique<QTemporaryDir>();
        SetProgramDirectory(dir->path());
        SetExecutableBaseName(QStringLiteral("tsumiki"));
        ClearCommandLineRunRequest();
        if (!stripFile.isEmpty()) {
            QDir(dir->path()).mkpath(QStringLiteral("Image"));
            QFile::copy(stripFile, dir->path() + QStringLiteral("/Image/Tmk24.png"));
        }
        TRsTaskListManager manager;
        for (const ListSpec& entry : lists) {
            auto* list = new TRsTaskList;
            list->SetTaskListName(entry.name);
            for (const TaskSpec& t : entry.tasks) {
                auto* task = new TRsTaskItem;
                task->SrcPath = t.src;
                task->DstPath = t.dst;
                task->Enabled = t.enabled;
                list->Add(task);
            }
            manager.Add(list);
        }
        TMainFormPlacement placement;
        placement.Width = 730;
        placement.Height = 400;
        SaveMainSettings(placement, selectedRow, false, manager);
    }

    ~MainFormFixture()
    {
        form.reset();
        SetProgramDirectory(QString());
        SetExecutableBaseName(QString());
        ClearCommandLineRunRequest();
    }

    TMainForm* open()
    {
        form = std::make_unique<TMainForm>();
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            return nullptr;
        form->activateWindow();
        QTest::qWait(20);
        return form.get();
    }

    template <typename T>
    T* child(const char* name) const
    {
        return form->findChild<T*>(QString::fromLatin1(name));
    }

    QString path(const QString& relative) const { return dir->path() + QLatin1Char('/') + relative; }

    std::unique_ptr<QTemporaryDir> dir;
    MsgDialogRecorder boxes;
    std::unique_ptr<TMainForm> form;
};
