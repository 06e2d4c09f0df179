#pragma once

#include <QString>
#include <QWidget>

// The run's progress in the command strip, between the command buttons and the animation: one
// short line of text above a thin bar. After the run the bar goes and the line sums the run up
// until the next one starts. It takes only the strip's free space: nothing else moves or shrinks.
class TRunProgressView : public QWidget
{
    Q_OBJECT

public:
    explicit TRunProgressView(QWidget* parent = nullptr);

    // A run begins: no text yet, an empty bar.
    void Start();
    // fraction 0 to 1 of the current phase; text is shown elided to the width.
    void SetProgress(double fraction, const QString& text);
    // The run has ended: the bar goes, summary stays.
    void Finish(const QString& summary);

    const QString& Text() const { return m_text; }
    double Fraction() const { return m_fraction; }
    bool BarShown() const { return m_barShown; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    double m_fraction = 0.0;
    bool m_barShown = false;
};
