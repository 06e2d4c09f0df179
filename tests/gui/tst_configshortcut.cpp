#include "MainFormFixture.h"

#include "app/Ini.h"
#include "app/Lang.h"
#include "RsUnits/RsEdit.h"
#include "RsUnits/RsGrid.h"
#include "RsUnits/RsHotkey.h"
#include "RsUnits/RsLogView.h"
#include "ui/ConfigShortcut.h"
#include "app/WindowKeys.h"

#include <QClipboard>

#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The dialog of an open main window, shown (not run modally) so the test drives it directly.
struct Dialog
{
    explicit Dialog(MainFormFixture& f)
        : form(f.form.get())
        , dialog(std::make_unique<TConfigShortcutForm>(f.form.get()))
    {
        f.boxes.clear(); // the window's own (no button pictures here)
        dialog->show();
        grid = dialog->findChild<TRsGrid*>(u"Grid001"_s);
        edit = dialog->findChild<TRsEdit*>(u"Edit001"_s);
        hotKey = dialog->findChild<TRsHotKey*>(u"HotKey001"_s);
        remove = dialog->findChild<QPushButton*>(u"Button001"_s);
        add = dialog->findChild<QPushButton*>(u"Button002"_s);
        close = dialog->findChild<QPushButton*>(u"Button003"_s);
    }
    int row(const QString& name) const { return dialog->ActList().IndexOfName(name); }
    void select(const QString& name) const
    {
        grid->SetRow(row(name));
        QCOMPARE(grid->Row(), row(name));
    }
    // Types the combination into the hot key box and presses the add button.
    void type(Qt::Key key, Qt::KeyboardModifiers mods = {}) const
    {
        hotKey->setFocus();
        QTest::keyClick(hotKey, key, mods);
    }
    TMainForm* form;
    std::unique_ptr<TConfigShortcutForm> dialog;
    TRsGrid* grid = nullptr;
    TRsEdit* edit = nullptr;
    TRsHotKey* hotKey = nullptr;
    QPushButton* remove = nullptr;
    QPushButton* add = nullptr;
    QPushButton* close = nullptr;
};

QString stored(const QString& key)
{
    return TIniFile(ShortcutKeyFileName()).ReadString(u"ShortCut"_s, key, u"<missing>"_s);
}

} // namespace

class TestConfigShortcut : public QObject
{
    Q_OBJECT

private slots:
    void listsEveryCommandButTheTray();
    void layoutAndPosition();
    void deleteWithConfirmation();
    void takenShortcutRefused();
    void assignThenOverwriteAsks();
    void windowKeysRefused_data();
    void windowKeysRefused();
    void freeKeyWorksInEveryPane();
    void logPaneCopies();
    void closeWritesFileAndPosition();
    void defaultsAfterDeletingTheFile();
    void fileReadAtCreation();
};

