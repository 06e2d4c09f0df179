#include "RsUnits/RsSelectFolder.h"

#include "engine/RsBackupList.h"
#include "engine/platform/Platform.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QMetaMethod>
#include <QPushButton>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTimer>
#include <QUrl>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString fromPath(const platform::Path& path)
{
    return QString::fromUtf16(path.data(), qsizetype(path.size()));
}

QString withDelimiter(const QString& path)
{
    return path.isEmpty() || path.endsWith(u'/') ? path : path + u'/';
}

bool isDirectory(const QString& path)
{
    return !path.isEmpty() && platform::isExistingDirectory(PathViewOf(path), true);
}

// The form the file dialog can open: a folder whose name holds bytes that are not UTF-8 cannot be
// named to it, so it starts at the nearest folder above that can.
QString dialogFormOfPath(const QString& path)
{
    QString result = path;
    while (true) {
        bool plain = true;
        for (qsizetype i = 0; i < result.size(); ++i) {
            const QChar c = result.at(i);
            if (c.isHighSurrogate() && i + 1 < result.size() && result.at(i + 1).isLowSurrogate()) {
                ++i;
                continue;
            }
            if (c.isSurrogate())
                plain = false;
        }
        if (plain || result == u"/"_s)
            return result;
        QString trimmed = result.endsWith(u'/') ? result.chopped(1) : result;
        result = trimmed.left(trimmed.lastIndexOf(u'/') + 1);
        if (result.isEmpty())
            return u"/"_s;
    }
}

TRsSelectFolderPresenter* g_presenter = nullptr;

// The dialog with the component's validation: a typed path that is no folder asks the component
// whether the dialog may close.
class TFolderDialog : public QFileDialog {
public:
    TFolderDialog(TRsSelectFolder& owner, QWidget* parent)
        : QFileDialog(parent)
        , m_owner(owner)
    {
    }
    // The folder chosen, exactly as the file system names it.
    QString chosen;

    void accept() override
    {
        // The dialog shows a name that is not UTF-8 in a form that names no file; the component finds
        // the entry it stands for and accepts it itself.
        const QString typed = selectedFiles().value(0);
        const QString exact = ResolveChosenFolder(typed);
        if (isDirectory(exact)) {
            chosen = exact;
            QDialog::accept();
            return;
        }
        if (m_owner.Options() & bifValidate) {
            if (m_owner.ValidateFailed(typed))
                reject();
            return;
        }
        QFileDialog::accept();
    }

private:
    TRsSelectFolder& m_owner;
};

// Hides the entries the component's filter refuses.
class TFolderFilterModel : public QSortFilterProxyModel {
public:
    explicit TFolderFilterModel(TRsSelectFolder& owner)
        : m_owner(owner)
    {
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const QModelIndex index = sourceModel()->index(row, 0, parent);
        const QString path = index.data(QFileSystemModel::FilePathRole).toString();
        platform::DirEntry entry;
        const QString exact = ResolveChosenFolder(path);
        const unsigned attributes = platform::statPath(PathViewOf(exact), true, entry) ? entry.attributes : 0;
        return m_owner.ShouldShow(exact, attributes);
    }

private:
    TRsSelectFolder& m_owner;
};

// The title goes above everything else: the dialog's rows move down by one.
void addTitle(QFileDialog& dialog, const QString& title)
{
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid)
        return;
    struct Placed {
        QLayoutItem* item;
        int row, column, rowSpan, columnSpan;
    };
    QList<Placed> items;
    for (int i = grid->count() - 1; i >= 0; --i) {
        Placed p{nullptr, 0, 0, 0, 0};
        grid->getItemPosition(i, &p.row, &p.column, &p.rowSpan, &p.columnSpan);
        p.item = grid->takeAt(i);
        items.append(p);
    }
    for (const Placed& p : items)
        grid->addItem(p.item, p.row + 1, p.column, p.rowSpan, p.columnSpan);
    auto* label = new QLabel(title, &dialog);
    label->setObjectName(u"SelectFolderTitle"_s);
    label->setWordWrap(true);
    grid->addWidget(label, 0, 0, 1, grid->columnCount());
}

class TFileDialogPresenter : public TRsSelectFolderPresenter {
public:
    bool present(TRsSelectFolder& component, const QString& initialDir, const QString& rootDir,
                 QString& chosen) override
    {
        TFolderDialog dialog(component, component.OwnerHandle());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setOption(QFileDialog::ReadOnly, (component.Options() & bifNoNewFolderButton) != 0);
        if (component.HasShouldShowHandler())
            dialog.setProxyModel(new TFolderFilterModel(component));
        if (!component.Title().isEmpty())
            addTitle(dialog, component.Title());

        // The root of the file system, home and the mounted volumes at hand in the side bar.
        QList<QUrl> side{QUrl::fromLocalFile(dialogFormOfPath(rootDir))};
        const QString home = QDir::homePath();
        if (rootDir == u"/"_s || home.startsWith(rootDir))
            side.append(QUrl::fromLocalFile(home));
        for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
            const QString root = volume.rootPath();
            if (!volume.isValid() || !volume.isReady() || root == u"/"_s || !withDelimiter(root).startsWith(rootDir))
                continue;
            const QByteArray type = volume.fileSystemType();
            if (type == "tmpfs" || type == "devtmpfs" || type == "proc" || type == "sysfs" || type == "overlay")
                continue;
            side.append(QUrl::fromLocalFile(root));
        }
        dialog.setSidebarUrls(side);
        dialog.setDirectory(dialogFormOfPath(initialDir));

