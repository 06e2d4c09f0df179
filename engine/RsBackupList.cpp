#include "engine/RsBackupList.h"

#include "engine/SearchFilesThread.h"

#include <algorithm>

using namespace Qt::StringLiterals;

// ---- TRsBackupItem

TRsBackupItem::TRsBackupItem(const QString& basePath, QString relativePath, double timeStamp, quint32 attribute,
                             qint64 size)
    : FBasePath(basePath)
    , FRelativePath(std::move(relativePath))
    , FTimeStamp(timeStamp)
    , FSize(size)
    , FAttribute(attribute)
{
}

QString TRsBackupItem::FileName() const
{
    return FBasePath + FRelativePath;
}

// ---- Comparison

int CompareRelativePath(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t* pa = a.utf16();
    const char16_t* pb = b.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t ca = pa[i];
        char16_t cb = pb[i];
        if (ca == cb)
            continue;
        if (ca >= u'a' && ca <= u'z')
            ca -= 0x20;
        if (cb >= u'a' && cb <= u'z')
            cb -= 0x20;
        if (ca != cb)
            return int(ca) - int(cb);
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool SameRelativePath(QStringView a, QStringView b)
{
    return platform::kNamesAreCaseSensitive ? a == b : CompareRelativePath(a, b) == 0;
}

bool IsAtOrBelow(const QSet<QString>& paths, QStringView path)
{
    if (paths.isEmpty())
        return false;
    if (paths.contains(QString()))
        return true;
    for (qsizetype slash = path.indexOf(u'/'); slash >= 0; slash = path.indexOf(u'/', slash + 1)) {
        if (paths.contains(path.first(slash).toString()))
            return true;
    }
    return paths.contains(path.toString());
}

bool RelativePathLess(QStringView a, QStringView b)
{
    const int c = CompareRelativePath(a, b);
    return c != 0 ? c < 0 : a.compare(b, Qt::CaseSensitive) < 0;
}

namespace {

bool ItemLess(const TRsBackupItem& x, const TRsBackupItem& y)
{
    return RelativePathLess(x.RelativePath(), y.RelativePath());
}

} // namespace

// ---- TRsDirList

TRsDirList::TRsDirList()
    : m_collator(MakeCollator())
{
}

QCollator TRsDirList::MakeCollator()
{
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    collator.setIgnorePunctuation(false);
    return collator;
}

namespace {

// The order of DirList: the collation, and between paths it finds equal, on a case-sensitive file
// system, the code units, so that only identical paths are one entry.
int CompareDirPath(const QCollator& collator, QStringView a, QStringView b)
{
    const int c = collator.compare(a, b);
    if (c != 0 || !platform::kNamesAreCaseSensitive)
        return c;
    return a.compare(b, Qt::CaseSensitive);
}

} // namespace

int TRsDirList::Compare(QStringView a, QStringView b) const
{
    return CompareDirPath(m_collator, a, b);
}

bool TRsDirList::Find(QStringView path, int& index) const
{
    int lo = 0;
    int hi = Count() - 1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = CompareDirPath(m_collator, m_entries.at(mid).path, path);
        if (c < 0) {
            lo = mid + 1;
        } else if (c > 0) {
            hi = mid - 1;
        } else {
            index = mid;
            return true;
        }
    }
    index = lo;
    return false;
}

int TRsDirList::IndexOf(QStringView path) const
{
    int index = -1;
    return Find(path, index) ? index : -1;
}

int TRsDirList::Add(const QString& path, quint32 attribute)
{
    int index = 0;
    if (Find(path, index))
        return index;
    m_entries.insert(index, Entry{path, attribute});
    return index;
}

void TRsDirList::SortUnique(QList<Entry>& entries, const QCollator& collator)
{
    std::stable_sort(entries.begin(), entries.end(), [&collator](const Entry& a, const Entry& b) {
        return CompareDirPath(collator, a.path, b.path) < 0;
    });
    auto last = std::unique(entries.begin(), entries.end(), [&collator](const Entry& a, const Entry& b) {
        return CompareDirPath(collator, a.path, b.path) == 0;
    });
    entries.erase(last, entries.end());
}

void TRsDirList::Adopt(QList<Entry>&& entries)
{
    if (m_entries.isEmpty()) {
        m_entries = std::move(entries);
        return;
    }
    for (const Entry& e : std::as_const(entries))
        m_entries[Add(e.path, e.attribute)].isLink = e.isLink;
}

// ---- TRsBackupList

TRsBackupList::TRsBackupList(QObject* parent)
    : QObject(parent)
{
}

TRsBackupList::~TRsBackupList()
{
    StopAndFreeThread(FSearchFilesThread);
}

int TRsBackupList::Add(const TRsBackupItem& item)
{
    m_items.append(item);
    m_sorted = m_items.size() <= 1;
    return int(m_items.size()) - 1;
}

