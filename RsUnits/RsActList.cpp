#include "RsUnits/RsActList.h"

#include "app/Ini.h"
#include "app/TmkLib.h"

#include <QAction>
#include <QFontMetrics>
#include <QKeySequence>

using namespace Qt::StringLiterals;

const QString TrayActionName = u"ActPopMinimizeRestoreWindow"_s;

namespace {

const QString SectionShortCut = u"ShortCut"_s;

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

void LoadShortcutKeys(const QList<QAction*>& actions, const QString& fileName,
                      const std::function<bool(TShortCut)>& accept)
{
    const TIniFile ini(fileName);
    for (QAction* action : actions) {
        if (SameTextAscii(action->objectName(), TrayActionName))
            continue;
        TShortCut value = 0;
        if (!StoredTextToShortCut(ini.ReadString(SectionShortCut, action->objectName(), QString()), &value))
            continue;
        if (value && accept && !accept(value))
            continue;
        SetActionShortCut(action, value);
    }
    QList<TShortCut> taken;
    for (QAction* action : actions) {
        const TShortCut value = ActionShortCut(action);
        if (!value)
            continue;
        if (taken.contains(value))
            SetActionShortCut(action, 0);
        else
            taken.append(value);
    }
}

bool SaveShortcutKeys(const QList<QAction*>& actions, const QString& fileName, QString* error)
{
    TIniFile ini(fileName);
    for (const QAction* action : actions) {
        if (SameTextAscii(action->objectName(), TrayActionName))
            continue;
        ini.WriteString(SectionShortCut, action->objectName(), ShortCutToStoredText(ActionShortCut(action)));
    }
    if (ini.UpdateFile())
        return true;
    if (error)
        *error = ini.errorString();
    return false;
}

void SetDefaultShortcutKeys(const QList<QAction*>& actions)
{
    const std::pair<QString, QString> defaults[] = {{u"ActFileQuitAll"_s, u"Ctrl+Q"_s}, {u"ActHelpShowHelp"_s, u"F1"_s}};
    for (const auto& [name, text] : defaults) {
        const int index = IndexOfActionName(actions, name);
        if (index >= 0)
            SetActionShortCut(actions.at(index), TextToShortCut(text));
    }
}