        // The dialog stays within the root.
        const QString root = dialogFormOfPath(rootDir);
        QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, [&dialog, root](const QString& dir) {
            if (!withDelimiter(dir).startsWith(root))
                dialog.setDirectory(root);
        });
        QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog, [&dialog, &component](const QString& path) {
            QString status;
            const bool ok = component.SelectionChanged(&dialog, ResolveChosenFolder(path), status);
            if (auto* box = dialog.findChild<QDialogButtonBox*>()) {
                for (QAbstractButton* button : box->buttons()) {
                    if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
                        button->setEnabled(ok);
                }
            }
            if (!status.isEmpty())
                dialog.setToolTip(status);
        });

        component.PrepareDialog(&dialog);
        QTimer::singleShot(0, &dialog, [&component] { emit component.show(&component); });
        const bool accepted = dialog.exec() == QDialog::Accepted;
        component.DialogClosed(&dialog);
        if (!accepted)
            return false;
        chosen = dialog.chosen.isEmpty() ? ResolveChosenFolder(dialog.selectedFiles().value(0)) : dialog.chosen;
        if (!withDelimiter(chosen).startsWith(rootDir) || !isDirectory(chosen))
            return false;
        return true;
    }
};

TRsSelectFolderPresenter& presenter()
{
    static TFileDialogPresenter fileDialog;
    return g_presenter ? *g_presenter : fileDialog;
}

int scaleBy(int size, double dpi)
{
    return int(std::nearbyint(size * dpi / 96.0)); // the default rounding: halves to even
}

} // namespace

TRsSelectFolderPresenter* setSelectFolderPresenter(TRsSelectFolderPresenter* value)
{
    TRsSelectFolderPresenter* previous = g_presenter;
    g_presenter = value;
    return previous;
}

QString SpecialFolderPath(TRsSpecialFolder folder)
{
    QStandardPaths::StandardLocation location;
    switch (folder) {
    case sfNone:
    case sfDrives:
    case sfComputersNearMe:
    case sfNetwork:
        return u"/"_s;
    case sfProfile:
        return withDelimiter(QDir::homePath());
    case sfDesktop:
    case sfDesktopDirectory:
        location = QStandardPaths::DesktopLocation;
        break;
    case sfMyDocuments:
    case sfPersonal:
        location = QStandardPaths::DocumentsLocation;
        break;
    case sfMyMusic:
        location = QStandardPaths::MusicLocation;
        break;
    case sfMyPictures:
        location = QStandardPaths::PicturesLocation;
        break;
    case sfMyVideo:
        location = QStandardPaths::MoviesLocation;
        break;
    case sfAppData:
        location = QStandardPaths::GenericConfigLocation;
        break;
    case sfLocal_AppData:
        location = QStandardPaths::GenericDataLocation;
        break;
    case sfInternet_Cache:
        location = QStandardPaths::GenericCacheLocation;
        break;
    case sfFonts:
        location = QStandardPaths::FontsLocation;
        break;
    case sfTemplates:
        location = QStandardPaths::TemplatesLocation;
        break;
    default:
        return QString();
    }
    const QString path = QStandardPaths::writableLocation(location);
    return isDirectory(path) ? withDelimiter(path) : QString();
}

QString ResolveChosenFolder(const QString& chosen)
{
    if (!chosen.startsWith(u'/'))
        return chosen;
    platform::DirEntry entry;
    if (platform::statPath(PathViewOf(chosen), true, entry))
        return chosen;
    QString current = u"/"_s;
    const QStringList parts = chosen.split(u'/', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const QString candidate = current + part;
        if (!platform::statPath(PathViewOf(candidate), true, entry)) {
            // The dialog shows each byte that is not UTF-8 as U+FFFD: find the one entry that reads so.
            QString match;
            int matches = 0;
            platform::enumerateDirectory(PathViewOf(current), true, [&](const platform::DirEntry& e) {
                const std::string native = platform::toNative(e.name);
                if (QFile::decodeName(QByteArray(native.data(), qsizetype(native.size()))) == part) {
                    match = fromPath(e.name);
                    ++matches;
                }
                return matches < 2;
            });
            if (matches != 1)
                return chosen;
            current += match + u'/';
            continue;
        }
        current = candidate + u'/';
    }
    if (!chosen.endsWith(u'/') && current.size() > 1)
        current.chop(1);
    return current;
}