int TRsBackupList::IndexOf(const TRsBackupItem* item) const
{
    if (m_items.isEmpty() || !item)
        return -1;
    const TRsBackupItem* first = m_items.constData();
    if (item < first || item >= first + m_items.size())
        return -1;
    return int(item - first);
}

int TRsBackupList::Remove(const TRsBackupItem* item)
{
    const int index = IndexOf(item);
    if (index >= 0) {
        m_items.removeAt(index);
        if (FLastRelativePathIndex >= int(m_items.size()))
            FLastRelativePathIndex = -1;
    }
    return index;
}

void TRsBackupList::Clear()
{
    FLastRelativePathIndex = -1;
    FBasePath.clear();
    DirList.Clear();
    Findings = TScanFindings();
    m_items.clear();
    m_items.squeeze();
    m_sorted = true;
}

void TRsBackupList::LoadFromBasePath(const QString& basePath, const TExcludedItemList& excludedItemList,
                                     bool includingSubDirs, const TBreakFunction& checkBreakFlag,
                                     bool followLinks)
{
    // A worker of an earlier load must be gone before the list is emptied under it.
    StopAndFreeThread(FSearchFilesThread);
    Clear();
    FBasePath = basePath;
    if (!FBasePath.endsWith(u'/'))
        FBasePath += u'/';
    if (!platform::isExistingDirectory(PathViewOf(FBasePath), true)) {
        FBasePath.clear();
        return;
    }
    SearchFilesDone = false;
    FSearchFilesThread = new TSearchFilesThread(this, FBasePath, excludedItemList, includingSubDirs,
                                                checkBreakFlag, followLinks);
    FSearchFilesThread->OnTerminate = [this] { SearchFilesDone = true; };
    connect(FSearchFilesThread, &TRsThread::done, this, &TRsBackupList::searchFilesDone);
    FSearchFilesThread->start();
}

qint64 TRsBackupList::EntriesFound() const
{
    return FSearchFilesThread ? FSearchFilesThread->EntriesFound() : 0;
}

void TRsBackupList::AdoptScan(QList<TRsBackupItem>&& items, bool sorted, QList<TRsDirList::Entry>&& dirs,
                              TScanFindings&& findings)
{
    Findings = std::move(findings);
    if (m_items.isEmpty()) {
        m_items = std::move(items);
        m_sorted = sorted || m_items.size() <= 1;
    } else {
        m_items.append(items);
        m_sorted = false;
    }
    DirList.Adopt(std::move(dirs));
}

int TRsBackupList::IndexOfRelativePath(QStringView path)
{
    const int n = Count();
    if (m_sorted) {
        // Both lists are walked in the same order, so the counterpart is usually the next item.
        const int next = FLastRelativePathIndex + 1;
        if (next < n && QStringView(m_items.at(next).RelativePath()) == path) {
            FLastRelativePathIndex = next;
            return next;
        }
        // Otherwise a binary search: a miss costs log n comparisons instead of a full pass.
        auto first = std::lower_bound(m_items.cbegin(), m_items.cend(), path,
                                      [](const TRsBackupItem& item, QStringView p) {
                                          return CompareRelativePath(item.RelativePath(), p) < 0;
                                      });
        int hit = -1;
        for (auto it = first; it != m_items.cend() && CompareRelativePath(it->RelativePath(), path) == 0; ++it) {
            // Among names equal but for ASCII case, only the one spelled exactly alike is the
            // counterpart where the file system tells them apart.
            if (QStringView(it->RelativePath()) == path) {
                hit = int(it - m_items.cbegin());
                break;
            }
            if (hit < 0 && !platform::kNamesAreCaseSensitive)
                hit = int(it - m_items.cbegin());
        }
        FLastRelativePathIndex = hit;
        return hit;
    }
    for (int i = FLastRelativePathIndex + 1; i < n; ++i) {
        if (SameRelativePath(m_items.at(i).RelativePath(), path)) {
            FLastRelativePathIndex = i;
            return i;
        }
    }
    for (int i = 0; i <= FLastRelativePathIndex && i < n; ++i) {
        if (SameRelativePath(m_items.at(i).RelativePath(), path)) {
            FLastRelativePathIndex = i;
            return i;
        }
    }
    FLastRelativePathIndex = -1;
    return -1;
}

int TRsBackupList::IndexOfRelativePath2(QStringView path) const
{
    for (int i = 0; i < Count(); ++i) {
        if (SameRelativePath(m_items.at(i).RelativePath(), path))
            return i;
    }
    return -1;
}

void TRsBackupList::Sort()
{
    std::sort(m_items.begin(), m_items.end(), ItemLess);
    m_sorted = true;
}

void SortBackupItems(QList<TRsBackupItem>& items)
{
    std::sort(items.begin(), items.end(), ItemLess);
}

// ---- Exclusions

bool IsExcludedItem(QStringView text, TExcludedItemType kind, const TExcludedItemList& list)
{
    for (const TExcludedItem& item : list) {
        if (item.Tag == int(kind) && CompareRelativePath(item.Text, text) == 0)
            return true;
    }
    return false;
}
