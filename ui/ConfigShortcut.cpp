#include "ui/ConfigShortcut.h"

#include "app/Lang.h"
#include "app/MsgDialog.h"
#include "app/Settings.h"
#include "RsUnits/RsEdit.h"
#include "RsUnits/RsGrid.h"
#include "RsUnits/RsHotkey.h"
#include "ui/DialogLook.h"
#include "ui/Main.h"
#include "app/WindowKeys.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

using namespace Qt::StringLiterals;

namespace {

const QString DialogName = u"ConfigShortcutForm"_s;
constexpr int DesignedClientWidth = 435;
constexpr int DesignedClientHeight = 389;
constexpr int DesignedRowHeight = 24;

} // namespace

TConfigShortcutForm::TConfigShortcutForm(TMainForm* owner)
    : QDialog(owner)
    , m_main(owner)
{
    setObjectName(DialogName);
    m_dpi = ScreenDpi(this);
    SetFixedDialogFrame(this);
    const auto label = [this](const QString& name) { return MakePlainLabel(this, name); };
    const auto button = [this](const QString& name) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    Label001 = label(u"Label001"_s);
    Grid001 = new TRsGrid(this);
    Grid001->setObjectName(u"Grid001"_s);
    Label002 = label(u"Label002"_s);
    Edit001 = new TRsEdit(this);
    Edit001->setObjectName(u"Edit001"_s);
    Button001 = button(u"Button001"_s);
    Label003 = label(u"Label003"_s);
    HotKey001 = new TRsHotKey(this);
    HotKey001->setObjectName(u"HotKey001"_s);
    Button002 = button(u"Button002"_s);
    Button003 = button(u"Button003"_s);

    // Tab order: the list, the box to type in, then the buttons.
    setTabOrder(Grid001, HotKey001);
    setTabOrder(HotKey001, Button001);
    setTabOrder(Button001, Button002);
    setTabOrder(Button002, Button003);

    connect(Grid001, &TRsGrid::clicked, this, [this](TRsGrid*) { Grid001Click(); });
    connect(Grid001, &TRsGrid::drawCell, this,
            [this](TRsGrid*, int c, int r, const QRect& rect, TGridDrawState) { Grid001DrawCell(c, r, rect); });
    connect(Grid001, &TRsGrid::colWidthsChanged, this, [this](TRsGrid*) { Grid001ColWidthsChanged(); });
    connect(Grid001, &TRsGrid::resized, this, [this](TRsGrid*) { Grid001ColWidthsChanged(); });
    connect(Button001, &QPushButton::clicked, this, &TConfigShortcutForm::DeleteShortcut);
    connect(Button002, &QPushButton::clicked, this, &TConfigShortcutForm::Button002Click);
    connect(Button003, &QPushButton::clicked, this, &QDialog::accept);
    connect(HotKey001, &TRsHotKey::OnChange, this, [this](TRsHotKey*) { HotKey001Change(); });
}

int TConfigShortcutForm::Scaled(int size) const
{
    return TMainForm::ScaleDesignSize(size, m_dpi);
}

void TConfigShortcutForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TConfigShortcutForm::FormShow()
{
    // 1. The system menu font; a fixed size.
    setFont(QApplication::font("QMenu"));
    setFixedSize(Scaled(DesignedClientWidth), Scaled(DesignedClientHeight));

    // 2. Texts and the stored position.
    const TDialogTexts texts = LoadConfigShortcutFormTexts();
    setWindowTitle(texts.caption);
    Label001->setText(texts.text(u"Label001"_s));
    Label002->setText(texts.text(u"Label002"_s));
    Label003->setText(texts.text(u"Label003"_s));
    Button001->setText(texts.text(u"Button001"_s));
    Button002->setText(texts.text(u"Button002"_s));
    Button003->setText(texts.text(u"Button003"_s));
    const TDialogPosition position = LoadDialogPosition(DialogName, {395, 302});
    move(position.Left, position.Top);

    // 3. The list of commands.
    const int rowHeight = Scaled(DesignedRowHeight);
    Grid001->BeginUpdate();
    Grid001->SetFixedCols(0);
    Grid001->SetFixedRows(0);
    Grid001->SetColCount(2);
    Grid001->SetOptions(goVertLine | goHorzLine | goRowSelect | goThumbTracking);
    Grid001->ViewOptions()->SetShowHorzScrollBar(false);
    Grid001->ViewOptions()->SetShowVertScrollBar(true);
    Grid001->ViewOptions()->AdjustDefaultColors();
    Grid001->setFont(font());
    Grid001->SetDefaultRowHeight(rowHeight);
    Grid001->setAttribute(Qt::WA_InputMethodEnabled, false);
    Grid001->setFocusPolicy(Qt::StrongFocus);
    Grid001->EndUpdate();
    FGridTextLeftMargin = 4;
    FGridTextTopMargin = TMainForm::GetTextTopMargin(QFontMetrics(Grid001->font()), rowHeight);

    const auto place = [this](QWidget* w, int x, int y, int width = -1, int height = -1) {
        if (auto* l = qobject_cast<QLabel*>(w))
            l->adjustSize();
        w->move(Scaled(x), Scaled(y));
        if (width >= 0)
            w->resize(Scaled(width), Scaled(height));
    };
    place(Label001, 8, 8);
    Grid001->setGeometry(Scaled(8), Scaled(32), Scaled(419), 10 * rowHeight + 10);
    place(Label002, 8, 293);
    place(Edit001, 136, 290, 192, 23);
    place(Button001, 337, 290, 90, 21);
    place(Label003, 8, 325);
    place(HotKey001, 136, 322, 192, 23);
    place(Button002, 337, 322, 90, 21);
    place(Button003, 337, 362, 90, 21);

    // 4. The two boxes: flat, without a border; the shortcut box only shows.
    Edit001->clear();
    Edit001->setReadOnly(true);
    Edit001->setFocusPolicy(Qt::NoFocus);
    Edit001->SetBorderStyle(bsNone);
    Edit001->SetFlatStyle(rfsFlatNormal);
    HotKey001->SetBorderStyle(bsNone);
    HotKey001->SetFlatStyle(rfsFlatNormal);

    // 5.-6. The commands, the tray command left out.
    FActList.LoadFromActionList(m_main->ActionList1, m_main->MenuCategories());
    RemovePopupAction();
    Grid001->SetColWidths(0, FActList.GetCategoryMaxWidth(QFontMetrics(Grid001->font())) + 2 * FGridTextLeftMargin);
    Grid001->SetRowCount(qMax(FActList.Count(), 1));
    Grid001->SetRow(0);
    Grid001ColWidthsChanged();
    // Without fixed cells the first column and row are the first scrollable ones.
    Grid001->SetLeftCol(0);
    Grid001->SetTopRow(0);
    Grid001->setFocus(Qt::OtherFocusReason);
    Grid001Click();
}

void TConfigShortcutForm::RemovePopupAction()
{
    const int index = FActList.IndexOfName(TrayActionName);
    if (index >= 0)
        FActList.Delete(index);
}

void TConfigShortcutForm::Grid001ColWidthsChanged()
{
    // Each column's line counts, or the second column would not fit and a click on it would
    // scroll the first out of view.
    const int rest = Grid001->viewport()->width() - Grid001->ColWidths(0) - 2 * Grid001->GridLineWidth();
    if (rest > 0 && rest != Grid001->ColWidths(1))
        Grid001->SetColWidths(1, rest);
}

