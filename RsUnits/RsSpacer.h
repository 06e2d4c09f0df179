#pragma once

#include "RsUnits/RsGrid.h"

#include <QPainter>
#include <QWidget>

enum TLineShape { lsNone, lsSingle, lsDouble };
enum TLineDirection { ldHorizontal, ldVertical };

// A transparent gap that can draw a single or an etched double line across its middle; used both as
// plain spacing and as a separator.
class TRsSpacer : public QWidget {
    Q_OBJECT

public:
    explicit TRsSpacer(QWidget* parent = nullptr);

    TLineShape LineShape() const { return FLineShape; }
    TLineDirection LineDirection() const { return FLineDirection; }
    QColor TopLeftLineColor() const;
    QColor BottomRightLineColor() const;
    bool CustomDrawing() const { return FCustomDrawing; }
    void SetLineShape(TLineShape value);
    void SetLineDirection(TLineDirection value);
    void SetTopLeftLineColor(const TRsColor& value);
    void SetBottomRightLineColor(const TRsColor& value);
    void SetCustomDrawing(bool value);

    QSize sizeHint() const override;

signals:
    // With CustomDrawing on, the handler draws the whole spacer.
    void customDrawSpacer(TRsSpacer* sender, QPainter* canvas);
    void mouseDown(TRsSpacer* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    void mouseUp(TRsSpacer* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    void clicked(TRsSpacer* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TLineShape FLineShape = lsNone;
    TLineDirection FLineDirection = ldVertical;
    TRsColor FTopLeftLineColor;
    TRsColor FBottomRightLineColor;
    bool FCustomDrawing = false;
};
