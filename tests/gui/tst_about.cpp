#include "MainFormFixture.h"

#include "app/Lang.h"
#include "RsUnits/RsSpacer.h"
#include "ui/About.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

// Takes the addresses the dialog hands to the desktop instead of opening a browser.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls << url; }
};

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void anchorColor_data();
    void anchorColor();
    void linkColourIsThePalettes();
    void layoutAndTexts();
    void linkBehaviour();
    void creditsBox();
    void enterAndEscapeClose_data();
    void enterAndEscapeClose();
    void openedByTheCommand();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAbout::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    SetProgramDirectory(m_dir->path());
    // The named texts (the button's) come with the main window's texts, read before any dialog.
    PrepareLanguage(ProgramDirectory(), QString());
    LoadMainFormTexts();
}

void TestAbout::cleanup()
{
    SetProgramDirectory(QString());
    m_dir.reset();
}

void TestAbout::anchorColor_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("color");
    QTest::newRow("three numbers") << u"0,102,204"_s << QColor(0, 102, 204);
    QTest::newRow("spaces too") << u" 10, 20 ,30 "_s << QColor(10, 20, 30);
    QTest::newRow("white space only") << u"10 20 30"_s << QColor(10, 20, 30);
    QTest::newRow("red not a number") << u"x,102,204"_s << QColor(0, 102, 204);
    QTest::newRow("green not a number") << u"5,x,204"_s << QColor(5, 0, 204);
    QTest::newRow("blue not a number") << u"5,6,x"_s << QColor(5, 6, 255);
    QTest::newRow("low byte of each") << u"256,257,-1"_s << QColor(0, 1, 255);
    QTest::newRow("a fourth part ignored") << u"1,2,3,4"_s << QColor(1, 2, 3);
    // Fewer than three parts: no setting at all, the default blue.
    QTest::newRow("two parts") << u"0,102"_s << QColor(0, 0, 255);
    QTest::newRow("one part") << u"200"_s << QColor(0, 0, 255);
    QTest::newRow("empty") << QString() << QColor(0, 0, 255);
    QTest::newRow("empty middle part") << u"1,,3"_s << QColor(0, 0, 255);
}

void TestAbout::anchorColor()
{
    QFETCH(QString, text);
    QFETCH(QColor, color);
    QCOMPARE(ParseAnchorColor(text), color);
}

void TestAbout::linkColourIsThePalettes()
{
    const QPalette saved = QGuiApplication::palette();
    QPalette p = saved;
    p.setColor(QPalette::Link, QColor(0, 102, 204));
    QGuiApplication::setPalette(p);
    TAboutForm form;
    QGuiApplication::setPalette(saved);
    QCOMPARE(form.FIEAnchorColor, QColor(0, 102, 204));
}

void TestAbout::layoutAndTexts()
{
    TAboutForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.windowTitle(), u"つみき！の バージョン じょーほー"_s);
    const double s = form.screen()->logicalDotsPerInchY() / 96.0;
    QCOMPARE(form.size(), QSize(qRound(382 * s), qRound(206 * s)));
    auto* title = form.findChild<QLabel*>(u"TitleLabel"_s);
    auto* version = form.findChild<QLabel*>(u"VersionLabel"_s);
    auto* author = form.findChild<QLabel*>(u"AuthorLabel"_s);
    auto* site = form.findChild<QLabel*>(u"WebSiteLabel"_s);
    auto* icon = form.findChild<QLabel*>(u"IconImage"_s);
    auto* ok = form.findChild<QPushButton*>(u"OKButton"_s);
    QVERIFY(title && version && author && site && icon && ok);
    QCOMPARE(title->text(), u"ファイル バックアップ ソフト つみき！"_s);
    QCOMPARE(author->text(), u"つくった ひと: つみき プロジェクト"_s);
    QCOMPARE(site->text(), u"「つみき プロジェクト」"_s);
    QCOMPARE(ok->text(), u"OK"_s);
    QVERIFY(version->text().startsWith(QString::fromLatin1(TSUMIKI_VERSION) + u".0 ("_s));
    // The title's font is one point larger than the dialog's.
    QCOMPARE(title->font().pointSizeF(), form.font().pointSizeF() + 1);
    QCOMPARE(form.font(), QApplication::font("QMenu"));
    QVERIFY(!icon->pixmap().isNull());
    QCOMPARE(icon->geometry(), QRect(qRound(8 * s), qRound(36 * s), qRound(48 * s), qRound(48 * s)));
    QVERIFY(ok->isDefault());
    // Labels taller than the 12-pixel line move up by half of what their font adds.
    const int line = qRound(12 * s);
    for (QLabel* label : {title, version, author, site}) {
        const int designedTop = label == title ? 8 : label == version ? 36 : label == author ? 56 : 76;
        const int expected = qRound(designedTop * s) +
                             (label->height() > line ? TMainForm::GetTextTopMargin(QFontMetrics(label->font()), line) : 0);
        QCOMPARE(label->y(), expected);
    }
    QVERIFY(title->y() < qRound(8 * s)); // a default font is taller than 12 pixels
    QCOMPARE(form.findChild<TRsSpacer*>(u"VSpacer"_s)->LineDirection(), ldVertical);
    QCOMPARE(form.findChild<TRsSpacer*>(u"HSpacer"_s)->LineShape(), lsSingle);
}

