#pragma once

#include <QString>

namespace kolvar {

namespace storage {
class StoreError;
enum class StoreFailure;
} // namespace storage

// One Polish sentence saying what a failure of a register means for the user (used by another
// program, cannot be written, disk full, not a register, damaged, gone, built differently, no
// connection, no rights...); empty for a kind that tells the user nothing more than the
// technical text.
[[nodiscard]] QString storageFailureCause(storage::StoreFailure kind);
[[nodiscard]] QString storageFailureCause(const storage::StoreError& failure);

// The message shown for a failed command: the cause's sentence above the storage layer's own
// technical text. refused, when given, says what the command did not do ("Rekord nie został
// dodany."); it follows the sentence on the table's make, which a write that fails for a reason
// no other cause names is blamed on, for the program's own tables take every write it sends.
[[nodiscard]] QString storageFailureMessage(
    const storage::StoreError& failure, const QString& refused = {});

// A file register's failure as a box shows it: the Polish sentence alone as its text, the
// engine's technical text (in English, quoting the statement) under "Szczegóły".
struct FailureReport
{
    QString text;
    QString details;
};
[[nodiscard]] FailureReport fileFailureReport(
    const storage::StoreError& failure, const QString& refused = {});

} // namespace kolvar
