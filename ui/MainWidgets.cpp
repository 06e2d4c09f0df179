#include "ui/MainWidgets.h"

#include <QMouseEvent>
#include <QPainter>

TPaintBox::TPaintBox(QWidget* parent)
    : QWidget(parent)
{
}

void TPaintBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    emit paint(this, &painter);
}

void TPaintBox::mousePressEvent(QMouseEvent* event)
{
    emit mouseDown(this, event->button(), event->modifiers(), event->position().toPoint());
    event->accept();
}
