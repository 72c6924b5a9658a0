#include "StorageFailure.h"

#include "SqliteInterfaces.h"

namespace kolvar {

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
    case FailureKind::Other:
        break;
    }
    return QString();
}

QString storageFailureMessage(const storage::ESQLiteException& failure)
{
    const QString cause = storageFailureCause(failure.resultCode());
    if (cause.isEmpty())
        return failure.message();
    return cause + QStringLiteral("\n\n") + failure.message();
}

} // namespace kolvar
