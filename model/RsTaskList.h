#pragma once

#include "model/RsLogList.h"
#include "model/RsTaskItem.h"

#include <QList>
#include <QString>
#include <QStringList>

// One task list: a named, ordered list of tasks that it owns, plus its run log.
class TRsTaskList
{
public:
    TRsTaskList();
    ~TRsTaskList();
    TRsTaskList(const TRsTaskList&) = delete;
    TRsTaskList& operator=(const TRsTaskList&) = delete;

    // ---- Tasks (0-based; the list owns them)
    int Count() const { return int(m_items.size()); }
    TRsTaskItem* Items(int index) const { return m_items.at(index); }
    TRsTaskItem* operator[](int index) const { return m_items.at(index); }
    // Appends and takes ownership; returns the index.
    int Add(TRsTaskItem* AObject);
    // Inserts at index (0..Count()) and takes ownership.
    void Insert(int index, TRsTaskItem* AObject);
    // Removes and frees the task; returns its former index or -1 when it is not in the list.
    int Remove(TRsTaskItem* AObject);
    // Removes and frees the task at index.
    void Delete(int index);
    // Removes the task at index and hands it to the caller (not freed).
    TRsTaskItem* Extract(int index);
    // Moves the task at curIndex to newIndex.
    void Move(int curIndex, int newIndex);
    // Index by identity, or -1.
    int IndexOf(const TRsTaskItem* AObject) const;
    // Removes and frees every task.
    void Clear();

    // ---- Name and log
    const QString& TaskListName() const { return m_taskListName; }
    // Sets the name and rewrites line 1 of the log heading; the rest of the log stays.
    void SetTaskListName(const QString& name);

    // Program directory + name + ".ini".
    QString GetTaskListFileName() const;
    // Program directory + name [+ today as "yyyymmdd"] + ".log"; the argument decides, not the field.
    QString GetLogFileName(bool AAddDateStr) const;

    // ---- Task list file
    // Replaces the tasks (and, with AddDateStr, the log by today's dated log file) from the file.
    // A missing file reads as an empty list. False with *AErrorText set when the file exists but
    // cannot be read (what could be read is kept), or when neither the stored name nor the file's
    // own base name can name the list's files. Appended to *AWarnings: a stored name that gave way to
    // the file's base name, and a dated log that could not be read (the list then starts with an
    // empty log).
    bool LoadFromFile(const QString& AFileName, QString* AErrorText = nullptr, QStringList* AWarnings = nullptr);
    // Writes the whole file (replacing it only once it is completely written) and leaves every
    // task's excluded items sorted. False with *AErrorText set when it cannot be written.
    bool SaveToFile(const QString& AFileName, QString* AErrorText = nullptr);

    // Copies name (log heading untouched), SaveLog, AddDateStr, the log lines and deep copies of
    // AList's tasks, appended to this list's tasks.
    void Assign(const TRsTaskList& AList);

    bool SaveLog = true;
    bool AddDateStr = false;
    // View state of the task list grid; never stored, never copied.
    bool IsTruncated = false;
    int LastRow = 1;
    int LastTopRow = 1;
    // Run log since the program started (with AddDateStr, since the day started); lines 0 and 1
    // are the log heading.
    TRsLogList LogList;

private:
    QString m_taskListName;
    QList<TRsTaskItem*> m_items;
};

// Line 0 of the log heading: 78 hyphen-minus characters.
QString LogHeadingRule();
// Line 1 of the log heading: the language text TaskListLabel + ": " + name.
QString LogHeadingTitle(const QString& taskListName);
// Lines of a dated log file, decoded by its byte order mark (UTF-16 LE/BE, UTF-8) or, without one,
// in the system's 8-bit encoding; CR LF, LF and CR end lines. False when the file cannot be read.
bool ReadLogFileLines(const QString& fileName, QStringList& lines, QString* errorText = nullptr);

// The manager is part of the task model; one include gives all three classes.
#include "model/RsTaskListManager.h"