void TestConfigShortcut::listsEveryCommandButTheTray()
{
    MainFormFixture f({});
    QVERIFY(f.open());
    Dialog d(f);
    const TRsActList& list = d.dialog->ActList();
    const QList<QAction*>& actions = f.form->ActionList1;
    QCOMPARE(list.Count(), int(actions.size()) - 1);
    for (int i = 0; i < list.Count(); ++i) {
        QCOMPARE(list.Items(i)->Name, actions.at(i)->objectName());
        QVERIFY(!list.Items(i)->Caption.contains(u"(&"_s));
        QVERIFY(!list.Items(i)->Caption.isEmpty());
        QVERIFY2(!list.Items(i)->Category.isEmpty(), qPrintable(list.Items(i)->Name));
    }
    QCOMPARE(list.IndexOfName(u"ActPopMinimizeRestoreWindow"_s), -1);
    QCOMPARE(list.Items(0)->Category, u"ファイル"_s);
    QCOMPARE(list.Items(1)->Category, u"ファイル"_s);
    QCOMPARE(list.Items(0)->Caption, DeleteAccelerator(actions.at(0)->text()));
    QCOMPARE(list.Items(d.row(u"ActTaskListRunTaskList"_s))->Caption, u"タスク リストの じっこー"_s);
    QCOMPARE(d.grid->RowCount(), list.Count());
    QCOMPARE(d.grid->ColCount(), 2);
    // The first column fits the widest category; the second fills the rest.
    const QFontMetrics metrics(d.grid->font());
    QCOMPARE(d.grid->ColWidths(0), list.GetCategoryMaxWidth(metrics) + 8);
    QCOMPARE(d.grid->ColWidths(0) + d.grid->ColWidths(1) + 2 * d.grid->GridLineWidth(), d.grid->viewport()->width());
    QVERIFY(QTest::qWaitForWindowExposed(d.dialog.get()));
    // Both columns are in view: the category in the first, the caption in the second.
    QCOMPARE(d.grid->LeftCol(), 0);
    QCOMPARE(d.grid->TopRow(), 0);
    QCOMPARE(d.grid->CellRect(0, 0).left(), 0);
    QCOMPARE(d.grid->CellRect(1, 0).left(), d.grid->ColWidths(0) + d.grid->GridLineWidth());
    // A click on a caption selects its row and keeps both columns in view.
    const QRect cell = d.grid->CellRect(1, 8);
    QTest::mouseClick(d.grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(d.grid->Row(), 8);
    QCOMPARE(d.grid->LeftCol(), 0);
}

void TestConfigShortcut::layoutAndPosition()
{
    MainFormFixture f({});
    QVERIFY(f.open());
    Dialog d(f);
    QVERIFY(QTest::qWaitForWindowExposed(d.dialog.get()));
    const double s = d.dialog->screen()->logicalDotsPerInchY() / 96.0;
    QCOMPARE(d.dialog->windowTitle(), u"つみき！ - ショートカット キー"_s);
    QCOMPARE(d.dialog->size(), QSize(qRound(435 * s), qRound(389 * s)));
    QCOMPARE(d.dialog->pos(), QPoint(395, 302));
    QCOMPARE(d.grid->DefaultRowHeight(), qRound(24 * s));
    QCOMPARE(d.grid->height(), 10 * d.grid->DefaultRowHeight() + 10);
    QCOMPARE(d.remove->text(), u"さくじょ"_s);
    QCOMPARE(d.add->text(), u"ついか"_s);
    QCOMPARE(d.close->text(), u"とじる"_s);
    QVERIFY(d.edit->isReadOnly());
    QCOMPARE(d.edit->focusPolicy(), Qt::NoFocus);
    QCOMPARE(d.edit->FlatStyle(), rfsFlatNormal);
    QCOMPARE(d.hotKey->BorderStyle(), bsNone);
    // The first command, without a shortcut, is selected: nothing to delete or add.
    QCOMPARE(d.grid->Row(), 0);
    QVERIFY(d.edit->text().isEmpty());
    QVERIFY(!d.remove->isEnabled());
    QVERIFY(!d.add->isEnabled());
    d.type(Qt::Key_R, Qt::ControlModifier);
    QVERIFY(d.add->isEnabled());
}

void TestConfigShortcut::deleteWithConfirmation()
{
    MainFormFixture f({});
    QVERIFY(f.open());
    Dialog d(f);
    QAction* quitAll = f.form->Action(u"ActFileQuitAll"_s);
    QSignalSpy quitAllRuns(quitAll, &QAction::triggered);
    disconnect(quitAll, &QAction::triggered, f.form.get(), nullptr);
    d.select(u"ActFileQuitAll"_s);
    emit d.grid->clicked(d.grid);
    QCOMPARE(d.edit->text(), u"Ctrl + Q"_s);
    QVERIFY(d.remove->isEnabled());

    f.boxes.enqueueAnswer(TMsgDlgResult::Cancel);
    d.remove->click();
    QCOMPARE(f.boxes.count(), 1);
    QCOMPARE(f.boxes.last().type, TMsgDlgType::Confirmation);
    QCOMPARE(f.boxes.last().buttons, TMsgDlgButtons::OKCancel);
    QCOMPARE(f.boxes.last().owner, d.dialog.get());
    QCOMPARE(f.boxes.last().text,
             FormatLangText(MsgConfirmDeleteItem, u"Ctrl+Q (ファイル: すべての つみき！を しゅーりょー)"_s) + u"\n\n"_s +
                 MsgConfirmOKCancel);
    QCOMPARE(quitAll->shortcut(), QKeySequence(u"Ctrl+Q"_s));

    d.remove->click();
    QCOMPARE(f.boxes.count(), 2);
    QVERIFY(d.edit->text().isEmpty());
    QVERIFY(!d.remove->isEnabled());
    QVERIFY(quitAll->shortcut().isEmpty());
    d.dialog->hide();
    f.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    QTest::keyClick(f.form.get(), Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(quitAllRuns.count(), 0);
}

void TestConfigShortcut::takenShortcutRefused()
{
    MainFormFixture f({});
    QVERIFY(f.open());
    Dialog d(f);
    d.select(u"ActTaskListRunTaskList"_s);
    d.type(Qt::Key_F1);
    QCOMPARE(d.hotKey->text(), u"F1"_s);
    d.add->click();
    QCOMPARE(f.boxes.count(), 1);
    QCOMPARE(f.boxes.last().type, TMsgDlgType::Warning);
    QCOMPARE(f.boxes.last().text, FormatLangText(MsgWarnSameItemExists, u"F1 (ヘルプ: ヘルプ)"_s) + u"\n\n"_s + MsgWarnExit);
    QVERIFY(d.hotKey->IsEmpty());
    QVERIFY(f.form->Action(u"ActTaskListRunTaskList"_s)->shortcut().isEmpty());
    // The command that has it cannot be given it again either.
    d.select(u"ActHelpShowHelp"_s);
    d.type(Qt::Key_F1);
    d.add->click();
    QCOMPARE(f.boxes.count(), 2);
    QCOMPARE(f.boxes.last().type, TMsgDlgType::Warning);
}

void TestConfigShortcut::assignThenOverwriteAsks()
{
    MainFormFixture f({});
    QVERIFY(f.open());
    Dialog d(f);
    QAction* run = f.form->Action(u"ActTaskListRunTaskList"_s);
    d.select(u"ActTaskListRunTaskList"_s);
    d.type(Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    d.add->click();
    QCOMPARE(f.boxes.count(), 0); // no question for a command without a shortcut
    QCOMPARE(run->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    QCOMPARE(d.edit->text(), u"Shift + Ctrl + T"_s);
    QVERIFY(d.hotKey->IsEmpty());
    QVERIFY(!d.add->isEnabled());

    d.type(Qt::Key_R, Qt::ControlModifier);
    f.boxes.enqueueAnswer(TMsgDlgResult::Cancel);
    d.add->click();
    QCOMPARE(f.boxes.count(), 1);
    QCOMPARE(f.boxes.last().text, FormatLangText(MsgConfirmOverwriteItem, u"Shift+Ctrl+T (タスク リスト: タスク リストの じっこー)"_s) +
                                      u"\n\n"_s + MsgConfirmOKCancel);
    QVERIFY(d.hotKey->IsEmpty());
    QCOMPARE(run->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));

    d.type(Qt::Key_R, Qt::ControlModifier);
    d.add->click();
    QCOMPARE(f.boxes.count(), 2);
    QCOMPARE(run->shortcut(), QKeySequence(u"Ctrl+R"_s));
    QCOMPARE(d.edit->text(), u"Ctrl + R"_s);
}

void TestConfigShortcut::windowKeysRefused_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mods");
    QTest::addColumn<QString>("text");
    QTest::newRow("Ctrl+A: log select-all") << int(Qt::Key_A) << int(Qt::ControlModifier) << u"Ctrl+A"_s;
    QTest::newRow("Ctrl+C: log copy") << int(Qt::Key_C) << int(Qt::ControlModifier) << u"Ctrl+C"_s;
    QTest::newRow("Down: grids") << int(Qt::Key_Down) << 0 << u"Down"_s;
    QTest::newRow("PgDn: grids") << int(Qt::Key_PageDown) << 0 << u"PgDn"_s;
    QTest::newRow("Space: task grid") << int(Qt::Key_Space) << 0 << u"Space"_s;
    QTest::newRow("Shift+Space: log page up") << int(Qt::Key_Space) << int(Qt::ShiftModifier) << u"Shift+Space"_s;
    QTest::newRow("Home: log top") << int(Qt::Key_Home) << 0 << u"Home"_s;
    QTest::newRow("Tab: panes") << int(Qt::Key_Tab) << 0 << u"Tab"_s;
}

// A key a pane keeps for itself is refused like a taken one, naming what the pane does with it,
// so it is never silently swallowed by the pane or taken from it.
void TestConfigShortcut::windowKeysRefused()
{
    QFETCH(int, key);
    QFETCH(int, mods);
    QFETCH(QString, text);
    MainFormFixture f({});
    QVERIFY(f.open());
    Dialog d(f);
    d.select(u"ActTaskListRunTaskList"_s);
    d.type(Qt::Key(key), Qt::KeyboardModifiers(mods));
    QVERIFY(!d.hotKey->IsEmpty());
    d.add->click();
    QCOMPARE(f.boxes.count(), 1);
    QCOMPARE(f.boxes.last().type, TMsgDlgType::Warning);
    QVERIFY2(f.boxes.last().text.contains(u'[' + text + u" ("_s), qPrintable(f.boxes.last().text));
    QVERIFY(d.hotKey->IsEmpty());
    QVERIFY(f.form->Action(u"ActTaskListRunTaskList"_s)->shortcut().isEmpty());
    // With a modifier more the key is free.
    d.type(Qt::Key(key), Qt::KeyboardModifiers(mods) | Qt::AltModifier);
    d.add->click();
    QCOMPARE(f.boxes.count(), 1);
    QVERIFY(!f.form->Action(u"ActTaskListRunTaskList"_s)->shortcut().isEmpty());
}

// A shortcut that is allowed reaches its command from every pane of the window.
void TestConfigShortcut::freeKeyWorksInEveryPane()
{
    MainFormFixture f({{u"A"_s, {{u"/nonexistent/a"_s, u"/nonexistent/b"_s}}}});
    QVERIFY(f.open());
    {
        Dialog d(f);
        d.select(u"ActTaskListRunTaskList"_s);
        d.type(Qt::Key_R, Qt::ControlModifier);
        d.add->click();
        d.close->click();
    }
    QAction* run = f.form->Action(u"ActTaskListRunTaskList"_s);
    disconnect(run, &QAction::triggered, f.form.get(), nullptr);
    QSignalSpy runs(run, &QAction::triggered);
    f.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    int expected = 0;
    for (const char* pane : {"Grid101", "Grid201", "Memo301"}) {
        auto* w = f.child<QWidget>(pane);
        w->setFocus();
        QTRY_VERIFY(w->hasFocus());
        QTest::keyClick(w, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(runs.count(), ++expected);
    }
    // In the log pane a Ctrl arrow, which only repeats the plain arrow's scrolling, goes to the command.
    SetActionShortCut(run, scCtrl | 0x28);
    QTest::keyClick(f.child<QWidget>("Memo301"), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(runs.count(), ++expected);
}

// The log pane's copy keys are among the kept ones because the pane does copy with them.
void TestConfigShortcut::logPaneCopies()
{
    MainFormFixture f({});
    QVERIFY(f.open());
    auto* memo = f.child<TRsLogView>("Memo301");
    memo->appendLine(u"ろぐ");
    memo->setFocus();
    QTRY_VERIFY(memo->hasFocus());
    for (const QKeyCombination key : {QKeyCombination(Qt::ControlModifier, Qt::Key_C),
                                      QKeyCombination(Qt::ControlModifier, Qt::Key_Insert)}) {
        QGuiApplication::clipboard()->clear();
        memo->selectAll();
        QTest::keyClick(memo, key.key(), key.keyboardModifiers());
        QCOMPARE(QGuiApplication::clipboard()->text(), u"ろぐ"_s);
        QVERIFY(!WindowKeyUse(ShortCutFromKeyCombination(key)).isEmpty());
    }
}

void TestConfigShortcut::closeWritesFileAndPosition()
{
    MainFormFixture f({});
    QVERIFY(f.open());
    {
        Dialog d(f);
        QVERIFY(QTest::qWaitForWindowExposed(d.dialog.get()));
        d.dialog->move(123, 145);
        d.select(u"ActTaskListRunTaskList"_s);
        d.type(Qt::Key_R, Qt::ControlModifier);
        d.add->click();
        QVERIFY(!QFile::exists(ShortcutKeyFileName()));
        d.close->click();
        QCOMPARE(d.dialog->result(), int(QDialog::Accepted));
    }
    QCOMPARE(stored(u"ActTaskListRunTaskList"_s), u"82,Ctrl+"_s);
    QCOMPARE(stored(u"ActFileQuit"_s), u"0,"_s);
    QCOMPARE(stored(u"ActFileQuitAll"_s), u"81,Ctrl+"_s);
    QCOMPARE(stored(u"ActHelpShowHelp"_s), u"112,"_s);
    QCOMPARE(stored(u"ActPopMinimizeRestoreWindow"_s), u"<missing>"_s);
    const TIniFile ini(ShortcutKeyFileName());
    QCOMPARE(ini.ReadSection(u"ShortCut"_s).size(), f.form->ActionList1.size() - 1);
    QCOMPARE(ini.ReadSection(u"ShortCut"_s).first(), u"ActFileQuit"_s);
    const TDialogPosition pos = LoadDialogPosition(u"ConfigShortcutForm"_s, {});
    QCOMPARE(QPoint(pos.Left, pos.Top), QPoint(123, 145));
    // The settings file keeps its other sections.
    QVERIFY(TIniFile(SettingsFileName()).SectionExists(u"TaskListManager"_s));

    // Opened again, the dialog comes back where it was.
    Dialog again(f);
    QCOMPARE(again.dialog->pos(), QPoint(123, 145));
    again.dialog->reject(); // Escape and the close box write the file too
    QCOMPARE(stored(u"ActTaskListRunTaskList"_s), u"82,Ctrl+"_s);
}

void TestConfigShortcut::defaultsAfterDeletingTheFile()
{
    MainFormFixture f({});
    QVERIFY(testsupport::writeBytes(ShortcutKeyFileName(), testsupport::utf16leWithBom(
        u"[ShortCut]\r\nActFileQuitAll=0,\r\nActHelpShowHelp=0,\r\nActFileQuit=81,Ctrl+\r\n"_s)));
    QVERIFY(f.open());
    QVERIFY(f.form->Action(u"ActFileQuitAll"_s)->shortcut().isEmpty());
    QVERIFY(f.form->Action(u"ActHelpShowHelp"_s)->shortcut().isEmpty());
    QCOMPARE(f.form->Action(u"ActFileQuit"_s)->shortcut(), QKeySequence(u"Ctrl+Q"_s));
    f.form.reset();
    QCOMPARE(stored(u"ActFileQuit"_s), u"81,Ctrl+"_s); // written again at exit
    QVERIFY(QFile::remove(ShortcutKeyFileName()));
    QVERIFY(f.open());
    QCOMPARE(f.form->Action(u"ActFileQuitAll"_s)->shortcut(), QKeySequence(u"Ctrl+Q"_s));
    QCOMPARE(f.form->Action(u"ActHelpShowHelp"_s)->shortcut(), QKeySequence(u"F1"_s));
    QVERIFY(f.form->Action(u"ActFileQuit"_s)->shortcut().isEmpty());
    f.form.reset();
    QCOMPARE(stored(u"ActFileQuitAll"_s), u"81,Ctrl+"_s);
}

void TestConfigShortcut::fileReadAtCreation()
{
    MainFormFixture f({});
    QVERIFY(testsupport::writeBytes(ShortcutKeyFileName(), testsupport::utf16leWithBom(
        u"[ShortCut]\r\nActTaskListRunTaskList=81,Alt+Ctrl+\r\nActTaskAddTask=65,Ctrl+\r\n"
        u"ActTaskRunTask=300,Ctrl+\r\nActFileQuitAll=abc,Ctrl+\r\nActTaskTestTask=84\r\n"_s)));
    QVERIFY(f.open());
    QCOMPARE(f.form->Action(u"ActTaskListRunTaskList"_s)->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Q));
    // Ctrl+A belongs to the log pane: not taken from the file.
    QVERIFY(f.form->Action(u"ActTaskAddTask"_s)->shortcut().isEmpty());
    QVERIFY(f.form->Action(u"ActTaskRunTask"_s)->shortcut().isEmpty());
    QCOMPARE(f.form->Action(u"ActFileQuitAll"_s)->shortcut(), QKeySequence(u"Ctrl+Q"_s));
    QCOMPARE(f.form->Action(u"ActTaskTestTask"_s)->shortcut(), QKeySequence(Qt::Key_T));
}

QTEST_MAIN(TestConfigShortcut)
#include "tst_configshortcut.moc"