void TestAbout::linkBehaviour()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(u"file"_s, &catcher, "open");
    TAboutForm form;
    form.FIEAnchorColor = QColor(0, 102, 204);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* site = form.findChild<QLabel*>(u"WebSiteLabel"_s);
    const QColor normal = site->palette().color(QPalette::WindowText);
    QVERIFY(!site->font().underline());
    QVERIFY(site->toolTip().isEmpty());

    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), site->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(site, &enter);
    QCOMPARE(site->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(site->palette().color(QPalette::WindowText), QColor(0, 102, 204));
    QVERIFY(site->font().underline());
    const QString address = QUrl::fromLocalFile(m_dir->path() + u"/Help/index.html"_s).toString();
    QCOMPARE(TAboutForm::WebSiteAddress(), address);
    QCOMPARE(site->toolTip(), address);

    QTest::mouseClick(site, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(catcher.urls, QList<QUrl>{QUrl(address)});
    // A right click opens nothing.
    QTest::mouseClick(site, Qt::RightButton, {}, QPoint(2, 2));
    QCOMPARE(catcher.urls.size(), 1);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(site, &leave);
    QCOMPARE(site->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(site->palette().color(QPalette::WindowText), normal);
    QVERIFY(!site->font().underline());
    QVERIFY(site->toolTip().isEmpty());
    QDesktopServices::unsetUrlHandler(u"file"_s);
}

void TestAbout::creditsBox()
{
    TAboutForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* memo = form.findChild<QPlainTextEdit*>(u"CreditMemo"_s);
    const QString text = memo->toPlainText();
    QVERIFY(text.startsWith(u"つみき！は いかの コンポーネントや ユニットを つかっています。\n* Qt "_s +
                            QString::fromLatin1(qVersion())));
    for (const QString& part : {u"GNU Lesser General Public License"_s, u"* zlib"_s, u"* libpng"_s, u"* MD5 (RFC 1321)"_s})
        QVERIFY2(text.contains(part), qPrintable(part));
    QVERIFY(memo->isReadOnly());
    QCOMPARE(memo->frameShape(), QFrame::NoFrame);
    QVERIFY(!memo->testAttribute(Qt::WA_InputMethodEnabled));
    QCOMPARE(memo->palette().color(QPalette::Base), form.palette().color(QPalette::Button));

    // Tabbing into the box selects all of it.
    QVERIFY(!memo->hasFocus());
    QVERIFY(memo->textCursor().selectedText().isEmpty());
    for (int i = 0; i < 3 && !memo->hasFocus(); ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_VERIFY(memo->hasFocus());
    QCOMPARE(memo->textCursor().selectedText().size(), text.size());
    // Ctrl+A selects all again; Ctrl+Shift+A does not.
    QTextCursor c = memo->textCursor();
    c.clearSelection();
    memo->setTextCursor(c);
    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(memo->textCursor().selectedText().isEmpty());
    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(memo->textCursor().selectedText().size(), text.size());
    // No menu on a right click: the request is swallowed by the box.
    QCOMPARE(memo->contextMenuPolicy(), Qt::PreventContextMenu);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), memo->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(memo->viewport(), &menu);
    QVERIFY(!QApplication::activePopupWidget());
    // Enter makes no line break: it closes the dialog through its default button.
    QSignalSpy finished(&form, &QDialog::finished);
    QTest::keyClick(memo, Qt::Key_Return);
    QCOMPARE(memo->toPlainText(), text);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
}

void TestAbout::enterAndEscapeClose_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
}

void TestAbout::enterAndEscapeClose()
{
    QFETCH(int, key);
    TAboutForm form;
    QTimer::singleShot(0, &form, [&form, key] {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &form, Qt::Key(key));
    });
    QCOMPARE(form.exec(), int(QDialog::Accepted));
}

// The command opens the dialog over the window, modally, and it is gone once closed.
void TestAbout::openedByTheCommand()
{
    MainFormFixture f({});
    QVERIFY(f.open());
    QPointer<TAboutForm> seen;
    bool modal = false;
    QTimer::singleShot(0, f.form.get(), [&] {
        seen = qobject_cast<TAboutForm*>(QApplication::activeModalWidget());
        modal = seen && seen->isModal() && seen->parentWidget() == f.form.get();
        if (seen)
            seen->findChild<QPushButton*>(u"OKButton"_s)->click();
    });
    f.form->Action(u"ActHelpShowVersionInfo"_s)->trigger();
    QVERIFY(modal);
    QVERIFY(seen.isNull());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
