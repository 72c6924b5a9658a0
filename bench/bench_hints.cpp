// Times the hints window on a long rich-text file: reading it alone, the first showing (read and
// lay out) and a resize that keeps the width. Processor time, so a busy machine does not count.
// Usage: bench_hints [KILOBYTES] (default 1024).
#include "HintsWindow.h"
#include "RtfReader.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>

#include <cstdio>
#include <ctime>

namespace {

// Processor milliseconds since the last call.
long long lap()
{
    static std::clock_t last = std::clock();
    const std::clock_t now = std::clock();
    const long long ms = (now - last) * 1000LL / CLOCKS_PER_SEC;
    last = now;
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const qsizetype kilobytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1024;

    // A formatting run every few words, the way a word processor writes a busy guide.
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
                     "{\\colortbl ;\\red200\\green0\\blue0;}\\f0\\fs20 ";
    for (int i = 0; rtf.size() < kilobytes * 1024; ++i) {
        rtf += i % 2 ? "{\\b pogrubione s\\'b3owa} " : "{\\i\\cf1 kursywa} zwyk\\'b3y tekst ";
        if (i % 12 == 11)
            rtf += "\\par ";
    }
    rtf += "}";

    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("Ruvarez.rtf")));
    if (!file.open(QIODevice::WriteOnly) || file.write(rtf) != rtf.size())
        return 1;
    file.close();

    lap();
    QTextDocument apart;
    apart.setUndoRedoEnabled(false);
    kolvar::hints::readRichOrPlainText(rtf, apart);
    const long long read = lap();

    HintsWindow help(folder.path(), folder.path(), nullptr);
    help.show();
    QApplication::processEvents();
    const long long shown = lap();
    help.resize(help.width(), help.height() - 40);
    QApplication::processEvents();
    const long long resized = lap();

    std::printf("hints file %lld KB, %lld paragraphs: read alone in %lld ms, shown in %lld ms, "
                "resized (same width) in %lld ms\n",
        static_cast<long long>(rtf.size() / 1024),
        static_cast<long long>(help.textView()->document()->blockCount()), read, shown, resized);
    return 0;
}
