// The task dialog, driven through the commands that open it; the folder chooser answers through its
// seam.

#include "DialogDriver.h"
#include "MainFormFixture.h"
#include "SelectFolderRecorder.h"

#include "RsUnits/RsEdit.h"
#include "RsUnits/RsGrid.h"
#include "app/Lang.h"
#include "ui/Config201.h"
#include "ui/ExcludedListBox.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QScrollBar>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

template <typename T>
T* control(QDialog* dialog, const char* name)
{
    return dialog->findChild<T*>(QString::fromLatin1(name));
}

TRsEdit* edit(QDialog* dialog, const char* name)
{
    return control<TRsEdit>(dialog, name);
}

void click(QDialog* dialog, const char* name)
{
    control<QPushButton>(dialog, name)->click();
}

void runCommand(MainFormFixture& f, const char* action, const std::function<void(QDialog*)>& act)
{
    onModalDialog(act);
    f.form->Action(QString::fromLatin1(action))->trigger();
}

void setPaths(QDialog* d, const QString& src, const QString& dst)
{
    edit(d, "Edit201")->setText(src);
    edit(d, "Edit202")->setText(dst);
}

QStringList texts(const TRsTaskItem* task, TExcludedItemType type)
{
    QStringList result;
    for (const TExcludedItem& item : task->ExcludedItemList) {
        if (item.Type() == type)
            result << item.Text;
    }
    return result;
}

} // namespace

class TestConfig201 : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainFormFixture> f;
    QTemporaryDir* data = nullptr;
    QString src, dst;
    TRsTaskList* list() const { return f->form->AManager[0]; }

private slots:
    void init()
    {
        data = new QTemporaryDir;
        src = data->path() + u"/src/"_s;
        dst = data->path() + u"/dst/"_s;
        QDir(data->path()).mkpath(u"src/inner"_s);
        QDir(data->path()).mkpath(u"dst"_s);
        f = std::make_unique<MainFormFixture>(QList<ListSpec>{{u"Daily"_s, {{src, dst}, {src + u"x/"_s, dst + u"x/"_s}}}});
        QVERIFY(f->open());
        f->boxes.clear(); // the missing button strip's message
    }
    void cleanup()
    {
        f.reset();
        delete data;
    }

    void addTaskStoresDelimitedPaths();
    void addWithBothEmptyLeavesNothing();
    void onePathCleared();
    void bothPathsClearedConfirmed();
    void bothPathsClearedCancelled();
    void extensionsTaken();
    void extensionKeysFiltered();
    void takeExtensions_data();
    void takeExtensions();
    void exclusionsAddedOnceAndDeletedByKind();
    void browseStartsAtRootAndReturnsExactName();
    void browseDestinationOffersNewFolder();
    void nestedPathsRefused_data();
    void nestedPathsRefused();
    void listEntriesDrawnAndScrollable();
    void controlsAndTabOrder();
    void runEndedWithoutCloseDropsEmptyNewTask();
};

void TestConfig201::addTaskStoresDelimitedPaths()
{
    f->form->findChild<TRsGrid*>(u"Grid201"_s)->SetRow(1);
    runCommand(*f, "ActTaskAddTask", [&](QDialog* d) {
        setPaths(d, data->path() + u"/src/inner"_s, data->path() + u"/dst"_s);
        control<QCheckBox>(d, "CheckBox201")->click();
        control<QCheckBox>(d, "CheckBox203")->click();
        click(d, "Button207");
    });
    QCOMPARE(f->boxes.count(), 0);
    QCOMPARE(list()->Count(), 3);
    const TRsTaskItem* task = list()->Items(2);
    QCOMPARE(task->SrcPath, src + u"inner/"_s);
    QCOMPARE(task->DstPath, dst);
    QVERIFY(task->IncludingSubDirs);
    QVERIFY(!task->Mirroring);
    QVERIFY(task->Verifying);
    TRsTaskList written;
    QVERIFY(written.LoadFromFile(f->path(u"Daily.ini"_s)));
    QCOMPARE(written.Count(), 3);
    QCOMPARE(written.Items(2)->SrcPath, src + u"inner/"_s);
    QCOMPARE(f->child<TRsGrid>("Grid201")->RowCount(), 4);
    QCOMPARE(f->child<TRsGrid>("Grid201")->Row(), 3);
}

