// Feeds a run's worth of log lines into the window's log pane in blocks, as the run does, then scrolls
// to the top and back to the end, changes the pane's width, selects everything and copies it. Prints the time of each step, the
// slowest single step (what would freeze the window) and the resident memory, for the log pane
// (RsLogView) or, for comparison, the plain text box it replaced, fed as that one was fed.
//
//   logpane_bench [--old] [--lines N] [--batch N] [--unshared]
//
// The lines are those of a first copy: a kana key text and a relative path of 40-80 characters, files
// of one directory one after another; --unshared picks a new directory for every line.

#include "RsUnits/RsLogView.h"
#include "ui/RunLog.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <cstdio>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

long peakRssKiB()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long rssKiB()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Relative paths as a backup of photos, documents and sources produces them.
class LineMaker {
public:
    explicit LineMaker(bool unshared)
        : m_unshared(unshared)
    {
    }

    QString next()
    {
        if (m_unshared || m_left-- <= 0)
            newDirectory();
        // A first copy: every line a new file.
        static const QString key = u"F さくせー: "_s;
        const int length = std::uniform_int_distribution<int>(40, 80)(m_random);
        QString name = pick(m_stems) + u'_' + QString::number(m_number++);
        const int room = qMax(8, length - int(m_directory.size()) - 1);
        if (name.size() + 4 > room)
            name = name.right(room - 4);
        while (name.size() + 4 < room)
            name.prepend(pick(m_stems).left(room - 4 - name.size()) + u' ');
        return key + m_directory + u'/' + name + pick(m_extensions);
    }

private:
    QString pick(const QStringList& words)
    {
        return words.at(std::uniform_int_distribution<qsizetype>(0, words.size() - 1)(m_random));
    }

    void newDirectory()
    {
        m_left = std::uniform_int_distribution<int>(20, 80)(m_random);
        const int depth = std::uniform_int_distribution<int>(2, 4)(m_random);
        QStringList parts;
        for (int i = 0; i < depth; ++i)
            parts << pick(m_folders);
        m_directory = parts.join(u'/');
    }

    bool m_unshared;
    std::mt19937 m_random{20261210};
    QString m_directory;
    int m_left = 0;
    int m_number = 0;
    const QStringList m_folders{u"Photos"_s, u"2019"_s, u"2023"_s, u"京都 りょこー"_s, u"Documents"_s,
                                u"projects"_s, u"src"_s, u"include"_s, u"Music"_s, u"Albums"_s,
                                u"backup-old"_s, u"しゃしん"_s, u"Invoices"_s, u"node_modules"_s, u"lib"_s};
    const QStringList m_stems{u"IMG"_s, u"DSC"_s, u"report"_s, u"main"_s, u"track"_s, u"invoice"_s,
                              u"さくらの き"_s, u"notes"_s, u"index"_s, u"thumbnail"_s};
    const QStringList m_extensions{u".jpg"_s, u".png"_s, u".pdf"_s, u".cpp"_s, u".h"_s, u".flac"_s, u".txt"_s};
};

struct Step {
    const char* name;
    double totalMs = 0;
    double slowestMs = 0;

    void add(double ms)
    {
        totalMs += ms;
        slowestMs = qMax(slowestMs, ms);
    }
};

void printStep(const Step& step)
{
    std::printf("%-16s %9.1f ms   slowest %7.1f ms   rss %5ld MiB   peak %5ld MiB\n", step.name, step.totalMs,
                step.slowestMs, rssKiB() / 1024, peakRssKiB() / 1024);
    std::fflush(stdout);
}

