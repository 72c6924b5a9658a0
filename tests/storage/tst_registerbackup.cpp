#include "CaseTable.h"
#include "RegisterBackup.h"
#include "StorageTestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <unistd.h>

using namespace kolvar::storage;
using kolvar::test::storageErrorOf;

class TestRegisterBackup : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("kopie")));
        m_db = OpenDatabase(path(QStringLiteral("rejestr.db")), OpenMode::Create);
        CaseTable::CreateTable(*m_db);
        CaseTable::InsertSeedCase(*m_db, QStringLiteral("2024-03-15"));
    }
    void cleanup()
    {
        m_db.reset();
        m_dir.reset();
    }

    void refusesTheRegisterItselfByAnyName_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("a link") << "link";
        QTest::newRow("a hard link") << "hard link";
        QTest::newRow("a way through ..") << "..";
    }
    void refusesTheRegisterItselfByAnyName()
    {
        QFETCH(QString, how);
        const QString source = path(QStringLiteral("rejestr.db"));
        QString target = path(QStringLiteral("kopie/inna.db"));
        if (how == QLatin1String("link"))
            QVERIFY(QFile::link(source, target));
        else if (how == QLatin1String("hard link"))
            QCOMPARE(::link(QFile::encodeName(source).constData(),
                         QFile::encodeName(target).constData()),
                0);
        else
            target = path(QStringLiteral("kopie/../rejestr.db"));
        QVERIFY(SameFile(source, target));
        QCOMPARE(storageErrorOf([&] { (void)BackUpRegister(source, target); }),
            QStringLiteral("Nie udało się zapisać kopii zapasowej %1: kopia nie może zastąpić "
                           "otwartej bazy.")
                .arg(QDir::toNativeSeparators(target)));
        QCOMPARE(CaseTable::QueryAllCases(*m_db)->RowTotal(), 1u);
    }

    void saysWhatStoodInTheWay_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("reason");
        QTest::newRow("register deleted while open")
            << "deleted"
            << "pliku rejestru <rejestr> już nie ma: został usunięty albo przeniesiony";
        QTest::newRow("register moved while open")
            << "moved"
            << "pliku rejestru <rejestr> już nie ma: został usunięty albo przeniesiony";
        QTest::newRow("folder that does not exist") << "no folder"
                                                    << "folder <folder> nie istnieje";
        QTest::newRow("register locked by another program")
            << "locked"
            << "rejestr jest używany przez inny program; spróbuj ponownie za chwilę";
    }
    void saysWhatStoodInTheWay()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, reason);
        const QString source = path(QStringLiteral("rejestr.db"));
        QString target = path(QStringLiteral("kopie/kopia.db"));
        ISQLiteDatabasePtr other;
        if (obstacle == QLatin1String("deleted")) {
            QVERIFY(QFile::remove(source));
        } else if (obstacle == QLatin1String("moved")) {
            QVERIFY(QFile::rename(source, path(QStringLiteral("gdzie-indziej.db"))));
        } else if (obstacle == QLatin1String("no folder")) {
            target = path(QStringLiteral("brak/kopia.db"));
        } else {
            other = OpenDatabase(source);
            other->RunStatement(QStringLiteral("BEGIN EXCLUSIVE"));
            other->RunStatement(QStringLiteral("DELETE FROM kolvar"));
        }
        reason.replace(QStringLiteral("<rejestr>"), QDir::toNativeSeparators(source))
            .replace(QStringLiteral("<folder>"),
                QDir::toNativeSeparators(QFileInfo(target).absolutePath()));
        QCOMPARE(storageErrorOf([&] { (void)BackUpRegister(source, target); }),
            QStringLiteral("Nie udało się zapisać kopii zapasowej %1: %2.")
                .arg(QDir::toNativeSeparators(target), reason));
        QCOMPARE(QDir(path(QStringLiteral("kopie")))
                     .entryList(QDir::Files | QDir::Hidden | QDir::System),
            QStringList());
    }

    void removesOnlyStaleCopiesOfItsOwnMaking_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("ageSeconds");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("removed");
        const QString ours = QStringLiteral(".kopia.db.kolvar-kopia-a1B2c3");
        QTest::newRow("left by a killed backup") << ours << 3600 << false << true;
        QTest::newRow("of another register's backup")
            << ".stara.db.kolvar-kopia-zZ9yY8" << 120 << false << true;
        QTest::newRow("written a moment ago") << ours << 5 << false << false;
        QTest::newRow("held by a backup at work") << ours << 3600 << true << false;
        QTest::newRow("someone else's hidden file") << ".kopia.db.swp" << 3600 << false << false;
        QTest::newRow("a file the user named so")
            << "kolvar-kopia-notatki" << 3600 << false << false;
    }
    void removesOnlyStaleCopiesOfItsOwnMaking()
    {
        QFETCH(QString, name);
        QFETCH(int, ageSeconds);
        QFETCH(bool, locked);
        QFETCH(bool, removed);
        const QString leftOver = path(QStringLiteral("kopie/") + name);
        {
            const ISQLiteDatabasePtr copy = OpenDatabase(leftOver, OpenMode::Create);
            CaseTable::CreateTable(*copy);
        }
        QFile file(leftOver);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(
            QDateTime::currentDateTime().addSecs(-ageSeconds), QFileDevice::FileModificationTime));
        file.close();
        ISQLiteDatabasePtr atWork;
        if (locked) {
            atWork = OpenDatabase(leftOver);
            atWork->RunStatement(QStringLiteral("BEGIN IMMEDIATE"));
        }

        QCOMPARE(BackUpRegister(
                     path(QStringLiteral("rejestr.db")), path(QStringLiteral("kopie/kopia.db"))),
            1);
        QCOMPARE(QFile::exists(leftOver), !removed);
        QVERIFY(QFile::exists(path(QStringLiteral("kopie/kopia.db"))));
    }

private:
    [[nodiscard]] QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    ISQLiteDatabasePtr m_db;
};

QTEST_APPLESS_MAIN(TestRegisterBackup)
#include "tst_registerbackup.moc"
