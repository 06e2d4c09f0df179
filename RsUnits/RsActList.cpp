#include "RsUnits/RsActList.h"

#include "app/ShortcutKeyFile.h"
#include "app/TmkLib.h"

#include <QAction>
#include <QFontMetrics>
#include <QKeySequence>

using namespace Qt::StringLiterals;

namespace {

TShortCut shortCutOf(const QKeySequence& sequence)
{
    return sequence.isEmpty() ? TShortCut(0) : ShortCutFromKeyCombination(sequence[0]);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TRsActItem

void TRsActItem::SetShortCut(TShortCut value)
{
    FShortCut = value;
    FShortCutStr = ShortCutToText(value);
}

QString TRsActItem::ActionTitle() const
{
    return Category + u": "_s + Caption;
}

// ---------------------------------------------------------------------------------------------
// TRsActList

int TRsActList::Add(TRsActItem* item)
{
    m_items.emplace_back(item);
    return Count() - 1;
}

int TRsActList::Remove(TRsActItem* item)
{
    const int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
    return index;
}

void TRsActList::Delete(int index)
{
    m_items.erase(m_items.begin() + index);
}

int TRsActList::IndexOf(const TRsActItem* item) const
{
    for (int i = 0; i < Count(); ++i) {
        if (m_items[size_t(i)].get() == item)
            return i;
    }
    return -1;
}

void TRsActList::Clear()
{
    m_items.clear();
}

void TRsActList::LoadFromActionList(const QList<QAction*>& actions, const QStringList& categories)
{
    Clear();
    for (const QAction* action : actions) {
        auto* item = new TRsActItem;
        item->Name = action->objectName();
        item->Caption = DeleteAccelerator(action->text());
        item->SetShortCut(ActionShortCut(action));
        const QList<QKeySequence> all = action->shortcuts();
        for (qsizetype i = 1; i < all.size(); ++i)
            item->SecondaryShortCuts.append(shortCutOf(all.at(i)));
        item->Tag = action->data().toInt();
        if (item->Tag >= 0 && item->Tag < categories.size())
            item->Category = DeleteAccelerator(categories.at(item->Tag));
        Add(item);
    }
}

int TRsActList::IndexOfActionShortCut(TShortCut shortCut) const
{
    for (int i = 0; i < Count(); ++i) {
        const TRsActItem* item = Items(i);
        if (item->SecondaryShortCuts.contains(shortCut) || item->ShortCut() == shortCut)
            return i;
    }
    return -1;
}

int TRsActList::IndexOfName(const QString& name) const
{
    for (int i = 0; i < Count(); ++i) {
        if (SameTextAscii(Items(i)->Name, name))
            return i;
    }
    return -1;
}

int TRsActList::GetCategoryMaxWidth(const QFontMetrics& metrics) const
{
    int width = 0;
    for (const auto& item : m_items)
        width = qMax(width, metrics.horizontalAdvance(item->Category));
    return width;
}

int TRsActList::GetCaptionMaxWidth(const QFontMetrics& metrics) const
{
    int width = 0;
    for (const auto& item : m_items)
        width = qMax(width, metrics.horizontalAdvance(item->Caption));
    return width;
}

// ---------------------------------------------------------------------------------------------
// Shortcuts of actions and the shortcut key file

TShortCut ActionShortCut(const QAction* action)
{
    return shortCutOf(action->shortcut());
}

void SetActionShortCut(QAction* action, TShortCut shortCut)
{
    const QKeyCombination key = KeyCombinationFromShortCut(shortCut);
    action->setShortcut(key.key() == Qt::Key_unknown ? QKeySequence() : QKeySequence(key));
}

int IndexOfActionName(const QList<QAction*>& actions, const QString& name)
{
    for (qsizetype i = 0; i < actions.size(); ++i) {
        if (SameTextAscii(actions.at(i)->objectName(), name))
            return int(i);
    }
    return -1;
}

namespace {

QList<TShortcutKey> keysOf(const QList<QAction*>& actions)
{
    QList<TShortcutKey> keys;
    for (const QAction* action : actions)
        keys.append({action->objectName(), ActionShortCut(action)});
    return keys;
}

} // namespace

void LoadShortcutKeys(const QList<QAction*>& actions, const QString& fileName,
                      const std::function<bool(TShortCut)>& accept)
{
    QList<TShortcutKey> keys = keysOf(actions);
    ReadShortcutKeyFile(keys, fileName, accept);
    for (qsizetype i = 0; i < actions.size(); ++i) {
        if (keys.at(i).Key != ActionShortCut(actions.at(i)))
            SetActionShortCut(actions.at(i), keys.at(i).Key);
    }
}

bool SaveShortcutKeys(const QList<QAction*>& actions, const QString& fileName, QString* error)
{
    return WriteShortcutKeyFile(keysOf(actions), fileName, error);
}

void SetDefaultShortcutKeys(const QList<QAction*>& actions)
{
    for (QAction* action : actions) {
        if (const TShortCut key = DefaultShortCut(action->objectName()))
            SetActionShortCut(action, key);
    }
}
