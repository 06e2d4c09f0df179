#include "ui/ConfigDialog.h"

#include "RsUnits/RsEdit.h"
#include "RsUnits/RsSpacer.h"
#include "ui/DialogLook.h"
#include "ui/Main.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;

TConfigDialog::TConfigDialog(TMainForm& mainForm, const QString& name, QPoint designed, int clientWidth,
                             int clientHeight)
    : QDialog(&mainForm)
    , m_mainForm(mainForm)
    , m_designed(designed)
{
    setObjectName(name);
    m_dpi = ScreenDpi(&mainForm);
    setFont(QApplication::font());
    SetFixedDialogFrame(this);
    setFixedSize(Scaled(clientWidth), Scaled(clientHeight));
}

int TConfigDialog::Scaled(int size) const
{
    return TMainForm::ScaleDesignSize(size, m_dpi);
}

void TConfigDialog::Place(QWidget* control, int left, int top, int width, int height) const
{
    const int h = height > 0 ? Scaled(height) : control->height();
    control->setGeometry(Scaled(left), Scaled(top), width > 0 ? Scaled(width) : control->width(), h);
}

QLabel* TConfigDialog::MakeLabel(QWidget* parent, const QString& name, int left, int top)
{
    QLabel* label = MakePlainLabel(parent, name);
    label->move(Scaled(left), Scaled(top));
    return label;
}

TRsEdit* TConfigDialog::MakeEdit(QWidget* parent, const QString& name, int left, int top, int width)
{
    auto* edit = new TRsEdit(parent);
    edit->setObjectName(name);
    edit->SetBorderStyle(bsNone);
    edit->SetFlatStyle(rfsFlatNormal);
    edit->SetDefaultContextMenuEnabled(true);
    Place(edit, left, top, width, 23);
    return edit;
}

TRsEdit* TConfigDialog::MakeReadOnlyEdit(QWidget* parent, const QString& name, int left, int top, int width)
{
    auto* edit = new TRsEdit(parent);
    edit->setObjectName(name);
    edit->SetBorderStyle(bsNone);
    edit->setReadOnly(true);
    edit->SetDefaultContextMenuEnabled(true);
    edit->SetColor(palette().color(QPalette::Window));
    Place(edit, left, top, width, 23);
    return edit;
}

QCheckBox* TConfigDialog::MakeCheckBox(QWidget* parent, const QString& name, int left, int top, int width)
{
    auto* box = new QCheckBox(parent);
    box->setObjectName(name);
    Place(box, left, top, width > 0 ? width : 360, 17);
    return box;
}

QPushButton* TConfigDialog::MakeButton(QWidget* parent, const QString& name, int left, int top, int width, int height)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    Place(button, left, top, width, height);
    return button;
}

TRsSpacer* TConfigDialog::MakeDoubleLine(QWidget* parent, const QString& name, int left, int top, int width)
{
    auto* spacer = new TRsSpacer(parent);
    spacer->setObjectName(name);
    spacer->SetLineShape(lsDouble);
    spacer->SetLineDirection(ldHorizontal);
    Place(spacer, left, top, width, 2);
    return spacer;
}

QPushButton* TConfigDialog::MakeCloseButton(const QString& name, int left, int top)
{
    QPushButton* button = MakeButton(this, name, left, top, 90, 21);
    button->setDefault(true);
    connect(button, &QPushButton::clicked, this, &QWidget::close);
    return button;
}

void TConfigDialog::ApplyTexts(const TDialogTexts& texts, const QString& caption)
{
    setWindowTitle(ApplicationTitle + u" - "_s + caption);
    for (auto it = texts.captions.cbegin(); it != texts.captions.cend(); ++it) {
        QWidget* control = findChild<QWidget*>(it.key());
        if (auto* label = qobject_cast<QLabel*>(control)) {
            label->setText(it.value());
            label->adjustSize();
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            button->setText(it.value());
        } else if (control) {
            control->setProperty("title", it.value());
        }
    }
}

void TConfigDialog::LoadPosition()
{
    const TDialogPosition stored = LoadDialogPosition(objectName(), {m_designed.x(), m_designed.y()});
    QPoint pos(stored.Left, stored.Top);
    // A position from a screen that is no longer there would leave the dialog out of reach.
    const QRect frame(pos, frameGeometry().size());
    if (!QGuiApplication::screenAt(frame.topLeft()) && !QGuiApplication::screenAt(frame.center())) {
        const QRect owner = m_mainForm.frameGeometry();
        pos = owner.center() - QPoint(frame.width() / 2, frame.height() / 2);
    }
    move(pos);
}

void TConfigDialog::Finish()
{
    if (m_closing)
        return;
    m_closing = true;
    FormAbandon();
}

void TConfigDialog::showEvent(QShowEvent* event)
{
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TConfigDialog::closeEvent(QCloseEvent* event)
{
    if (m_closing || !FormClose()) {
        event->ignore();
        return;
    }
    m_closing = true;
    SaveDialogPosition(objectName(), {pos().x(), pos().y()}, this);
    QGuiApplication::inputMethod()->reset();
    event->accept();
    QDialog::done(QDialog::Accepted);
    // Keyboard input goes back to the window, also where no window manager hands it back.
    m_mainForm.activateWindow();
}

void TConfigDialog::reject()
{
    // Escape closes like the close button: the edit is applied.
    close();
}

void TConfigDialog::done(int)
{
    close();
}
