#include "app/Ini.h"

#include "app/AtomicFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <limits>

using namespace Qt::StringLiterals;

// Reading rules, including what this reader does with files it did not write:
// - The whole file is read as UTF-16 LE; a leading FF FE is skipped. A dangling last byte of an odd
//   byte count is ignored. Any other content (UTF-8, binary) is decoded as UTF-16 LE all the same:
//   it yields odd characters but never a crash, and the parse stays linear in the file size.
// - Lines end at CR LF, and also at a lone LF or CR, so a file edited by hand with other line ends
//   still reads as lines.
// - A line "[name" without the closing "]" opens no section; it is an ordinary line of the current
//   section (an entry if it holds "=", otherwise a line that never matches).
// - Comment lines (";") and empty lines are not part of the image, so a rewrite drops them. Lines
//   without "=" inside a section are kept and written back (trimmed) in their place.
// - Names match by Unicode case folding, which is what a case-insensitive comparison in any locale
//   amounts to for the ASCII and Latin names this program writes.

namespace {

bool isTrimmable(QChar c)
{
    return c.unicode() <= 0x20;
}

QStringView trimmedView(QStringView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isTrimmable(s[b]))
        ++b;
    while (e > b && isTrimmable(s[e - 1]))
        --e;
    return s.sliced(b, e - b);
}

// A line break inside a name or value would split its line on the next read and could even forge
// a section of its own (a directory may be named "x\n[Task0]" on POSIX); it becomes a space.
QString storable(const QString& s)
{
    QString out = trimmedView(s).toString();
    for (QChar& c : out) {
        if (c == u'\r' || c == u'\n')
            c = u' ';
    }
    return out;
}

QString foldKey(QStringView s)
{
    return s.toString().toCaseFolded();
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

TIniFile::TIniFile(const QString& fileName)
    : m_fileName(fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return;
    // Opening a FIFO would block for ever, and a directory has nothing to read.
    if (!info.isFile()) {
        m_loadFailed = true;
        m_error = u"Cannot read \"%1\": it is not a file"_s.arg(QDir::toNativeSeparators(fileName));
        return;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_loadFailed = true;
        m_error = u"Cannot read \"%1\": %2"_s.arg(QDir::toNativeSeparators(fileName), file.errorString());
        return;
    }
    const qint64 size = file.size();
    if (size > MaxFileSize) {
        m_loadFailed = true;
        m_error = u"Cannot read \"%1\": the file is too large (%2 bytes)"_s.arg(QDir::toNativeSeparators(fileName))
                      .arg(size);
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_loadFailed = true;
        m_error = u"Cannot read \"%1\": %2"_s.arg(QDir::toNativeSeparators(fileName), file.errorString());
        return;
    }
    parse(bytes);
}

TIniFile TIniFile::fromBytes(const QByteArray& bytes)
{
    TIniFile ini;
    ini.parse(bytes);
    return ini;
}

TIniFile TIniFile::createEmpty(const QString& fileName)
{
    TIniFile ini;
    ini.m_fileName = fileName;
    return ini;
}

void TIniFile::parse(const QByteArray& bytes)
{
    qsizetype offset = 0;
    if (bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE)
        offset = 2;
    const qsizetype count = (bytes.size() - offset) / 2; // a dangling odd byte is ignored
    QString text(count, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(bytes.constData() + offset, count, text.data());

    Section* current = nullptr;
    const QStringView all(text);
    qsizetype pos = 0;
    while (pos < all.size()) {
        qsizetype end = pos;
        while (end < all.size() && all[end] != u'\n' && all[end] != u'\r')
            ++end;
        const QStringView line = trimmedView(all.sliced(pos, end - pos));
        pos = end + 1;
        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
            Section s;
            s.name = trimmedView(line.sliced(1, line.size() - 2)).toString();
            const QString folded = s.name.toCaseFolded();
            m_sections.append(std::move(s));
            m_sectionIndex.insert(folded, m_sections.size() - 1); // replaced below if not first
            current = &m_sections.last();
            continue;
        }
        if (!current)
            continue; // lines before the first section
        Line l;
        const qsizetype eq = line.indexOf(u'=');
        if (eq >= 0) {
            l.isEntry = true;
            l.key = trimmedView(line.first(eq)).toString();
            l.value = trimmedView(line.sliced(eq + 1)).toString();
        } else {
            l.value = line.toString();
        }
        addLine(*current, std::move(l));
    }
    // The first section of a name wins; the insert above kept the last one.
    rebuildSectionIndex();
}

void TIniFile::addLine(Section& section, Line line)
{
    if (line.isEntry) {
        const QString folded = line.key.toCaseFolded();
        if (!section.keyIndex.contains(folded))
            section.keyIndex.insert(folded, section.lines.size());
    }
    section.lines.append(std::move(line));
}

void TIniFile::rebuildSectionIndex()
{
    m_sectionIndex.clear();
    for (qsizetype i = 0; i < m_sections.size(); ++i) {
        const QString folded = m_sections[i].name.toCaseFolded();
        if (!m_sectionIndex.contains(folded))
            m_sectionIndex.insert(folded, i);
    }
}

const TIniFile::Section* TIniFile::findSection(const QString& name) const
{
    const auto it = m_sectionIndex.constFind(foldKey(trimmedView(name)));
    return it == m_sectionIndex.cend() ? nullptr : &m_sections[*it];
}

TIniFile::Section* TIniFile::findSection(const QString& name)
{
    const auto it = m_sectionIndex.constFind(foldKey(trimmedView(name)));
    return it == m_sectionIndex.cend() ? nullptr : &m_sections[*it];
}

const TIniFile::Line* TIniFile::findLine(const QString& section, const QString& key) const
{
    const Section* s = findSection(section);
    if (!s)
        return nullptr;
    const auto it = s->keyIndex.constFind(foldKey(trimmedView(key)));
    return it == s->keyIndex.cend() ? nullptr : &s->lines[*it];
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const Line* l = findLine(section, key);
    return l ? l->value : defaultValue;
}

int TIniFile::parseInteger(const QString& text, bool* ok)
{
    // Accumulated as a negative number so that the most negative int is reachable; anything
    // outside the int range is not an integer here (the caller's default applies).
    auto fail = [ok] {
        if (ok)
            *ok = false;
        return 0;
    };
    QStringView s(text);
    bool negative = false;
    if (!s.isEmpty() && (s.front() == u'+' || s.front() == u'-')) {
        negative = s.front() == u'-';
        s = s.sliced(1);
    }
    int base = 10;
    if (s.startsWith(u'$')) {
        base = 16;
        s = s.sliced(1);
    } else if (s.startsWith(u"0x") || s.startsWith(u"0X")) {
        base = 16;
        s = s.sliced(2);
    }
    if (s.isEmpty())
        return fail();
    constexpr qint64 limitPositive = std::numeric_limits<int>::max();
    constexpr qint64 limitNegative = qint64(std::numeric_limits<int>::max()) + 1;
    const qint64 limit = negative ? limitNegative : limitPositive;
    qint64 value = 0;
    for (QChar c : s) {
        const int d = base == 16 ? hexDigit(c) : (c.unicode() >= u'0' && c.unicode() <= u'9' ? c.unicode() - u'0' : -1);
        if (d < 0)
            return fail();
        value = value * base + d;
        if (value > limit)
            return fail();
    }
    if (ok)
        *ok = true;
    return int(negative ? -value : value);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    const Line* l = findLine(section, key);
    if (!l)
        return defaultValue;
    bool ok = false;
    const int v = parseInteger(l->value, &ok);
    return ok ? v : defaultValue;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    // Names and values are stored trimmed, as a reread of the file would give them back.
    const QString sectionName = storable(section);
    const QString keyName = storable(key);
    const QString stored = storable(value);
    Section* s = findSection(sectionName);
    if (!s) {
        Section fresh;
        fresh.name = sectionName;
        m_sections.append(std::move(fresh));
        m_sectionIndex.insert(sectionName.toCaseFolded(), m_sections.size() - 1);
        s = &m_sections.last();
    }
    const auto it = s->keyIndex.constFind(keyName.toCaseFolded());
    if (it != s->keyIndex.cend()) {
        s->lines[*it].value = stored;
        return;
    }
    Line l;
    l.isEntry = true;
    l.key = keyName;
    l.value = stored;
    addLine(*s, std::move(l));
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? u"1"_s : u"0"_s);
}

