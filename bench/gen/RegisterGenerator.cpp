#include "RegisterGenerator.h"

#include "SqliteInterfaces.h"

#include <QDate>
#include <QFile>
#include <QStringList>

#include <array>

namespace kolvar::bench {

namespace {

// Word lists. The letters Ł, Ś, Ż and Ć open many of them on purpose: they are where a byte
// order and the Polish alphabet disagree.
const QStringList FirstNames { QStringLiteral("Łukasz"), QStringLiteral("Łucja"),
    QStringLiteral("Ścibor"), QStringLiteral("Żaneta"), QStringLiteral("Żaklina"),
    QStringLiteral("Ćwirosław"), QStringLiteral("Anna"), QStringLiteral("Jan"),
    QStringLiteral("Piotr"), QStringLiteral("Krzysztof"), QStringLiteral("Agnieszka"),
    QStringLiteral("Małgorzata"), QStringLiteral("Tomasz"), QStringLiteral("Paweł"),
    QStringLiteral("Elżbieta"), QStringLiteral("Grażyna"), QStringLiteral("Michał"),
    QStringLiteral("Bartłomiej"), QStringLiteral("Zofia"), QStringLiteral("Wojciech"),
    QStringLiteral("Stanisław"), QStringLiteral("Jadwiga"), QStringLiteral("Urszula"),
    QStringLiteral("Henryk"), QStringLiteral("Ewa"), QStringLiteral("Dariusz"),
    QStringLiteral("Władysław"), QStringLiteral("Aleksandra"), QStringLiteral("Jerzy"),
    QStringLiteral("Teresa") };

const QStringList Surnames { QStringLiteral("Żółkiewski"), QStringLiteral("Żurawska"),
    QStringLiteral("Żak"), QStringLiteral("Żelazny"), QStringLiteral("Łukaszewicz"),
    QStringLiteral("Łęcka"), QStringLiteral("Łapiński"), QStringLiteral("Śliwiński"),
    QStringLiteral("Ślusarczyk"), QStringLiteral("Świątek"), QStringLiteral("Ćwikła"),
    QStringLiteral("Ćwiertnia"), QStringLiteral("Ćmielewska"), QStringLiteral("Nowak"),
    QStringLiteral("Kowalski"), QStringLiteral("Wiśniewska"), QStringLiteral("Wójcik"),
    QStringLiteral("Kamiński"), QStringLiteral("Lewandowska"), QStringLiteral("Zieliński"),
    QStringLiteral("Szymańska"), QStringLiteral("Woźniak"), QStringLiteral("Dąbrowski"),
    QStringLiteral("Kozłowska"), QStringLiteral("Jankowski"), QStringLiteral("Mazur"),
    QStringLiteral("Kwiatkowska"), QStringLiteral("Krawczyk"), QStringLiteral("Grabowski"),
    QStringLiteral("Pawłowska"), QStringLiteral("Michalski"), QStringLiteral("Król"),
    QStringLiteral("Wieczorek"), QStringLiteral("Jabłońska"), QStringLiteral("Wróbel"),
    QStringLiteral("Stępień"), QStringLiteral("Adamczyk"), QStringLiteral("Dudek"),
    QStringLiteral("Górski"), QStringLiteral("Sikora") };

const QStringList Offices { QStringLiteral("Urząd Skarbowy w %1"),
    QStringLiteral("Starostwo Powiatowe w %1"), QStringLiteral("Sąd Rejonowy w %1"),
    QStringLiteral("Urząd Miasta i Gminy w %1"), QStringLiteral("Komenda Powiatowa Policji w %1"),
    QStringLiteral("Powiatowy Urząd Pracy w %1"), QStringLiteral("Ośrodek Pomocy Społecznej w %1"),
    QStringLiteral("Świetlica Wiejska w %1"), QStringLiteral("Żłobek Miejski w %1"),
    QStringLiteral("Łowiecki Klub „Knieja” w %1"), QStringLiteral("Szkoła Podstawowa nr 2 w %1"),
    QStringLiteral("Ochotnicza Straż Pożarna w %1") };

const QStringList Towns { QStringLiteral("Śremie"), QStringLiteral("Łowiczu"),
    QStringLiteral("Żyrardowie"), QStringLiteral("Ćmielowie"), QStringLiteral("Środzie"),
    QStringLiteral("Łodzi"), QStringLiteral("Żninie"), QStringLiteral("Świeciu"),
    QStringLiteral("Poznaniu"), QStringLiteral("Gnieźnie"), QStringLiteral("Kórniku"),
    QStringLiteral("Kościanie"), QStringLiteral("Lesznie"), QStringLiteral("Kaliszu"),
    QStringLiteral("Pile"), QStringLiteral("Wrześni"), QStringLiteral("Jarocinie"),
    QStringLiteral("Obornikach") };

const QStringList Companies { QStringLiteral("Ćwikła Sp. z o.o."), QStringLiteral("Łąkpol S.A."),
    QStringLiteral("Śnieżka-Invest Sp. z o.o."), QStringLiteral("Żurbud Sp. j."),
    QStringLiteral("Ćmiel Porcelana S.A."), QStringLiteral("Łódzkie Wodociągi Sp. z o.o."),
    QStringLiteral("Świat Okien s.c."), QStringLiteral("Żegluga Gdańska Sp. z o.o."),
    QStringLiteral("Agrotech Sp. z o.o."), QStringLiteral("Biuro Rachunkowe „Bilans” s.c."),
    QStringLiteral("Energa-Operator S.A."), QStringLiteral("PKP Polskie Linie Kolejowe S.A."),
    QStringLiteral("Mleczarnia Spółdzielcza w Kole"),
    QStringLiteral("Przedsiębiorstwo Usług Komunalnych") };

const QStringList SubjectHeads { QStringLiteral("Wniosek o wydanie zaświadczenia o niezaleganiu"),
    QStringLiteral("Skarga na przewlekłość postępowania"),
    QStringLiteral("Prośba o udostępnienie informacji publicznej"),
    QStringLiteral("Zawiadomienie o wszczęciu postępowania administracyjnego"),
    QStringLiteral("Wezwanie do uzupełnienia braków formalnych"),
    QStringLiteral("Odwołanie od decyzji"), QStringLiteral("Zapytanie ofertowe"),
    QStringLiteral("Podanie o przydział lokalu socjalnego"),
    QStringLiteral("Wniosek o wycinkę drzew"), QStringLiteral("Ponaglenie"),
    QStringLiteral("Żądanie wznowienia postępowania"),
    QStringLiteral("Śródroczna informacja o realizacji budżetu"),
    QStringLiteral("Łączne zestawienie opłat za gospodarowanie odpadami"),
    QStringLiteral("Sprawozdanie z wykonania umowy dotacji") };

const QStringList SubjectTails { QStringLiteral("dotyczy działki nr %1/%2 w obrębie Śródka"),
    QStringLiteral("w sprawie nieruchomości przy ul. Łąkowej %1"),
    QStringLiteral("znak sprawy GN.6840.%1.%2"), QStringLiteral("za rok %3"),
    QStringLiteral("do pisma z dnia %3.%4.%5"), QStringLiteral("w imieniu wspólnoty „Żurawie”"),
    QStringLiteral("z załącznikami (%1 szt.)"),
    QStringLiteral("dla lokalu nr %1 przy ul. Ściegiennego"),
    QStringLiteral("w związku z remontem drogi gminnej nr %1P"),
    QStringLiteral("dotyczy opłaty skarbowej w kwocie %1,%2 zł") };

const QStringList Sentences {
    QStringLiteral("Wnioskodawca prosi o rozpatrzenie sprawy w możliwie krótkim terminie."),
    QStringLiteral("Do pisma dołączono kopię aktu notarialnego oraz mapę sytuacyjną."),
    QStringLiteral("Sprawa była przedmiotem korespondencji z dnia %3.%4.%5."),
    QStringLiteral("Nadawca wskazuje, że poprzednie rozstrzygnięcie nie zostało doręczone."),
    QStringLiteral("Należy ustalić stan prawny nieruchomości w księdze wieczystej nr PO1%1/%2."),
    QStringLiteral("Żądanie dotyczy zwrotu nadpłaty w kwocie %1,%2 zł."),
    QStringLiteral("Świadczenie przyznano na okres %2 miesięcy."),
    QStringLiteral("Łącznie wpłynęło %1 podobnych wniosków z terenu sołectwa."),
    QStringLiteral("Ćwiczenia obrony cywilnej zaplanowano na %3.%4.%5."),
    QStringLiteral(
        "Pismo przekazano do merytorycznego rozpatrzenia w Wydziale Gospodarki Gruntami."),
    QStringLiteral("Kontakt telefoniczny z nadawcą pod numerem 61 %1 %2."),
    QStringLiteral("Brak podpisu pełnomocnika; wezwano do uzupełnienia w terminie 7 dni."),
    QStringLiteral("Opinia radcy prawnego z dnia %3.%4.%5 jest pozytywna."),
    QStringLiteral(
        "Zgodnie z art. %1 Kodeksu postępowania administracyjnego termin biegnie od doręczenia.")
};

const QStringList Annotations { QStringLiteral("Przekazano do Wydziału Geodezji."),
    QStringLiteral("Odpowiedź wysłana %1."), QStringLiteral("Sprawę załatwiono."),
    QStringLiteral("Do wiadomości Wójta."), QStringLiteral("Zwrot do nadawcy – brak podpisu."),
    QStringLiteral("Wezwano do uzupełnienia %1."), QStringLiteral("Ad acta."),
    QStringLiteral("Łączyć z poprzednią sprawą."), QStringLiteral("Śledzić termin ustawowy.") };

const QStringList ReplyModes { QStringLiteral("pisemnie"), QStringLiteral("e-mailem"),
    QStringLiteral("ePUAP"), QStringLiteral("telefonicznie"), QStringLiteral("osobiście"),
    QString() };

const QString& pick(SeededRandom& random, const QStringList& list)
{
    return list[random.below(int(list.size()))];
}

// Fills the holes of a phrase: %1 a number up to 999, %2 one of two digits, %3.%4.%5 a date.
QString fillIn(SeededRandom& random, const QString& phrase)
{
    QString text = phrase;
    if (text.contains(QLatin1String("%3.%4.%5"))) {
        text.replace(QLatin1String("%3.%4.%5"),
            QStringLiteral("%1.%2.%3")
                .arg(random.between(RegisterGenerator::FirstYear, RegisterGenerator::LastYear))
                .arg(random.between(1, 12), 2, 10, QLatin1Char('0'))
                .arg(random.between(1, 28), 2, 10, QLatin1Char('0')));
    }
    if (text.contains(QLatin1String("%3")))
        text.replace(QLatin1String("%3"),
            QString::number(
                random.between(RegisterGenerator::FirstYear, RegisterGenerator::LastYear)));
    if (text.contains(QLatin1String("%1")))
        text.replace(QLatin1String("%1"), QString::number(random.between(1, 999)));
    if (text.contains(QLatin1String("%2")))
        text.replace(QLatin1String("%2"),
            QStringLiteral("%1").arg(random.between(1, 99), 2, 10, QLatin1Char('0')));
    return text;
}

// Cuts a text longer than limit at the last blank that keeps it within limit.
QString cutAtWord(const QString& text, int limit)
{
    if (text.size() <= limit)
        return text;
    const qsizetype blank = text.lastIndexOf(u' ', limit);
    return text.left(blank > 0 ? blank : limit);
}

} // namespace

std::uint64_t SeededRandom::next()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int SeededRandom::below(int bound)
{
    return int(next() % std::uint64_t(bound));
}

RegisterGenerator::RegisterGenerator(std::uint64_t seed)
    : m_random(seed)
{ }

const QStringList& RegisterGenerator::settlingModes()
{
    static const QStringList modes { QString(),
        QStringLiteral("Sprawa nieskomplikowana i będzie załatwiona bezzwłocznie"),
        QStringLiteral("Załatwić w trybie administracyjnym w okresie jednego miesiąca"),
        QStringLiteral("Termin dwóch miesięcy z powodu skomplikowania kolvar") };
    return modes;
}

storage::CaseRecord RegisterGenerator::next()
{
    storage::CaseRecord record;
    record.termin = date();
    record.nadawca = sender();
    record.dotyczy = subject();
    record.tryb = pick(m_random, settlingModes());
    record.odpowiedz = pick(m_random, ReplyModes);
    record.szczegoly = details();
    record.adnotacje = annotation(record.termin);
    return record;
}

QString RegisterGenerator::date()
{
    const int year = m_random.between(FirstYear, LastYear);
    const int month = m_random.between(1, 12);
    const int day = m_random.between(1, QDate(year, month, 1).daysInMonth());
    // As the editor's date mask stores it with the Polish date separator.
    return QStringLiteral("%1.%2.%3")
        .arg(year)
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'));
}

QString RegisterGenerator::sender()
{
    for (;;) {
        QString name;
        const int kind = m_random.below(10);
        if (kind < 4)
            name = pick(m_random, FirstNames) + u' ' + pick(m_random, Surnames);
        else if (kind < 6)
            name = pick(m_random, Surnames) + u' ' + pick(m_random, FirstNames);
        else if (kind < 8)
            name = pick(m_random, Offices).arg(pick(m_random, Towns));
        else
            name = pick(m_random, Companies);
        if (name.size() <= MaxSender)
            return name;
    }
}

QString RegisterGenerator::subject()
{
    const int target = m_random.between(MinSubject, MaxSubject);
    QString text = pick(m_random, SubjectHeads);
    while (text.size() < target)
        text += (text.size() % 3 == 0 ? QStringLiteral(", ") : QStringLiteral(" "))
            + fillIn(m_random, pick(m_random, SubjectTails));
    // Every head and tail is far shorter than the cut, so the text stays above the minimum.
    return cutAtWord(text, MaxSubject);
}

QString RegisterGenerator::details()
{
    const int target = m_random.between(MinDetails, MaxDetails);
    QString text;
    int sentencesInLine = 0;
    int lineLength = m_random.between(1, 3);
    while (text.size() < target) {
        if (sentencesInLine == lineLength) {
            text += QStringLiteral("\r\n");
            sentencesInLine = 0;
            lineLength = m_random.between(1, 3);
        } else if (sentencesInLine > 0) {
            text += u' ';
        }
        text += fillIn(m_random, pick(m_random, Sentences));
        ++sentencesInLine;
    }
    return cutAtWord(text, MaxDetails);
}

QString RegisterGenerator::annotation(const QString& termin)
{
    const auto line = [this, &termin] {
        const QString& phrase = pick(m_random, Annotations);
        return phrase.contains(QLatin1String("%1")) ? phrase.arg(termin) : phrase;
    };
    const int kind = m_random.below(10);
    if (kind == 0)
        return {};
    QString text = line();
    if (kind == 9)
        text += QStringLiteral("\r\n") + line();
    return cutAtWord(text, MaxAnnotation);
}

void writeRegister(const QString& fileName, int count, std::uint64_t seed,
    const std::function<void(int)>& progress)
{
    QFile::remove(fileName);
    const storage::ISQLiteDatabasePtr db
        = storage::OpenDatabase(fileName, storage::OpenMode::Create);
    storage::CaseTable::CreateTable(*db);
    RegisterGenerator generator(seed);
    // The add command's own statement; one transaction for all, where the program commits each.
    const QString insert
        = QStringLiteral("INSERT INTO kolvar(ID,Termin,Nadawca,Dotyczy,Tryb,Odpowiedz,Szczegoly,"
                         "Adnotacje)VALUES (NULL,?, ?, ?,?, ?,?, ?);");
    db->StartTransaction();
    try {
        for (int i = 1; i <= count; ++i) {
            const storage::CaseRecord c = generator.next();
            db->RunStatement(insert,
                { c.termin, c.nadawca, c.dotyczy, c.tryb, c.odpowiedz, c.szczegoly, c.adnotacje });
            if (progress && i % 50000 == 0)
                progress(i);
        }
        for (int field = 0; field < int(RegisterGenerator::NullEvery.size()); ++field)
            db->RunStatement(QStringLiteral("UPDATE kolvar SET %1 = NULL WHERE ID % %2 = 7")
                                 .arg(QLatin1String(storage::CaseTable::ColumnNames[field + 1]))
                                 .arg(RegisterGenerator::NullEvery[std::size_t(field)]));
        db->ConfirmTransaction();
    } catch (...) {
        db->CancelTransaction();
        throw;
    }
}

} // namespace kolvar::bench
