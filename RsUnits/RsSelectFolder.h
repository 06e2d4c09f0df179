#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

class QFileDialog;
class QWidget;

// Options of the folder browser; the values are those the browser flags have always had, so option
// sets stored as numbers keep their meaning.
enum TRsSelectFolderOption : unsigned {
    bifReturnOnlyFsDirs = 0x1,
    bifDontGoBelowDomain = 0x2,
    bifStatusText = 0x4,
    bifReturnFsAncestors = 0x8,
    bifEditBox = 0x10,
    bifValidate = 0x20,
    bifNewDialogStyle = 0x40,
    bifBrowseIncludeUrls = 0x80,
    bifUseNewUi = 0x50,
    bifUaHint = 0x100,
    bifNoNewFolderButton = 0x200,
    bifNoTranslateTargets = 0x400,
    bifBrowseForComputer = 0x1000,
    bifBrowseForPrinter = 0x2000,
    bifBrowseIncludeFiles = 0x4000,
    bifShareable = 0x8000,
    bifBrowseFileJunctions = 0x10000,
};
using TRsSelectFolderOptions = unsigned;

enum TRsDialogPosition { dpScreenCenter, dpOwnerFormCenter, dpDesigned };

enum TRsSpecialFolder {
    sfNone, sfAdminTools, sfAltStartup, sfAppData, sfBitBucket, sfCdBurn_Area, sfCommon_AdminTools,
    sfCommon_AltStartup, sfCommon_AppData, sfCommon_DesktopDirectory, sfCommon_Documents,
    sfCommon_Favorites, sfCommon_Music, sfCommon_Oem_Links, sfCommon_Pictures, sfCommon_Programs,
    sfCommon_StartMenu, sfCommon_Startup, sfCommon_Templates, sfCommon_Video, sfComputersNearMe,
    sfConnections, sfControls, sfCookies, sfDesktop, sfDesktopDirectory, sfDrives, sfFavorites, sfFonts,
    sfHistory, sfInternet, sfInternet_Cache, sfLocal_AppData, sfMyDocuments, sfMyMusic, sfMyPictures,
    sfMyVideo, sfNetHood, sfNetwork, sfPersonal, sfPrinters, sfPrintHood, sfProfile, sfProgram_Files,
    sfProgram_FilesX86, sfProgram_Files_Common, sfProgram_Files_CommonX86, sfPrograms, sfRecent,
    sfResources, sfResources_Localized, sfSendTo, sfStartMenu, sfStartup, sfSystem, sfSystemX86,
    sfTemplates, sfWindows,
};

// The directory a special folder stands for on this system, with a trailing "/"; empty when the
// system has no such folder. sfNone and sfDrives are the file system's root.
QString SpecialFolderPath(TRsSpecialFolder folder);

// A folder with a name that may not be valid UTF-8 in the file dialog's form (each undecodable byte
// shown as U+FFFD) resolved to the exact name on disk, in the program's path form (the path codec's
// lone surrogates). A path that exists as given is returned unchanged; a component that matches no
// entry, or more than one, leaves the path as given.
QString ResolveChosenFolder(const QString& chosen);

class TRsSelectFolder;

// Shows the dialog for a TRsSelectFolder. The default one runs a QFileDialog; tests install one that
// answers at once.
class TRsSelectFolderPresenter {
public:
    virtual ~TRsSelectFolderPresenter() = default;
    // Runs the dialog modally, starting at initialDir inside rootDir (both in the program's path form,
    // with a trailing "/"). Returns true with the chosen folder in chosen (program's path form).
    virtual bool present(TRsSelectFolder& dialog, const QString& initialDir, const QString& rootDir,
                         QString& chosen) = 0;
};

// Installs a presenter (not owned); null restores the default one. Returns the previous one (null for
// the default).
TRsSelectFolderPresenter* setSelectFolderPresenter(TRsSelectFolderPresenter* presenter);

// A modal chooser of one directory, with caption, title, start folder, root, placement, a minimum size
// scaled to the screen and a size remembered from one Execute to the next.
class TRsSelectFolder : public QObject {
    Q_OBJECT

public:
    explicit TRsSelectFolder(QObject* parent = nullptr);

