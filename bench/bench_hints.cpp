// Times the hints window on a long rich-text file: the first showing (read and lay out) and a
// resize that keeps the width. Usage: bench_hints [KILOBYTES] (default 1024).
#include "help.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextEdit>

#include <cstdio>

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

    QElapsedTimer timer;
    timer.start();
    TFhelp help(folder.path(), folder.path(), nullptr);
    help.show();
    QApplication::processEvents();
    const qint64 shown = timer.restart();
    help.resize(help.width(), help.height() - 40);
    QApplication::processEvents();
    const qint64 resized = timer.elapsed();

    std::printf("hints file %lld KB, %lld paragraphs: shown in %lld ms, resized (same width) in "
                "%lld ms\n",
        static_cast<long long>(rtf.size() / 1024),
        static_cast<long long>(help.RichEdit1()->document()->blockCount()),
        static_cast<long long>(shown), static_cast<long long>(resized));
    return 0;
}
