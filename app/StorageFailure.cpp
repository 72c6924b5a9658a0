#include "StorageFailure.h"

#include "ServerStore.h"
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

QString serverFailureCause(storage::ServerFailure kind)
{
    using storage::ServerFailure;
    switch (kind) {
    case ServerFailure::Connection:
        return QStringLiteral("Nie ma połączenia z serwerem rejestru (serwer nie odpowiada albo "
                              "połączenie zostało przerwane); nic nie zostało zapisane.");
    case ServerFailure::PasswordNeeded:
        return QStringLiteral("Serwer prosi o hasło.");
    case ServerFailure::Login:
        return QStringLiteral("Serwer nie przyjął tego użytkownika albo hasła.");
    case ServerFailure::Privilege:
        return QStringLiteral("Serwer nie pozwala temu użytkownikowi na tę zmianę w rejestrze; "
                              "nic nie zostało zapisane.");
    case ServerFailure::InUse:
        return storageFailureCause(5); // the file register's "in use" sentence (SQLITE_BUSY)
    case ServerFailure::Constraint:
        return QStringLiteral("Serwer odrzucił zmianę: tekst nie spełnia warunków tabeli rejestru "
                              "(na przykład jest za długi); nic nie zostało zapisane.");
    case ServerFailure::NotARegister:
        return QStringLiteral("Ta baza danych nie zawiera rejestru programu Kolvar w postaci, "
                              "jaką tworzy program; nic w niej nie zmieniono.");
    case ServerFailure::Occupied:
        return QStringLiteral("Ta baza danych zawiera już rejestr; nic w niej nie zmieniono.");
    case ServerFailure::Other:
        break;
    }
    return QString();
}

QString storageFailureCause(const storage::ESQLiteException& failure)
{
    if (const auto* server = dynamic_cast<const storage::EServerException*>(&failure))
        return serverFailureCause(server->kind());
    return storageFailureCause(failure.resultCode());
}

namespace {

QString causeWithRefusal(const storage::ESQLiteException& failure, const QString& refused)
{
    QString cause = storageFailureCause(failure);
    // The sentences of the other causes say all a user can act on; the table's make does not
    // tell what became of the command.
    const bool byTheTable = cause.isEmpty() || cause == builtDifferently();
    if (byTheTable && !refused.isEmpty())
        cause = builtDifferently() + u' ' + refused;
    return cause;
}

} // namespace

QString storageFailureMessage(const storage::ESQLiteException& failure, const QString& refused)
{
    const QString cause = causeWithRefusal(failure, refused);
    if (cause.isEmpty())
        return failure.message();
    return cause + QStringLiteral("\n\n") + failure.message();
}

FailureReport fileFailureReport(const storage::ESQLiteException& failure, const QString& refused)
{
    QString cause = causeWithRefusal(failure, refused);
    if (cause.isEmpty())
        cause = QStringLiteral("Rejestr zgłosił błąd, którego Kolvar nie zna.");
    return { cause, failure.message() };
}

} // namespace kolvar