bool TIniFile::SectionExists(const QString& section) const
{
    return findSection(section) != nullptr;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    return findLine(section, key) != nullptr;
}

QStringList TIniFile::ReadSection(const QString& section) const
{
    QStringList keys;
    if (const Section* s = findSection(section)) {
        for (const Line& l : s->lines) {
            if (l.isEntry)
                keys.append(l.key);
        }
    }
    return keys;
}

QStringList TIniFile::ReadSections() const
{
    QStringList names;
    names.reserve(m_sections.size());
    for (const Section& s : m_sections)
        names.append(s.name);
    return names;
}

void TIniFile::EraseSection(const QString& section)
{
    // Every section of that name goes: erasing only the first would bring a later duplicate to life.
    const QString folded = foldKey(trimmedView(section));
    const qsizetype before = m_sections.size();
    m_sections.removeIf([&folded](const Section& s) { return s.name.toCaseFolded() == folded; });
    if (m_sections.size() != before)
        rebuildSectionIndex();
}

void TIniFile::Clear()
{
    m_sections.clear();
    m_sectionIndex.clear();
}

QByteArray TIniFile::toBytes() const
{
    QByteArray out(Utf16LeByteOrderMark, 2);
    for (const Section& s : m_sections) {
        AppendUtf16LeLine(out, u"["_s + s.name + u"]"_s);
        for (const Line& l : s.lines) {
            if (l.isEntry) {
                AppendUtf16Le(out, l.key);
                AppendUtf16Le(out, u"=");
            }
            AppendUtf16LeLine(out, l.value);
        }
        AppendUtf16LeLine(out, {});
    }
    return out;
}

bool TIniFile::UpdateFile()
{
    m_error.clear();
    if (m_fileName.isEmpty()) {
        m_error = u"The settings are not bound to a file"_s;
        return false;
    }
    QString reason;
    if (!WriteFileAtomically(m_fileName, toBytes(), &reason)) {
        m_error = u"Cannot write \"%1\": %2"_s.arg(QDir::toNativeSeparators(m_fileName), reason);
        return false;
    }
    return true;
}
