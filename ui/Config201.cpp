#include "ui/Config201.h"

#include "RsUnits/RsEdit.h"
#include "RsUnits/RsSelectFolder.h"
#include "RsUnits/RsSpacer.h"
#include "app/Lang.h"
#include "app/LangExtra.h"
#include "app/MsgDialog.h"
#include "app/TmkLib.h"
#include "engine/RsFileUtils.h"
#include "engine/TaskPaths.h"
#include "model/RsTaskList.h"
#include "model/TaskListFiles.h"
#include "ui/ExcludedListBox.h"
#include "ui/Main.h"

#include <QCheckBox>
#include <QCollator>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

QString withDelimiter(const QString& path)
{
    return path.isEmpty() || path.endsWith(u'/') ? path : path + u'/';
}

} // namespace

TConfigForm201::TConfigForm201(TMainForm& mainForm)
    : TConfigDialog(mainForm, u"ConfigForm201"_s, QPoint(495, 202), 392, 487)
{
    // Created in tab order.
    Label201 = MakeLabel(this, u"Label201"_s, 8, 8);
    Edit201 = MakeEdit(this, u"Edit201"_s, 8, 28, 295);
    Button201 = MakeButton(this, u"Button201"_s, 309, 28, 75, 21);
    Label202 = MakeLabel(this, u"Label202"_s, 8, 60);
    Edit202 = MakeEdit(this, u"Edit202"_s, 8, 80, 295);
    Button202 = MakeButton(this, u"Button202"_s, 309, 80, 75, 21);
    CheckBox201 = MakeCheckBox(this, u"CheckBox201"_s, 8, 112);
    CheckBox202 = MakeCheckBox(this, u"CheckBox202"_s, 8, 140);
    CheckBox203 = MakeCheckBox(this, u"CheckBox203"_s, 8, 168);
    GroupBox201 = new QGroupBox(this);
    GroupBox201->setObjectName(u"GroupBox201"_s);
    // The caption sits in the frame's top line, so the first row of controls clears the frame.
    GroupBox201->setStyleSheet(u"QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
                               "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0 2px; }"_s);
    Place(GroupBox201, 8, 196, 373, 253);

    // The directory and the file exclusions: two rows of the same controls, 103 pixels apart.
    const int entryHeight = Scaled(18);
    const QColor inactive = mainForm.InactiveSelectionColor();
    auto exclusionRow = [&](int row, QLabel*& label, TRsEdit*& edit, QPushButton*& add, TExcludedListBox*& list,
                            QPushButton*& remove, TRsSpacer*& line) {
        const int y = row * 103;
        const auto name = [](const char* kind, int number) { return QString::fromLatin1(kind) + QString::number(number); };
        label = MakeLabel(GroupBox201, name("Label", 203 + row), 16, 20 + y);
        edit = MakeEdit(GroupBox201, name("Edit", 203 + row), 112, 17 + y, 172);
        add = MakeButton(GroupBox201, name("Button", 203 + 2 * row), 290, 17 + y);
        list = new TExcludedListBox(GroupBox201, entryHeight, inactive);
        list->setObjectName(name("ListBox", 201 + row));
        Place(list, 112, 45 + y, 172, 58);
        remove = MakeButton(GroupBox201, name("Button", 204 + 2 * row), 290, 82 + y);
        line = MakeDoubleLine(GroupBox201, name("Spacer", 201 + row), 16, 110 + y, 349);
    };
    exclusionRow(0, Label203, Edit203, Button203, ListBox201, Button204, Spacer201);
    exclusionRow(1, Label204, Edit204, Button205, ListBox202, Button206, Spacer202);
    Label205 = MakeLabel(GroupBox201, u"Label205"_s, 16, 226);
    Edit205 = MakeEdit(GroupBox201, u"Edit205"_s, 112, 223, 253);
    Edit205->setAttribute(Qt::WA_InputMethodEnabled, false);
    Edit205->installEventFilter(this);
    Button207 = MakeCloseButton(u"Button207"_s, 294, 459);
    SelectFolder1 = new TRsSelectFolder(this);

    connect(Edit201, &QLineEdit::editingFinished, this, [this] {
        if (TRsTaskItem* task = Task())
            task->SrcPath = Edit201->text();
    });
    connect(Edit202, &QLineEdit::editingFinished, this, [this] {
        if (TRsTaskItem* task = Task())
            task->DstPath = Edit202->text();
    });
    const std::pair<QCheckBox*, bool TRsTaskItem::*> switches[] = {
        {CheckBox201, &TRsTaskItem::IncludingSubDirs},
        {CheckBox202, &TRsTaskItem::Mirroring},
        {CheckBox203, &TRsTaskItem::Verifying},
    };
    for (const auto& [box, field] : switches) {
        connect(box, &QCheckBox::clicked, this, [this, field](bool on) {
            if (TRsTaskItem* task = Task())
                task->*field = on;
        });
    }
    connect(Button201, &QPushButton::clicked, this, [this] { BrowseFolder(Edit201, true); });
    connect(Button202, &QPushButton::clicked, this, [this] { BrowseFolder(Edit202, false); });
    connect(Button203, &QPushButton::clicked, this, [this] { AddExclusion(Edit203, ListBox201, eitDir); });
    connect(Button204, &QPushButton::clicked, this, [this] { DeleteExclusion(ListBox201, eitDir); });
    connect(Button205, &QPushButton::clicked, this, [this] { AddExclusion(Edit204, ListBox202, eitFile); });
    connect(Button206, &QPushButton::clicked, this, [this] { DeleteExclusion(ListBox202, eitFile); });
    connect(Edit205, &QLineEdit::editingFinished, this, [this] {
        TakeExtensionsIntoTask();
        ShowExtensions();
    });
}

