#pragma once

#include "engine/MD5.h"
#include "engine/RsThread.h"
#include "engine/platform/Platform.h"
#include "model/RsTaskItem.h"

#include <QCollator>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringView>

class TSearchFilesThread;

// One file of a scanned tree. Kept small: the full path is not stored, only the relative path and
// the (shared) base path, from which FileName() is built on demand.
class TRsBackupItem
{
public:
    TRsBackupItem() = default;
    TRsBackupItem(const QString& basePath, QString relativePath, double timeStamp, quint32 attribute,
                  qint64 size = 0);

    // Base path followed by the relative path.
    QString FileName() const;
    const QString& RelativePath() const { return FRelativePath; }
    // Last-write time as local date-time (days since 1899-12-30), millisecond resolution.
    double TimeStamp() const { return FTimeStamp; }
    quint32 Attribute() const { return FAttribute; }
    // Size in bytes when scanned; only the progress of a run uses it (files are never compared by size).
    qint64 Size() const { return FSize; }
    const TMD5Digest& MD5() const { return FMD5; }
    void SetMD5(const TMD5Digest& digest) { FMD5 = digest; }

private:
    QString FBasePath; // implicitly shared with every other item of the list
    QString FRelativePath;
    double FTimeStamp = 0.0;
    qint64 FSize = 0;
    quint32 FAttribute = 0;
    TMD5Digest FMD5{};
};

// A QString's UTF-16 as the platform layer takes it (no copy; valid while the string lives).
inline platform::PathView PathViewOf(const QString& path)
{
    return platform::PathView(reinterpret_cast<const char16_t*>(path.utf16()), std::size_t(path.size()));
}

// Moved in memory as a whole when the list grows (its members are all relocatable).
Q_DECLARE_TYPEINFO(TRsBackupItem, Q_RELOCATABLE_TYPE);

// Compares relative paths of files: UTF-16 code units after folding ASCII a-z to A-Z, nothing else;
// a prefix sorts first. Negative, zero or positive.
int CompareRelativePath(QStringView a, QStringView b);
// True when two relative paths of files name the same entry: identical on a case-sensitive file
// system, equal under CompareRelativePath on a case-insensitive one.
bool SameRelativePath(QStringView a, QStringView b);
// The order of a list's items: CompareRelativePath, and between paths that it finds equal (a
// case-sensitive file system may hold 'a.txt' beside 'A.txt') the exact code units.
bool RelativePathLess(QStringView a, QStringView b);

// The directories of a scanned tree: relative paths with their attribute words, always sorted by
// the user locale's case-insensitive collation, duplicates ignored. On a case-sensitive file system
// two paths are one entry only when they are identical: paths the collation finds equal ('Photos'
// and 'photos', 'café' composed and decomposed) are ordered by their code units and stay apart.
class TRsDirList
{
public:
    struct Entry
    {
        QString path;
        quint32 attribute = 0;
        bool isLink = false; // a link to a directory in a tree whose links are not entered
    };

    TRsDirList();

    int Count() const { return int(m_entries.size()); }
    const QString& operator[](int index) const { return m_entries.at(index).path; }
    const QString& Strings(int index) const { return m_entries.at(index).path; }
    quint32 Attribute(int index) const { return m_entries.at(index).attribute; }
    bool IsLink(int index) const { return m_entries.at(index).isLink; }

    // Adds a path at its sorted place; a path already there adds nothing. Returns its index.
    int Add(const QString& path, quint32 attribute);
    // Binary search; -1 when absent.
    int IndexOf(QStringView path) const;
    // Binary search: true when found; index is the match or the place where it would go.
    bool Find(QStringView path, int& index) const;
    void Clear() { m_entries.clear(); }

    // Compares two directory paths as the list orders them.
    int Compare(QStringView a, QStringView b) const;
    // A collator configured as the list's; one per thread (collators are not thread-safe).
    static QCollator MakeCollator();
    // Sorts entries with the list's order and drops later duplicates (used by scan workers).
    static void SortUnique(QList<Entry>& entries, const QCollator& collator);
    // Replaces an empty list's content with entries already sorted and unique; otherwise adds them
    // one by one.
    void Adopt(QList<Entry>&& entries);

private:
    QList<Entry> m_entries;
    QCollator m_collator;
};

