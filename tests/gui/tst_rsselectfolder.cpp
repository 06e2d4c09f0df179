#include "RsUnits/RsSelectFolder.h"
#include "SelectFolderRecorder.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// Runs action on the folder dialog as soon as it is shown.
void onDialog(const std::function<void(QFileDialog*)>& action)
{
    QTimer::singleShot(0, qApp, [action] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            onDialog(action);
            return;
        }
        action(dialog);
    });
}

// A directory whose name is the bytes "caf" 0xE9 (Latin-1, not UTF-8) inside base; its name in the
// program's form ends in the lone surrogate U+DCE9. Empty when it cannot be made.
QString makeNonUtf8Dir(const QString& base)
{
    const QByteArray path = QFile::encodeName(base) + "/caf\xe9";
    if (::mkdir(path.constData(), 0755) != 0)
        return QString();
    return base + u"/caf"_s + QChar(0xDCE9);
}

} // namespace

class TestRsSelectFolder : public QObject {
    Q_OBJECT

private slots:
    void defaultsAndMinimumSize();
    void executeThroughSeam();
    void unparsableStartFolderShowsNothing();
    void setupStoresAll_data();
    void setupStoresAll();
    void resolveChosenFolder();
    void realDialogReturnsExactNonUtf8Name();
    void realDialogRemembersSizeAndCentresOverOwner();
    void cancelledRealDialog();
};

void TestRsSelectFolder::defaultsAndMinimumSize()
{
    TRsSelectFolder folder;
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    QCOMPARE(folder.DefaultDialogWidth(), int(std::nearbyint(405 * dpi / 96)));
    QCOMPARE(folder.DefaultDialogHeight(), int(std::nearbyint(317 * dpi / 96)));
    QCOMPARE(folder.Options(), TRsSelectFolderOptions(bifReturnOnlyFsDirs | bifNewDialogStyle | bifNoNewFolderButton));
    QCOMPARE(folder.Position(), dpScreenCenter);
    QCOMPARE(folder.InitialSpecialFolder(), sfNone);
    folder.SetDialogWidth(100);
    QCOMPARE(folder.DialogWidth(), folder.DefaultDialogWidth());
    folder.SetDialogHeight(folder.DefaultDialogHeight() + 50);
    QCOMPARE(folder.DialogHeight(), folder.DefaultDialogHeight() + 50);
}

void TestRsSelectFolder::executeThroughSeam()
{
    QTemporaryDir dir;
    SelectFolderRecorder recorder;
    TRsSelectFolder folder;
    folder.SetCaption(u"cap"_s);
    folder.SetTitle(u"title"_s);

    // Empty start folder with the drives: the chooser starts at the file system's root.
    folder.SetInitialSpecialFolder(sfDrives);
    recorder.enqueueAnswer(dir.path() + u"/"_s);
    QVERIFY(folder.Execute());
    QCOMPARE(recorder.last().initialDir, u"/"_s);
    QCOMPARE(recorder.last().caption, u"cap"_s);
    QCOMPARE(recorder.last().title, u"title"_s);
    QCOMPARE(folder.FullPathName(), dir.path());
    QCOMPARE(folder.DisplayName(), QDir(dir.path()).dirName());

    // A start folder that exists is where the chooser starts; cancelling leaves no result.
    folder.SetInitialSpecialFolder(sfNone);
    folder.SetInitialDir(dir.path());
    QVERIFY(!folder.Execute());
    QCOMPARE(recorder.last().initialDir, dir.path() + u"/"_s);
    QVERIFY(folder.FullPathName().isEmpty());
    QVERIFY(folder.DisplayName().isEmpty());

    // A root keeps the start inside it.
    QDir(dir.path()).mkpath(u"a/b"_s);
    folder.SetRootDir(dir.path() + u"/a"_s);
    folder.SetInitialDir(dir.path());
    recorder.enqueueAnswer(dir.path() + u"/a/b"_s);
    QVERIFY(folder.Execute());
    QCOMPARE(recorder.last().rootDir, dir.path() + u"/a/"_s);
    QCOMPARE(recorder.last().initialDir, dir.path() + u"/a/"_s);
    QCOMPARE(folder.FullPathName(), dir.path() + u"/a/b"_s);
    QCOMPARE(folder.DisplayName(), u"b"_s);
}

void TestRsSelectFolder::unparsableStartFolderShowsNothing()
{
    QTemporaryDir dir;
    SelectFolderRecorder recorder;
    TRsSelectFolder folder;
    folder.SetInitialDir(dir.path() + u"/missing"_s);
    recorder.enqueueAnswer(dir.path());
    QVERIFY(!folder.Execute());
    QCOMPARE(recorder.count(), 0);
    folder.SetInitialDir(dir.path());
    folder.SetRootDir(dir.path() + u"/missing"_s);
    QVERIFY(!folder.Execute());
    QCOMPARE(recorder.count(), 0);
}

void TestRsSelectFolder::setupStoresAll_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("left");
    QTest::newRow("designed keeps the corner") << int(dpDesigned) << 33;
    QTest::newRow("owner centre drops it") << int(dpOwnerFormCenter) << 0;
    QTest::newRow("screen centre drops it") << int(dpScreenCenter) << 0;
}

