#include "RsUnits/RsHotkey.h"

#include <QContextMenuEvent>
#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

void press(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = {}, const QString& text = {})
{
    QKeyEvent e(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &e);
}

void release(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = {})
{
    QKeyEvent e(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(w, &e);
}

} // namespace

class TestRsHotKey : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void ctrlShiftS();
    void releasingAModifierFirstClears();
    void singleKeys_data();
    void singleKeys();
    void invalidModifiers();
    void losingActivationClears();
    void systemAndUnknownKeysClear();
    void tabIsAKeyAndCharactersAreDiscarded();
    void windowShortcutsDoNotFire();
    void changeEventAndCaret();

private:
    QDialog* m_window = nullptr;
    TRsHotKey* m_box = nullptr;
    QPushButton* m_next = nullptr;
};

void TestRsHotKey::init()
{
    m_window = new QDialog;
    auto* layout = new QVBoxLayout(m_window);
    m_box = new TRsHotKey(m_window);
    m_next = new QPushButton(u"next"_s, m_window);
    layout->addWidget(m_box);
    layout->addWidget(m_next);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_box->setFocus();
    QTRY_VERIFY(m_box->hasFocus());
}

void TestRsHotKey::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestRsHotKey::ctrlShiftS()
{
    QVERIFY(m_box->IsEmpty());
    press(m_box, Qt::Key_Control);
    QCOMPARE(m_box->text(), u"Ctrl + "_s);
    press(m_box, Qt::Key_Shift, Qt::ControlModifier);
    QCOMPARE(m_box->text(), u"Ctrl + Shift + "_s);
    press(m_box, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, u"\x13"_s);
    QCOMPARE(m_box->text(), u"Ctrl + Shift + S"_s);
    QCOMPARE(int(m_box->GetShortCut()), 0x6053);
    // Letting go after the main key keeps the combination.
    release(m_box, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    release(m_box, Qt::Key_Shift, Qt::ControlModifier);
    release(m_box, Qt::Key_Control);
    QCOMPARE(m_box->text(), u"Ctrl + Shift + S"_s);
    QCOMPARE(int(m_box->GetShortCut()), 0x6053);
    QVERIFY(!m_box->IsEmpty());
    m_box->Clear();
    QVERIFY(m_box->IsEmpty());
    QCOMPARE(int(m_box->GetShortCut()), 0);
}

void TestRsHotKey::releasingAModifierFirstClears()
{
    press(m_box, Qt::Key_Control);
    press(m_box, Qt::Key_Shift, Qt::ControlModifier);
    // An auto-repeated release (a held key on X11) is no release.
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier, QString(), true);
    QApplication::sendEvent(m_box, &repeat);
    QCOMPARE(m_box->text(), u"Ctrl + Shift + "_s);
    release(m_box, Qt::Key_Control, Qt::ShiftModifier);
    QVERIFY(m_box->IsEmpty());
    press(m_box, Qt::Key_S, Qt::ShiftModifier, u"S"_s);
    QCOMPARE(m_box->text(), u"Shift + S"_s);
    QCOMPARE(int(m_box->GetShortCut()), 0x2053);
}

void TestRsHotKey::singleKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mods");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("shortCut");
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << 0 << u"PgDn"_s << 0x22;
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << 0 << u"PgUp"_s << 0x21;
    QTest::newRow("Insert") << int(Qt::Key_Insert) << 0 << u"Ins"_s << 0x2D;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << 0 << u"Del"_s << 0x2E;
    QTest::newRow("F1") << int(Qt::Key_F1) << 0 << u"F1"_s << 0x70;
    QTest::newRow("Alt+F4") << int(Qt::Key_F4) << int(Qt::AltModifier) << u"Alt + F4"_s << 0x8073;
    QTest::newRow("Shift+1 arrives as !") << int(Qt::Key_Exclam) << int(Qt::ShiftModifier) << u"Shift + 1"_s << 0x2031;
    QTest::newRow("keypad 5") << int(Qt::Key_5) << int(Qt::KeypadModifier) << u"Num 5"_s << 0x65;
    QTest::newRow("Ctrl+Alt+Shift+T") << int(Qt::Key_T) << int(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)
                                      << u"Ctrl + Shift + Alt + T"_s << 0xE054;
}

void TestRsHotKey::singleKeys()
{
    QFETCH(int, key);
    QFETCH(int, mods);
    QFETCH(QString, text);
    QFETCH(int, shortCut);
    QTest::keyClick(m_box, Qt::Key(key), Qt::KeyboardModifiers(mods));
    QCOMPARE(m_box->text(), text);
    QCOMPARE(int(m_box->GetShortCut()), shortCut);
    QCOMPARE(m_box->cursorPosition(), int(text.size()));
}

