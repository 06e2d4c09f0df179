#include "model/RsTaskList.h"

#include "app/Ini.h"
#include "app/Lang.h"
#include "app/LangExtra.h"
#include "app/ProgramDir.h"
#include "app/TmkLib.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

const QString GeneralSection = u"General"_s;

// A damaged file can claim any count; beyond these nothing real can follow, and honouring two
// billion tasks or keys would exhaust memory or take hours.
constexpr int MaxTaskCount = 100000;
constexpr int MaxExcludedItemCount = 1000000;

// Reads one "text,kind" entry; false when it has no comma or the kind is not a known ordinal.
bool parseExcludedItem(const QString& value, TExcludedItem& item)
{
    const qsizetype comma = value.lastIndexOf(u',');
    if (comma < 0)
        return false;
    const QStringView kind = QStringView(value).sliced(comma + 1).trimmed();
    if (kind.isEmpty())
        return false;
    for (QChar c : kind) {
        if (c < u'0' || c > u'9')
            return false;
    }
    bool ok = false;
    const int tag = kind.toInt(&ok, 10);
    if (!ok || tag < eitDir || tag > eitExt)
        return false;
    item.Text = value.first(comma);
    item.Tag = tag;
    return true;
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        lines.append(text.sliced(pos, end - pos));
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n')
            ++end;
        pos = end + 1;
    }
    return lines;
}

} // namespace

QString LogHeadingRule()
{
    return QString(78, u'-');
}

QString LogHeadingTitle(const QString& taskListName)
{
    // Before a language file is read the built-in label is used.
    const QString label = TaskListLabel.isEmpty() ? DefaultLangText(u"MainForm"_s, u"TaskListLabel"_s) : TaskListLabel;
    return label + u": "_s + taskListName;
}

