#include "ui/RunProgressView.h"

#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <cmath>

namespace {

// Design sizes at 96 pixels per inch, as the rest of the strip: the bar's height and the margins.
constexpr double BarHeight = 4;
constexpr double SideMargin = 6;
constexpr double BottomMargin = 3;

} // namespace

TRunProgressView::TRunProgressView(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumWidth(0);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TRunProgressView::Start()
{
    m_text.clear();
    m_fraction = 0.0;
    m_barShown = true;
    setToolTip(QString());
    update();
}

void TRunProgressView::SetProgress(double fraction, const QString& text)
{
    const double clamped = std::clamp(fraction, 0.0, 1.0);
    if (clamped == m_fraction && text == m_text && m_barShown)
        return;
    m_fraction = clamped;
    m_text = text;
    m_barShown = true;
    setToolTip(m_text); // the whole line, when the strip is too narrow for it
    update();
}

void TRunProgressView::Finish(const QString& summary)
{
    m_text = summary;
    m_barShown = false;
    setToolTip(m_text);
    update();
}

void TRunProgressView::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    // The strip's design sizes scale with the screen, like the buttons beside it.
    const double scale = logicalDpiY() / 96.0;
    const int side = int(std::lround(SideMargin * scale));
    const int barHeight = std::max(2, int(std::lround(BarHeight * scale)));
    const int bottom = int(std::lround(BottomMargin * scale));
    const int width = std::max(0, this->width() - 2 * side);
    const QRect bar(side, height() - bottom - barHeight, width, barHeight);

    const QFontMetrics metrics = fontMetrics();
    const int textBottom = m_barShown ? bar.top() - 1 : height();
    const QRect textRect(side, 0, width, textBottom);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(m_text, Qt::ElideRight, width));

    if (!m_barShown || width <= 0)
        return;
    // Whole pixels only, so the bar stays sharp at any scale.
    painter.fillRect(bar, palette().color(QPalette::Mid));
    const QRect inner = bar.adjusted(1, 1, -1, -1);
    painter.fillRect(inner, palette().color(QPalette::Base));
    const int done = int(std::floor(inner.width() * m_fraction));
    if (done > 0)
        painter.fillRect(QRect(inner.left(), inner.top(), done, inner.height()), palette().color(QPalette::Highlight));
}
