// The message box as the user meets it: default button, Escape, the close box, caption and owner.

#include "ui/MsgDialogWidgets.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Runs action on the message box once it is open.
void whenBoxOpens(std::function<void(QMessageBox*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(box);
        }
    });
    timer->start();
}

} // namespace

class TestMsgDialogWidgets : public QObject
{
    Q_OBJECT

private slots:
    void closing_data()
    {
        QTest::addColumn<bool>("withCancel");
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("ok");

        QTest::newRow("OK: Enter") << false << u"enter"_s << true;
        QTest::newRow("OK: Escape") << false << u"escape"_s << true;
        QTest::newRow("OK: close box") << false << u"close"_s << false;
        QTest::newRow("OK/Cancel: Enter") << true << u"enter"_s << true;
        QTest::newRow("OK/Cancel: Escape") << true << u"escape"_s << false;
        QTest::newRow("OK/Cancel: close box") << true << u"close"_s << false;
        QTest::newRow("OK/Cancel: click Cancel") << true << u"cancel"_s << false;
    }

    void closing()
    {
        QFETCH(bool, withCancel);
        QFETCH(QString, how);
        QString caption;
        QString text;
        int buttonCount = 0;
        whenBoxOpens([&](QMessageBox* box) {
            caption = box->windowTitle();
            text = box->text();
            buttonCount = int(box->buttons().size());
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Ok));
            if (how == u"enter"_s)
                QTest::keyClick(box, Qt::Key_Return);
            else if (how == u"escape"_s)
                QTest::keyClick(box, Qt::Key_Escape);
            else if (how == u"cancel"_s)
                box->button(QMessageBox::Cancel)->click();
            else
                box->close();
        });
        TMsgDialogWidgetsPresenter presenter;
        const TMsgDlgResult result =
            presenter.present(u"つみき！ [おしらせ]"_s, u"[a] を さくじょ します"_s, TMsgDlgType::Confirmation,
                              withCancel ? TMsgDlgButtons::OKCancel : TMsgDlgButtons::OK, nullptr);
        QFETCH(bool, ok);
        QCOMPARE(result == TMsgDlgResult::OK, ok);
        QCOMPARE(caption, u"つみき！ [おしらせ]"_s);
        QCOMPARE(text, u"[a] を さくじょ します"_s);
        QCOMPARE(buttonCount, withCancel ? 2 : 1);
    }

    void ownerWindowIsParent()
    {
        QWidget owner;
        auto* child = new QWidget(&owner);
        owner.resize(400, 300);
        owner.show();
        QWidget* parent = nullptr;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenBoxOpens([&](QMessageBox* box) {
            parent = box->parentWidget();
            icon = box->icon();
            box->accept();
        });
        TMsgDialogWidgetsPresenter presenter;
        presenter.present(u"c"_s, u"t"_s, TMsgDlgType::Error, TMsgDlgButtons::OK, child);
        QCOMPARE(parent, &owner);
        QCOMPARE(icon, QMessageBox::Critical);
    }

    void textIsNotMarkup()
    {
        Qt::TextFormat format = Qt::AutoText;
        whenBoxOpens([&](QMessageBox* box) {
            format = box->textFormat();
            box->accept();
        });
        TMsgDialogWidgetsPresenter presenter;
        presenter.present(u"c"_s, u"<b>[x]</b>"_s, TMsgDlgType::Warning, TMsgDlgButtons::OK, nullptr);
        QCOMPARE(format, Qt::PlainText);
    }
};

QTEST_MAIN(TestMsgDialogWidgets)
#include "tst_msgdialogwidgets.moc"