void TestRsHotKey::invalidModifiers()
{
    m_box->SetInvalidModifiers(rmAlt);
    QTest::keyClick(m_box, Qt::Key_F, Qt::AltModifier);
    QCOMPARE(m_box->text(), u"F"_s);
    QCOMPARE(int(m_box->GetShortCut()), 0x46);
    QTest::keyClick(m_box, Qt::Key_F, Qt::AltModifier | Qt::ControlModifier);
    QCOMPARE(m_box->text(), u"Ctrl + F"_s);
}

void TestRsHotKey::losingActivationClears()
{
    press(m_box, Qt::Key_Control);
    QCOMPARE(m_box->text(), u"Ctrl + "_s);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QTRY_VERIFY(m_box->IsEmpty());

    // A whole combination stays when the window goes inactive.
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QTest::keyClick(m_box, Qt::Key_R, Qt::ControlModifier);
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(m_box->text(), u"Ctrl + R"_s);
}

void TestRsHotKey::systemAndUnknownKeysClear()
{
    QTest::keyClick(m_box, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(m_box, Qt::Key_Super_L);
    QVERIFY(m_box->IsEmpty());
    QTest::keyClick(m_box, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(m_box, Qt::Key_Menu);
    QVERIFY(m_box->IsEmpty());
    QTest::keyClick(m_box, Qt::Key_VolumeUp, Qt::ControlModifier);
    QVERIFY(m_box->IsEmpty());
    QCOMPARE(int(m_box->GetShortCut()), 0);
}

void TestRsHotKey::tabIsAKeyAndCharactersAreDiscarded()
{
    QTest::keyClick(m_box, Qt::Key_Tab);
    QVERIFY(m_box->hasFocus());
    QCOMPARE(m_box->text(), u"Tab"_s);
    QTest::keyClick(m_box, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(m_box->hasFocus());
    QCOMPARE(m_box->text(), u"Shift + Tab"_s);
    // Backspace is a key, not an edit.
    QTest::keyClick(m_box, Qt::Key_Backspace);
    QCOMPARE(m_box->text(), u"BkSp"_s);
    QTest::keyClick(m_box, Qt::Key_Backspace);
    QCOMPARE(m_box->text(), u"BkSp"_s);
    // A typed character shows as its key, never as text.
    QTest::keyClicks(m_box, u"ab"_s);
    QCOMPARE(m_box->text(), u"B"_s);
    QInputMethodEvent im;
    im.setCommitString(u"かな"_s);
    QApplication::sendEvent(m_box, &im);
    QCOMPARE(m_box->text(), u"B"_s);
    QVERIFY(!m_box->testAttribute(Qt::WA_InputMethodEnabled));
    // No context menu (and so no paste).
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(2, 2), m_box->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(m_box, &menu);
    QVERIFY(!QApplication::activePopupWidget());
}

void TestRsHotKey::windowShortcutsDoNotFire()
{
    auto* action = new QAction(m_window);
    action->setShortcut(QKeySequence(u"Ctrl+R"_s));
    m_window->addAction(action);
    QSignalSpy triggered(action, &QAction::triggered);
    QTest::keyClick(m_box, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(m_box->text(), u"Ctrl + R"_s);
    QCOMPARE(triggered.count(), 0);
    m_next->setFocus();
    QTRY_VERIFY(m_next->hasFocus());
    QTest::keyClick(m_next, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(triggered.count(), 1);
}

void TestRsHotKey::changeEventAndCaret()
{
    QSignalSpy changed(m_box, &TRsHotKey::OnChange);
    QTest::keyClick(m_box, Qt::Key_F11);
    QCOMPARE(changed.count(), 1);
    QTest::keyClick(m_box, Qt::Key_F11); // same text: no change
    QCOMPARE(changed.count(), 1);
    m_box->Clear();
    QCOMPARE(changed.count(), 2);
    QTest::keyClick(m_box, Qt::Key_F12);
    m_box->setCursorPosition(0);
    m_next->setFocus();
    QTRY_VERIFY(m_next->hasFocus());
    m_box->setFocus();
    QTRY_VERIFY(m_box->hasFocus());
    QCOMPARE(m_box->cursorPosition(), 3);
}

QTEST_MAIN(TestRsHotKey)
#include "tst_rshotkey.moc"
