#pragma once

#include "CaseStore.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace kolvar::test {

// A register file as another program reaches it: raw SQL on a connection of its own, made when
// the file is missing. What it writes is what a register made elsewhere holds, and what the
// window meets when another desk writes meanwhile; a statement such as BEGIN EXCLUSIVE holds
// the file as long as this object lives.
class RegisterFile
{
public:
    explicit RegisterFile(const QString& path);
    ~RegisterFile();
    RegisterFile(const RegisterFile&) = delete;
    RegisterFile& operator=(const RegisterFile&) = delete;

    // One statement; texts in it are stored as the program stores them (Windows-1250).
    void run(const QString& statement);
    // Several, in one transaction: a table of thousands of rows is made in a moment.
    void runAll(const QStringList& statements);
    // The first cell of the query's first row, as text.
    [[nodiscard]] QString text(const QString& query);
    // Every row of the query, each cell as the storage layer reads it as text (a NULL in a
    // column of numbers as 0).
    [[nodiscard]] QList<QStringList> rows(const QString& query);
    // The register's store on this very connection: what run writes is then the store's own
    // writing, not another program's.
    [[nodiscard]] storage::CaseStorePtr store();

private:
    struct Connection;
    QString m_path;
    std::unique_ptr<Connection> m_connection;
};

// A register made the way the program makes one, holding these cases in this ID order.
void makeRegisterFile(const QString& path, const QList<storage::CaseRecord>& cases);

} // namespace kolvar::test
