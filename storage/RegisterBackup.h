#pragma once

#include <QString>

#include <cstdint>

namespace kolvar::storage {

// Copies the register at sourcePath, open or not, to targetPath through SQLite's online backup,
// so the copy is one consistent state even while the program holds the file. The copy is built
// under a temporary name beside the target, checked whole (integrity_check) and only then renamed
// to the target: a failure leaves nothing under the chosen name. Temporary copies left in that
// folder by a backup that was killed are removed first. Returns the cases in the copy.
// Refuses a target that is the register itself. Throws ESQLiteException with a message for the
// user.
[[nodiscard]] std::int64_t BackUpRegister(const QString& sourcePath, const QString& targetPath);

// Whether two paths name one file (the same device and inode): also through a link, a hard link
// or "..". False when either does not exist.
[[nodiscard]] bool SameFile(const QString& a, const QString& b);

} // namespace kolvar::storage
