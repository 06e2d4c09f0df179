#pragma once

#include "RsUnits/RsGrid.h"

#include <QWidget>

class TRsPanel;

enum TPanelDrawingStyle { dsNormal, dsGradient };
enum TGradientDirection { gdHorizontal, gdVertical };
// Look of a bevel: none, sunken, raised, or a flat frame the width of a bevel.
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

namespace RsPanel {

// Caption placement and background of a caption panel.
class TViewOptions {
public:
    explicit TViewOptions(TRsPanel* panel);

    // Copies all values without repainting.
    void Assign(const TViewOptions& source);
    // Light gradient start over the button face, to suit the desktop's look; no repaint.
    void AdjustDefaultColors();

    bool CaptionEndEllipsis() const { return FCaptionEndEllipsis; }
    int CaptionMarginLeft() const { return FCaptionMarginLeft; }
    int CaptionMarginRight() const { return FCaptionMarginRight; }
    int CaptionMarginTop() const { return FCaptionMarginTop; }
    int CaptionMarginBottom() const { return FCaptionMarginBottom; }
    TPanelDrawingStyle DrawingStyle() const { return FDrawingStyle; }
    TGradientDirection GradientDirection() const { return FGradientDirection; }
    QColor GradientEndColor() const;
    QColor GradientStartColor() const;

    void SetCaptionEndEllipsis(bool value);
    void SetCaptionMarginLeft(int value);
    void SetCaptionMarginRight(int value);
    void SetCaptionMarginTop(int value);
    void SetCaptionMarginBottom(int value);
    void SetDrawingStyle(TPanelDrawingStyle value);
    void SetGradientDirection(TGradientDirection value);
    void SetGradientEndColor(const TRsColor& value);
    void SetGradientStartColor(const TRsColor& value);

private:
    template <typename T> void set(T& field, const T& value);

    TRsPanel* FRsPanel;
    bool FCaptionEndEllipsis = false;
    int FCaptionMarginLeft = 0;
    int FCaptionMarginRight = 0;
    int FCaptionMarginTop = 0;
    int FCaptionMarginBottom = 0;
    TPanelDrawingStyle FDrawingStyle = dsNormal;
    TGradientDirection FGradientDirection = gdVertical;
    TRsColor FGradientEndColor;
    TRsColor FGradientStartColor;
};

} // namespace RsPanel

// A panel whose background can be a two-colour gradient and whose caption is placed with margins and
// shortened with "..." to fit. Used as the title bars of the window's panes and as the command bar.
class TRsPanel : public QWidget {
    Q_OBJECT

public:
    using TViewOptions = RsPanel::TViewOptions;

    explicit TRsPanel(QWidget* parent = nullptr);
    ~TRsPanel() override;

    TViewOptions* ViewOptions() { return m_viewOptions; }
    const TViewOptions* ViewOptions() const { return m_viewOptions; }
    void SetViewOptions(const TViewOptions& value);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    bool ShowCaption() const { return m_showCaption; }
    void SetShowCaption(bool value);
    // Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter (the default).
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment value);
    // Qt::AlignTop, Qt::AlignBottom or Qt::AlignVCenter (the default).
    Qt::Alignment VerticalAlignment() const { return m_verticalAlignment; }
    void SetVerticalAlignment(Qt::Alignment value);
    TBevelCut BevelInner() const { return m_bevelInner; }
    TBevelCut BevelOuter() const { return m_bevelOuter; }
    int BevelWidth() const { return m_bevelWidth; }
    int BorderWidth() const { return m_borderWidth; }
    void SetBevelInner(TBevelCut value);
    void SetBevelOuter(TBevelCut value);
    void SetBevelWidth(int value);
    void SetBorderWidth(int value);
    QColor Color() const;
    void SetColor(const TRsColor& value);
    // Whether the panel shows its parent's background where it does not paint a gradient.
    bool ParentBackground() const { return m_parentBackground; }
    void SetParentBackground(bool value);

    // Rectangle the caption occupies inside the margins; (0, 0, 0, 0) without a shown caption.
    QRect CaptionRect();
    // Whether the caption was shortened at its last measurement.
    bool IsCaptionTruncated() const { return FIsCaptionTruncated; }
    bool MouseInControl() const { return FMouseInControl; }

signals:
    void mouseDown(TRsPanel* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    void mouseUp(TRsPanel* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    void mouseEnter(TRsPanel* sender);
    void mouseLeave(TRsPanel* sender);
    void resized(TRsPanel* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QString shownCaption(int maxWidth);
    void setMouseInControl(bool value);
    void recheckMouse(const QPoint& pos);

    TViewOptions* m_viewOptions;
    bool FIsCaptionTruncated = false;
    bool FMouseInControl = false;

    QString m_caption;
    bool m_showCaption = true;
    Qt::Alignment m_alignment = Qt::AlignHCenter;
    Qt::Alignment m_verticalAlignment = Qt::AlignVCenter;
    TBevelCut m_bevelInner = bvNone;
    TBevelCut m_bevelOuter = bvRaised;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    TRsColor m_color;
    bool m_parentBackground = true;
};
