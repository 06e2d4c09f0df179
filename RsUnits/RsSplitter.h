#pragma once

#include "RsUnits/RsGrid.h"

#include <QSplitter>
#include <QSplitterHandle>

class TRsSplitter;

// The bar between two panes of a TRsSplitter: painted flat, optionally with a grip of five dots.
class TRsSplitterHandle : public QSplitterHandle {
    Q_OBJECT

public:
    TRsSplitterHandle(Qt::Orientation orientation, TRsSplitter* parent);

    // Top-left corner of the first grip dot in the handle, as painted.
    QPoint GripOrigin() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void dragTo(const QPoint& globalPos);

    TRsSplitter* m_splitter;
    int m_mouseOffset = 0;
    bool m_pressed = false;
};

// A splitter whose bars are painted flat with an optional grip and that keeps each pane next to a
// bar at least MinSize pixels wide (or, with AutoSnap, lets a pane dragged below half of that vanish).
// The panes are resized live while a bar is dragged.
class TRsSplitter : public QSplitter {
    Q_OBJECT

public:
    explicit TRsSplitter(Qt::Orientation orientation, QWidget* parent = nullptr);
    explicit TRsSplitter(QWidget* parent = nullptr);

    bool ShowGrab() const { return FShowGrab; }
    void SetShowGrab(bool value);
    int MinSize() const { return m_minSize; }
    void SetMinSize(int value);
    bool AutoSnap() const { return m_autoSnap; }
    void SetAutoSnap(bool value);
    QColor Color() const;
    void SetColor(const TRsColor& value);

    // The position a bar dragged to pos (the bar's leading edge in the splitter) is actually moved
    // to: both neighbouring panes keep MinSize, or snap to nothing with AutoSnap.
    int LimitedPosition(int handleIndex, int pos) const;

signals:
    // Raised before a drag moves the bar; the handler may change newSize (the leading pane's new
    // size) or refuse the move.
    void canResize(TRsSplitter* sender, int& newSize, bool& accept);
    void mouseEnter(TRsSplitter* sender);
    void mouseLeave(TRsSplitter* sender);

protected:
    QSplitterHandle* createHandle() override;

private:
    friend class TRsSplitterHandle;
    void init();

    bool FShowGrab = false;
    int m_minSize = 30;
    bool m_autoSnap = false;
    TRsColor m_color;
};
