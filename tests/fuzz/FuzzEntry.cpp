#include "FuzzEntry.h"

#include "CaseRowView.h"
#include "IniFile.h"
#include "PgConnection.h"
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

void readCopyLine(QByteArrayView bytes)
{
    storage::CaseRowView row;
    if (!row.setCopyLine(bytes))
        return;
    (void)row.id();
    qsizetype held = 0;
    for (int col = 0; col < storage::CaseRowView::Columns; ++col) {
        if (!row.isNull(col))
            held += row.text(col).size();
    }
    if (held > bytes.size())
        std::abort();
}

void roundTripCopyLine(QByteArrayView bytes)
{
    constexpr int Texts = storage::CaseRowView::Columns - 1;
    const QList<QByteArray> pieces = bytes.toByteArray().split('\x01');
    QByteArray line = "42";
    for (int col = 0; col < Texts; ++col) {
        line += '\t';
        if (col < pieces.size())
            line += storage::copyEscaped(storage::cp1250ToServer(pieces[col]));
        else
            line += "\\N";
    }
    line += '\n';
    storage::CaseRowView row;
    if (!row.setCopyLine(line) || row.id() != 42)
        std::abort();
    for (int col = 0; col < Texts; ++col) {
        if (col >= pieces.size()) {
            if (!row.isNull(col + 1))
                std::abort();
            continue;
        }
        const QByteArray expected = storage::serverToCp1250(storage::cp1250ToServer(pieces[col]));
        if (row.isNull(col + 1) || row.text(col + 1) != expected)
            std::abort();
    }
}

} // namespace kolvar::fuzz
