// The task list dialog, driven through the commands that open it.

#include "DialogDriver.h"
#include "MainFormFixture.h"

#include "RsUnits/RsEdit.h"
#include "RsUnits/RsGrid.h"
#include "app/Ini.h"
#include "app/Lang.h"
#include "ui/Config101.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

template <typename T>
T* control(QDialog* dialog, const char* name)
{
    return dialog->findChild<T*>(QString::fromLatin1(name));
}

TRsEdit* nameEdit(QDialog* dialog)
{
    return control<TRsEdit>(dialog, "Edit101");
}

// Opens the dialog with the command, lets act work on it, and returns after the command.
void runCommand(MainFormFixture& f, const char* action, const std::function<void(QDialog*)>& act)
{
    onModalDialog(act);
    f.form->Action(QString::fromLatin1(action))->trigger();
}

// Sets the name field and closes the dialog as its button does.
void nameAndClose(QDialog* dialog, const QString& name)
{
    nameEdit(dialog)->setText(name);
    control<QPushButton>(dialog, "Button101")->click();
}

bool exists(const MainFormFixture& f, const QString& name)
{
    return QFile::exists(f.path(name));
}

void touch(const MainFormFixture& f, const QString& name)
{
    QFile file(f.path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

} // namespace

class TestConfig101 : public QObject
{
    Q_OBJECT

private slots:
    void addListWritesItsFile();
    void addWithEmptyNameLeavesNothing();
    void rename_data();
    void rename();
    void clearedNameConfirmed();
    void clearedNameCancelled();
    void nameRefused_data();
    void nameRefused();
    void failedWriteDeletesNothing();
    void saveLogDependencyAndDatedName();
    void controlsTextsAndPlaces();
    void positionKept();
    void closingWithoutChangeRewrites();
    void runEndedWithoutCloseDropsEmptyNewList();
};

void TestConfig101::addListWritesItsFile()
{
    MainFormFixture f({{u"Weekly"_s, {}}});
    QVERIFY(f.open());
    f.boxes.clear(); // the missing button strip's message
    QString caption;
    runCommand(f, "ActTaskListAddTaskList", [&](QDialog* d) {
        caption = d->windowTitle();
        nameAndClose(d, u"Daily"_s);
    });
    QCOMPARE(caption, ApplicationTitle + u" - "_s + AddTaskListCaption);
    QCOMPARE(f.form->AManager.Count(), 2);
    QCOMPARE(f.form->AManager[1]->TaskListName(), u"Daily"_s);
    QVERIFY(exists(f, u"Daily.ini"_s));
    QCOMPARE(f.child<TRsGrid>("Grid101")->RowCount(), 3);
    QCOMPARE(f.child<TRsGrid>("Grid101")->Row(), 2);
    QCOMPARE(f.form->windowTitle(), ApplicationTitle + u" - Daily"_s);
    QCOMPARE(f.boxes.count(), 0);
}

void TestConfig101::addWithEmptyNameLeavesNothing()
{
    MainFormFixture f({{u"Weekly"_s, {}}, {u"Monthly"_s, {}}});
    QVERIFY(f.open());
    f.boxes.clear(); // the missing button strip's message
    const QStringList before = QDir(f.dir->path()).entryList(QDir::Files);
    runCommand(f, "ActTaskListAddTaskList", [&](QDialog* d) { nameAndClose(d, QString()); });
    QCOMPARE(f.form->AManager.Count(), 2);
    QCOMPARE(f.child<TRsGrid>("Grid101")->RowCount(), 3);
    QCOMPARE(f.child<TRsGrid>("Grid101")->Row(), 1);
    QCOMPARE(f.boxes.count(), 0);
    // Only the dialog's position went into the settings file.
    QCOMPARE(QDir(f.dir->path()).entryList(QDir::Files), before);
}

void TestConfig101::rename_data()
{
    QTest::addColumn<QString>("newName");
    QTest::newRow("another name") << u"Weekly"_s;
    QTest::newRow("letter case only") << u"daily"_s;
}

void TestConfig101::rename()
{
    QFETCH(QString, newName);
    MainFormFixture f({{u"Daily"_s, {{u"/s/"_s, u"/d/"_s}}}});
    touch(f, u"Daily.log"_s);
    touch(f, u"Daily20161013.log"_s);
    QVERIFY(f.open());
    f.boxes.clear(); // the missing button strip's message
    runCommand(f, "ActTaskListConfigTaskList", [&](QDialog* d) { nameAndClose(d, newName); });
    QVERIFY(exists(f, newName + u".ini"_s));
    QVERIFY(!exists(f, u"Daily.ini"_s));
    QVERIFY(!exists(f, u"Daily.log"_s));
    QVERIFY(exists(f, u"Daily20161013.log"_s));
    QCOMPARE(f.form->AManager[0]->TaskListName(), newName);
    TRsTaskList written;
    QVERIFY(written.LoadFromFile(f.path(newName + u".ini"_s)));
    QCOMPARE(written.Count(), 1);
    QCOMPARE(f.boxes.count(), 0);
}

void TestConfig101::clearedNameConfirmed()
{
    MainFormFixture f({{u"Daily"_s, {}}, {u"Weekly"_s, {}}});
    touch(f, u"Daily.log"_s);
    QVERIFY(f.open());
    f.boxes.clear(); // the missing button strip's message
    runCommand(f, "ActTaskListConfigTaskList", [&](QDialog* d) { nameAndClose(d, QString()); });
    QCOMPARE(f.boxes.count(), 1);
    QCOMPARE(f.boxes.last().type, TMsgDlgType::Confirmation);
    QCOMPARE(f.boxes.last().text, u"[Daily] を さくじょ します\n\nよろしーですか？"_s);
    QVERIFY(!exists(f, u"Daily.ini"_s));
    QVERIFY(!exists(f, u"Daily.log"_s));
    QVERIFY(exists(f, u"Weekly.ini"_s));
    QCOMPARE(f.form->AManager.Count(), 1);
    QCOMPARE(f.child<TRsGrid>("Grid101")->RowCount(), 2);
}

void TestConfig101::clearedNameCancelled()
{
    MainFormFixture f({{u"Daily"_s, {}}});
    QVERIFY(f.open());
    f.boxes.clear(); // the missing button strip's message
    f.boxes.enqueueAnswer(TMsgDlgResult::Cancel);
    bool stayed = false;
    QString restored;
    runCommand(f, "ActTaskListConfigTaskList", [&](QDialog* d) {
        nameAndClose(d, QString());
        stayed = d->isVisible();
        restored = nameEdit(d)->text();
        d->close();
    });
    QVERIFY(stayed);
    QCOMPARE(restored, u"Daily"_s);
    QCOMPARE(f.form->AManager.Count(), 1);
    QCOMPARE(f.form->AManager[0]->TaskListName(), u"Daily"_s);
    QVERIFY(exists(f, u"Daily.ini"_s));
}

void TestConfig101::nameRefused_data()
{
    // expected: the whole warning, or (for a shared file) the clashing file it must name.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    const auto invalid = [](const QString& name) {
        return u"["_s + name + u"] には ファイル めーとして つかえない もじが あります\n\n"_s + GetInvalidFileNameCharsText();
    };
    const QList<std::pair<const char*, QString>> invalidNames = {
        {"slash", u"a/b"_s},
        {"tab", u"a\tb"_s},
        {"colon", u"x:y"_s},
        {"control", QString(u"a"_s + QChar(0x01))},
        {"lone surrogate", QString(u"a"_s + QChar(0xD800))},
    };
    for (const auto& [row, name] : invalidNames)
        QTest::newRow(row) << name << invalid(name);
    QTest::newRow("another list in other case") << u"WEEKLY"_s << u"Weekly.ini"_s;
    QTest::newRow("the settings file") << u"Tsumiki"_s << u"tsumiki.ini"_s;
    QTest::newRow("the shortcut key file") << u"TSUMIKIKEY"_s << u"tsumikiKey.ini"_s;
}