void TestConfig201::addWithBothEmptyLeavesNothing()
{
    QFile::remove(f->path(u"Daily.ini"_s));
    runCommand(*f, "ActTaskAddTask", [&](QDialog* d) { QTest::keyClick(d, Qt::Key_Return); });
    QCOMPARE(f->boxes.count(), 0);
    QCOMPARE(list()->Count(), 2);
    QVERIFY(!QFile::exists(f->path(u"Daily.ini"_s)));
    QCOMPARE(f->child<TRsGrid>("Grid201")->RowCount(), 3);
}

void TestConfig201::onePathCleared()
{
    QString restored;
    bool stayed = false;
    runCommand(*f, "ActTaskConfigTask", [&](QDialog* d) {
        edit(d, "Edit202")->clear();
        d->close();
        stayed = d->isVisible();
        restored = edit(d, "Edit202")->text();
        d->close();
    });
    QVERIFY(stayed);
    QCOMPARE(restored, dst);
    QCOMPARE(f->boxes.boxes().first().text, MsgWarnSpecifyPath + u" ("_s + DstLabel + u')');
    QCOMPARE(f->boxes.count(), 1);
    QCOMPARE(list()->Items(0)->DstPath, dst);
}

void TestConfig201::bothPathsClearedConfirmed()
{
    runCommand(*f, "ActTaskConfigTask", [&](QDialog* d) {
        setPaths(d, QString(), QString());
        d->close();
    });
    QCOMPARE(f->boxes.count(), 1);
    QCOMPARE(f->boxes.last().type, TMsgDlgType::Confirmation);
    QCOMPARE(f->boxes.last().text, u"[オリジナル: "_s + src + u"\n バックアップ: "_s + dst
                                       + u"] を さくじょ します\n\nよろしーですか？"_s);
    QCOMPARE(list()->Count(), 1);
    TRsTaskList written;
    QVERIFY(written.LoadFromFile(f->path(u"Daily.ini"_s)));
    QCOMPARE(written.Count(), 1);
    QCOMPARE(f->child<TRsGrid>("Grid201")->RowCount(), 2);
}

void TestConfig201::bothPathsClearedCancelled()
{
    f->boxes.enqueueAnswer(TMsgDlgResult::Cancel);
    QStringList restored;
    runCommand(*f, "ActTaskConfigTask", [&](QDialog* d) {
        setPaths(d, QString(), QString());
        d->close();
        restored << edit(d, "Edit201")->text() << edit(d, "Edit202")->text();
        d->close();
    });
    QCOMPARE(restored, (QStringList{src, dst}));
    QCOMPARE(list()->Count(), 2);
}

void TestConfig201::extensionsTaken()
{
    QString shown;
    runCommand(*f, "ActTaskConfigTask", [&](QDialog* d) {
        TRsEdit* ext = edit(d, "Edit205");
        ext->setFocus();
        ext->setText(u".tmp; .bak;.TMP ;txt;.tar.gz"_s);
        // Leaving the field takes the extensions and shows what was kept.
        emit ext->editingFinished();
        shown = ext->text();
        d->close();
    });
    QCOMPARE(shown, u".bak;.tmp"_s);
    QCOMPARE(texts(list()->Items(0), eitExt), (QStringList{u".bak"_s, u".tmp"_s}));
}

void TestConfig201::extensionKeysFiltered()
{
    QString typed;
    runCommand(*f, "ActTaskConfigTask", [&](QDialog* d) {
        TRsEdit* ext = edit(d, "Edit205");
        QTest::keyClicks(ext, u".a/b:c"_s);
        QTest::keyClick(ext, Qt::Key_A, Qt::NoModifier);
        QKeyEvent umlaut(QEvent::KeyPress, 0, Qt::NoModifier, u"ä"_s);
        QApplication::sendEvent(ext, &umlaut);
        QTest::keyClick(ext, Qt::Key_Backspace);
        typed = ext->text();
        QVERIFY(!ext->testAttribute(Qt::WA_InputMethodEnabled));
        d->close();
    });
    QCOMPARE(typed, u".abc"_s);
}

void TestConfig201::takeExtensions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("taken");
    QTest::newRow("example") << u".tmp; .bak;.TMP ;txt;.tar.gz"_s << QStringList{u".bak"_s, u".tmp"_s};
    QTest::newRow("first of a case pair stays") << u".TMP;.tmp"_s << QStringList{u".TMP"_s};
    QTest::newRow("quoted part is one entry") << u"\".a b\";\".c\""_s << QStringList{u".c"_s};
    QTest::newRow("dot alone, umlaut, invalid") << u".;.ä;.a*;.ok"_s << QStringList{u".ok"_s};
    QTest::newRow("empty") << QString() << QStringList{};
}

