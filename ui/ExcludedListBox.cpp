#include "ui/ExcludedListBox.h"

#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

#include <cmath>

namespace {

class TExcludedEntryDelegate : public QStyledItemDelegate
{
public:
    explicit TExcludedEntryDelegate(TExcludedListBox* list)
        : QStyledItemDelegate(list)
        , m_list(list)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QPalette& pal = m_list->palette();
        const bool selected = option.state & QStyle::State_Selected;
        const bool focused = m_list->hasFocus();
        QColor background = pal.color(QPalette::Base);
        QColor text = pal.color(QPalette::Text);
        if (selected && focused) {
            background = pal.color(QPalette::Active, QPalette::Highlight);
            text = pal.color(QPalette::Base);
        } else if (selected) {
            background = m_list->InactiveSelectionColor();
        }
        painter->fillRect(option.rect, background);
        painter->setPen(text);
        painter->setFont(m_list->font());
        const QRect textRect = option.rect.adjusted(m_list->TextLeftMargin(), m_list->TextTopMargin(), 0, 0);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        if (selected && focused && (option.state & QStyle::State_HasFocus)) {
            QStyleOptionFocusRect focus;
            focus.rect = option.rect;
            focus.state = option.state;
            focus.backgroundColor = background;
            m_list->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, m_list);
        }
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return QSize(m_list->HorizontalExtent(), m_list->EntryHeight());
    }

private:
    TExcludedListBox* m_list;
};

} // namespace

TExcludedListBox::TExcludedListBox(QWidget* parent, int entryHeight, const QColor& inactiveSelectionColor)
    : QListWidget(parent)
    , m_entryHeight(entryHeight)
    , m_inactiveSelectionColor(inactiveSelectionColor)
{
    setItemDelegate(new TExcludedEntryDelegate(this));
    setUniformItemSizes(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

int TExcludedListBox::TextTopMargin() const
{
    return (m_entryHeight - fontMetrics().height()) / 2;
}

void TExcludedListBox::Fill(const QStringList& texts)
{
    clear();
    int widest = 0;
    for (const QString& text : texts)
        widest = qMax(widest, fontMetrics().horizontalAdvance(text));
    m_extent = m_textLeftMargin + widest + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    addItems(texts);
}

QStringList TExcludedListBox::Texts() const
{
    QStringList texts;
    for (int i = 0; i < count(); ++i)
        texts << item(i)->text();
    return texts;
}
