#include "RsUnits/RsEdit.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFrame>

#include <cmath>

TRsCustomEdit::TRsCustomEdit(QWidget* parent)
    : QLineEdit(parent)
    , FFlatBorderColor(TRsColor::FromRole(QPalette::Dark))
{
    // The box draws its own border and bands; the line edit paints only the text line inside them.
    setFrame(false);
    resize(width(), 23);
    RecalcFrame();
}

QColor TRsCustomEdit::FlatBorderColor() const
{
    return FFlatBorderColor.Resolve(palette());
}

QColor TRsCustomEdit::Color() const
{
    return palette().color(QPalette::Base);
}

int TRsCustomEdit::TextHeight() const
{
    return fontMetrics().height();
}

void TRsCustomEdit::SetCornerRadius(int value)
{
    FCornerRadius = qMax(0, value);
    RecalcFrame();
}

void TRsCustomEdit::SetFlatBorderColor(const TRsColor& value)
{
    FFlatBorderColor = value;
    RecalcFrame();
}

void TRsCustomEdit::SetFlatStyle(TRsFlatStyle value)
{
    FFlatStyle = value;
    RecalcFrame();
}

void TRsCustomEdit::SetVerticalAlignment(TRsVerticalAlignment value)
{
    FVerticalAlignment = value;
    RecalcFrame();
}

void TRsCustomEdit::SetBorderStyle(TRsBorderStyle value)
{
    FBorderStyle = value;
    RecalcFrame();
}

void TRsCustomEdit::SetColor(const QColor& value)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Base, value);
    setPalette(pal);
    update();
}

QMenu* TRsCustomEdit::PopupMenu() const
{
    return FPopupMenu;
}

void TRsCustomEdit::SetPopupMenu(QMenu* menu)
{
    FPopupMenu = menu;
}

void TRsCustomEdit::SetTextHint(const QString& value)
{
    FTextHint = value;
    updatePlaceholder();
}

void TRsCustomEdit::updatePlaceholder()
{
    setPlaceholderText(hasFocus() ? QString() : FTextHint);
}

int TRsCustomEdit::BorderInset() const
{
    return FBorderStyle == bsSingle ? 2 : 0;
}

QRect TRsCustomEdit::CalcNonClientRects(const QRect& r)
{
    const int w = r.width();
    const int h = r.height();
    const int t = TextHeight();
    const int a = BorderInset();
    int p = 0;
    int q = 0;
    if (FBorderStyle == bsNone) {
        p = FFlatStyle == rfsFlatNone ? 1 : 2;
        q = FFlatStyle == rfsFlatNone ? 0 : 1;
    }
    int b = 0;
    switch (FVerticalAlignment) {
    case taAlignTop:
        b = q;
        break;
    case taAlignBottom:
        b = h - t - q;
        break;
    case taVerticalCenter:
        b = int(std::nearbyint((h - t) / 2.0));
        break;
    }
    const int c = a + b;
    FTopRect = QRect(QPoint(a, a), QPoint(a + w - 1, c - 1));
    FBottomRect = QRect(QPoint(a, c + t), QPoint(a + w - 1, a + h - 1));
    FLeftRect = QRect(QPoint(a, c), QPoint(a + p - 1, c + t - 1));
    FRightRect = QRect(QPoint(a + w - p, c), QPoint(a + w - 1, c + t - 1));
    return QRect(a + p, a + b, w - 2 * p, t);
}

QRect TRsCustomEdit::TopRect() const
{
    ensureFrame();
    return FTopRect;
}

QRect TRsCustomEdit::BottomRect() const
{
    ensureFrame();
    return FBottomRect;
}

QRect TRsCustomEdit::LeftRect() const
{
    ensureFrame();
    return FLeftRect;
}

QRect TRsCustomEdit::RightRect() const
{
    ensureFrame();
    return FRightRect;
}

QRect TRsCustomEdit::TextLineRect() const
{
    ensureFrame();
    return FTextLineRect;
}

void TRsCustomEdit::ensureFrame() const
{
    if (FFrameSize != size())
        const_cast<TRsCustomEdit*>(this)->RecalcFrame();
}

