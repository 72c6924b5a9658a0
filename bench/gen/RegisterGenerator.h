#pragma once

#include "CaseTable.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace kolvar::bench {

// A small, fixed pseudo-random source (SplitMix64): the same seed gives the same register on
// every machine and every Qt version, which QRandomGenerator's distributions do not promise.
class SeededRandom
{
public:
    explicit SeededRandom(std::uint64_t seed)
        : m_state(seed)
    { }
    [[nodiscard]] std::uint64_t next();
    // Uniform in [0, bound); bound must be positive.
    [[nodiscard]] int below(int bound);
    // Uniform in [low, high].
    [[nodiscard]] int between(int low, int high) { return low + below(high - low + 1); }

private:
    std::uint64_t m_state;
};

// Cases as an office of a Polish district would register them: dates over several years, senders
// who are people and institutions (many beginning with Ł, Ś, Ż or Ć, which the code page sorts
// after Z), subjects of 40 to 120 characters, details of 200 to 600 characters over several
// lines, short annotations and the four modes of settling the editor offers. Every text fits
// Windows-1250 and the editor's own length limits.
class RegisterGenerator
{
public:
    static constexpr int FirstYear = 2017;
    static constexpr int LastYear = 2025;
    static constexpr int MinSubject = 40;
    static constexpr int MaxSubject = 120;
    static constexpr int MinDetails = 200;
    static constexpr int MaxDetails = 600;
    static constexpr int MaxSender = 40;
    static constexpr int MaxAnnotation = 80;
    static constexpr int MaxReplyMode = 20;

    explicit RegisterGenerator(std::uint64_t seed);

    // The next case; its id stays 0, the engine chooses it.
    [[nodiscard]] storage::CaseRecord next();

    // Registers written by other programs leave fields NULL; writeRegister leaves field (0 Termin
    // .. 6 Adnotacje) of every case whose ID is 7 past a multiple of NullEvery[field] so, which
    // spreads the NULLs differently in each column.
    static constexpr std::array<int, 7> NullEvery { 97, 53, 61, 41, 29, 23, 19 };
    [[nodiscard]] static bool leavesNull(int field, std::int64_t id)
    {
        return id % NullEvery[std::size_t(field)] == 7;
    }

    // The texts of the editor's mode-of-settling list, its empty first item included.
    [[nodiscard]] static const QStringList& settlingModes();

private:
    [[nodiscard]] QString date();
    [[nodiscard]] QString sender();
    [[nodiscard]] QString subject();
    [[nodiscard]] QString details();
    [[nodiscard]] QString annotation(const QString& termin);

    SeededRandom m_random;
};

// Writes a new register of count cases to fileName, replacing any file there: the program's own
// table, then the cases through its own insert statement, all in one transaction. progress, when
// given, hears the number of cases written now and then.
void writeRegister(const QString& fileName, int count, std::uint64_t seed,
    const std::function<void(int)>& progress = {});

} // namespace kolvar::bench
