#include "CommandLine.h"

#include <cstdio>

namespace kolvar {

namespace {

QString helpText()
{
    return QStringLiteral(
        "Użycie: kolvar [PLIK_REJESTRU | postgresql://[UŻYTKOWNIK@]SERWER[:PORT]/BAZA]\n"
        "Kolvar – rejestr spraw wpływających do urzędu lub biura.\n"
        "\n"
        "Bez argumentu program otwiera rejestr używany ostatnio. PLIK_REJESTRU to plik bazy\n"
        "SQLite (*.db, *.db3); adres postgresql://… otwiera rejestr na serwerze PostgreSQL.\n"
        "\n"
        "Opcje:\n"
        "  -h, --help     wypisuje ten opis i kończy pracę\n"
        "      --version  wypisuje wersję programu i kończy pracę\n"
        "\n"
        "Zmienne środowiska: KOLVAR_PRINT_PDF (wydruki do pliku PDF zamiast na drukarkę)\n"
        "i zmienne PG* biblioteki libpq (np. PGPASSFILE, PGSERVICEFILE, PGSSLMODE).\n"
        "Pełny opis: man kolvar.\n");
}

QString versionText()
{
    return QStringLiteral("Kolvar " KOLVAR_VERSION "\n");
}

} // namespace

std::optional<CommandLineAnswer> answerInfoOption(const QStringList& arguments)
{
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            return CommandLineAnswer { helpText() };
        if (argument == QLatin1String("--version"))
            return CommandLineAnswer { versionText() };
    }
    return std::nullopt;
}

std::optional<CommandLineAnswer> refuseUnknownOption(const QStringList& arguments)
{
    for (const QString& argument : arguments.mid(1)) {
        if (argument.startsWith(u'-') && argument.size() > 1)
            return CommandLineAnswer { QStringLiteral("kolvar: nieznana opcja „%1”.\n"
                                                      "Opcje opisuje polecenie „kolvar --help”.\n")
                                           .arg(argument),
                2, true };
    }
    return std::nullopt;
}

int deliver(const CommandLineAnswer& answer)
{
    const QByteArray bytes = answer.text.toUtf8();
    std::FILE* stream = answer.toStandardError ? stderr : stdout;
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    // A closed or full output (kolvar --help > /dev/full) is a failure to say so, not success.
    if (std::fflush(stream) != 0 || std::ferror(stream))
        return answer.exitCode == 0 ? 1 : answer.exitCode;
    return answer.exitCode;
}

} // namespace kolvar