void TestConfig201::takeExtensions()
{
    QFETCH(QString, text);
    QFETCH(QStringList, taken);
    QCOMPARE(TConfigForm201::TakeExtensions(text), taken);
}

void TestConfig201::exclusionsAddedOnceAndDeletedByKind()
{
    QStringList dirsShown;
    runCommand(*f, "ActTaskConfigTask", [&](QDialog* d) {
        TRsEdit* dirEdit = edit(d, "Edit203");
        for (const QString& name : {u"Temp"_s, u"Temp"_s, u"temp"_s}) {
            dirEdit->setText(name);
            click(d, "Button203");
        }
        // A duplicate stays in the field.
        QCOMPARE(dirEdit->text(), u"temp"_s);
        dirEdit->setText(u"cache"_s);
        click(d, "Button203");
        QCOMPARE(dirEdit->text(), QString());
        edit(d, "Edit204")->setText(u"cache"_s);
        click(d, "Button205");
        auto* dirs = control<TExcludedListBox>(d, "ListBox201");
        dirsShown = dirs->Texts();
        // Deleting the directory "cache" leaves the file "cache".
        dirs->setCurrentRow(int(dirs->Texts().indexOf(u"cache"_s)));
        click(d, "Button204");
        d->close();
    });
    QCOMPARE(dirsShown, (QStringList{u"cache"_s, u"Temp"_s}));
    QCOMPARE(texts(list()->Items(0), eitDir), QStringList{u"Temp"_s});
    QCOMPARE(texts(list()->Items(0), eitFile), QStringList{u"cache"_s});
}

void TestConfig201::browseStartsAtRootAndReturnsExactName()
{
    SelectFolderRecorder folders;
    const QByteArray raw = QFile::encodeName(data->path()) + "/caf\xe9";
    if (::mkdir(raw.constData(), 0755) != 0)
        QSKIP("this file system refuses names that are not UTF-8");
    const QString exact = data->path() + u"/caf"_s + QChar(0xDCE9);
    folders.enqueueAnswer(exact);
    QString shown;
    runCommand(*f, "ActTaskConfigTask", [&](QDialog* d) {
        // Not an existing directory: cleared before the chooser starts at the root.
        edit(d, "Edit201")->setText(data->path() + u"/missing"_s);
        click(d, "Button201");
        shown = edit(d, "Edit201")->text();
        d->close();
    });
    QCOMPARE(folders.count(), 1);
    QCOMPARE(folders.last().initialDir, u"/"_s);
    QCOMPARE(folders.last().caption, SelectFolderCaption);
    QCOMPARE(folders.last().title, SelectFolderTitle);
    QCOMPARE(folders.last().position, dpOwnerFormCenter);
    QVERIFY(folders.last().options & bifNoNewFolderButton);
    QCOMPARE(shown, exact + u"/"_s);
    QCOMPARE(list()->Items(0)->SrcPath, exact + u"/"_s);
}

void TestConfig201::browseDestinationOffersNewFolder()
{
    SelectFolderRecorder folders;
    QString shown;
    runCommand(*f, "ActTaskConfigTask", [&](QDialog* d) {
        click(d, "Button202"); // cancelled: the field stays
        shown = edit(d, "Edit202")->text();
        d->close();
    });
    QCOMPARE(folders.count(), 1);
    QCOMPARE(folders.last().initialDir, dst);
    QVERIFY(!(folders.last().options & bifNoNewFolderButton));
    QCOMPARE(shown, dst);
}

void TestConfig201::nestedPathsRefused_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<bool>("subDirs");
    QTest::addColumn<bool>("mirror");
    QTest::addColumn<bool>("refused");
    QTest::newRow("same") << u"src"_s << u"src/"_s << false << false << true;
    QTest::newRow("same through dot-dot") << u"src"_s << u"dst/../src"_s << false << false << true;
    QTest::newRow("inside, with subdirectories") << u"src"_s << u"src/inner"_s << true << false << true;
    QTest::newRow("inside, without subdirectories") << u"src"_s << u"src/inner"_s << false << false << false;
    QTest::newRow("mirrored source inside") << u"src/inner"_s << u"src"_s << false << true << true;
    QTest::newRow("source inside, no mirror") << u"src/inner"_s << u"src"_s << false << false << false;
    QTest::newRow("apart") << u"src"_s << u"dst"_s << true << true << false;
}

