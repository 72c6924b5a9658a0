#pragma once

#include <QString>

namespace kolvar {

namespace storage {
class ESQLiteException;
enum class ServerFailure;
} // namespace storage

// One Polish sentence saying what a failure of a register means for the user (used by another
// program, cannot be written, disk full, not a register, damaged), from SQLite's result code;
// empty for a code that tells the user nothing more than the technical text.
[[nodiscard]] QString storageFailureCause(int resultCode);

// The same for a failure of either kind of register, a server's by the class of its SQLSTATE.
[[nodiscard]] QString storageFailureCause(const storage::ESQLiteException& failure);
[[nodiscard]] QString serverFailureCause(storage::ServerFailure kind);

// The message shown for a failed command: the cause's sentence above the storage layer's own
// technical text.
[[nodiscard]] QString storageFailureMessage(const storage::ESQLiteException& failure);

} // namespace kolvar
