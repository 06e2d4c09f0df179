#pragma once

#include <QWidget>

class QPainter;

// A plain surface its owner paints (the focus lamps of the pane headers). Presses are reported so
// that a press on the lamp can be routed like one on its header.
class TPaintBox : public QWidget
{
    Q_OBJECT

public:
    explicit TPaintBox(QWidget* parent = nullptr);

signals:
    void paint(TPaintBox* sender, QPainter* canvas);
    void mouseDown(TPaintBox* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};
