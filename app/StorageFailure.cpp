#include "StorageFailure.h"

#include "SqliteInterfaces.h"

namespace kolvar {

namespace {

QString builtDifferently()
{
    return QStringLiteral(
        "Tabela tego rejestru jest zbudowana inaczej niż tabele, które tworzy Kolvar.");
}

} // namespace

QString storageFailureCause(int resultCode)
{
    using storage::FailureKind;
    switch (storage::KindOfFailure(resultCode)) {
    case FailureKind::InUse:
        return QStringLiteral(
            "Rejestr jest używany przez inny program; spróbuj ponownie za chwilę.");
    case FailureKind::CannotWrite:
        return QStringLiteral("Rejestru albo folderu, w którym leży, nie można zapisywać.");
    case FailureKind::DiskFull:
        return QStringLiteral("Na dysku zabrakło miejsca.");
    case FailureKind::NotARegister:
        return QStringLiteral("Ten plik nie jest rejestrem programu Kolvar.");
    case FailureKind::Damaged:
        return QStringLiteral("Plik rejestru jest uszkodzony.");
    case FailureKind::Gone:
        return QStringLiteral(
            "Pliku rejestru już nie ma w jego folderze: został usunięty albo przeniesiony, "
            "gdy był otwarty.");
    case FailureKind::DiskError:
        return QStringLiteral("Dysk zgłosił błąd odczytu lub zapisu.");
    case FailureKind::BuiltDifferently:
        return builtDifferently();
    case FailureKind::Other:
        break;
    }
    return QString();
}

QString storageFailureMessage(const storage::ESQLiteException& failure, const QString& refused)
{
    QString cause = storageFailureCause(failure.resultCode());
    // The sentences of the other causes say all a user can act on; the table's make does not
    // tell what became of the command.
    const bool byTheTable = cause.isEmpty() || cause == builtDifferently();
    if (byTheTable && !refused.isEmpty())
        cause = builtDifferently() + u' ' + refused;
    if (cause.isEmpty())
        return failure.message();
    return cause + QStringLiteral("\n\n") + failure.message();
}

} // namespace kolvar
