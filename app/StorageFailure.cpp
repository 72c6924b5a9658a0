#include "StorageFailure.h"

#include "CaseRow.h"

namespace kolvar {

namespace {

QString builtDifferently()
{
    return QStringLiteral(
        "Tabela tego rejestru jest zbudowana inaczej niż tabele, które tworzy Kolvar.");
}

} // namespace

QString storageFailureCause(storage::StoreFailure kind)
{
    using storage::StoreFailure;
    switch (kind) {
    case StoreFailure::InUse:
        return QStringLiteral(
            "Rejestr jest używany przez inny program; spróbuj ponownie za chwilę.");
    case StoreFailure::CannotWrite:
        return QStringLiteral("Rejestru albo folderu, w którym leży, nie można zapisywać.");
    case StoreFailure::DiskFull:
        return QStringLiteral("Na dysku zabrakło miejsca.");
    case StoreFailure::NotARegister:
        return QStringLiteral("Ten plik nie jest rejestrem programu Kolvar.");
    case StoreFailure::Damaged:
        return QStringLiteral("Plik rejestru jest uszkodzony.");
    case StoreFailure::Gone:
        return QStringLiteral(
            "Pliku rejestru już nie ma w jego folderze: został usunięty albo przeniesiony, "
            "gdy był otwarty.");
    case StoreFailure::DiskError:
        return QStringLiteral("Dysk zgłosił błąd odczytu lub zapisu.");
    case StoreFailure::BuiltDifferently:
        return builtDifferently();
    case StoreFailure::ConnectionLost:
        return QStringLiteral("Nie ma połączenia z serwerem rejestru (serwer nie odpowiada albo "
                              "połączenie zostało przerwane); nic nie zostało zapisane.");
    case StoreFailure::PasswordNeeded:
        return QStringLiteral("Serwer prosi o hasło.");
    case StoreFailure::LoginRefused:
        return QStringLiteral("Serwer nie przyjął tego użytkownika albo hasła.");
    case StoreFailure::NoRights:
        return QStringLiteral("Serwer nie pozwala temu użytkownikowi na tę zmianę w rejestrze; "
                              "nic nie zostało zapisane.");
    case StoreFailure::Rejected:
        return QStringLiteral("Serwer odrzucił zmianę: tekst nie spełnia warunków tabeli rejestru "
                              "(na przykład jest za długi); nic nie zostało zapisane.");
    case StoreFailure::NoRegisterTable:
        return QStringLiteral("Ta baza danych nie zawiera rejestru programu Kolvar w postaci, "
                              "jaką tworzy program; nic w niej nie zmieniono.");
    case StoreFailure::Occupied:
        return QStringLiteral("Ta baza danych zawiera już rejestr; nic w niej nie zmieniono.");
    // The copy's own message says in the user's words what stood in the way.
    case StoreFailure::CopyNotWritten:
    case StoreFailure::Other:
        break;
    }
    return QString();
}

QString storageFailureCause(const storage::StoreError& failure)
{
    return storageFailureCause(failure.kind());
}

namespace {

QString causeWithRefusal(const storage::StoreError& failure, const QString& refused)
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

QString storageFailureMessage(const storage::StoreError& failure, const QString& refused)
{
    const QString cause = causeWithRefusal(failure, refused);
    if (cause.isEmpty())
        return failure.detail();
    return cause + QStringLiteral("\n\n") + failure.detail();
}

FailureReport fileFailureReport(const storage::StoreError& failure, const QString& refused)
{
    // A copy's failure is told in the user's words already, naming the file it could not write.
    if (failure.kind() == storage::StoreFailure::CopyNotWritten)
        return { failure.detail(), QString() };
    QString cause = causeWithRefusal(failure, refused);
    if (cause.isEmpty())
        cause = QStringLiteral("Rejestr zgłosił błąd, którego Kolvar nie zna.");
    return { cause, failure.detail() };
}

} // namespace kolvar
