// Turns a language file kept as UTF-8 text in the sources into the form the program reads and
// writes: UTF-16 LE with a byte order mark, every line ended by CR LF.
//   make_langfile <source.txt> <target.lang>

#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: make_langfile <source.txt> <target.lang>\n", stderr);
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_langfile: cannot read %s\n", argv[1]);
        return 1;
    }
    QString text = QString::fromUtf8(source.readAll());
    text.remove(u'\r');
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

    QByteArray bytes("\xFF\xFE", 2);
    for (const QString& line : lines) {
        for (const QChar c : line + QStringLiteral("\r\n")) {
            bytes.append(char(c.unicode() & 0xFF));
            bytes.append(char(c.unicode() >> 8));
        }
    }
    QFile target(QString::fromLocal8Bit(argv[2]));
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate) || target.write(bytes) != bytes.size()
        || !target.flush()) {
        std::fprintf(stderr, "make_langfile: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