void TestConfig201::nestedPathsRefused()
{
    QFETCH(QString, source);
    QFETCH(QString, destination);
    QFETCH(bool, subDirs);
    QFETCH(bool, mirror);
    QFETCH(bool, refused);
    const QString s = data->path() + u'/' + source;
    const QString t = data->path() + u'/' + destination;
    bool stayed = false;
    runCommand(*f, "ActTaskConfigTask", [&](QDialog* d) {
        setPaths(d, s, t);
        if (subDirs)
            control<QCheckBox>(d, "CheckBox201")->click();
        if (mirror)
            control<QCheckBox>(d, "CheckBox202")->click();
        d->close();
        stayed = d->isVisible();
        if (stayed) {
            setPaths(d, src, dst);
            d->close();
        }
    });
    QCOMPARE(stayed, refused);
    QCOMPARE(f->boxes.count(), refused ? 1 : 0);
    if (refused) {
        const QString text = f->boxes.last().text;
        QVERIFY2(text.contains(SrcLabel + u": "_s + s) && text.contains(DstLabel + u": "_s), qPrintable(text));
        QCOMPARE(list()->Items(0)->SrcPath, src);
    }
}

void TestConfig201::listEntriesDrawnAndScrollable()
{
    list()->Items(0)->SetExcludedItemList(u"a"_s, eitDir);
    list()->Items(0)->SetExcludedItemList(QString(200, u'w'), eitDir);
    QRgb selectedFocused = 0, selectedUnfocused = 0, highlight = 0, inactive = 0;
    int scrollMax = 0, entryHeight = 0;
    runCommand(*f, "ActTaskConfigTask", [&](QDialog* d) {
        auto* dirs = control<TExcludedListBox>(d, "ListBox201");
        entryHeight = dirs->visualItemRect(dirs->item(0)).height();
        scrollMax = dirs->horizontalScrollBar()->maximum();
        dirs->setCurrentRow(0);
        dirs->setFocus();
        QTRY_VERIFY(dirs->hasFocus());
        const QPoint inside(dirs->viewport()->width() - 3, dirs->visualItemRect(dirs->item(0)).bottom() - 2);
        selectedFocused = dirs->viewport()->grab().toImage().pixel(inside);
        edit(d, "Edit203")->setFocus();
        QTRY_VERIFY(!dirs->hasFocus());
        selectedUnfocused = dirs->viewport()->grab().toImage().pixel(inside);
        highlight = dirs->palette().color(QPalette::Active, QPalette::Highlight).rgb();
        inactive = dirs->InactiveSelectionColor().rgb();
        d->close();
    });
    QCOMPARE(entryHeight, 18);
    QVERIFY(scrollMax > 0);
    QCOMPARE(selectedFocused, highlight);
    QCOMPARE(selectedUnfocused, inactive);
}

void TestConfig201::controlsAndTabOrder()
{
    QStringList order;
    QRect group, close;
    runCommand(*f, "ActTaskConfigTask", [&](QDialog* d) {
        group = d->findChild<QWidget*>(u"GroupBox201"_s)->geometry();
        close = control<QPushButton>(d, "Button207")->geometry();
        QWidget* w = edit(d, "Edit201");
        for (int i = 0; i < 17; ++i) {
            order << w->objectName();
            do
                w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty());
        }
        QTest::keyClick(d, Qt::Key_Escape);
    });
    QCOMPARE(group, QRect(8, 196, 373, 253));
    QCOMPARE(close, QRect(294, 459, 90, 21));
    QCOMPARE(order, (QStringList{u"Edit201"_s, u"Button201"_s, u"Edit202"_s, u"Button202"_s, u"CheckBox201"_s,
                                 u"CheckBox202"_s, u"CheckBox203"_s, u"Edit203"_s, u"Button203"_s, u"ListBox201"_s,
                                 u"Button204"_s, u"Edit204"_s, u"Button205"_s, u"ListBox202"_s, u"Button206"_s,
                                 u"Edit205"_s, u"Button207"_s}));
}

void TestConfig201::runEndedWithoutCloseDropsEmptyNewTask()
{
    runCommand(*f, "ActTaskAddTask", [&](QDialog* d) { d->hide(); });
    QCOMPARE(list()->Count(), 2);
    // An existing task stays as it was edited.
    runCommand(*f, "ActTaskConfigTask", [&](QDialog* d) { d->hide(); });
    QCOMPARE(list()->Count(), 2);
}

QTEST_MAIN(TestConfig201)
#include "tst_config201.moc"
