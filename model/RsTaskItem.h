#pragma once

#include <QList>
#include <QString>

// Kind of an excluded item; stored in files and lists as its ordinal.
enum TExcludedItemType
{
    eitDir = 0,  // a directory name: the directory is skipped with everything below it
    eitFile = 1, // a file name
    eitExt = 2,  // a file name extension with its leading dot (".tmp")
};

// One excluded item: the name and the TExcludedItemType ordinal as its tag.
struct TExcludedItem
{
    QString Text;
    int Tag = eitDir;

    TExcludedItemType Type() const { return TExcludedItemType(Tag); }
    bool operator==(const TExcludedItem&) const = default;
};

using TExcludedItemList = QList<TExcludedItem>;

// Excluded item order: by kind ordinal, then by text compared on UTF-16 code values after folding
// a-z to A-Z (a prefix first). True when a sorts before b.
bool ExcludedItemLess(const TExcludedItem& a, const TExcludedItem& b);

// One task: a source directory copied to a destination directory under a few switches.
class TRsTaskItem
{
public:
    TRsTaskItem() = default;
    TRsTaskItem(const TRsTaskItem&) = delete;
    TRsTaskItem& operator=(const TRsTaskItem&) = delete;

    QString SrcPath;
    QString DstPath;
    bool IncludingSubDirs = false;
    bool Mirroring = false;
    bool Verifying = false;
    bool Enabled = true;
    // View state of the task grid (path shortened to fit its cell); never stored, never copied.
    bool IsSrcTruncated = false;
    bool IsDstTruncated = false;
    TExcludedItemList ExcludedItemList;

    // Appends one entry; no duplicate check, no sorting.
    void SetExcludedItemList(const QString& AStr, TExcludedItemType AType);
    // True when an entry of kind AType has the text AStr, ignoring ASCII letter case (the same
    // comparison the scan uses to match excluded items).
    bool SameExcludedItemExists(const QString& AStr, TExcludedItemType AType) const;
    // Sorts ExcludedItemList in the excluded item order.
    void SortExcludedItemList();
    // Copies paths and switches and appends copies of AItem's excluded entries (truncation flags
    // are not copied).
    void Assign(const TRsTaskItem& AItem);
};
