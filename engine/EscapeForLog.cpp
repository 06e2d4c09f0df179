#include "engine/EscapeForLog.h"

namespace {

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

bool isLineSeparator(char16_t c)
{
    return c == 0x2028 || c == 0x2029;
}

// True when the code unit at i is a surrogate without its partner.
bool isLoneSurrogate(const QString& text, qsizetype i)
{
    const char16_t c = text.at(i).unicode();
    if (QChar::isHighSurrogate(c))
        return i + 1 >= text.size() || !QChar::isLowSurrogate(text.at(i + 1).unicode());
    if (QChar::isLowSurrogate(c))
        return i == 0 || !QChar::isHighSurrogate(text.at(i - 1).unicode());
    return false;
}

bool needsEscape(const QString& text, qsizetype i)
{
    const char16_t c = text.at(i).unicode();
    return c < 0x20 || c == u'\\' || (c >= 0x7F && c <= 0x9F) || isLineSeparator(c)
           || (QChar::isSurrogate(c) && isLoneSurrogate(text, i));
}

void appendHex(QString& out, unsigned value, int digits)
{
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += QChar(kHexDigits[(value >> shift) & 0xF]);
}

} // namespace

QString EscapeForLog(const QString& name)
{
    qsizetype first = 0;
    while (first < name.size() && !needsEscape(name, first))
        ++first;
    if (first == name.size())
        return name;
    QString out;
    out.reserve(name.size() + 8);
    out += QStringView(name).first(first);
    for (qsizetype i = first; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (!needsEscape(name, i)) {
            out += QChar(c);
            continue;
        }
        out += u'\\';
        if (c == u'\\') {
            out += u'\\';
        } else if (c == u'\t') {
            out += u't';
        } else if (c == u'\n') {
            out += u'n';
        } else if (c == u'\r') {
            out += u'r';
        } else if (c <= 0x7F) {
            out += u'x';
            appendHex(out, c, 2);
        } else if (c >= 0xDC80 && c <= 0xDCFF) {
            out += u'x'; // a byte of the name that is not UTF-8: shown as that byte
            appendHex(out, c - 0xDC00, 2);
        } else {
            out += u'u';
            appendHex(out, c, 4);
        }
    }
    return out;
}

QString EscapeTaskPathForLog(const QString& path)
{
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (path.at(i) != u'\\' && needsEscape(path, i))
            return EscapeForLog(path);
    }
    return path;
}
