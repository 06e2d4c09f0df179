#include "ui/Main.h"
#include "RsUnits/RsPanel.h"

#include <QMoveEvent>
#include <QWindow>

#include <functional>
#include <QResizeEvent>

namespace {

// What the frame adds to the client area; empty until a window manager has framed the window.
QSize frameExtent(const QWidget& window)
{
    return window.frameGeometry().size() - window.geometry().size();
}

// Watches the native window until the frame is known: a window manager frames a window after it
// is shown, and the widget gets no event of its own when that happens.
class TFrameWatcher final : public QObject
{
public:
    TFrameWatcher(QWindow* window, std::function<bool()> fit) : QObject(window), m_fit(std::move(fit))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Expose:
        case QEvent::Move:
        case QEvent::Resize:
            if (m_fit())
                deleteLater();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool()> m_fit;
};

} // namespace

void TMainForm::WatchFrame()
{
    if (!m_outerSizeToFit.isValid() || !windowHandle() || windowHandle()->findChild<TFrameWatcher*>())
        return;
    new TFrameWatcher(windowHandle(), [this] {
        FitStoredOuterSize();
        return !m_outerSizeToFit.isValid();
    });
}

void TMainForm::ApplyStoredBounds()
{
    // move() places the frame's corner; resize() sizes the client area, so the stored outer size
    // is taken as the client size first and made smaller by the frame once the frame is known.
    move(m_placement.Left, m_placement.Top);
    resize(m_placement.Width, m_placement.Height);
    m_outerSizeToFit = QSize(m_placement.Width, m_placement.Height);
    FitStoredOuterSize();
}

void TMainForm::FitStoredOuterSize()
{
    if (!m_outerSizeToFit.isValid())
        return;
    const QSize extent = frameExtent(*this);
    if (extent.isEmpty() || (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return;
    const QSize outer = m_outerSizeToFit;
    m_outerSizeToFit = QSize();
    resize(outer - extent);
}

void TMainForm::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    FitStoredOuterSize();
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FitStoredOuterSize();
}

TMainFormPlacement TMainForm::currentPlacement() const
{
    // A window never shown (a silent run that stayed in the tray, or without a display) keeps what
    // it read, a maximised state included.
    if (!m_rowShown)
        return m_placement;
    TMainFormPlacement p = m_placement;
    const Qt::WindowStates state = windowState();
    // A maximised window keeps the bounds it has; any other (a minimised one too) its normal ones.
    const bool maximised = (state & Qt::WindowMaximized) && !(state & Qt::WindowMinimized);
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    const QRect client = maximised ? geometry() : normal;
    const QSize extent = frameExtent(*this);
    const QPoint corner = frameGeometry().topLeft() - geometry().topLeft();
    // Outer bounds: the frame's corner and size. The frame is the same whether the window is
    // maximised or not, so the normal bounds get the current frame's extent too.
    p.Left = client.left() + corner.x();
    p.Top = client.top() + corner.y();
    if (m_outerSizeToFit.isValid() && !maximised) {
        // Never framed (no window manager yet): what was stored stays as it was.
        p.Width = m_outerSizeToFit.width();
        p.Height = m_outerSizeToFit.height();
    } else {
        p.Width = client.width() + extent.width();
        p.Height = client.height() + extent.height();
    }
    // A window closed while minimised, from whichever state, opens normal again.
    p.WindowState = maximised ? 2 : 0;
    if (m_rowShown) {
        p.LeftPanelWidth = LeftPanel->width();
        p.BottomPanelHeight = BottomPanel->height();
    }
    return p;
}
