// Opens a large generated NC file in the editor and prints how long it takes
// until the text is editable, the peak memory, the program-number scans, and
// what a repaint, a scroll and a keystroke cost at the start, middle and end.
//
//   editor_bench [megabytes=150] [folder=/tmp]
//
// The file is generated in `folder` and removed at the end.

#include "editor/document_files.h"
#include "editor/nc_editor.h"
#include "nctools/program_index.h"
#include "platform/dialog_service.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {

long peakKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long currentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

class Sink : public DocumentSink
{
public:
    explicit Sink(NcEditor& e) : m_e(e) {}
    void beginText(qsizetype n) override { m_e.beginLoad(n); }
    void appendText(const char* d, qsizetype n) override { m_e.appendUtf8(d, n); }
    void endText() override { m_e.endLoad(); }
    bool isTextEmpty() const override { return m_e.isEmptyText(); }
    NcEditor& m_e;
};

QByteArray generate(const QString& path, qint64 megabytes, bool withJapanese)
{
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    const qint64 target = megabytes * 1000 * 1000;
    qint64 written = 0;
    int program = 1000, n = 0;
    QByteArray chunk;
    while (written < target) {
        if (n % 3500 == 0) {
            chunk += "O" + QByteArray::number(program++) +
                     (withJapanese ? QByteArray("(\x89\xc1\x8d\x48)") : QByteArray(" (SHAFT)")) + "\r\n";
        }
        ++n;
        chunk += "N" + QByteArray::number(n % 100000) + " G01 X" + QByteArray::number(n % 997) +
                 ".125 Y-" + QByteArray::number(n % 541) + ".5 Z2. F1200\r\n";
        if (chunk.size() > (1 << 20)) {
            out.write(chunk);
            written += chunk.size();
            chunk.clear();
        }
    }
    out.write(chunk);
    return QByteArray();
}

void run(const QString& path, qint64 megabytes, bool withJapanese)
{
    generate(path, megabytes, withJapanese);
    const qint64 size = QFile(path).size();
    std::printf("\n== %s text, %.1f MB\n", withJapanese ? "CP932 (with Japanese comments)" : "ASCII",
                size / 1e6);

    NcEditor editor;
    editor.resize(800, 600);
    editor.show();
    QTest::qWait(50);
    const long before = currentKb();
    ScriptedDialogService dialogs;

    QElapsedTimer timer;
    timer.start();
    Sink sink(editor);
    LoadDocument(sink, path, dialogs);
    const qint64 loaded = timer.elapsed();
    editor.setCaretPosition(0);
    editor.repaint();
    QCoreApplication::processEvents();
    const qint64 shown = timer.elapsed();
    std::printf("open until editable: %lld ms (read+convert %lld ms), lines %d\n",
                (long long)shown, (long long)loaded, editor.lineCount());
    std::printf("memory: before %ld MB, after %ld MB, peak %ld MB; peak growth %.2f x file size\n",
                before / 1024, currentKb() / 1024, peakKb() / 1024,
                (peakKb() - before) * 1024.0 / double(size));

    ProgramIndex index;
    QString letter;
    timer.restart();
    RebuildProgramIndex(index, editor.utf8View(), PlanIndexScan(index, editor.lineCount(), 0, 0),
                        letter);
    std::printf("full program-number scan: %lld ms, %d programs\n", (long long)timer.elapsed(),
                index.size());

    // An Enter near the end: an incremental rebuild from the caret line.
    const int scanLines = editor.lineCount();
    const int line = scanLines - 2000;
    editor.setCaretPosition(editor.lineStart(line));
    editor.resetChangedLine();
    timer.restart();
    QTest::keyClick(&editor, Qt::Key_Return);
    const qint64 key = timer.nsecsElapsed() / 1000;
    timer.restart();
    RebuildProgramIndex(index, editor.utf8View(),
                        PlanIndexScan(index, editor.lineCount(), scanLines, editor.caretLine(),
                                      editor.firstChangedLine()),
                        letter);
    std::printf("typing: one key %lld us; incremental rebuild after Enter: %lld ms\n",
                (long long)key, (long long)timer.elapsed());

    // Typing inside a line keeps the line count: a full rebuild.
    timer.restart();
    QTest::keyClick(&editor, Qt::Key_A);
    const qint64 key2 = timer.nsecsElapsed() / 1000;
    timer.restart();
    RebuildProgramIndex(index, editor.utf8View(),
                        PlanIndexScan(index, editor.lineCount(), editor.lineCount(), 0), letter);
    std::printf("typing: one key %lld us; full rebuild (line count unchanged): %lld ms\n",
                (long long)key2, (long long)timer.elapsed());

    // The view (and caret) at a place in the text: a repaint, a one-line
    // scroll with its repaint, and a typed character with its repaint. Each
    // should cost about the same wherever it is.
    const auto paintAt = [&](double fraction) {
        const int at = std::min(int(editor.lineCount() * fraction), editor.lineCount() - 40);
        editor.setCaretPosition(editor.lineStart(at + 5));
        editor.scrollLineToSecond(at);
        editor.repaint();
        QCoreApplication::processEvents();
        const int rounds = 10;
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < rounds; ++i)
            editor.repaint();
        const double paint = t.nsecsElapsed() / 1e6 / rounds;
        t.restart();
        for (int i = 0; i < rounds; ++i) {
            // Up and back: at the end there is no line further down.
            editor.scrollLineToSecond(at - i % 2);
            editor.repaint();
        }
        const double scroll = t.nsecsElapsed() / 1e6 / rounds;
        t.restart();
        for (int i = 0; i < rounds; ++i) {
            QTest::keyClick(&editor, Qt::Key_B);
            editor.repaint();
            QCoreApplication::processEvents();
        }
        const double key = t.nsecsElapsed() / 1e6 / rounds;
        std::printf("view at %3.0f %%: repaint %.2f ms, scroll + repaint %.2f ms, "
                    "key + repaint %.2f ms\n",
                    fraction * 100, paint, scroll, key);
    };
    paintAt(0.0);
    paintAt(0.5);
    paintAt(1.0);

    timer.restart();
    editor.scrollLineToSecond(editor.lineCount() / 2);
    editor.repaint();
    std::printf("scroll to the middle and paint: %lld ms\n", (long long)timer.elapsed());
    timer.restart();
    editor.scrollLineToSecond(editor.lineCount() * 3 / 4);
    editor.repaint();
    std::printf("scroll further and paint: %lld ms\n", (long long)timer.elapsed());
    timer.restart();
    editor.scrollLineToSecond(10);
    editor.repaint();
    std::printf("scroll back to the top and paint: %lld ms\n", (long long)timer.elapsed());
    QFile::remove(path);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 150;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("/tmp");
    const bool japanese = argc > 3 && QByteArray(argv[3]) == "cp932";
    run(folder + QStringLiteral("/kelvra_bench.nc"), megabytes, japanese);
    return 0;
}
