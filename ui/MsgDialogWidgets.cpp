#include "ui/MsgDialogWidgets.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Tells a close through the window frame apart from a button or the Escape key: such a close
// counts as Cancel even when the box only has OK.
class TMsgBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;
    bool closedByWindow() const { return m_closedByWindow; }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        m_closedByWindow = true;
        QMessageBox::closeEvent(event);
    }

private:
    bool m_closedByWindow = false;
};

QMessageBox::Icon iconOf(TMsgDlgType type)
{
    switch (type) {
    case TMsgDlgType::Warning:
        return QMessageBox::Warning;
    case TMsgDlgType::Error:
        return QMessageBox::Critical;
    case TMsgDlgType::Information:
        return QMessageBox::Information;
    case TMsgDlgType::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

TMsgDlgResult TMsgDialogWidgetsPresenter::present(const QString& caption, const QString& text, TMsgDlgType type,
                                                  TMsgDlgButtons buttons, QObject* owner)
{
    // A parent widget centres the box over its window.
    QWidget* parent = qobject_cast<QWidget*>(owner);
    TMsgBox box(iconOf(type), caption, text, QMessageBox::NoButton, parent ? parent->window() : nullptr);
    box.setTextFormat(Qt::PlainText);
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    QPushButton* cancel = buttons == TMsgDlgButtons::OKCancel ? box.addButton(QMessageBox::Cancel) : nullptr;
    box.setDefaultButton(ok);
    box.setEscapeButton(cancel ? cancel : ok);
    box.exec();
    if (box.closedByWindow() || box.clickedButton() != ok)
        return TMsgDlgResult::Cancel;
    return TMsgDlgResult::OK;
}
