#include "model/RsTaskListManager.h"

#include "app/ProgramDir.h"
#include "app/TmkLib.h"

TRsTaskListManager::~TRsTaskListManager()
{
    Clear();
}

int TRsTaskListManager::Add(TRsTaskList* AObject)
{
    m_lists.append(AObject);
    return int(m_lists.size()) - 1;
}

void TRsTaskListManager::Insert(int index, TRsTaskList* AObject)
{
    m_lists.insert(index, AObject);
}

int TRsTaskListManager::Remove(TRsTaskList* AObject)
{
    const int index = IndexOf(AObject);
    if (index >= 0)
        Delete(index);
    return index;
}

void TRsTaskListManager::Delete(int index)
{
    delete m_lists.takeAt(index);
}

TRsTaskList* TRsTaskListManager::Extract(int index)
{
    return m_lists.takeAt(index);
}

void TRsTaskListManager::Move(int curIndex, int newIndex)
{
    m_lists.move(curIndex, newIndex);
}

int TRsTaskListManager::IndexOf(const TRsTaskList* AObject) const
{
    return int(m_lists.indexOf(AObject));
}

void TRsTaskListManager::Clear()
{
    qDeleteAll(m_lists);
    m_lists.clear();
}

int TRsTaskListManager::IndexOfTaskListName(const QString& ATaskListName) const
{
    for (int i = 0; i < m_lists.size(); ++i) {
        if (SameTextAscii(m_lists[i]->TaskListName(), ATaskListName))
            return i;
    }
    return -1;
}

bool TRsTaskListManager::IsReservedTaskListName(const QString& name)
{
    // A list of such a name would write its file over the settings or the shortcut key file.
    return SameTextAscii(name, SettingsFileBaseName()) || SameTextAscii(name, ShortcutKeyFileBaseName());
}

bool TRsTaskListManager::IsUsableTaskListName(const QString& name)
{
    return !name.isEmpty() && !ContainsInvalidFileNameChar(name) && !IsReservedTaskListName(name);
}

bool TRsTaskListManager::IsTaskListNameTaken(const QString& name, const TRsTaskList* except) const
{
    if (IsReservedTaskListName(name))
        return true;
    for (const TRsTaskList* list : m_lists) {
        if (list != except && SameTextAscii(list->TaskListName(), name))
            return true;
    }
    return false;
}