void TRsCustomEdit::RecalcFrame()
{
    FFrameSize = size();
    const int a = BorderInset();
    FTextLineRect = CalcNonClientRects(rect().adjusted(a, a, -a, -a));
    // The line edit centres its text line in what the margins leave, which is exactly one line here.
    setTextMargins(FTextLineRect.left(), FTextLineRect.top(), width() - FTextLineRect.right() - 1,
                   height() - FTextLineRect.bottom() - 1);
    update();
}

void TRsCustomEdit::PaintNonClient(QPainter& painter)
{
    const QColor color = Color();
    // Everything outside the text line belongs to the frame; the line itself is the line edit's.
    QRegion frame(rect());
    frame -= QRegion(QRect(QPoint(FLeftRect.right() + 1, FTopRect.bottom() + 1),
                           QPoint(FRightRect.left() - 1, FBottomRect.top() - 1)));
    painter.setClipRegion(frame);

    if (FBorderStyle == bsSingle || FFlatStyle != rfsFlatRounded) {
        for (const QRect& band : {FTopRect, FBottomRect, FLeftRect, FRightRect})
            painter.fillRect(band, color);
    }
    if (FBorderStyle == bsSingle) {
        QStyleOptionFrame option;
        initStyleOption(&option);
        option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
        option.rect = rect();
        style()->drawPrimitive(QStyle::PE_FrameLineEdit, &option, &painter, this);
        return;
    }
    if (FFlatStyle == rfsFlatNormal) {
        // The outline along the outermost pixels of the bands, as four one-pixel strips: exactly one
        // pixel wide and sharp at any scale.
        const QRect outline(FTopRect.topLeft(), FBottomRect.bottomRight());
        const QColor border = FlatBorderColor();
        painter.fillRect(QRect(outline.left(), outline.top(), outline.width(), 1), border);
        painter.fillRect(QRect(outline.left(), outline.bottom(), outline.width(), 1), border);
        painter.fillRect(QRect(outline.left(), outline.top(), 1, outline.height()), border);
        painter.fillRect(QRect(outline.right(), outline.top(), 1, outline.height()), border);
    } else if (FFlatStyle == rfsFlatRounded) {
        const QColor parentColor =
            parentWidget() ? parentWidget()->palette().color(parentWidget()->backgroundRole()) : color;
        painter.fillRect(FTopRect, parentColor);
        painter.fillRect(FBottomRect, parentColor);
        painter.setRenderHint(QPainter::Antialiasing);
        // Half-pixel offsets put the one-pixel outline on pixel centres, so it stays sharp when scaled.
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        const qreal r = FCornerRadius;
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        if (r > 0)
            path.addRoundedRect(box, r, r);
        else
            path.addRect(box);
        painter.fillPath(path, color);
        painter.strokePath(path, QPen(FlatBorderColor(), 1));
    }
}

void TRsCustomEdit::paintEvent(QPaintEvent* event)
{
    ensureFrame();
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    PaintNonClient(painter);
}

void TRsCustomEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    RecalcFrame();
}

void TRsCustomEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() != QEvent::FontChange)
        return;
    // A font taller than the box grows the box to one text line plus its border.
    const int t = TextHeight();
    int a = 0;
    if (FBorderStyle == bsSingle)
        a = 2;
    else if (FFlatStyle != rfsFlatNone)
        a = 1;
    if (height() - 2 * a < t)
        resize(width(), t + 2 * a);
    RecalcFrame();
}

void TRsCustomEdit::contextMenuEvent(QContextMenuEvent* event)
{
    if (FPopupMenu) {
        FPopupMenu->popup(event->globalPos());
        event->accept();
        return;
    }
    if (FDefaultContextMenuEnabled) {
        QLineEdit::contextMenuEvent(event);
        return;
    }
    event->accept();
}

void TRsCustomEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    updatePlaceholder();
}

void TRsCustomEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    updatePlaceholder();
}

TRsEdit::TRsEdit(QWidget* parent)
    : TRsCustomEdit(parent)
{
}
