#pragma once

#include <QColor>
#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class TRsSpacer;

// The version information dialog: the program's icon, title, product version, author, a link to
// the program's help page and the credits of what this build uses. Modal; Enter and Escape close it.
class TAboutForm : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutForm(QWidget* owner = nullptr);

    // The link colour, read when the dialog is created.
    QColor FIEAnchorColor;

    // The address the link opens and shows as its tooltip: the program's own help page.
    static QString WebSiteAddress();

    // Escape closes the dialog like its button: the result is always Accepted.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void WebSiteLabelClick();
    void WebSiteLabelMouseEnter();
    void WebSiteLabelMouseLeave();
    void CreditMemoEnter();
    bool CreditMemoKeyDown(int key, Qt::KeyboardModifiers shift);
    void AdjustLabelTops();
    int Scaled(int size) const;

    QLabel* TitleLabel = nullptr;
    QLabel* IconImage = nullptr;
    TRsSpacer* VSpacer = nullptr;
    QLabel* VersionLabel = nullptr;
    QLabel* AuthorLabel = nullptr;
    QLabel* WebSiteLabel = nullptr;
    TRsSpacer* HSpacer = nullptr;
    QPlainTextEdit* CreditMemo = nullptr;
    QPushButton* OKButton = nullptr;
    double m_dpi = 96.0;
};

// The link colour: the palette's link colour of the desktop.
QColor GetIEAnchorColor();
// A colour written "red,green,blue" (commas or white space between the parts). A part that is not
// an integer counts as 0 for red and green and 255 for blue; each part keeps its low byte. A text
// with fewer than three parts (an empty one included) is no colour setting at all and gives the
// default link blue, 0,0,255.
QColor ParseAnchorColor(const QString& text);
// The credits block that follows the language text in the credits box: one entry per component
// this build uses.
QString CreditsBlock();