TRsTaskItem* TConfigForm201::Task() const
{
    if (Closed() || !FList || FItemIndex < 0 || FItemIndex >= FList->Count())
        return nullptr;
    return FList->Items(FItemIndex);
}

void TConfigForm201::FormShow()
{
    const TDialogTexts texts = LoadConfigForm201Texts();
    const bool adding = MainForm().ActionName == u"ActTaskAddTask"_s;
    ApplyTexts(texts, adding ? AddTaskCaption : ConfigTaskCaption);
    LoadPosition();
    FTempExtList.clear();
    for (TRsEdit* edit : {Edit201, Edit202, Edit203, Edit204, Edit205})
        edit->clear();
    ListBox201->clear();
    ListBox202->clear();

    FList = MainForm().SelectedTaskList();
    if (FList && adding)
        FItemIndex = FList->Add(new TRsTaskItem);
    else if (FList)
        FItemIndex = MainForm().TaskGridRow() - 1;
    TRsTaskItem* task = Task();
    if (!task) {
        // Nothing to change: the dialog closes at once without touching anything.
        FList = nullptr;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    Edit201->setText(task->SrcPath);
    Edit202->setText(task->DstPath);
    FOldPath1 = task->SrcPath;
    FOldPath2 = task->DstPath;
    CheckBox201->setChecked(task->IncludingSubDirs);
    CheckBox202->setChecked(task->Mirroring);
    CheckBox203->setChecked(task->Verifying);
    FillList(ListBox201, eitDir);
    FillList(ListBox202, eitFile);
    ShowExtensions();
}

void TConfigForm201::FillList(TExcludedListBox* list, int type)
{
    QStringList texts;
    if (const TRsTaskItem* task = Task()) {
        for (const TExcludedItem& item : task->ExcludedItemList) {
            if (item.Tag == type)
                texts << item.Text;
        }
    }
    list->Fill(texts);
}

void TConfigForm201::ShowExtensions()
{
    QStringList texts;
    if (const TRsTaskItem* task = Task()) {
        for (const TExcludedItem& item : task->ExcludedItemList) {
            if (item.Tag == eitExt)
                texts << item.Text;
        }
    }
    // The stored entries are valid already; the list is only sorted and rid of duplicates.
    FTempExtList = TakeExtensions(texts.join(u';'));
    Edit205->setText(FTempExtList.join(u';'));
}

bool TConfigForm201::IsValidExtension(const QString& text)
{
    if (text.size() < 2 || text.at(0) != u'.')
        return false;
    for (QChar c : QStringView(text).mid(1)) {
        if (c.unicode() > 0x7E || c.unicode() <= 0x20 || c == u'.' || IsInvalidFileNameChar(c))
            return false;
    }
    return true;
}

QStringList TConfigForm201::TakeExtensions(const QString& text)
{
    // Split as a delimited text: ";" and white space end an entry, double quotes group one.
    QStringList entries;
    QString current;
    bool quoted = false;
    bool any = false;
    for (QChar c : text) {
        if (quoted) {
            if (c == u'"')
                quoted = false;
            else
                current += c;
        } else if (c == u'"') {
            quoted = true;
            any = true;
        } else if (c == u';' || c.unicode() <= 0x20) {
            if (any || !current.isEmpty())
                entries << current;
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any || !current.isEmpty())
        entries << current;

    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    QStringList sorted;
    for (const QString& entry : entries) {
        if (!IsValidExtension(entry))
            continue;
        const auto at = std::lower_bound(sorted.cbegin(), sorted.cend(), entry, [&](const QString& a, const QString& b) {
            return collator.compare(a, b) < 0;
        });
        // Of two entries equal ignoring case the first one met stays.
        if (at != sorted.cend() && collator.compare(*at, entry) == 0)
            continue;
        sorted.insert(at - sorted.cbegin(), entry);
    }
    return sorted;
}

void TConfigForm201::TakeExtensionsIntoTask()
{
    FTempExtList = TakeExtensions(Edit205->text());
    TRsTaskItem* task = Task();
    if (!task)
        return;
    task->ExcludedItemList.removeIf([](const TExcludedItem& item) { return item.Tag == eitExt; });
    for (const QString& ext : FTempExtList)
        task->SetExcludedItemList(ext, eitExt);
    task->SortExcludedItemList();
}

bool TConfigForm201::eventFilter(QObject* watched, QEvent* event)
{
    // The extension field takes only what an extension may hold; control keys pass.
    if (watched == Edit205 && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        for (QChar c : typed) {
            if (c.unicode() > 0x7E || IsInvalidFileNameChar(c))
                return true;
        }
    }
    return TConfigDialog::eventFilter(watched, event);
}

void TConfigForm201::BrowseFolder(TRsEdit* edit, bool source)
{
    if (!IsExistingDirectory(edit->text(), true))
        edit->clear();
    TRsSelectFolderOptions options = bifReturnOnlyFsDirs | bifNewDialogStyle;
    if (source)
        options |= bifNoNewFolderButton;
    SelectFolder1->Setup(SelectFolderCaption, SelectFolderTitle, edit->text(), QString(), dpOwnerFormCenter, 0, 0, this,
                         options);
    SelectFolder1->SetInitialSpecialFolder(edit->text().isEmpty() ? sfDrives : sfNone);
    if (!SelectFolder1->Execute())
        return;
    edit->setText(withDelimiter(SelectFolder1->FullPathName()));
    if (TRsTaskItem* task = Task())
        (source ? task->SrcPath : task->DstPath) = edit->text();
}

void TConfigForm201::AddExclusion(TRsEdit* edit, TExcludedListBox* list, int type)
{
    TRsTaskItem* task = Task();
    const QString text = edit->text();
    if (!task || text.isEmpty() || task->SameExcludedItemExists(text, TExcludedItemType(type)))
        return;
    task->SetExcludedItemList(text, TExcludedItemType(type));
    task->SortExcludedItemList();
    FillList(list, type);
    edit->clear();
}

void TConfigForm201::DeleteExclusion(TExcludedListBox* list, int type)
{
    TRsTaskItem* task = Task();
    const QListWidgetItem* current = list->currentItem();
    if (!task || !current || !current->isSelected())
        return;
    const QString text = current->text();
    const auto at = std::find_if(task->ExcludedItemList.cbegin(), task->ExcludedItemList.cend(),
                                 [&](const TExcludedItem& item) { return item.Tag == type && item.Text == text; });
    if (at == task->ExcludedItemList.cend())
        return;
    task->ExcludedItemList.removeAt(at - task->ExcludedItemList.cbegin());
    task->SortExcludedItemList();
    FillList(list, type);
}

void TConfigForm201::StoreTask()
{
    TRsTaskItem* task = Task();
    task->SrcPath = withDelimiter(Edit201->text());
    task->DstPath = withDelimiter(Edit202->text());
    task->IncludingSubDirs = CheckBox201->isChecked();
    task->Mirroring = CheckBox202->isChecked();
    task->Verifying = CheckBox203->isChecked();
    task->ExcludedItemList.clear();
    for (const QString& text : ListBox201->Texts())
        task->SetExcludedItemList(text, eitDir);
    for (const QString& text : ListBox202->Texts())
        task->SetExcludedItemList(text, eitFile);
    TakeExtensionsIntoTask();
    task->SortExcludedItemList();
}

bool TConfigForm201::CheckPathsApart(const QString& src, const QString& dst)
{
    QString warning;
    switch (CheckTaskPaths(src, dst, CheckBox201->isChecked(), CheckBox202->isChecked())) {
    case TTaskPathClash::tpcNone:
        return true;
    case TTaskPathClash::tpcSame:
        warning = MsgWarnTaskPathsSame;
        break;
    case TTaskPathClash::tpcDstInsideSrc:
        warning = MsgWarnTaskDstInsideSrc;
        break;
    case TTaskPathClash::tpcSrcInsideDst:
        warning = MsgWarnTaskSrcInsideDst;
        break;
    }
    ShowMsgDialog(warning + u"\n\n"_s + SrcLabel + u": "_s + src + u"\n"_s + DstLabel + u": "_s + dst,
                  TMsgDlgType::Warning, TMsgDlgButtons::OK, this);
    return false;
}

void TConfigForm201::SaveList()
{
    // A failure is told; the list stays as edited and is written again at exit.
    QString reason;
    if (!FList->SaveToFile(FList->GetTaskListFileName(), &reason))
        ReportWriteFailure(FList->GetTaskListFileName(), reason, this);
}

bool TConfigForm201::FormClose()
{
    if (!Task())
        return true;
    const QString path1 = Edit201->text();
    const QString path2 = Edit202->text();
    if (!path1.isEmpty() || !path2.isEmpty()) {
        if (path1.isEmpty() || path2.isEmpty()) {
            ShowMsgDialog(MsgWarnSpecifyPath + u" ("_s + (path1.isEmpty() ? SrcLabel : DstLabel) + u')',
                          TMsgDlgType::Warning, TMsgDlgButtons::OK, this);
            if (path1.isEmpty())
                Edit201->setText(FOldPath1);
            if (path2.isEmpty())
                Edit202->setText(FOldPath2);
            return false;
        }
        if (!CheckPathsApart(withDelimiter(path1), withDelimiter(path2)))
            return false;
        StoreTask();
        SaveList();
        return true;
    }
    if (!FOldPath1.isEmpty() || !FOldPath2.isEmpty()) {
        if (ShowMsgDialog(FormatLangText(MsgConfirmDeleteItem, TMainForm::TaskText(FOldPath1, FOldPath2)), TMsgDlgType::Confirmation,
                          TMsgDlgButtons::OKCancel, this) != TMsgDlgResult::OK) {
            Edit201->setText(FOldPath1);
            Edit202->setText(FOldPath2);
            return false;
        }
        FList->Delete(FItemIndex);
        FItemIndex = -1;
        SaveList();
        return true;
    }
    FList->Delete(FItemIndex);
    FItemIndex = -1;
    return true;
}

void TConfigForm201::FormAbandon()
{
    // A new task without paths would be written into the list's file at exit.
    if (FList && FItemIndex >= 0 && FItemIndex < FList->Count() && FOldPath1.isEmpty() && FOldPath2.isEmpty()) {
        const TRsTaskItem* task = FList->Items(FItemIndex);
        if (task->SrcPath.isEmpty() && task->DstPath.isEmpty())
            FList->Delete(FItemIndex);
    }
    FItemIndex = -1;
}
