#include "ui/About.h"

#include "app/Lang.h"
#include "app/ProgramDir.h"
#include "RsUnits/RsSpacer.h"
#include "RsUnits/RsVersionInfo.h"
#include "ui/DialogLook.h"
#include "ui/Main.h"
#include "ui/ProgramResources.h"
#include "ui/ProgramVersion.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QUrl>
#include <QtGlobal>

using namespace Qt::StringLiterals;

namespace {

// Client area as designed (pixels at 96 pixels per inch).
constexpr int DesignedClientWidth = 382;
constexpr int DesignedClientHeight = 206;
// The line height the labels are laid out for.
constexpr int DesignedLineHeight = 12;

} // namespace

TAboutForm::TAboutForm(QWidget* owner)
    : QDialog(owner)
{
    setObjectName(u"AboutForm"_s);
    InitProgramResources();
    FormCreate();
}

int TAboutForm::Scaled(int size) const
{
    return TMainForm::ScaleDesignSize(size, m_dpi);
}

QString TAboutForm::WebSiteAddress()
{
    return QUrl::fromLocalFile(QDir::cleanPath(ProgramDirectory() + u"Help/index.html"_s)).toString();
}

void TAboutForm::FormCreate()
{
    m_dpi = ScreenDpi(this);
    SetFixedDialogFrame(this);
    const auto label = [this](const QString& name) { return MakePlainLabel(this, name); };
    TitleLabel = label(u"TitleLabel"_s);
    IconImage = label(u"IconImage"_s);
    IconImage->setAlignment(Qt::AlignCenter);
    VSpacer = new TRsSpacer(this);
    VSpacer->setObjectName(u"VSpacer"_s);
    VSpacer->SetLineShape(lsSingle);
    VSpacer->SetLineDirection(ldVertical);
    VersionLabel = label(u"VersionLabel"_s);
    AuthorLabel = label(u"AuthorLabel"_s);
    WebSiteLabel = label(u"WebSiteLabel"_s);
    WebSiteLabel->installEventFilter(this);
    HSpacer = new TRsSpacer(this);
    HSpacer->setObjectName(u"HSpacer"_s);
    HSpacer->SetLineShape(lsSingle);
    HSpacer->SetLineDirection(ldHorizontal);

    CreditMemo = new QPlainTextEdit(this);
    CreditMemo->setObjectName(u"CreditMemo"_s);
    CreditMemo->setFrameShape(QFrame::NoFrame);
    CreditMemo->setAttribute(Qt::WA_InputMethodEnabled, false);
    CreditMemo->setReadOnly(true);
    CreditMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    CreditMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CreditMemo->setTabChangesFocus(true);
    CreditMemo->setFocusPolicy(Qt::StrongFocus);
    CreditMemo->setContextMenuPolicy(Qt::PreventContextMenu);
    QPalette memoPalette = CreditMemo->palette();
    memoPalette.setColor(QPalette::Base, memoPalette.color(QPalette::Button));
    CreditMemo->setPalette(memoPalette);
    CreditMemo->clear();
    CreditMemo->installEventFilter(this);

    OKButton = new QPushButton(this);
    OKButton->setObjectName(u"OKButton"_s);
    OKButton->setDefault(true);
    OKButton->setAutoDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    FIEAnchorColor = GetIEAnchorColor();
}

void TAboutForm::reject()
{
    accept();
}

void TAboutForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TAboutForm::FormShow()
{
    // 1. The system menu font.
    setFont(QApplication::font("QMenu"));

    // 2. Texts, then the credits block.
    const TDialogTexts texts = LoadAboutFormTexts();
    setWindowTitle(texts.caption);
    TitleLabel->setText(texts.text(u"TitleLabel"_s));
    AuthorLabel->setText(texts.text(u"AuthorLabel"_s));
    WebSiteLabel->setText(texts.text(u"WebSiteLabel"_s));
    OKButton->setText(texts.text(u"OKButton"_s));
    CreditMemo->setPlainText(texts.text(u"CreditMemo"_s) + u'\n' + CreditsBlock());

    // 3. The title one point larger than the dialog's font.
    QFont titleFont = font();
    if (titleFont.pointSizeF() > 0)
        titleFont.setPointSizeF(titleFont.pointSizeF() + 1);
    else
        titleFont.setPixelSize(titleFont.pixelSize() + 1);
    TitleLabel->setFont(titleFont);

    // 5. (before the layout, so the label is sized to it) The product version.
    VersionLabel->setText(TRsVersionInfo(ProgramVersionData()).GetProductVersionText(0));

    const int iconSize = Scaled(48);
    IconImage->setPixmap(QIcon(u":/icon/tsumiki-256.png"_s).pixmap(QSize(iconSize, iconSize), devicePixelRatioF()));

    setFixedSize(Scaled(DesignedClientWidth), Scaled(DesignedClientHeight));
    const auto place = [this](QLabel* l, int x, int y) {
        l->adjustSize();
        l->move(Scaled(x), Scaled(y));
    };
    place(TitleLabel, 8, 8);
    IconImage->setGeometry(Scaled(8), Scaled(36), iconSize, iconSize);
    VSpacer->setGeometry(Scaled(60), Scaled(34), Scaled(10), Scaled(166));
    place(VersionLabel, 74, 36);
    place(AuthorLabel, 74, 56);
    place(WebSiteLabel, 74, 76);
    HSpacer->setGeometry(Scaled(30), Scaled(94), Scaled(346), Scaled(5));
    CreditMemo->setGeometry(Scaled(74), Scaled(106), Scaled(300), Scaled(92));
    OKButton->setGeometry(Scaled(284), Scaled(68), Scaled(90), Scaled(21));

    // 4. Labels taller than the designed line keep their text centred on it.
    AdjustLabelTops();
    WebSiteLabelMouseLeave();
    OKButton->setFocus(Qt::OtherFocusReason);
}