void TConfigShortcutForm::Grid001DrawCell(int col, int row, const QRect& rect)
{
    QPainter* canvas = Grid001->Canvas();
    if (!canvas || FActList.Count() == 0 || row < 0 || row >= FActList.Count())
        return;
    const TRsActItem* item = FActList.Items(row);
    const int baseline = rect.top() + FGridTextTopMargin + canvas->fontMetrics().ascent();
    canvas->drawText(QPoint(rect.left() + FGridTextLeftMargin, baseline), col == 0 ? item->Category : item->Caption);
}

TRsActItem* TConfigShortcutForm::SelectedItem() const
{
    const int row = Grid001->Row();
    return row >= 0 && row < FActList.Count() ? FActList.Items(row) : nullptr;
}

void TConfigShortcutForm::Grid001Click()
{
    const TRsActItem* item = SelectedItem();
    Edit001->setText(item ? QString(item->ShortCutStr()).replace(u"+"_s, u" + "_s) : QString());
    Button001->setEnabled(!Edit001->text().isEmpty());
    Button002->setEnabled(!HotKey001->IsEmpty());
}

void TConfigShortcutForm::HotKey001Change()
{
    Button002->setEnabled(!HotKey001->IsEmpty());
}

void TConfigShortcutForm::ApplyToAction(const TRsActItem* item)
{
    const int index = IndexOfActionName(m_main->ActionList1, item->Name);
    if (index >= 0)
        SetActionShortCut(m_main->ActionList1.at(index), item->ShortCut());
}

void TConfigShortcutForm::DeleteShortcut()
{
    TRsActItem* item = SelectedItem();
    if (!item || item->ShortCut() == 0)
        return;
    const QString what = item->ShortCutStr() + u" ("_s + item->ActionTitle() + u')';
    if (ShowMsgDialog(FormatLangText(MsgConfirmDeleteItem, what), TMsgDlgType::Confirmation, TMsgDlgButtons::OKCancel,
                      this) != TMsgDlgResult::OK)
        return;
    item->SetShortCut(0);
    Grid001Click();
    ApplyToAction(item);
}

void TConfigShortcutForm::Refuse(const QString& what)
{
    ShowMsgDialog(FormatLangText(MsgWarnSameItemExists, what) + u"\n\n"_s + MsgWarnExit, TMsgDlgType::Warning,
                  TMsgDlgButtons::OK, this);
    HotKey001->Clear();
}

void TConfigShortcutForm::Button002Click()
{
    if (HotKey001->IsEmpty())
        return;
    const TShortCut s = HotKey001->GetShortCut();
    // Modifiers alone are no shortcut.
    if ((s & 0xFF) == 0)
        return;
    // A key a pane of the window keeps for itself would be taken from it or never reach the command.
    const QString use = WindowKeyUse(s);
    if (!use.isEmpty()) {
        Refuse(ShortCutToText(s) + u" ("_s + use + u')');
        return;
    }
    const int i = FActList.IndexOfActionShortCut(s);
    if (i < 0) {
        AssignShortcut();
        return;
    }
    const TRsActItem* owner = FActList.Items(i);
    Refuse(owner->ShortCutStr() + u" ("_s + owner->ActionTitle() + u')');
}

void TConfigShortcutForm::AssignShortcut()
{
    TRsActItem* item = SelectedItem();
    if (!item)
        return;
    if (item->ShortCut() != 0) {
        const QString what = item->ShortCutStr() + u" ("_s + item->ActionTitle() + u')';
        if (ShowMsgDialog(FormatLangText(MsgConfirmOverwriteItem, what), TMsgDlgType::Confirmation,
                          TMsgDlgButtons::OKCancel, this) != TMsgDlgResult::OK) {
            HotKey001->Clear();
            return;
        }
    }
    item->SetShortCut(HotKey001->GetShortCut());
    Grid001Click();
    ApplyToAction(item);
    HotKey001->Clear();
}

void TConfigShortcutForm::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TConfigShortcutForm::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    SaveDialogPosition(DialogName, {x(), y()}, this);
    m_main->WriteShortcutKeys(this);
}
