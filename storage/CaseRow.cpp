#include "CaseRow.h"

namespace kolvar::storage {

StoreError::StoreError(StoreFailure kind, const QString& detail)
    : std::runtime_error(detail.toStdString())
    , m_kind(kind)
    , m_detail(detail)
{ }

} // namespace kolvar::storage
