#pragma once

#include "model/RsTaskList.h"

#include <QList>
#include <QString>

// All task lists, in the order of the task list grid and of the settings file; owns them.
class TRsTaskListManager
{
public:
    TRsTaskListManager() = default;
    ~TRsTaskListManager();
    TRsTaskListManager(const TRsTaskListManager&) = delete;
    TRsTaskListManager& operator=(const TRsTaskListManager&) = delete;

    int Count() const { return int(m_lists.size()); }
    TRsTaskList* Items(int index) const { return m_lists.at(index); }
    TRsTaskList* operator[](int index) const { return m_lists.at(index); }
    int Add(TRsTaskList* AObject);
    void Insert(int index, TRsTaskList* AObject);
    // Removes and frees; returns the former index or -1.
    int Remove(TRsTaskList* AObject);
    void Delete(int index);
    TRsTaskList* Extract(int index);
    void Move(int curIndex, int newIndex);
    int IndexOf(const TRsTaskList* AObject) const;
    void Clear();

    // Index of the first list whose name equals ATaskListName ignoring ASCII letter case only, or -1.
    int IndexOfTaskListName(const QString& ATaskListName) const;

    // True when a list other than except already has the name (ASCII case ignored), or when the
    // name would make the list's file collide with the settings file or the shortcut key file.
    bool IsTaskListNameTaken(const QString& name, const TRsTaskList* except = nullptr) const;
    // The names no task list may take: the settings and shortcut key file base names.
    static bool IsReservedTaskListName(const QString& name);
    // True when the name can name a list's files in the program directory: not empty, no character
    // that may not be in a file name, not a reserved name.
    static bool IsUsableTaskListName(const QString& name);

private:
    QList<TRsTaskList*> m_lists;
};
