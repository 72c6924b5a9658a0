#pragma once

#include <QString>

namespace kolvar {

namespace storage {
class ESQLiteException;
}

// One Polish sentence saying what a failure of a register means for the user (used by another
// program, cannot be written, disk full, not a register, damaged), from SQLite's result code;
// empty for a code that tells the user nothing more than the technical text.
[[nodiscard]] QString storageFailureCause(int resultCode);

// The message shown for a failed command: the cause's sentence above the storage layer's own
// technical text.
[[nodiscard]] QString storageFailureMessage(const storage::ESQLiteException& failure);

} // namespace kolvar