void TestConfig101::nameRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    MainFormFixture f({{u"Daily"_s, {{u"/s/"_s, u"/d/"_s}}}, {u"Weekly"_s, {{u"/w/"_s, u"/x/"_s}}}});
    QVERIFY(f.open());
    f.boxes.clear(); // the missing button strip's message
    const QByteArray weekly = testsupport::readBytes(f.path(u"Weekly.ini"_s));
    bool stayed = false;
    runCommand(f, "ActTaskListConfigTaskList", [&](QDialog* d) {
        nameAndClose(d, name);
        stayed = d->isVisible();
        nameAndClose(d, u"Daily"_s);
    });
    QVERIFY(stayed);
    QCOMPARE(f.boxes.count(), 1);
    const MsgDialogRecorder::Box& box = f.boxes.boxes().first();
    QCOMPARE(box.type, TMsgDlgType::Warning);
    if (expected.endsWith(u".ini"_s))
        QVERIFY2(box.text.contains(name) && box.text.contains(expected), qPrintable(box.text));
    else
        QCOMPARE(box.text, expected);
    // Nothing saved or deleted.
    QVERIFY(exists(f, u"Daily.ini"_s));
    QCOMPARE(testsupport::readBytes(f.path(u"Weekly.ini"_s)), weekly);
    QCOMPARE(f.form->AManager[0]->TaskListName(), u"Daily"_s);
}

void TestConfig101::failedWriteDeletesNothing()
{
    MainFormFixture f({{u"Daily"_s, {{u"/s/"_s, u"/d/"_s}}}});
    touch(f, u"Daily.log"_s);
    QVERIFY(f.open());
    f.boxes.clear(); // the missing button strip's message
    // A name too long for a file name: the new file cannot be written.
    const QString tooLong(10000, u'x');
    bool stayed = false;
    runCommand(f, "ActTaskListConfigTaskList", [&](QDialog* d) {
        nameAndClose(d, tooLong);
        stayed = d->isVisible();
        nameAndClose(d, u"Daily"_s);
    });
    QVERIFY(stayed);
    QCOMPARE(f.boxes.count(), 1);
    QCOMPARE(f.boxes.boxes().first().type, TMsgDlgType::Error);
    QVERIFY(exists(f, u"Daily.ini"_s));
    QVERIFY(exists(f, u"Daily.log"_s));
    QCOMPARE(f.form->AManager[0]->TaskListName(), u"Daily"_s);
}

