#include "RsUnits/RsSpacer.h"

#include <QMouseEvent>
#include <QPainter>

TRsSpacer::TRsSpacer(QWidget* parent)
    : QWidget(parent)
    , FTopLeftLineColor(TRsColor::FromRole(QPalette::Dark))
    , FBottomRightLineColor(TRsColor::FromRole(QPalette::Light))
{
    resize(50, 50);
}

QSize TRsSpacer::sizeHint() const
{
    return QSize(50, 50);
}

QColor TRsSpacer::TopLeftLineColor() const
{
    return FTopLeftLineColor.Resolve(palette());
}

QColor TRsSpacer::BottomRightLineColor() const
{
    return FBottomRightLineColor.Resolve(palette());
}

void TRsSpacer::SetLineShape(TLineShape value)
{
    if (value == FLineShape)
        return;
    FLineShape = value;
    update();
}

void TRsSpacer::SetLineDirection(TLineDirection value)
{
    if (value == FLineDirection)
        return;
    FLineDirection = value;
    update();
}

void TRsSpacer::SetTopLeftLineColor(const TRsColor& value)
{
    if (value == FTopLeftLineColor)
        return;
    FTopLeftLineColor = value;
    update();
}

void TRsSpacer::SetBottomRightLineColor(const TRsColor& value)
{
    if (value == FBottomRightLineColor)
        return;
    FBottomRightLineColor = value;
    update();
}

void TRsSpacer::SetCustomDrawing(bool value)
{
    if (value == FCustomDrawing)
        return;
    FCustomDrawing = value;
    update();
}

void TRsSpacer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (FCustomDrawing) {
        emit customDrawSpacer(this, &painter);
        return;
    }
    if (FLineShape == lsNone)
        return;
    // Lines run from 2 pixels in to 2 pixels before the far end (end excluded), on the middle line and,
    // for the etched look, the one after it. The background is never painted.
    if (FLineDirection == ldHorizontal) {
        const int h = height() / 2;
        const int length = width() - 4;
        if (length <= 0)
            return;
        painter.fillRect(QRect(2, h - 1, length, 1), TopLeftLineColor());
        if (FLineShape == lsDouble)
            painter.fillRect(QRect(2, h, length, 1), BottomRightLineColor());
    } else {
        const int w = width() / 2;
        const int length = height() - 4;
        if (length <= 0)
            return;
        painter.fillRect(QRect(w - 1, 2, 1, length), TopLeftLineColor());
        if (FLineShape == lsDouble)
            painter.fillRect(QRect(w, 2, 1, length), BottomRightLineColor());
    }
}

void TRsSpacer::mousePressEvent(QMouseEvent* event)
{
    emit mouseDown(this, event->button(), event->modifiers(), event->position().toPoint());
    event->accept();
}

void TRsSpacer::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    emit mouseUp(this, event->button(), event->modifiers(), pos);
    if (event->button() == Qt::LeftButton && rect().contains(pos))
        emit clicked(this);
}