bool ReadLogFileLines(const QString& fileName, QStringList& lines, QString* errorText)
{
    if (!QFileInfo(fileName).isFile()) { // a FIFO would block the open for ever
        if (errorText)
            *errorText = u"Cannot read \"%1\": it is not a file"_s.arg(QDir::toNativeSeparators(fileName));
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (errorText)
            *errorText = u"Cannot read \"%1\": %2"_s.arg(QDir::toNativeSeparators(fileName), file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (errorText)
            *errorText = u"Cannot read \"%1\": %2"_s.arg(QDir::toNativeSeparators(fileName), file.errorString());
        return false;
    }
    QStringConverter::Encoding encoding = QStringConverter::System;
    qsizetype skip = 0;
    if (bytes.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
        skip = 2;
    } else if (bytes.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
        skip = 2;
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        encoding = QStringConverter::Utf8;
        skip = 3;
    }
    QStringDecoder decoder(encoding);
    const QString text = decoder.decode(QByteArrayView(bytes).sliced(skip));
    lines = splitLines(text);
    return true;
}

TRsTaskList::TRsTaskList()
{
    LogList << LogHeadingRule() << LogHeadingTitle(QString());
}

TRsTaskList::~TRsTaskList()
{
    Clear();
}

int TRsTaskList::Add(TRsTaskItem* AObject)
{
    m_items.append(AObject);
    return int(m_items.size()) - 1;
}

void TRsTaskList::Insert(int index, TRsTaskItem* AObject)
{
    m_items.insert(index, AObject);
}

int TRsTaskList::Remove(TRsTaskItem* AObject)
{
    const int index = IndexOf(AObject);
    if (index >= 0)
        Delete(index);
    return index;
}

void TRsTaskList::Delete(int index)
{
    delete m_items.takeAt(index);
}

TRsTaskItem* TRsTaskList::Extract(int index)
{
    return m_items.takeAt(index);
}

void TRsTaskList::Move(int curIndex, int newIndex)
{
    m_items.move(curIndex, newIndex);
}

int TRsTaskList::IndexOf(const TRsTaskItem* AObject) const
{
    return int(m_items.indexOf(AObject));
}

void TRsTaskList::Clear()
{
    qDeleteAll(m_items);
    m_items.clear();
}

void TRsTaskList::SetTaskListName(const QString& name)
{
    m_taskListName = name;
    // A damaged dated log may leave fewer than two lines: the missing heading lines are added
    // rather than replacing a line of the log itself.
    if (LogList.isEmpty())
        LogList.append(LogHeadingRule());
    if (LogList.size() < 2)
        LogList.append(LogHeadingTitle(name));
    else
        LogList.replaceHeading(1, LogHeadingTitle(name));
}

QString TRsTaskList::GetTaskListFileName() const
{
    return ProgramDirectory() + m_taskListName + u".ini"_s;
}

QString TRsTaskList::GetLogFileName(bool AAddDateStr) const
{
    QString name = ProgramDirectory() + m_taskListName;
    if (AAddDateStr)
        name += CurrentDateTime().date().toString(u"yyyyMMdd"_s);
    return name + u".log"_s;
}

bool TRsTaskList::LoadFromFile(const QString& AFileName, QString* AErrorText, QStringList* AWarnings)
{
    Clear();
    bool ok = true;
    QString error;
    const TIniFile ini(AFileName);
    if (ini.loadFailed()) {
        ok = false;
        error = ini.errorString();
    }
    auto warn = [AWarnings](const QString& text) {
        if (AWarnings)
            AWarnings->append(text);
    };

    // The name becomes the name of the list's files: one that cannot be a file name of its own in
    // the program directory ("../x", "", the settings file's) gives way to the name of the file the
    // list came from. A missing file names nothing.
    const QString storedName = ini.ReadString(GeneralSection, u"TaskListName"_s, QString());
    QString name = storedName;
    if (ok && QFileInfo::exists(AFileName) && !TRsTaskListManager::IsUsableTaskListName(name)) {
        name = QFileInfo(AFileName).completeBaseName();
        if (!TRsTaskListManager::IsUsableTaskListName(name)) {
            if (AErrorText)
                *AErrorText =
                    u"The task list name \"%1\" cannot be a file name, nor can \"%2\""_s.arg(storedName, name);
            return false;
        }
        warn(FormatLangText(MsgWarnTaskListNameReplaced, QDir::toNativeSeparators(AFileName), storedName, name));
    }
    SetTaskListName(name);
    SaveLog = ini.ReadBool(GeneralSection, u"SaveLog"_s, true);
    AddDateStr = ini.ReadBool(GeneralSection, u"AddDateStr"_s, false);

    if (AddDateStr) {
        // A dated log that cannot be read leaves the fresh heading; the next run replaces the file,
        // so the user is told now.
        const QString logName = GetLogFileName(true);
        if (QFileInfo::exists(logName) || QFileInfo(logName).isSymLink()) {
            QStringList lines;
            QString logError;
            if (ReadLogFileLines(logName, lines, &logError))
                LogList.assign(lines);
            else
                warn(FormatLangText(MsgWarnLogFileUnreadable, QDir::toNativeSeparators(logName)) + u"\n"_s + logError);
        }
    }

    const int taskCount = qMin(ini.ReadInteger(GeneralSection, u"TaskCount"_s, 0), MaxTaskCount);
    for (int i = 0; i < taskCount; ++i) {
        const QString section = u"Task"_s + QString::number(i);
        auto* item = new TRsTaskItem;
        item->SrcPath = ini.ReadString(section, u"SrcPath"_s, QString());
        item->DstPath = ini.ReadString(section, u"DstPath"_s, QString());
        item->IncludingSubDirs = ini.ReadBool(section, u"IncludingSubDirs"_s, true);
        item->Mirroring = ini.ReadBool(section, u"Mirroring"_s, true);
        item->Verifying = ini.ReadBool(section, u"Verifying"_s, false);
        item->Enabled = ini.ReadBool(section, u"Enabled"_s, true);
        const int excludedCount =
            qMin(ini.ReadInteger(section, u"ExcludedItemCount"_s, 0), MaxExcludedItemCount);
        for (int j = 0; j < excludedCount; ++j) {
            // An entry without a comma or with an unknown kind was not written by this program;
            // it is skipped rather than guessed at.
            TExcludedItem entry;
            if (parseExcludedItem(ini.ReadString(section, u"ExcludedItem"_s + QString::number(j), QString()),
                                  entry))
                item->ExcludedItemList.append(entry);
        }
        item->SortExcludedItemList();
        Add(item);
    }

    if (!ok && AErrorText)
        *AErrorText = error;
    return ok;
}

bool TRsTaskList::SaveToFile(const QString& AFileName, QString* AErrorText)
{
    // Nothing of an earlier file survives, so the old content is not even read.
    TIniFile ini = TIniFile::createEmpty(AFileName);
    ini.WriteString(GeneralSection, u"TaskListName"_s, m_taskListName);
    ini.WriteBool(GeneralSection, u"SaveLog"_s, SaveLog);
    ini.WriteBool(GeneralSection, u"AddDateStr"_s, AddDateStr);
    ini.WriteInteger(GeneralSection, u"TaskCount"_s, Count());
    for (int i = 0; i < Count(); ++i) {
        TRsTaskItem* item = m_items[i];
        const QString section = u"Task"_s + QString::number(i);
        ini.WriteString(section, u"SrcPath"_s, item->SrcPath);
        ini.WriteString(section, u"DstPath"_s, item->DstPath);
        ini.WriteBool(section, u"IncludingSubDirs"_s, item->IncludingSubDirs);
        ini.WriteBool(section, u"Mirroring"_s, item->Mirroring);
        ini.WriteBool(section, u"Verifying"_s, item->Verifying);
        ini.WriteBool(section, u"Enabled"_s, item->Enabled);
        ini.WriteInteger(section, u"ExcludedItemCount"_s, int(item->ExcludedItemList.size()));
        item->SortExcludedItemList();
        for (int j = 0; j < item->ExcludedItemList.size(); ++j) {
            const TExcludedItem& e = item->ExcludedItemList[j];
            ini.WriteString(section, u"ExcludedItem"_s + QString::number(j), e.Text + u',' + QString::number(e.Tag));
        }
    }
    if (ini.UpdateFile())
        return true;
    if (AErrorText)
        *AErrorText = ini.errorString();
    return false;
}

void TRsTaskList::Assign(const TRsTaskList& AList)
{
    m_taskListName = AList.m_taskListName;
    SaveLog = AList.SaveLog;
    AddDateStr = AList.AddDateStr;
    LogList.assign(AList.LogList);
    for (const TRsTaskItem* source : AList.m_items) {
        auto* copy = new TRsTaskItem;
        copy->Assign(*source);
        Add(copy);
    }
}
