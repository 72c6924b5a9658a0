#include "RegisterBackup.h"

#include "SqliteAccess.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace kolvar::storage {

namespace {

struct CloseConnection
{
    void operator()(sqlite3* connection) const noexcept { sqlite3_close_v2(connection); }
};
struct FinishBackup
{
    // Its result repeats the last step's, which has been looked at already.
    void operator()(sqlite3_backup* backup) const noexcept { sqlite3_backup_finish(backup); }
};
struct FinalizeStatement
{
    void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using ConnectionPtr = std::unique_ptr<sqlite3, CloseConnection>;

// The part of the name that marks a temporary copy as this program's own: a copy left by a backup
// that was killed is recognised by it and removed before the next backup into its folder.
constexpr QLatin1StringView PartialMark(".kolvar-kopia-");

// A temporary copy written to this long ago is no backup still running: one writes its copy
// without a pause and checks it under a lock.
constexpr qint64 StaleAfterSeconds = 60;

// The reasons a user can act on, in their words; SQLite's own text for the rest.
QString reason(int resultCode, const char* detail)
{
    switch (resultCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral(
            "rejestr jest używany przez inny program; spróbuj ponownie za chwilę");
    case SQLITE_FULL:
        return QStringLiteral("brak miejsca na dysku");
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("brak uprawnień do zapisu");
    case SQLITE_IOERR:
        return QStringLiteral("błąd zapisu na dysku");
    default:
        // The message of a connection other than the failing one reads "not an error".
        return QString::fromUtf8(
            detail && resultCode != SQLITE_OK && std::strcmp(detail, "not an error") != 0
                ? detail
                : sqlite3_errstr(resultCode));
    }
}

[[noreturn]] void fail(const QString& targetPath, const QString& why, int resultCode = 0)
{
    throw ESQLiteException(QStringLiteral("Nie udało się zapisać kopii zapasowej %1: %2.")
                               .arg(QDir::toNativeSeparators(targetPath), why),
        resultCode);
}

ConnectionPtr open(const QString& path, int flags, const QString& targetPath)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags, nullptr);
    ConnectionPtr connection(raw);
    if (rc != SQLITE_OK)
        fail(targetPath, reason(rc, raw ? sqlite3_errmsg(raw) : nullptr), rc);
    ConfigureDefensively(raw);
    return connection;
}

// The first column of the one row a query gives, as text.
QString queryText(sqlite3* connection, const char* sql, const QString& targetPath)
{
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(connection, sql, -1, &raw, nullptr);
    const std::unique_ptr<sqlite3_stmt, FinalizeStatement> statement(raw);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(raw);
    if (rc != SQLITE_ROW)
        fail(targetPath, reason(rc, sqlite3_errmsg(connection)), rc);
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
}

// Nobody holds a lock on it: a backup at work keeps one while it writes and checks its copy.
bool unlocked(const QString& path)
{
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(
        QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    const ConnectionPtr connection(raw);
    if (opened != SQLITE_OK)
        return true; // nobody can be writing a copy that cannot be opened
    ConfigureDefensively(raw);
    const int rc = sqlite3_exec(raw, "BEGIN EXCLUSIVE; ROLLBACK;", nullptr, nullptr, nullptr);
    return (rc & 0xff) != SQLITE_BUSY && (rc & 0xff) != SQLITE_LOCKED;
}

// Copies left in the folder by backups that were killed: each as large as a register.
void removeStaleCopies(const QDir& folder)
{
    const QDateTime staleBefore = QDateTime::currentDateTimeUtc().addSecs(-StaleAfterSeconds);
    QDirIterator it(folder.path(), { QStringLiteral(".*") + PartialMark + QStringLiteral("*") },
        QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    while (it.hasNext()) {
        const QFileInfo file = it.nextFileInfo();
        if (file.lastModified() < staleBefore && unlocked(file.filePath()))
            QFile::remove(file.filePath());
    }
}

} // namespace

bool SameFile(const QString& a, const QString& b)
{
    std::error_code error;
    return std::filesystem::equivalent(
               QFile::encodeName(a).toStdString(), QFile::encodeName(b).toStdString(), error)
        && !error;
}

std::int64_t BackUpRegister(const QString& sourcePath, const QString& targetPath)
{
    if (SameFile(sourcePath, targetPath))
        fail(targetPath, QStringLiteral("kopia nie może zastąpić otwartej bazy"));
    if (!QFileInfo(sourcePath).isFile())
        fail(targetPath,
            QStringLiteral("pliku rejestru %1 już nie ma: został usunięty albo przeniesiony")
                .arg(QDir::toNativeSeparators(sourcePath)),
            SQLITE_READONLY_DBMOVED);

    const QFileInfo target(targetPath);
    if (!target.dir().exists())
        fail(targetPath,
            QStringLiteral("folder %1 nie istnieje")
                .arg(QDir::toNativeSeparators(target.absolutePath())),
            SQLITE_CANTOPEN);
    removeStaleCopies(target.dir());
    QTemporaryFile partial(
        target.dir().filePath(QStringLiteral(".%1%2XXXXXX").arg(target.fileName(), PartialMark)));
    if (!partial.open())
        fail(targetPath,
            QStringLiteral("brak uprawnień do zapisu w folderze %1")
                .arg(QDir::toNativeSeparators(target.absolutePath())));
    partial.close();

    std::int64_t cases = 0;
    {
        const ConnectionPtr source = open(sourcePath, SQLITE_OPEN_READONLY, targetPath);
        // A program that writes to the register at this moment is waited for, not failed on.
        sqlite3_busy_timeout(source.get(), 5000);
        const ConnectionPtr copy = open(partial.fileName(), SQLITE_OPEN_READWRITE, targetPath);
        {
            const std::unique_ptr<sqlite3_backup, FinishBackup> backup(
                sqlite3_backup_init(copy.get(), "main", source.get(), "main"));
            if (!backup)
                fail(targetPath, reason(sqlite3_errcode(copy.get()), sqlite3_errmsg(copy.get())),
                    sqlite3_errcode(copy.get()));
            // All pages in one step: the source is read under one lock, so the copy is one state.
            const int rc = sqlite3_backup_step(backup.get(), -1);
            if (rc != SQLITE_DONE)
                fail(targetPath, reason(rc, sqlite3_errmsg(copy.get())), rc);
        }
        const QString check = queryText(copy.get(), "PRAGMA integrity_check", targetPath);
        if (check != QLatin1String("ok"))
            fail(targetPath, QStringLiteral("kopia jest uszkodzona (%1)").arg(check));
        cases = queryText(copy.get(), "SELECT COUNT(*) FROM kolvar", targetPath).toLongLong();
    }

    // Whoever may read the register may read its copy; the temporary file was the user's alone.
    QFile::setPermissions(partial.fileName(), QFileInfo(sourcePath).permissions());
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(partial.fileName()).toStdString(),
        QFile::encodeName(targetPath).toStdString(), error);
    if (error)
        fail(targetPath, QStringLiteral("nie można nadać kopii wybranej nazwy"), SQLITE_CANTOPEN);
    return cases;
}

} // namespace kolvar::storage
