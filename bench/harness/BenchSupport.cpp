#include "BenchSupport.h"

#include "IniFile.h"
#include "RegisterGenerator.h"
#include "SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace kolvar::bench {

QString dataFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("KOLVAR_BENCH_DATA");
    return fromEnvironment.isEmpty() ? QStringLiteral(KOLVAR_BENCH_DATA_DIR) : fromEnvironment;
}

QString ensureRegister(const QString& folder, int count)
{
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("kolvar-%1.db").arg(count));
    if (QFileInfo::exists(path))
        return path;
    // Written aside and renamed, so an interrupted run never leaves a short register behind.
    const QString partial = path + QStringLiteral(".part");
    std::fprintf(stderr, "generating %s\n", qPrintable(path));
    writeRegister(partial, count, 1);
    QFile::rename(partial, path);
    return path;
}

ProgramFolder::ProgramFolder(const QString& registerPath, int sortMode, const QString& keptFolder)
    : m_kept(keptFolder)
{
    if (m_kept.isEmpty())
        m_dir.emplace();
    else if (QFileInfo::exists(QDir(m_kept).filePath(QString::fromLatin1(SettingsFile::FileName))))
        return;
    AppSettings settings;
    settings.databaseName = QFileInfo(registerPath).absoluteFilePath();
    settings.sortMode = sortMode;
    IniFile ini;
    SettingsFile::write(ini, settings);
    ini.save(QDir(path()).filePath(QString::fromLatin1(SettingsFile::FileName)));
}

namespace {

qint64 statusKiloBytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

} // namespace

qint64 peakResidentBytes()
{
    return statusKiloBytes("VmHWM");
}

qint64 residentBytes()
{
    return statusKiloBytes("VmRSS");
}

double Samples::min() const
{
    return m_values.empty() ? 0.0 : *std::min_element(m_values.begin(), m_values.end());
}

double Samples::median() const
{
    if (m_values.empty())
        return 0.0;
    std::vector<double> sorted = m_values;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t middle = sorted.size() / 2;
    return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

} // namespace kolvar::bench
