#pragma once

#include <QColor>
#include <QListWidget>

// A list of excluded names drawn by the task dialog: fixed entry height, the text at two margins,
// the selection in the highlight colour while the list has the focus and in the task list grid's
// inactive selection colour otherwise, and a horizontal extent that lets the widest name be scrolled
// fully into view.
class TExcludedListBox : public QListWidget
{
    Q_OBJECT

public:
    TExcludedListBox(QWidget* parent, int entryHeight, const QColor& inactiveSelectionColor);

    int EntryHeight() const { return m_entryHeight; }
    int TextLeftMargin() const { return m_textLeftMargin; }
    int TextTopMargin() const;
    QColor InactiveSelectionColor() const { return m_inactiveSelectionColor; }
    // The width the entries take for scrolling: the widest text plus a vertical scroll bar.
    int HorizontalExtent() const { return m_extent; }

    // Replaces the entries, keeping their order.
    void Fill(const QStringList& texts);
    QStringList Texts() const;

private:
    int m_entryHeight;
    int m_textLeftMargin = 2;
    QColor m_inactiveSelectionColor;
    int m_extent = 0;
};
