#include "FuzzEntry.h"

#include "IniFile.h"
#include "RtfReader.h"
#include "SettingsFile.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdlib>

namespace kolvar::fuzz {

void makeApplication()
{
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kolvar_fuzz";
    static char* argv[] = { name, nullptr };
    static QGuiApplication app(argc, argv);
}

void readHints(QByteArrayView bytes)
{
    QTextDocument document;
    hints::readRichOrPlainText(bytes, document);
}

void readSettings(QByteArrayView bytes)
{
    const QList<QRect> screens { QRect(0, 0, 1920, 1080) };
    IniFile ini = IniFile::fromBytes(bytes.toByteArray());
    const AppSettings s = SettingsFile::read(ini, AppSettings {}, screens);
    SettingsFile::write(ini, s);
    const AppSettings again
        = SettingsFile::read(IniFile::fromText(ini.toText()), AppSettings {}, screens);
    const auto within = [](int value, int low, int high) { return value >= low && value <= high; };
    if (!within(again.sortMode, 2, 4) || !within(again.listFontSize, 6, 72)
        || !within(again.editFontSize, 6, 72) || !within(again.rowHeight, 1, 1080)
        || !within(again.dotyczyWidth, 0, 1920) || !again.mainBounds.intersects(screens.front()))
        std::abort();
}

} // namespace kolvar::fuzz
