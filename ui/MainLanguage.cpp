// The language submenu: every language file of the language directory, the one in use ticked;
// choosing one re-labels the window at once.

#include "ui/Main.h"

#include "app/Lang.h"
#include "app/TmkLib.h"
#include "RsUnits/RsGrid.h"
#include "RsUnits/RsPanel.h"
#include "RsUnits/RsPngButton.h"

#include <QAction>
#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>

using namespace Qt::StringLiterals;

// Rebuilds the language submenu each time the tool menu opens, so files added or removed while the
// program runs show up.
void TMainForm::Tool1Click()
{
    Language1->clear();
    FLangFileList.clear();
    const QFileInfoList files =
        QDir(LangDir).entryInfoList({u"*.lang"_s}, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& file : files)
        FLangFileList << file.absoluteFilePath();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(FLangFileList.begin(), FLangFileList.end(),
                     [&collator](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });

    for (int i = 0; i < FLangFileList.size(); ++i) {
        const QString& path = FLangFileList.at(i);
        // The file name is shown as it is: an ampersand in it is no accelerator.
        QString caption = QFileInfo(path).completeBaseName();
        caption.replace(u'&', u"&&"_s);
        QAction* entry = Language1->addAction(caption);
        entry->setData(i);
        entry->setCheckable(true);
        entry->setChecked(path.compare(LangFileName, Qt::CaseInsensitive) == 0);
        connect(entry, &QAction::triggered, this, [this, i] { LanguageListClick(i); });
    }
    // The workers of a run write their lines with the texts of the language in use; switching in the
    // middle would mix two languages in one log, and the workers read those texts while the switch
    // would rewrite them.
    Language1->setEnabled(!FIsBackupRunning);
}

void TMainForm::LanguageListClick(int index)
{
    if (FIsBackupRunning || index < 0 || index >= FLangFileList.size())
        return;
    LangFileName = FLangFileList.at(index);
    LoadMainFormTexts();
    RenewCommandHints();
}

// Binding a button copies its action's caption once; after the captions changed, the buttons'
// hints are made again from their actions.
void TMainForm::RenewCommandHints()
{
    for (TRsPanel* panel : {CommandPanel, Panel101, Panel102, Panel201, Panel202}) {
        if (!panel)
            continue;
        const auto buttons = panel->findChildren<TRsPngButton*>(Qt::FindDirectChildrenOnly);
        for (TRsPngButton* button : buttons) {
            if (button->Action())
                button->SetHint(DeleteAccelerator(button->Action()->text()));
        }
    }
    // The grids draw their headings from the named texts.
    Grid101->update();
    Grid201->update();
}
