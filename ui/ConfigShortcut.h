#pragma once

#include "RsUnits/RsActList.h"

#include <QDialog>

class QLabel;
class QPushButton;
class TMainForm;
class TRsEdit;
class TRsGrid;
class TRsHotKey;

// The shortcut key dialog: lists the main window's commands with their menu, shows the selected
// command's shortcut, deletes it or gives it the combination typed into the hot key box. Every
// change reaches the window's action at once; closing writes the position and the shortcut key file.
class TConfigShortcutForm : public QDialog
{
    Q_OBJECT

public:
    explicit TConfigShortcutForm(TMainForm* owner);

    // The commands as listed (all but the tray command).
    const TRsActList& ActList() const { return FActList; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void FormClose();
    void Grid001Click();
    void Grid001DrawCell(int col, int row, const QRect& rect);
    void Grid001ColWidthsChanged();
    void Button002Click();
    void HotKey001Change();
    void RemovePopupAction();
    void DeleteShortcut();
    void AssignShortcut();
    TRsActItem* SelectedItem() const;
    // The main window's action of the item gets the item's shortcut.
    void ApplyToAction(const TRsActItem* item);
    void Refuse(const QString& what);
    int Scaled(int size) const;

    TMainForm* m_main;
    TRsActList FActList;
    int FGridTextLeftMargin = 4;
    int FGridTextTopMargin = 0;
    double m_dpi = 96.0;
    bool m_closed = false;

    QLabel* Label001 = nullptr;
    TRsGrid* Grid001 = nullptr;
    QLabel* Label002 = nullptr;
    TRsEdit* Edit001 = nullptr;
    QPushButton* Button001 = nullptr;
    QLabel* Label003 = nullptr;
    TRsHotKey* HotKey001 = nullptr;
    QPushButton* Button002 = nullptr;
    QPushButton* Button003 = nullptr;
};
