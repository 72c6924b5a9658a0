#pragma once

#include "SqliteInterfaces.h"

#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

namespace kolvar::test {

// The technical text of the StoreError the call raises, or a marker the expected text never
// equals, so QCOMPARE shows both sides.
template <typename Call> QString storageErrorOf(Call&& call)
{
    try {
        std::forward<Call>(call)();
    } catch (const storage::StoreError& e) {
        return e.detail();
    }
    return QStringLiteral("<no exception>");
}

inline QByteArray allBytes()
{
    QByteArray bytes(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        bytes[i] = static_cast<char>(i);
    return bytes;
}

} // namespace kolvar::test
