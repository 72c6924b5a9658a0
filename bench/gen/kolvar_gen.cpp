// kolvar-gen N FILE [SEED]: writes a register of N generated cases, the same for the same seed.
#include "RegisterGenerator.h"

#include "SqliteInterfaces.h"

#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: kolvar-gen N FILE [SEED]\n");
        return 2;
    }
    bool countOk = false;
    const int count = QString::fromLocal8Bit(argv[1]).toInt(&countOk);
    bool seedOk = true;
    const std::uint64_t seed = argc == 4 ? QString::fromLocal8Bit(argv[3]).toULongLong(&seedOk) : 1;
    if (!countOk || count < 1 || !seedOk) {
        std::fprintf(stderr, "kolvar-gen: N must be a positive number and SEED a number\n");
        return 2;
    }
    const QString fileName = QString::fromLocal8Bit(argv[2]);
    try {
        kolvar::bench::writeRegister(fileName, count, seed,
            [count](int written) { std::fprintf(stderr, "\r%d / %d", written, count); });
    } catch (const kolvar::storage::ESQLiteException& e) {
        std::fprintf(stderr, "\nkolvar-gen: %s\n", qPrintable(e.message()));
        return 1;
    }
    const double megabytes = double(QFileInfo(fileName).size()) / 1e6;
    std::fprintf(stderr, "\r%d cases, %.1f MB: %s\n", count, megabytes, qPrintable(fileName));
    return 0;
}
