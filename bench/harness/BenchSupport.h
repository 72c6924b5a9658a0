#pragma once

#include "UserDialogs.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <vector>

namespace kolvar::bench {

// The register of count generated cases in folder, written (seed 1) when it is not there yet.
// Returns its full path.
[[nodiscard]] QString ensureRegister(const QString& folder, int count);

// Where registers are kept between runs: $KOLVAR_BENCH_DATA, else bench/data of the source tree.
[[nodiscard]] QString dataFolder();

// A fresh program folder whose kolvar.ini opens registerPath, listed by sender; removed with the
// object. The program's settings land here, never beside a real program. Given a kept folder,
// that one instead, its kolvar.ini written only when missing: a user's program folder is there
// before the program starts, so a start-up timed from outside must not include making it.
class ProgramFolder
{
public:
    explicit ProgramFolder(
        const QString& registerPath, int sortMode = 3, const QString& keptFolder = {});
    [[nodiscard]] QString path() const { return m_dir ? m_dir->path() : m_kept; }

private:
    std::optional<QTemporaryDir> m_dir;
    QString m_kept;
};

// Peak and current resident memory of this process from /proc/self/status, in bytes; 0 where
// the system does not tell.
[[nodiscard]] qint64 peakResidentBytes();
[[nodiscard]] qint64 residentBytes();

// Timings of repeated runs of one measurement, in seconds.
class Samples
{
public:
    void add(double seconds) { m_values.push_back(seconds); }
    [[nodiscard]] double min() const;
    [[nodiscard]] double median() const;
    [[nodiscard]] int count() const { return int(m_values.size()); }

private:
    std::vector<double> m_values;
};

} // namespace kolvar::bench
