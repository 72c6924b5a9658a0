#pragma once

#include "CaseStore.h"
#include "SqliteInterfaces.h"

namespace kolvar::storage {

// A store on an open connection, for the caller that has made it; the table is checked here.
[[nodiscard]] CaseStorePtr FileStoreOn(ISQLiteDatabasePtr db, const QString& path);

} // namespace kolvar::storage