void TestRsSelectFolder::setupStoresAll()
{
    QFETCH(int, position);
    QFETCH(int, left);
    QWidget owner;
    TRsSelectFolder folder;
    folder.Setup(u"c"_s, u"t"_s, u"/i"_s, u"/r"_s, TRsDialogPosition(position), 33, 44, &owner, bifReturnOnlyFsDirs);
    QCOMPARE(folder.Caption(), u"c"_s);
    QCOMPARE(folder.Title(), u"t"_s);
    QCOMPARE(folder.InitialDir(), u"/i"_s);
    QCOMPARE(folder.RootDir(), u"/r"_s);
    QCOMPARE(folder.DialogLeft(), left);
    QCOMPARE(folder.DialogTop(), left ? 44 : 0);
    QCOMPARE(folder.OwnerHandle(), &owner);
    QCOMPARE(folder.Options(), TRsSelectFolderOptions(bifReturnOnlyFsDirs));
    // Placement: the screen's centre for the dialog's size, or the given corner.
    const QPoint at = folder.DialogPlacement(QRect(0, 0, 1000, 800));
    if (position == dpDesigned)
        QCOMPARE(at, QPoint(33, 44));
    else if (position == dpScreenCenter)
        QCOMPARE(at, QPoint((1000 - folder.DialogWidth()) / 2, (800 - folder.DialogHeight()) / 2));
}

void TestRsSelectFolder::resolveChosenFolder()
{
    QTemporaryDir dir;
    const QString exact = makeNonUtf8Dir(dir.path());
    if (exact.isEmpty())
        QSKIP("this file system refuses names that are not UTF-8");
    // What the file dialog shows for it: the byte as U+FFFD.
    const QString shown = dir.path() + u"/caf"_s + QChar(0xFFFD);
    QCOMPARE(ResolveChosenFolder(shown), exact);
    QCOMPARE(ResolveChosenFolder(shown + u"/"_s), exact + u"/"_s);
    QCOMPARE(ResolveChosenFolder(dir.path()), dir.path());
    // Two entries that read alike: nothing is guessed.
    ::mkdir((QFile::encodeName(dir.path()) + "/caf\xea").constData(), 0755);
    QCOMPARE(ResolveChosenFolder(shown), shown);
}

void TestRsSelectFolder::realDialogReturnsExactNonUtf8Name()
{
    QTemporaryDir dir;
    const QString exact = makeNonUtf8Dir(dir.path());
    if (exact.isEmpty())
        QSKIP("this file system refuses names that are not UTF-8");
    TRsSelectFolder folder;
    folder.SetCaption(u"Choose"_s);
    folder.SetInitialDir(dir.path());
    QString title;
    QSize minimum;
    onDialog([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        minimum = dialog->minimumSize();
        dialog->selectFile(dir.path() + u"/caf"_s + QChar(0xFFFD));
        static_cast<QDialog*>(dialog)->accept();
    });
    QVERIFY(folder.Execute());
    QCOMPARE(title, u"Choose"_s);
    QCOMPARE(minimum, QSize(folder.DefaultDialogWidth(), folder.DefaultDialogHeight()));
    QCOMPARE(folder.FullPathName(), exact);
    QCOMPARE(folder.DisplayName(), u"caf"_s + QChar(0xDCE9));
}

void TestRsSelectFolder::realDialogRemembersSizeAndCentresOverOwner()
{
    QTemporaryDir dir;
    QWidget owner;
    owner.setGeometry(100, 100, 900, 700);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    TRsSelectFolder folder;
    folder.Setup(QString(), QString(), dir.path(), QString(), dpOwnerFormCenter, 0, 0, &owner,
                 bifReturnOnlyFsDirs | bifNewDialogStyle);
    const QSize larger(folder.DefaultDialogWidth() + 40, folder.DefaultDialogHeight() + 30);
    onDialog([&](QFileDialog* dialog) {
        dialog->resize(larger);
        static_cast<QDialog*>(dialog)->accept();
    });
    QVERIFY(folder.Execute());
    QCOMPARE(folder.FullPathName(), dir.path());
    QCOMPARE(QSize(folder.DialogWidth(), folder.DialogHeight()), larger);

    QSize opened;
    QPoint at;
    onDialog([&](QFileDialog* dialog) {
        opened = dialog->size();
        at = dialog->pos();
        dialog->reject();
    });
    QVERIFY(!folder.Execute());
    QCOMPARE(opened, larger);
    const QRect frame = owner.frameGeometry();
    QCOMPARE(at, QPoint(frame.left() + (frame.width() - larger.width()) / 2,
                        frame.top() + (frame.height() - larger.height()) / 2));
}

void TestRsSelectFolder::cancelledRealDialog()
{
    QTemporaryDir dir;
    TRsSelectFolder folder;
    folder.SetInitialDir(dir.path());
    bool shown = false;
    connect(&folder, &TRsSelectFolder::show, this, [&] { shown = true; });
    onDialog([](QFileDialog* dialog) { dialog->reject(); });
    QVERIFY(!folder.Execute());
    QVERIFY(shown);
    QVERIFY(folder.FullPathName().isEmpty());
    QVERIFY(!folder.Handle());
}

QTEST_MAIN(TestRsSelectFolder)
#include "tst_rsselectfolder.moc"
