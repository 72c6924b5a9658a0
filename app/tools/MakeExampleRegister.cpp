// Makes the example register shipped with the program from its readable source, and the starter
// settings file that opens it on a first run.
//
//   kolvar_makeexample register SOURCE.txt TARGET.db
//   kolvar_makeexample settings FOLDER REGISTER-NAME   (only when FOLDER has no kolvar.ini yet)

#include "CaseStore.h"
#include "Cp1250.h"
#include "IniFile.h"
#include "SettingsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <vector>

using kolvar::storage::CaseRecord;

namespace {

struct SourceError
{
    QString message;
};

QString* fieldOf(CaseRecord& record, const QString& name)
{
    if (name == u"Termin")
        return &record.termin;
    if (name == u"Nadawca")
        return &record.nadawca;
    if (name == u"Dotyczy")
        return &record.dotyczy;
    if (name == u"Tryb")
        return &record.tryb;
    if (name == u"Odpowiedź")
        return &record.odpowiedz;
    if (name == u"Szczegóły")
        return &record.szczegoly;
    if (name == u"Adnotacje")
        return &record.adnotacje;
    return nullptr;
}

std::vector<CaseRecord> parseSource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw SourceError { QStringLiteral("cannot read %1").arg(path) };
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');

    std::vector<CaseRecord> cases;
    QString* multiLine = nullptr; // the field that indented lines continue
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const auto where = QStringLiteral("%1:%2: ").arg(path).arg(i + 1);
        if (line.startsWith(u'#') || line.trimmed().isEmpty())
            continue;
        if (line == u"---") {
            cases.emplace_back();
            multiLine = nullptr;
            continue;
        }
        if (cases.empty())
            throw SourceError { where + QStringLiteral("text before the first \"---\"") };
        // A register holds Windows-1250 only; anything else would be stored as '?'.
        if (!kolvar::storage::canEncodeCp1250(line))
            throw SourceError { where + QStringLiteral("character outside Windows-1250") };
        if (line.startsWith(QStringLiteral("  "))) {
            if (!multiLine)
                throw SourceError { where + QStringLiteral("indented line outside a field") };
            if (!multiLine->isEmpty())
                *multiLine += QStringLiteral("\r\n");
            *multiLine += line.mid(2);
            continue;
        }
        const qsizetype colon = line.indexOf(u':');
        QString* field = colon > 0 ? fieldOf(cases.back(), line.left(colon)) : nullptr;
        if (!field)
            throw SourceError { where + QStringLiteral("unknown field") };
        *field = line.mid(colon + 1).trimmed();
        multiLine = field;
    }
    return cases;
}

int makeRegister(const QString& source, const QString& target)
{
    const std::vector<CaseRecord> cases = parseSource(source);
    // Built beside the target and moved over it, so a failed run never leaves half a register.
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    kolvar::storage::CreateFileRegister(partial, cases);
    QFile::remove(target);
    if (!QFile::rename(partial, target))
        throw SourceError { QStringLiteral("cannot move %1 to %2").arg(partial, target) };
    return 0;
}

int makeStarterSettings(const QString& folder, const QString& registerName)
{
    const QString path = QDir(folder).filePath(QString::fromLatin1(kolvar::SettingsFile::FileName));
    if (QFileInfo::exists(path))
        return 0; // the user's own settings are never replaced
    kolvar::AppSettings settings;
    settings.databaseName = registerName;
    kolvar::IniFile ini;
    kolvar::SettingsFile::write(ini, settings);
    ini.save(path);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 4 && args.at(1) == u"register")
            return makeRegister(args.at(2), args.at(3));
        if (args.size() == 4 && args.at(1) == u"settings")
            return makeStarterSettings(args.at(2), args.at(3));
        std::fputs("usage: kolvar_makeexample register SOURCE TARGET\n"
                   "       kolvar_makeexample settings FOLDER REGISTER-NAME\n",
            stderr);
        return 2;
    } catch (const SourceError& e) {
        std::fprintf(stderr, "kolvar_makeexample: %s\n", qPrintable(e.message));
    } catch (const kolvar::storage::StoreError& e) {
        std::fprintf(stderr, "kolvar_makeexample: %s\n", qPrintable(e.detail()));
    } catch (const kolvar::IniFileError& e) {
        std::fprintf(stderr, "kolvar_makeexample: %s\n", qPrintable(e.message()));
    }
    return 1;
}
