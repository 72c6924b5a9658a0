#pragma once

#include <QString>

namespace kolvar {

namespace storage {
class ESQLiteException;
enum class ServerFailure;
} // namespace storage

// One Polish sentence saying what a failure of a register means for the user (used by another
// program, cannot be written, disk full, not a register, damaged, gone, built differently), from
// SQLite's result code; empty for a code that tells the user nothing more than the technical text.
[[nodiscard]] QString storageFailureCause(int resultCode);

// The same for a failure of either kind of register, a server's by the class of its SQLSTATE.
[[nodiscard]] QString storageFailureCause(const storage::ESQLiteException& failure);
[[nodiscard]] QString serverFailureCause(storage::ServerFailure kind);

// The message shown for a failed command: the cause's sentence above the storage layer's own
// technical text. refused, when given, says what the command did not do ("Rekord nie został
// dodany."); it follows the sentence on the table's make, which a write that fails for a reason
// no other cause names is blamed on, for the program's own tables take every write it sends.
[[nodiscard]] QString storageFailureMessage(
    const storage::ESQLiteException& failure, const QString& refused = {});

// A file register's failure as a box shows it: the Polish sentence alone as its text, the
// engine's technical text (in English, quoting the statement) under "Szczegóły".
struct FailureReport
{
    QString text;
    QString details;
};
[[nodiscard]] FailureReport fileFailureReport(
    const storage::ESQLiteException& failure, const QString& refused = {});

} // namespace kolvar
