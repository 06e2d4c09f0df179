#pragma once

#include "RsUnits/RsGrid.h"

#include <QLineEdit>
#include <QPointer>
#include <QRect>

class QMenu;

enum TRsFlatStyle { rfsFlatNone, rfsFlatNormal, rfsFlatRounded };
enum TRsVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };
enum TRsBorderStyle { bsNone, bsSingle };

// A single-line edit box that keeps its one text line at the top, the bottom or the middle of a box of
// any height, and can draw its own flat border. The space around the text line is divided into four
// bands (above, below, left and right of the line) that the box paints itself; subclasses may change how
// the bands are computed by overriding CalcNonClientRects.
class TRsCustomEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TRsCustomEdit(QWidget* parent = nullptr);

    int CornerRadius() const { return FCornerRadius; }
    bool DefaultContextMenuEnabled() const { return FDefaultContextMenuEnabled; }
    QColor FlatBorderColor() const;
    TRsFlatStyle FlatStyle() const { return FFlatStyle; }
    TRsVerticalAlignment VerticalAlignment() const { return FVerticalAlignment; }
    TRsBorderStyle BorderStyle() const { return FBorderStyle; }
    QColor Color() const;
    QMenu* PopupMenu() const;
    QString TextHint() const { return FTextHint; }

    void SetCornerRadius(int value);
    void SetDefaultContextMenuEnabled(bool value) { FDefaultContextMenuEnabled = value; }
    void SetFlatBorderColor(const TRsColor& value);
    void SetFlatStyle(TRsFlatStyle value);
    void SetVerticalAlignment(TRsVerticalAlignment value);
    void SetBorderStyle(TRsBorderStyle value);
    void SetColor(const QColor& value);
    // With a popup menu assigned, a context menu request shows it instead of the standard menu.
    void SetPopupMenu(QMenu* menu);
    // The hint shows in an empty box only while the box does not have the focus.
    void SetTextHint(const QString& value);

    // The four bands around the text line, in widget coordinates, and the text line itself.
    QRect TopRect() const;
    QRect BottomRect() const;
    QRect LeftRect() const;
    QRect RightRect() const;
    QRect TextLineRect() const;

    // Character cell height of the current font.
    int TextHeight() const;

protected:
    // Border inset on every side: the width of the sunken single border, 0 without one.
    int BorderInset() const;
    // Computes the four bands for the proposed client rectangle r (the widget less its border) and
    // returns the rectangle of the text line.
    virtual QRect CalcNonClientRects(const QRect& r);
    // Recomputes the bands and the text line after a change of size, font, style or alignment.
    void RecalcFrame();
    // Paints the bands and the border over what the line edit painted.
    virtual void PaintNonClient(QPainter& painter);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void updatePlaceholder();
    // A hidden box gets no resize event until it is shown: the bands follow the size on demand.
    void ensureFrame() const;

    QRect FTopRect;
    QRect FBottomRect;
    QRect FLeftRect;
    QRect FRightRect;
    QRect FTextLineRect;
    QSize FFrameSize;
    int FCornerRadius = 2;
    bool FDefaultContextMenuEnabled = false;
    TRsColor FFlatBorderColor;
    TRsFlatStyle FFlatStyle = rfsFlatNone;
    TRsVerticalAlignment FVerticalAlignment = taVerticalCenter;
    TRsBorderStyle FBorderStyle = bsSingle;
    QPointer<QMenu> FPopupMenu;
    QString FTextHint;
};

// The edit box the dialogs place.
class TRsEdit : public TRsCustomEdit {
    Q_OBJECT

public:
    explicit TRsEdit(QWidget* parent = nullptr);
};
