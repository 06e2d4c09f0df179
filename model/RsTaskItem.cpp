#include "model/RsTaskItem.h"

#include "app/TmkLib.h"

#include <algorithm>

bool ExcludedItemLess(const TExcludedItem& a, const TExcludedItem& b)
{
    if (a.Tag != b.Tag)
        return a.Tag < b.Tag;
    return CompareTextAscii(a.Text, b.Text) < 0;
}

void TRsTaskItem::SetExcludedItemList(const QString& AStr, TExcludedItemType AType)
{
    ExcludedItemList.append(TExcludedItem{AStr, int(AType)});
}

bool TRsTaskItem::SameExcludedItemExists(const QString& AStr, TExcludedItemType AType) const
{
    // ASCII case only, as the scan matches excluded items: a locale-aware test would refuse
    // "ärger" beside "ÄRGER" although the scan treats them as two different names.
    return std::any_of(ExcludedItemList.cbegin(), ExcludedItemList.cend(), [&](const TExcludedItem& e) {
        return e.Tag == int(AType) && SameTextAscii(e.Text, AStr);
    });
}

void TRsTaskItem::SortExcludedItemList()
{
    std::stable_sort(ExcludedItemList.begin(), ExcludedItemList.end(), ExcludedItemLess);
}

void TRsTaskItem::Assign(const TRsTaskItem& AItem)
{
    SrcPath = AItem.SrcPath;
    DstPath = AItem.DstPath;
    IncludingSubDirs = AItem.IncludingSubDirs;
    Mirroring = AItem.Mirroring;
    Verifying = AItem.Verifying;
    Enabled = AItem.Enabled;
    // Copy first: AItem may be this task.
    const TExcludedItemList copy = AItem.ExcludedItemList;
    ExcludedItemList.append(copy);
}
