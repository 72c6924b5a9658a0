#include "RegisterFile.h"

#include "FileCaseStore.h"
#include "SqliteInterfaces.h"

#include <vector>

namespace kolvar::test {

struct RegisterFile::Connection
{
    storage::ISQLiteDatabasePtr db;
};

RegisterFile::RegisterFile(const QString& path)
    : m_path(path)
    , m_connection(std::make_unique<Connection>(
          Connection { storage::OpenDatabase(path, storage::OpenMode::Create) }))
{ }

RegisterFile::~RegisterFile() = default;

void RegisterFile::run(const QString& statement)
{
    m_connection->db->RunStatement(statement);
}

void RegisterFile::runAll(const QStringList& statements)
{
    m_connection->db->StartTransaction();
    for (const QString& statement : statements)
        m_connection->db->RunStatement(statement);
    m_connection->db->ConfirmTransaction();
}

QString RegisterFile::text(const QString& query)
{
    return m_connection->db->QueryText(query);
}

QList<QStringList> RegisterFile::rows(const QString& query)
{
    const auto result = m_connection->db->RunQuery(query);
    QList<QStringList> rows;
    for (result->GoFirst(); !result->AtEnd(); result->StepForward()) {
        rows.append(QStringList {});
        for (int c = 0; c < int(result->ColumnTotal()); ++c)
            rows.last() << result->CellText(c);
    }
    return rows;
}

storage::CaseStorePtr RegisterFile::store()
{
    return storage::FileStoreOn(m_connection->db, m_path);
}

void makeRegisterFile(const QString& path, const QList<storage::CaseRecord>& cases)
{
    storage::CreateFileRegister(path, std::vector<storage::CaseRecord>(cases.begin(), cases.end()));
}

} // namespace kolvar::test