void TestConfig101::saveLogDependencyAndDatedName()
{
    MainFormFixture f({{u"Daily"_s, {}}});
    QVERIFY(f.open());
    f.boxes.clear(); // the missing button strip's message
    SetCurrentDateTimeFunction([] { return QDateTime(QDate(2016, 10, 13), QTime(9, 0)); });
    QString undated, dated;
    bool greyed = false, keptTick = false;
    runCommand(f, "ActTaskListConfigTaskList", [&](QDialog* d) {
        auto* save = control<QCheckBox>(d, "CheckBox101");
        auto* date = control<QCheckBox>(d, "CheckBox102");
        undated = control<TRsEdit>(d, "Edit102")->text();
        date->click();
        dated = control<TRsEdit>(d, "Edit102")->text();
        save->click();
        greyed = !date->isEnabled() && !control<QLabel>(d, "Label102")->isEnabled()
                 && !control<TRsEdit>(d, "Edit102")->isEnabled();
        keptTick = date->isChecked();
        d->close();
    });
    SetCurrentDateTimeFunction({});
    QCOMPARE(undated, f.path(u"Daily.log"_s));
    QCOMPARE(dated, f.path(u"Daily20161013.log"_s));
    QVERIFY(greyed);
    QVERIFY(keptTick);
    QVERIFY(!f.form->AManager[0]->SaveLog);
    QVERIFY(f.form->AManager[0]->AddDateStr);
}

void TestConfig101::controlsTextsAndPlaces()
{
    MainFormFixture f({{u"Daily"_s, {}}});
    QVERIFY(f.open());
    f.boxes.clear(); // the missing button strip's message
    QStringList focusOrder;
    QRect edit, button;
    QString caption, buttonText;
    bool isDefault = false;
    runCommand(f, "ActTaskListConfigTaskList", [&](QDialog* d) {
        caption = d->windowTitle();
        edit = nameEdit(d)->geometry();
        auto* close = control<QPushButton>(d, "Button101");
        button = close->geometry();
        buttonText = close->text();
        isDefault = close->isDefault();
        QWidget* w = nameEdit(d);
        for (int i = 0; i < 6; ++i) {
            focusOrder << w->objectName();
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus)
                w = w->nextInFocusChain();
        }
        // Escape closes, and applies, like the button.
        QTest::keyClick(d, Qt::Key_Escape);
    });
    QCOMPARE(caption, ApplicationTitle + u" - "_s + ConfigTaskListCaption);
    QCOMPARE(edit, QRect(8, 28, 376, 23));
    QCOMPARE(button, QRect(294, 226, 90, 21));
    QCOMPARE(buttonText, ButtonCaptionClose);
    QVERIFY(isDefault);
    QCOMPARE(focusOrder,
             (QStringList{u"Edit101"_s, u"CheckBox101"_s, u"CheckBox102"_s, u"Edit102"_s, u"Edit103"_s, u"Button101"_s}));
}

void TestConfig101::positionKept()
{
    MainFormFixture f({{u"Daily"_s, {}}});
    QVERIFY(f.open());
    f.boxes.clear(); // the missing button strip's message
    runCommand(f, "ActTaskListConfigTaskList", [&](QDialog* d) {
        d->move(123, 145);
        d->close();
    });
    const TDialogPosition stored = LoadDialogPosition(u"ConfigForm101"_s, {0, 0});
    QCOMPARE(QPoint(stored.Left, stored.Top), QPoint(123, 145));
    QPoint reopened;
    runCommand(f, "ActTaskListConfigTaskList", [&](QDialog* d) {
        reopened = d->pos();
        d->close();
    });
    QCOMPARE(reopened, QPoint(123, 145));
}

void TestConfig101::closingWithoutChangeRewrites()
{
    MainFormFixture f({{u"Daily"_s, {}}});
    QVERIFY(f.open());
    f.boxes.clear(); // the missing button strip's message
    QFile::remove(f.path(u"Daily.ini"_s));
    runCommand(f, "ActTaskListConfigTaskList", [&](QDialog* d) { d->close(); });
    QVERIFY(exists(f, u"Daily.ini"_s));
}

void TestConfig101::runEndedWithoutCloseDropsEmptyNewList()
{
    MainFormFixture f({{u"Daily"_s, {}}});
    QVERIFY(f.open());
    // What a quit request does to an open dialog: its run ends, it never closes.
    runCommand(f, "ActTaskListAddTaskList", [&](QDialog* d) { d->hide(); });
    QCOMPARE(f.form->AManager.Count(), 1);
    f.form.reset();
    QVERIFY(!exists(f, u".ini"_s));
}

QTEST_MAIN(TestConfig101)
#include "tst_config101.moc"
