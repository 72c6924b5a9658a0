#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace kolvar::storage {

// One case of the register, as the record editor shows it.
struct CaseRecord
{
    std::int64_t id = 0;
    QString termin; // date received, "yyyy-mm-dd" with the locale's separator, as typed
    QString nadawca; // sender
    QString dotyczy; // subject
    QString tryb; // mode of settling
    QString odpowiedz; // mode of reply
    QString szczegoly; // details, lines joined with "\r\n"
    QString adnotacje; // official annotations, lines joined with "\r\n"
    // The server's count of the case's writes, which a save compares instead of the texts; 0 in
    // a file register.
    std::int64_t version = 0;
    friend bool operator==(const CaseRecord&, const CaseRecord&) = default;
};

// Marks, in column order Termin .. Adnotacje, which of a case's seven texts a save writes.
using CaseFields = std::array<bool, 7>;
inline constexpr CaseFields AllCaseFields = { true, true, true, true, true, true, true };

// The sender of the one case a new register starts with, in a file or on a server.
inline constexpr char SeedSender[] = "Pusty";

} // namespace kolvar::storage
