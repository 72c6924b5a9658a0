// The server register measured: the list in each order beside psql's own COPY of the same rows,
// memory after a load, save/add/delete latency, how soon another desk hears of a change, and a
// load test of many clients that then proves no write was lost or applied over a newer one.
//
//   bench_server [cases ...]          default 100000 1000000
//   KOLVAR_BENCH_CLIENTS=20 KOLVAR_BENCH_SECONDS=60 (the load test, on the last register
//   measured; the private server takes twice as many connections as there are clients)
//   KOLVAR_BENCH_PG_URI=postgresql://... runs on that server's database (one without table
//   kolvar, or one holding the same generated register from an earlier run); otherwise a
//   private server is started in a temporary folder.
//   KOLVAR_BENCH_ONLY=list: the list loads alone, once each, for a profiler.
//   bench_server --memory URI: one list load in this process, its peak memory (internal).

#include "BenchSupport.h"
#include "CaseList.h"
#include "CaseStore.h"
#include "Cp1250.h"
#include "PgTestServer.h"
#include "RegisterGenerator.h"
#include "ServerStore.h"
#include "StringGrid.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

using namespace kolvar;
using namespace kolvar::storage;

namespace {

QTextStream out(stdout);

// The generated register of this many cases, kept between runs in KOLVAR_BENCH_DATA (or the
// temporary folder).
QString ensureRegister(int cases)
{
    const QString folder = qEnvironmentVariable("KOLVAR_BENCH_DATA", QDir::tempPath());
    const QString path = QDir(folder).filePath(QStringLiteral("kolvar-%1.db").arg(cases));
    if (!QFileInfo::exists(path))
        bench::writeRegister(path, cases, 1);
    return path;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double since(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

// psql's COPY of the same rows, as the user's shell would run it.
double psqlCopy(const QString& uri, const char* order)
{
    QProcess psql;
    psql.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    psql.start(QStringLiteral("psql"),
        { QStringLiteral("-X"), QStringLiteral("-d"), uri, QStringLiteral("-c"),
            QStringLiteral("COPY (SELECT id, termin, nadawca, dotyczy, tryb, odpowiedz, "
                           "szczegoly, adnotacje FROM kolvar ORDER BY %1) TO STDOUT")
                .arg(QLatin1String(order)) });
    psql.waitForFinished(-1);
    return since(timer);
}

// The grid as the main window lays it out for the list, without the window.
void layOutListGrid(grid::StringGrid& grid)
{
    grid.setColCount(8);
    grid.setFixedRows(1);
    grid.setNumberColumn(0);
    grid.setCompactCodec([](QStringView text) { return toCp1250(text); },
        [](QByteArrayView bytes) { return fromCp1250(bytes); },
        [](QStringView text) { return canEncodeCp1250(text); });
}

// The list as the window loads it: every case streamed into the grid's rows and put in order.
double listLoad(ICaseStore& store, int sortMode)
{
    grid::StringGrid grid;
    layOutListGrid(grid);
    CaseList list(grid);
    QElapsedTimer timer;
    timer.start();
    (void)list.load(store, sortMode);
    return since(timer);
}

// The store's rows alone, read and dropped: what the list load adds to it is the list's own work.
double storeRows(ICaseStore& store, int sortMode)
{
    QElapsedTimer timer;
    timer.start();
    (void)store.listRows(sortMode, [&](const CaseRow& row) {
        for (int col = 0; col < CaseRow::Fields; ++col)
            (void)row.text(col);
    });
    return since(timer);
}

// In a process of its own, so the peak is this load's and not that of loads before it: the peak
// before and after one list load, and the size of the texts it holds.
int measureMemory(const QString& uri)
{
    const CaseStorePtr store = OpenServerStore(uri);
    grid::StringGrid grid;
    layOutListGrid(grid);
    CaseList list(grid);
    const qint64 before = bench::peakResidentBytes();
    (void)list.load(*store, 3);
    const qint64 after = bench::peakResidentBytes();
    qint64 texts = 0;
    (void)store->listRows(0, [&](const CaseRow& row) {
        for (int col = 0; col < CaseRow::Fields; ++col)
            texts += row.text(col).size();
    });
    out << before << ' ' << after << ' ' << texts << ' ' << qint64(grid.storedTextBytes()) << '\n';
    out.flush();
    return 0;
}

void reportMemory(const QString& uri)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--memory"), uri });
    child.waitForFinished(-1);
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    if (child.exitCode() != 0 || figures.size() != 4) {
        out << "memory after load: not measured (" << child.readAllStandardError() << ")\n";
        return;
    }
    const double mb = 1024.0 * 1024.0;
    const qint64 added = figures[1].toLongLong() - figures[0].toLongLong();
    const qint64 texts = figures[2].toLongLong();
    out << "memory after load (peak added by one load, fresh process): "
        << QString::number(double(added) / mb, 'f', 1) << " MB for "
        << QString::number(double(texts) / mb, 'f', 1) << " MB of texts, ratio "
        << QString::number(double(added) / double(texts), 'f', 2) << "; grid's text store "
        << QString::number(figures[3].toDouble() / mb, 'f', 1) << " MB\n";
}

struct Written
{
    std::int64_t id;
    std::int64_t shownVersion;
    QString text;
};

struct ClientLog
{
    std::vector<double> saveSeconds;
    std::vector<Written> saves;
    std::int64_t transactions = 0;
    std::int64_t conflicts = 0;
    std::int64_t failures = 0;
    // Why the client could not connect at all (a server without a free connection, say).
    QString refused;
};

// Each client saves, adds and deletes on the one register: saves aim at a few shared cases, so
// clients meet on them, and each client deletes only cases it added.
void runClient(const QString& uri, int client, double seconds,
    const std::vector<std::int64_t>& shared, ClientLog& log)
{
    // Nothing may leave a client's thread: the run would end without its report, and without
    // stopping its server.
    CaseStorePtr store;
    try {
        store = OpenServerStore(uri);
    } catch (const std::exception& e) {
        log.refused = QString::fromLocal8Bit(e.what());
        return;
    }
    bench::SeededRandom random(std::uint64_t(client) + 11);
    std::vector<std::int64_t> mine;
    QElapsedTimer clock;
    clock.start();
    int sequence = 0;
    while (since(clock) < seconds) {
        const int dice = random.below(10);
        try {
            if (dice < 7) {
                const std::int64_t id = shared[std::size_t(random.below(int(shared.size())))];
                const std::optional<CaseRecord> shown = store->readCase(id);
                if (!shown)
                    continue;
                CaseRecord changed = *shown;
                changed.nadawca = QStringLiteral("k%1-%2").arg(client).arg(++sequence);
                QElapsedTimer save;
                save.start();
                try {
                    store->saveCase(
                        id, *shown, changed, { false, true, false, false, false, false, false });
                    log.saveSeconds.push_back(since(save));
                    log.saves.push_back({ id, shown->version, changed.nadawca });
                } catch (const CaseConflict&) {
                    log.saveSeconds.push_back(since(save));
                    ++log.conflicts;
                }
            } else if (dice < 9 || mine.empty()) {
                CaseRecord added;
                added.nadawca = QStringLiteral("nowy k%1").arg(client);
                mine.push_back(store->addCase(added));
            } else {
                const std::int64_t id = mine.back();
                mine.pop_back();
                if (const std::optional<CaseRecord> shown = store->readCase(id))
                    store->deleteCase(id, *shown);
            }
            ++log.transactions;
        } catch (const std::exception&) {
            ++log.failures;
        }
    }
}

// The clients work on the register at uri as it is (the measured one, a million cases and all):
// their saves meet on its first 50 cases.
void loadTest(const QString& uri, int clients, double seconds)
{
    const CaseStorePtr setup = OpenServerStore(uri);
    std::vector<std::int64_t> shared;
    (void)setup->listRows(0, [&](const CaseRow& row) {
        if (shared.size() < 50)
            shared.push_back(row.text(0).toLongLong());
    });
    // Each case's version before the clients came: its history counts from there.
    std::map<std::int64_t, std::int64_t> startVersion;
    for (const std::int64_t id : shared)
        startVersion[id] = setup->readCase(id).value_or(CaseRecord {}).version;
    std::vector<ClientLog> logs(static_cast<std::size_t>(clients));
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back(
            runClient, uri, c, seconds, std::cref(shared), std::ref(logs[std::size_t(c)]));
    for (std::thread& t : threads)
        t.join();

    std::vector<double> saves;
    std::int64_t transactions = 0, conflicts = 0, failures = 0, refused = 0;
    QString refusal;
    std::map<std::int64_t, std::map<std::int64_t, QString>> byVersion;
    std::int64_t doubleWrites = 0;
    for (const ClientLog& log : logs) {
        saves.insert(saves.end(), log.saveSeconds.begin(), log.saveSeconds.end());
        transactions += log.transactions;
        conflicts += log.conflicts;
        failures += log.failures;
        if (!log.refused.isEmpty()) {
            ++refused;
            refusal = log.refused;
        }
        for (const Written& w : log.saves) {
            if (!byVersion[w.id].emplace(w.shownVersion, w.text).second)
                ++doubleWrites; // two saves claimed over one version: one overwrote unknowingly
        }
    }
    // Every claimed save raised the version by one from the one it was shown, so a case's
    // versions from its start to final-1 each carry exactly one claimed save, and the stored
    // text is the last one's: anything else is a write lost or applied over a newer one.
    std::int64_t lost = 0;
    for (const std::int64_t id : shared) {
        const std::optional<CaseRecord> stored = setup->readCase(id);
        const auto& versions = byVersion[id];
        const std::int64_t first = startVersion[id];
        if (!stored || std::int64_t(versions.size()) != stored->version - first) {
            ++lost;
            continue;
        }
        if (!versions.empty() && versions.rbegin()->second != stored->nadawca)
            ++lost;
        for (std::int64_t v = first; v < stored->version; ++v) {
            if (!versions.count(v))
                ++lost;
        }
    }
    out << "load test: clients " << clients << ", duration " << seconds << " s\n"
        << "  transactions " << transactions << ", tps "
        << QString::number(double(transactions) / seconds, 'f', 1) << "\n  save latency p50 "
        << QString::number(percentile(saves, 0.5) * 1000, 'f', 2) << " ms, p99 "
        << QString::number(percentile(saves, 0.99) * 1000, 'f', 2) << " ms\n"
        << "  conflicts detected " << conflicts << ", failures " << failures
        << ", clients that could not connect " << refused
        << (refused ? QStringLiteral(" (%1)").arg(refusal) : QString()) << "\n"
        << "  check: saves claimed over one version " << doubleWrites
        << ", cases whose stored history differs from the claims " << lost
        << (doubleWrites == 0 && lost == 0 && refused == 0 ? "  OK\n" : "  FAILED\n");
    out.flush();
}

// A register already on the server from an earlier run on the same database is kept, though
// the load test that ended that run added cases to it: its count, or nothing.
std::optional<std::int64_t> onServerAlready(const QString& uri)
{
    try {
        return OpenServerStore(uri)->count();
    } catch (const StoreError&) {
        return std::nullopt;
    }
}

void measure(const QString& uri, int cases, bool listOnly)
{
    out << "== " << cases << " cases\n";
    QElapsedTimer timer;
    if (const std::optional<std::int64_t> there = onServerAlready(uri)) {
        out << "register already on the server: " << *there << " cases\n";
    } else {
        const QString file = ensureRegister(cases);
        timer.start();
        const std::int64_t moved = MoveToServer(file, uri, {});
        out << "move to the server (COPY, checked): " << moved << " cases, "
            << QString::number(since(timer), 'f', 2) << " s\n";
    }
    const CaseStorePtr store = OpenServerStore(uri);
    static const std::pair<int, const char*> orders[]
        = { { 2, "termin, id" }, { 3, "nadawca, id" }, { 4, "dotyczy, id" } };
    const int runs = listOnly ? 1 : 3;
    for (const auto& [mode, order] : orders) {
        std::vector<double> list, rows, theirs;
        for (int run = 0; run < runs; ++run) {
            theirs.push_back(psqlCopy(uri, order));
            list.push_back(listLoad(*store, mode));
            rows.push_back(storeRows(*store, mode));
        }
        out << "list by " << order << ": list loaded " << QString::number(median(list), 'f', 3)
            << " s, store's rows alone " << QString::number(median(rows), 'f', 3)
            << " s, psql COPY " << QString::number(median(theirs), 'f', 3) << " s, ratio "
            << QString::number(median(list) / median(theirs), 'f', 2) << "\n";
        out.flush();
    }
    if (listOnly)
        return;
    reportMemory(uri);

    std::vector<double> save, add, remove;
    for (int i = 0; i < 100; ++i) {
        CaseRecord record;
        record.nadawca = QStringLiteral("Pomiar %1").arg(i);
        timer.restart();
        const std::int64_t id = store->addCase(record);
        add.push_back(since(timer));
        const CaseRecord shown = *store->readCase(id);
        record.dotyczy = QStringLiteral("zmiana");
        timer.restart();
        store->saveCase(id, shown, record, AllCaseFields);
        save.push_back(since(timer));
        const CaseRecord saved = *store->readCase(id);
        timer.restart();
        store->deleteCase(id, saved);
        remove.push_back(since(timer));
    }
    out << "median latency: save " << QString::number(median(save) * 1000, 'f', 2) << " ms, add "
        << QString::number(median(add) * 1000, 'f', 2) << " ms, delete "
        << QString::number(median(remove) * 1000, 'f', 2) << " ms\n";

    const CaseStorePtr watcher = OpenServerStore(uri);
    std::vector<double> heard;
    for (int i = 0; i < 50; ++i) {
        CaseRecord record;
        record.nadawca = QStringLiteral("Ogłoszenie %1").arg(i);
        timer.restart();
        (void)store->addCase(record);
        bool got = false;
        while (!got) {
            pollfd watched { watcher->changeSocket(), POLLIN, 0 };
            if (::poll(&watched, 1, 2000) <= 0)
                break;
            got = !watcher->takeChanges().empty();
        }
        heard.push_back(got ? since(timer) : 2.0);
    }
    out << "change heard by another desk: median "
        << QString::number(percentile(heard, 0.5) * 1000, 'f', 2) << " ms, slowest "
        << QString::number(percentile(heard, 1.0) * 1000, 'f', 2) << " ms\n";
    out.flush();
}

} // namespace

int main(int argc, char** argv)
{
    // The grid is a widget; no window is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (app.arguments().value(1) == QLatin1String("--memory"))
        return measureMemory(app.arguments().value(2));
    const bool listOnly = qEnvironmentVariable("KOLVAR_BENCH_ONLY") == QLatin1String("list");
    QStringList counts = app.arguments().mid(1);
    if (counts.isEmpty())
        counts = { QStringLiteral("100000"), QStringLiteral("1000000") };
    const int clients = qEnvironmentVariableIntValue("KOLVAR_BENCH_CLIENTS") > 0
        ? qEnvironmentVariableIntValue("KOLVAR_BENCH_CLIENTS")
        : 20;
    const int seconds = qEnvironmentVariableIntValue("KOLVAR_BENCH_SECONDS") > 0
        ? qEnvironmentVariableIntValue("KOLVAR_BENCH_SECONDS")
        : 60;

    std::unique_ptr<test::PgTestServer> server;
    const QString given = qEnvironmentVariable("KOLVAR_BENCH_PG_URI");
    if (given.isEmpty()) {
        // Each client holds a connection, beside the measuring ones.
        server = std::make_unique<test::PgTestServer>(
            QStringList { QStringLiteral("max_connections=%1").arg(std::max(100, 2 * clients)) });
        if (!server->running()) {
            std::fprintf(stderr, "no server: %s\n", qPrintable(server->failure()));
            return 1;
        }
    }
    int database = 0;
    const auto freshDatabase = [&] {
        if (!server)
            return given;
        const QString name = QStringLiteral("pomiar%1").arg(++database);
        server->createDatabase(name);
        return server->uri(name);
    };
    // Every failure ends the run here, so that the private server is stopped on the way out.
    try {
        QString measured;
        for (const QString& count : counts) {
            measured = freshDatabase();
            measure(measured, count.toInt(), listOnly);
        }
        if (listOnly)
            return 0;
        loadTest(measured, clients, seconds);
    } catch (const StoreError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.detail()));
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