void TAboutForm::AdjustLabelTops()
{
    const int line = Scaled(DesignedLineHeight);
    const auto labels = findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    for (QLabel* l : labels) {
        if (l == IconImage || l->height() <= line)
            continue;
        l->move(l->x(), l->y() + TMainForm::GetTextTopMargin(QFontMetrics(l->font()), line));
    }
}

void TAboutForm::WebSiteLabelClick()
{
    QDesktopServices::openUrl(QUrl(WebSiteAddress()));
}

void TAboutForm::WebSiteLabelMouseEnter()
{
    WebSiteLabel->setCursor(Qt::PointingHandCursor);
    QPalette p = WebSiteLabel->palette();
    p.setColor(QPalette::WindowText, FIEAnchorColor);
    WebSiteLabel->setPalette(p);
    QFont f = WebSiteLabel->font();
    f.setUnderline(true);
    WebSiteLabel->setFont(f);
    WebSiteLabel->setToolTip(WebSiteAddress());
}

void TAboutForm::WebSiteLabelMouseLeave()
{
    WebSiteLabel->unsetCursor();
    QPalette p = WebSiteLabel->palette();
    p.setColor(QPalette::WindowText, palette().color(QPalette::WindowText));
    WebSiteLabel->setPalette(p);
    QFont f = WebSiteLabel->font();
    f.setUnderline(false);
    WebSiteLabel->setFont(f);
    WebSiteLabel->setToolTip(QString());
}

void TAboutForm::CreditMemoEnter()
{
    CreditMemo->selectAll();
}

bool TAboutForm::CreditMemoKeyDown(int key, Qt::KeyboardModifiers shift)
{
    const Qt::KeyboardModifiers held = shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_A && held == Qt::ControlModifier) {
        CreditMemo->selectAll();
        return true;
    }
    return false;
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == WebSiteLabel) {
        switch (event->type()) {
        case QEvent::Enter:
            WebSiteLabelMouseEnter();
            break;
        case QEvent::Leave:
            WebSiteLabelMouseLeave();
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                WebSiteLabel->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
                WebSiteLabelClick();
            break;
        default:
            break;
        }
    } else if (watched == CreditMemo) {
        if (event->type() == QEvent::FocusIn)
            CreditMemoEnter();
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (CreditMemoKeyDown(key->key(), key->modifiers()))
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QColor GetIEAnchorColor()
{
    return QGuiApplication::palette().color(QPalette::Link);
}

QColor ParseAnchorColor(const QString& text)
{
    static const QRegularExpression separators(u"[,\\s]+"_s);
    const QStringList parts = text.trimmed().split(separators, Qt::SkipEmptyParts);
    if (parts.size() < 3)
        return QColor(0, 0, 255);
    const auto part = [&parts](int i, int fallback) {
        bool ok = false;
        const int v = parts.at(i).toInt(&ok);
        return (ok ? v : fallback) & 0xFF;
    };
    return QColor(part(0, 0), part(1, 0), part(2, 255));
}

QString CreditsBlock()
{
    const QString zlib = ZlibVersionText();
    const QString libpng = LibpngVersionText();
    const QStringList lines = {
        u"* Qt "_s + QString::fromLatin1(qVersion()),
        u"  Copyright (C) The Qt Company Ltd."_s,
        u"  GNU Lesser General Public License version 3"_s,
        u"  https://www.qt.io/"_s,
        u"* zlib"_s + (zlib.isEmpty() ? QString() : u' ' + zlib),
        u"  Copyright (C) 1995-2022 Jean-loup Gailly and Mark Adler"_s,
        u"  Qt の PNG よみこみが つかって います"_s,
        u"  https://zlib.net/"_s,
        u"* libpng"_s + (libpng.isEmpty() ? QString() : u' ' + libpng),
        u"  Copyright (C) 1995-2022 The PNG Reference Library Authors"_s,
        u"  Qt の PNG よみこみが つかって います"_s,
        u"  http://www.libpng.org/pub/png/libpng.html"_s,
        u"* MD5 (RFC 1321)"_s,
        u"  RSA Data Security, Inc. MD5 Message-Digest Algorithm"_s,
        u"  つみき！ じしんの じっそー (ベリファイ)"_s,
        u"  https://www.rfc-editor.org/rfc/rfc1321"_s,
    };
    return lines.join(u'\n');
}