    QString Caption() const { return FCaption; }
    QString Title() const { return FTitle; }
    QString InitialDir() const { return FInitialDir; }
    TRsSpecialFolder InitialSpecialFolder() const { return FInitialSpecialFolder; }
    QString RootDir() const { return FRootDir; }
    TRsSelectFolderOptions Options() const { return FOptions; }
    int DialogLeft() const { return FDialogLeft; }
    int DialogTop() const { return FDialogTop; }
    int DialogWidth() const { return FDialogWidth; }
    int DialogHeight() const { return FDialogHeight; }
    TRsDialogPosition Position() const { return FPosition; }
    QWidget* OwnerHandle() const { return FOwnerHandle; }
    QWidget* Handle() const;
    QString FullPathName() const { return FFullPathName; }
    QString DisplayName() const { return FDisplayName; }
    int DefaultDialogWidth() const { return FDefaultDialogWidth; }
    int DefaultDialogHeight() const { return FDefaultDialogHeight; }

    void SetCaption(const QString& value) { FCaption = value; }
    void SetTitle(const QString& value) { FTitle = value; }
    void SetInitialDir(const QString& value) { FInitialDir = value; }
    void SetInitialSpecialFolder(TRsSpecialFolder value) { FInitialSpecialFolder = value; }
    void SetRootDir(const QString& value) { FRootDir = value; }
    void SetOptions(TRsSelectFolderOptions value) { FOptions = value; }
    void SetDialogLeft(int value) { FDialogLeft = value; }
    void SetDialogTop(int value) { FDialogTop = value; }
    // Never below the default size.
    void SetDialogWidth(int value);
    void SetDialogHeight(int value);
    void SetPosition(TRsDialogPosition value) { FPosition = value; }
    void SetOwnerHandle(QWidget* value) { FOwnerHandle = value; }

    void Setup(const QString& caption, const QString& title, const QString& initialDir, const QString& rootDir,
               TRsDialogPosition position, int left, int top, QWidget* owner, TRsSelectFolderOptions options);

    // Runs the dialog; true when a folder was chosen (FullPathName and DisplayName are set then).
    bool Execute();

    // Where the dialog goes for its size: screen centre, owner centre or the given corner.
    QPoint DialogPlacement(const QRect& screen) const;

    // ---- For the presenter
    // Decorates and places a dialog that is about to be shown (caption, font, minimum size, position).
    void PrepareDialog(QFileDialog* dialog);
    // The dialog closed: its size is remembered for the next Execute.
    void DialogClosed(QFileDialog* dialog);
    // The selection changed to path; returns whether the dialog may accept it.
    bool SelectionChanged(QWidget* dialog, const QString& path, QString& statusText);
    // A path typed into the dialog is invalid; returns whether the dialog may close.
    bool ValidateFailed(const QString& editBoxText);
    // The filter is installed only while a handler listens.
    bool HasShouldShowHandler() const;
    // Whether the dialog lists an entry.
    bool ShouldShow(const QString& fullPathName, unsigned attributes);

signals:
    void show(TRsSelectFolder* sender);
    void selectionChanged(TRsSelectFolder* sender, QWidget* wnd, const QString& fullPathName, QString& statusText,
                          bool& okButtonEnabled);
    void validateFailed(TRsSelectFolder* sender, const QString& editBoxText, bool& canCloseDialog);
    void shouldShow(TRsSelectFolder* sender, const QString& fullPathName, unsigned attributes, bool& doShow);

private:
    QPointer<QWidget> FHandle;
    QPointer<QWidget> FOwnerHandle;
    TRsSelectFolderOptions FOptions = bifReturnOnlyFsDirs | bifNewDialogStyle | bifNoNewFolderButton;
    QString FInitialDir;
    TRsSpecialFolder FInitialSpecialFolder = sfNone;
    QString FRootDir;
    QString FTitle;
    QString FCaption;
    QString FFullPathName;
    QString FDisplayName;
    int FDialogLeft = 0;
    int FDialogTop = 0;
    int FDialogWidth = 0;
    int FDialogHeight = 0;
    TRsDialogPosition FPosition = dpScreenCenter;
    int FDefaultDialogWidth = 405;
    int FDefaultDialogHeight = 317;
};
