#include "CsvExport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kolvar;

namespace {

// The rows Python's csv module reads from the file, as the module's own users would open it.
QList<QStringList> readByPython(const QString& path, char separator)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        return {};
    QProcess process;
    process.start(python,
        { QStringLiteral("-c"),
            QStringLiteral("import csv, json, sys\n"
                           "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                           "    print(json.dumps(list(csv.reader(f, delimiter=sys.argv[2]))))\n"),
            path, QString(QLatin1Char(separator)) });
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return { { QStringLiteral("<python failed>"),
            QString::fromUtf8(process.readAllStandardError()) } };
    QList<QStringList> rows;
    for (const QJsonValue row : QJsonDocument::fromJson(process.readAllStandardOutput()).array()) {
        rows.append(QStringList());
        for (const QJsonValue cell : row.toArray())
            rows.last().append(cell.toString());
    }
    return rows;
}

} // namespace

class TestCsvExport : public QObject
{
    Q_OBJECT
private slots:
    void cellsComeBackAsWrittenAndFormulasStayText_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("read");
        QTest::newRow("plain text") << "Urząd Gminy"
                                    << "Urząd Gminy";
        QTest::newRow("a formula") << "=1+1"
                                   << "'=1+1";
        QTest::newRow("a link formula") << "=HYPERLINK(\"http://x\";\"kliknij\")"
                                        << "'=HYPERLINK(\"http://x\";\"kliknij\")";
        QTest::newRow("plus") << "+48 600 100 200"
                              << "'+48 600 100 200";
        QTest::newRow("minus") << "-2+3"
                               << "'-2+3";
        QTest::newRow("at sign") << "@SUM(A1)"
                                 << "'@SUM(A1)";
        QTest::newRow("tab first") << "\t=1"
                                   << "'\t=1";
        QTest::newRow("carriage return first") << "\r=1"
                                               << "'\r=1";
        QTest::newRow("formula sign inside") << "a=b+c-d@e"
                                             << "a=b+c-d@e";
        QTest::newRow("apostrophe first") << "'cytat'"
                                          << "'cytat'";
        QTest::newRow("both separators, quotes, lines") << "a;b,c \"d\"\r\ne"
                                                        << "a;b,c \"d\"\r\ne";
        QTest::newRow("empty") << ""
                               << "";
    }
    void cellsComeBackAsWrittenAndFormulasStayText()
    {
        QFETCH(QString, cell);
        QFETCH(QString, read);
        if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
            QSKIP("python3 is not installed");
        QTemporaryDir dir;
        for (const char separator : { ';', ',' }) {
            const QString path = dir.filePath(QStringLiteral("eksport.csv"));
            CsvExport::save(
                path, 3, 2,
                [&](int col, int row) {
                    return row == 0 ? QStringLiteral("k%1").arg(col)
                        : col == 1  ? cell
                                    : QStringLiteral("x");
                },
                separator);
            const QList<QStringList> expected { { "k0", "k1", "k2" }, { "x", read, "x" } };
            QCOMPARE(readByPython(path, separator), expected);
        }
    }

    void semicolonIsTheDefaultSeparator()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("eksport.csv"));
        CsvExport::save(
            path, 2, 1, [](int col, int) { return QString::fromLatin1(col == 0 ? "1,5" : "b"); });
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(),
            QByteArray("\xEF\xBB\xBF"
                       "1,5;b\r\n"));
    }

    void exportIntoAMissingFolderSaysSo()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("brak/eksport.csv"));
        try {
            CsvExport::save(path, 1, 1, [](int, int) { return QStringLiteral("a"); });
            QFAIL("an export into a missing folder reported success");
        } catch (const CsvExportError& e) {
            QCOMPARE(e.message(),
                QStringLiteral("Nie udało się zapisać pliku %1: folder %2 nie istnieje.")
                    .arg(path, dir.filePath(QStringLiteral("brak"))));
        }
    }
};

QTEST_APPLESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
