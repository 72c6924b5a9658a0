#include <QProcess>
#include <QtTest>

namespace {

const QString Usage = QStringLiteral(
    "Użycie: kolvar [PLIK_REJESTRU | postgresql://[UŻYTKOWNIK@]SERWER[:PORT]/BAZA]");
const QString HelpOption = QStringLiteral("  -h, --help     wypisuje ten opis i kończy pracę");
const QString VersionOption
    = QStringLiteral("      --version  wypisuje wersję programu i kończy pracę");

} // namespace

// The program itself, started as a user or a script starts it.
class TestCommandLine : public QObject
{
    Q_OBJECT
private:
    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    // platform is the toolkit's platform plugin; one that does not exist makes any start of the
    // toolkit fail at once, so an answer given with it was given without a window.
    static Run run(const QStringList& arguments, const QString& platform)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(KOLVAR_PROGRAM), arguments);
        Run result;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

private slots:
    void helpAndVersionAnswerOnStandardOutputWithoutAWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("lines");
        const QStringList help { Usage, HelpOption, VersionOption,
            QStringLiteral("Pełny opis: man kolvar.") };
        const QStringList version { QStringLiteral("Kolvar " KOLVAR_VERSION) };
        QTest::newRow("--help") << QStringList { "--help" } << help;
        QTest::newRow("-h") << QStringList { "-h" } << help;
        QTest::newRow("--help after a register's path")
            << QStringList { "rejestr.db", "--help" } << help;
        QTest::newRow("--version") << QStringList { "--version" } << version;
        QTest::newRow("--version after a server address")
            << QStringList { "postgresql://jan@serwer/rejestr", "--version" } << version;
    }

    void helpAndVersionAnswerOnStandardOutputWithoutAWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, lines);
        const Run answered = run(arguments, QStringLiteral("brak-ekranu"));
        QCOMPARE(answered.err, QString());
        QCOMPARE(answered.exitCode, 0);
        const QStringList out = answered.out.split(u'\n');
        QCOMPARE(out.first(), lines.first());
        for (const QString& line : lines)
            QVERIFY2(out.contains(line), qPrintable(answered.out));
        QVERIFY(answered.out.endsWith(lines.last() + u'\n'));
    }

    // Before, an option was opened as a register's path and ended in a box saying the register
    // could not be read.
    void unknownOptionIsRefusedOnStandardError()
    {
        const Run refused = run({ QStringLiteral("--pomoc") }, QStringLiteral("offscreen"));
        QCOMPARE(refused.exitCode, 2);
        QCOMPARE(refused.out, QString());
        const QString message = QStringLiteral("kolvar: nieznana opcja „--pomoc”.\n"
                                               "Opcje opisuje polecenie „kolvar --help”.\n");
        // The toolkit may have said something of its own before.
        QVERIFY2(refused.err == message || refused.err.endsWith(u'\n' + message),
            qPrintable(refused.err));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