// Everything the window does with an event: handling it and painting what changed.
template<typename Action>
double timed(QAbstractScrollArea* pane, Action&& action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    pane->viewport()->repaint();
    QCoreApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

void sendKey(QWidget* pane, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(pane, &event);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    bool old = false;
    bool unshared = false;
    qsizetype lines = 1000000;
    qsizetype batch = 1000;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--old")
            old = true;
        else if (args[i] == u"--unshared")
            unshared = true;
        else if (args[i] == u"--lines" && i + 1 < args.size())
            lines = args[++i].toLongLong();
        else if (args[i] == u"--batch" && i + 1 < args.size())
            batch = qMax(1, args[++i].toInt());
        else {
            std::fprintf(stderr, "usage: logpane_bench [--old] [--lines N] [--batch N] [--unshared]\n");
            return 2;
        }
    }

    // The log pane as the window has it at its design size: 730 wide, 120 below its header.
    QPlainTextEdit* textBox = nullptr;
    TRsLogView* logView = nullptr;
    QAbstractScrollArea* pane = nullptr;
    if (old) {
        pane = textBox = new QPlainTextEdit;
        textBox->setReadOnly(true);
        textBox->setUndoRedoEnabled(false);
    } else {
        pane = logView = new TRsLogView;
    }
    pane->setFrameShape(QFrame::NoFrame);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pane->resize(730, 120);
    pane->show();
    QCoreApplication::processEvents();
    std::printf("%s pane, %lld lines in blocks of %lld%s, platform %s\n", old ? "plain text box" : "RsLogView",
                static_cast<long long>(lines), static_cast<long long>(batch), unshared ? ", no shared directories" : "",
                qPrintable(QGuiApplication::platformName()));
    const long startKiB = rssKiB();
    std::printf("rss at start     %ld MiB\n", startKiB / 1024);

    // The run's way of feeding it: collected blocks, one append per block, following the end.
    TRunLog runLog(logView);
    const auto appendOld = [textBox](const QStringList& block) {
        QScrollBar* bar = textBox->verticalScrollBar();
        const bool atEnd = bar->value() >= bar->maximum();
        const int keep = bar->value();
        textBox->appendPlainText(block.join(u'\n'));
        bar->setValue(atEnd ? bar->maximum() : keep);
    };
    LineMaker maker(unshared);
    Step append{"append"};
    qint64 textChars = 0;
    for (qsizetype done = 0; done < lines; done += batch) {
        QStringList block;
        for (qsizetype i = done; i < qMin(lines, done + batch); ++i) {
            block << maker.next();
            textChars += block.back().size() + 1;
        }
        append.add(timed(pane, [&] {
            if (old) {
                appendOld(block);
            } else {
                runLog.AddPaneLines(block);
                runLog.Flush();
            }
        }));
    }
    printStep(append);
    std::printf("pane memory      %ld MiB (rss growth)", (rssKiB() - startKiB) / 1024);
    if (logView)
        std::printf(", lines kept in %lld MiB", static_cast<long long>(logView->lines().MemoryUsed() >> 20));
    std::printf(", text %lld MiB as UTF-16\n", static_cast<long long>(textChars * 2 >> 20));

    Step scroll{"top and end"};
    for (int round = 0; round < 3; ++round) {
        scroll.add(timed(pane, [&] { sendKey(pane, Qt::Key_Home); }));
        scroll.add(timed(pane, [&] { pane->verticalScrollBar()->setValue(pane->verticalScrollBar()->maximum() / 2); }));
        scroll.add(timed(pane, [&] { sendKey(pane, Qt::Key_End); }));
    }
    printStep(scroll);

    // The window's edge dragged: every line wraps anew.
    Step resize{"resize"};
    for (const int width : {600, 900, 730})
        resize.add(timed(pane, [&] { pane->resize(width, 120); }));
    printStep(resize);

    Step selectAll{"select all"};
    selectAll.add(timed(pane, [&] { sendKey(pane, Qt::Key_A, Qt::ControlModifier); }));
    printStep(selectAll);
    Step copy{"copy"};
    copy.add(timed(pane, [&] { sendKey(pane, Qt::Key_C, Qt::ControlModifier); }));
    printStep(copy);
    // What a paste into another program makes the clipboard produce.
    Step paste{"text for paste"};
    qsizetype pasted = 0;
    paste.add(timed(pane, [&] { pasted = QGuiApplication::clipboard()->text().size(); }));
    printStep(paste);
    std::printf("pasted %lld characters of %lld\n", static_cast<long long>(pasted),
                static_cast<long long>(textChars - 1));
    QGuiApplication::clipboard()->clear();
    delete pane;
    return 0;
}