// True when path, or a directory above it, is one of paths ("" stands for the whole tree).
bool IsAtOrBelow(const QSet<QString>& paths, QStringView path);

// What a scan found besides files and directories.
struct TScanFindings
{
    // Lines for the run log, in the order found; isError marks a failed item.
    QList<QPair<QString, bool>> lines;
    // Relative paths (no trailing delimiter) below which the tree was not listed completely: a
    // directory that could not be listed, an entry whose status could not be read, a directory not
    // entered again. "" is the whole tree. Nothing at or below them may be judged missing.
    QSet<QString> unlistedPaths;
    // Copy temporary files left by a killed run (relative paths); never listed as items.
    QStringList temporaryFiles;
    // The base directory was listed completely and holds no entry at all.
    bool baseIsEmpty = false;
};

// The listing of one tree: its files (TRsBackupItem, stored by value) and DirList.
class TRsBackupList : public QObject
{
    Q_OBJECT

public:
    explicit TRsBackupList(QObject* parent = nullptr);
    // Stops and frees the scan worker, then drops the items.
    ~TRsBackupList() override;

    int Count() const { return int(m_items.size()); }
    const TRsBackupItem& Items(int index) const { return m_items.at(index); }
    TRsBackupItem& Items(int index) { return m_items[index]; }
    const TRsBackupItem& operator[](int index) const { return m_items.at(index); }

    int Add(const TRsBackupItem& item);
    // Index of an item by identity (its address inside the list), or -1.
    int IndexOf(const TRsBackupItem* item) const;
    // Removes the item; returns its former index or -1.
    int Remove(const TRsBackupItem* item);
    // Cursor -1, base path empty, DirList and items emptied.
    void Clear();

    const QString& BasePath() const { return FBasePath; }
    void SetBasePath(const QString& basePath) { FBasePath = basePath; }

    // Starts the scan of basePath on a worker and returns at once (see LoadFromBasePath in the
    // .cpp). followLinks: enter links to directories (the source); off for a destination, whose
    // links are listed but never entered so that mirroring never reaches through them.
    void LoadFromBasePath(const QString& basePath, const TExcludedItemList& excludedItemList,
                          bool includingSubDirs, const TBreakFunction& checkBreakFlag,
                          bool followLinks = true);

    // First item whose relative path equals path, searching from just after the cursor; sets the
    // cursor to the hit, or to -1 on a miss. Equal means identical on a case-sensitive file system,
    // equal but for ASCII case on a case-insensitive one.
    int IndexOfRelativePath(QStringView path);
    // Plain search from index 0, cursor untouched.
    int IndexOfRelativePath2(QStringView path) const;
    // Sorts the items by FileName with the ASCII-case-insensitive comparison.
    void Sort();

    TSearchFilesThread* SearchFilesThread() const { return FSearchFilesThread; }

    // Set when the scan worker has ended (on the main thread), by its termination event; then
    // searchFilesDone() follows.
    bool SearchFilesDone = false;
    TRsDirList DirList;
    TScanFindings Findings;

    // Called by the scan worker on the main thread: appends what it found (sorted tells that the
    // items are already in Sort() order).
    void AdoptScan(QList<TRsBackupItem>&& items, bool sorted, QList<TRsDirList::Entry>&& dirs,
                   TScanFindings&& findings);
    // Entries the scan has met so far (0 without a scan). Main thread.
    qint64 EntriesFound() const;

Q_SIGNALS:
    // The scan worker has ended (SearchFilesDone is set just before). Not emitted when the base
    // path is not a directory: no worker starts then.
    void searchFilesDone();

private:
    QString FBasePath;
    int FLastRelativePathIndex = -1;
    TSearchFilesThread* FSearchFilesThread = nullptr;
    QList<TRsBackupItem> m_items;
    bool m_sorted = true; // items are in Sort() order, so lookups may use binary search
};

// Sorts items as TRsBackupList::Sort() does (used by scan workers on their own thread).
void SortBackupItems(QList<TRsBackupItem>& items);

// True when an entry of list with the given kind has the text, ASCII case folded. No wildcards: an
// entry matches one whole name.
bool IsExcludedItem(QStringView text, TExcludedItemType kind, const TExcludedItemList& list);
