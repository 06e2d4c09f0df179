#pragma once

#include "app/ShortCut.h"
#include "app/ShortcutKeyFile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QFontMetrics;

// One command as the shortcut key dialog lists it: a copy of an action's name, caption, menu,
// shortcut and tag.
class TRsActItem
{
public:
    QString Name;
    // The action's caption without its accelerator.
    QString Caption;
    // Caption of the main menu that holds the action, without its accelerator.
    QString Category;
    QList<TShortCut> SecondaryShortCuts;
    int Tag = 0;

    TShortCut ShortCut() const { return FShortCut; }
    // Also sets ShortCutStr.
    void SetShortCut(TShortCut value);
    const QString& ShortCutStr() const { return FShortCutStr; }
    // Category, ": ", Caption.
    QString ActionTitle() const;

private:
    TShortCut FShortCut = 0;
    QString FShortCutStr;
};

// The commands of a window, owning its items.
class TRsActList
{
public:
    int Count() const { return int(m_items.size()); }
    TRsActItem* Items(int index) const { return m_items.at(size_t(index)).get(); }
    // Takes ownership.
    int Add(TRsActItem* item);
    // Removes and frees the item; returns its former index, -1 when it is not in the list.
    int Remove(TRsActItem* item);
    void Delete(int index);
    int IndexOf(const TRsActItem* item) const;
    void Clear();

    // Replaces the content with one item per action, in order. categories[tag] is the caption of
    // the menu that files actions of that tag (accelerators are removed); other tags get none.
    void LoadFromActionList(const QList<QAction*>& actions, const QStringList& categories);
    // The first item whose shortcut, or one of whose secondary shortcuts, is shortCut; -1 if none.
    int IndexOfActionShortCut(TShortCut shortCut) const;
    // The first item named name, ignoring ASCII letter case; -1 if none.
    int IndexOfName(const QString& name) const;
    // Widest Category / Caption in the font; 0 for an empty list.
    int GetCategoryMaxWidth(const QFontMetrics& metrics) const;
    int GetCaptionMaxWidth(const QFontMetrics& metrics) const;

private:
    std::vector<std::unique_ptr<TRsActItem>> m_items;
};

// ---- Shortcuts of actions as values, and the shortcut key file

// The action's first shortcut as a value (0 when it has none or it has no value).
TShortCut ActionShortCut(const QAction* action);
// Gives the action exactly this shortcut (none for 0 or a value without a Qt key).
void SetActionShortCut(QAction* action, TShortCut shortCut);

// The index of the first action named name, ignoring ASCII letter case; -1 if none.
int IndexOfActionName(const QList<QAction*>& actions, const QString& name);


// Reads the "ShortCut" section of the file into the actions (all but the tray action). A key that
// is missing, empty or not a number leaves the action as it is, and so does a value that accept()
// refuses (a key the window keeps for itself). Two actions can never share a shortcut (Qt would
// fire neither): a later action whose shortcut an earlier one already has loses it.
void LoadShortcutKeys(const QList<QAction*>& actions, const QString& fileName,
                      const std::function<bool(TShortCut)>& accept = {});
// Writes every action but the tray action into the file, keeping its other content; false with
// error set when the file cannot be written.
bool SaveShortcutKeys(const QList<QAction*>& actions, const QString& fileName, QString* error = nullptr);
// Ctrl+Q for ActFileQuitAll, F1 for ActHelpShowHelp.
void SetDefaultShortcutKeys(const QList<QAction*>& actions);