TRsSelectFolder::TRsSelectFolder(QObject* parent)
    : QObject(parent)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen && screen->logicalDotsPerInchY() > 0 ? screen->logicalDotsPerInchY() : 96.0;
    FDefaultDialogWidth = scaleBy(405, dpi);
    FDefaultDialogHeight = scaleBy(317, dpi);
    FDialogWidth = FDefaultDialogWidth;
    FDialogHeight = FDefaultDialogHeight;
    if (auto* widget = qobject_cast<QWidget*>(parent))
        FOwnerHandle = widget->window();
}

QWidget* TRsSelectFolder::Handle() const
{
    return FHandle;
}

void TRsSelectFolder::SetDialogWidth(int value)
{
    FDialogWidth = qMax(value, FDefaultDialogWidth);
}

void TRsSelectFolder::SetDialogHeight(int value)
{
    FDialogHeight = qMax(value, FDefaultDialogHeight);
}

void TRsSelectFolder::Setup(const QString& caption, const QString& title, const QString& initialDir,
                            const QString& rootDir, TRsDialogPosition position, int left, int top, QWidget* owner,
                            TRsSelectFolderOptions options)
{
    FCaption = caption;
    FTitle = title;
    FInitialDir = initialDir;
    FRootDir = rootDir;
    FPosition = position;
    FDialogLeft = position == dpDesigned ? left : 0;
    FDialogTop = position == dpDesigned ? top : 0;
    FOwnerHandle = owner;
    FOptions = options;
}

bool TRsSelectFolder::Execute()
{
    FFullPathName.clear();
    FDisplayName.clear();
    QString initial;
    if (FInitialDir.isEmpty() || FInitialSpecialFolder != sfNone)
        initial = SpecialFolderPath(FInitialSpecialFolder);
    else if (isDirectory(FInitialDir))
        initial = withDelimiter(FInitialDir);
    if (initial.isEmpty())
        return false;
    QString root = u"/"_s;
    if (!FRootDir.isEmpty()) {
        if (!isDirectory(FRootDir))
            return false;
        root = withDelimiter(FRootDir);
    }
    if (!initial.startsWith(root))
        initial = root;

    QString chosen;
    const bool ok = presenter().present(*this, initial, root, chosen);
    FHandle = nullptr;
    if (!ok || chosen.isEmpty())
        return false;
    if (chosen.size() > 1 && chosen.endsWith(u'/'))
        chosen.chop(1);
    FFullPathName = chosen;
    FDisplayName = chosen == u"/"_s ? chosen : chosen.mid(chosen.lastIndexOf(u'/') + 1);
    return true;
}

QPoint TRsSelectFolder::DialogPlacement(const QRect& screen) const
{
    switch (FPosition) {
    case dpDesigned:
        return QPoint(FDialogLeft, FDialogTop);
    case dpOwnerFormCenter:
        if (FOwnerHandle) {
            const QRect owner = FOwnerHandle->window()->frameGeometry();
            return QPoint(owner.left() + (owner.width() - FDialogWidth) / 2,
                          owner.top() + (owner.height() - FDialogHeight) / 2);
        }
        break;
    case dpScreenCenter:
        break;
    }
    return QPoint(screen.left() + (screen.width() - FDialogWidth) / 2,
                  screen.top() + (screen.height() - FDialogHeight) / 2);
}

void TRsSelectFolder::PrepareDialog(QFileDialog* dialog)
{
    FHandle = dialog;
    if (!FCaption.isEmpty())
        dialog->setWindowTitle(FCaption);
    dialog->setFont(QApplication::font());
    dialog->setMinimumSize(FDefaultDialogWidth, FDefaultDialogHeight);
    FDialogWidth = qMax(FDialogWidth, FDefaultDialogWidth);
    FDialogHeight = qMax(FDialogHeight, FDefaultDialogHeight);
    dialog->resize(FDialogWidth, FDialogHeight);
    const QScreen* screen = FOwnerHandle ? FOwnerHandle->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    dialog->move(DialogPlacement(area));
}

void TRsSelectFolder::DialogClosed(QFileDialog* dialog)
{
    FDialogWidth = qMax(dialog->width(), FDefaultDialogWidth);
    FDialogHeight = qMax(dialog->height(), FDefaultDialogHeight);
    FHandle = nullptr;
}

bool TRsSelectFolder::SelectionChanged(QWidget* dialog, const QString& path, QString& statusText)
{
    bool ok = true;
    emit selectionChanged(this, dialog, path, statusText, ok);
    return ok;
}

bool TRsSelectFolder::ValidateFailed(const QString& editBoxText)
{
    bool canClose = true;
    emit validateFailed(this, editBoxText, canClose);
    return canClose;
}

bool TRsSelectFolder::HasShouldShowHandler() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&TRsSelectFolder::shouldShow));
}

bool TRsSelectFolder::ShouldShow(const QString& fullPathName, unsigned attributes)
{
    bool doShow = true;
    emit shouldShow(this, fullPathName, attributes, doShow);
    return doShow;
}
