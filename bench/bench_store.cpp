// The resource store against SQLite doing the same work: create records of 200 bytes and save,
// reopen (close, open and answer a first look-up), find each by type and id and read its bytes,
// change a tenth and save, compact.
// Prints each time and the ratio store / SQLite (below 1 means the store is faster).
// LUMIVO_BENCH_SHORT=1 runs 10,000 records instead of 100,000.

#include "store/ResourceHandle.h"
#include "store/ResourceManager.h"

#include <QTemporaryDir>

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace
{

constexpr std::int32_t kType = 0x67770001;
constexpr std::size_t kRecordSize = 200;

double secondsFor(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void fillRecord(std::uint8_t* bytes, int id, int generation)
{
    for (std::size_t i = 0; i < kRecordSize; ++i)
        bytes[i] = static_cast<std::uint8_t>(id * 31 + static_cast<int>(i) + generation);
}

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "bench_store: %s failed\n", what);
        std::exit(1);
    }
}

struct Figures {
    double create = 0, reopen = 0, find = 0, change = 0, compact = 0;
    double close = 0, open = 0; // the two halves of the reopen
};

Figures runStore(const QString& path, int count)
{
    Figures figures;
    int file = 0;
    figures.create = secondsFor([&] {
        check(FindOrAddResFile(&file, path) == 0, "store: add file");
        for (int id = 1; id <= count; ++id) {
            CMyByteRes record;
            record.Create();
            record.SetSize(kRecordSize);
            fillRecord(record.GetBytes(), id, 0);
            check(record.SaveAs(id, file, kType) == RES_OK, "store: place record");
        }
        check(SaveResFile(file) == RES_OK, "store: first save");
    });
    // Closing, opening and answering a first look-up: the store reads and checks its whole map here.
    // Closing lets go of every record that the creation made, with its bytes.
    figures.close = secondsFor([&] { check(CloseResFile(file) == RES_OK, "store: close"); });
    figures.open = secondsFor([&] {
        check(OpenResFile(&file, path) == RES_OK, "store: open");
        CResEntry* first = nullptr;
        FindResource(1, kType, file, &first);
        check(first && first->GetData(), "store: first look-up");
    });
    figures.reopen = figures.close + figures.open;
    std::uint64_t sum = 0;
    figures.find = secondsFor([&] {
        for (int id = 1; id <= count; ++id) {
            CResEntry* record = nullptr;
            FindResource(id, kType, file, &record);
            check(record && record->GetData(), "store: find");
            sum += record->GetData()[7];
        }
    });
    figures.change = secondsFor([&] {
        for (int id = 1; id <= count; id += 10) {
            CMyByteRes record;
            check(AttachResource(&record, id, kType, file) == RES_OK, "store: attach");
            fillRecord(record.GetBytes(), id, 1);
            record.Commit();
        }
        check(SaveResFile(file) == RES_OK, "store: save changes");
    });
    figures.compact = secondsFor([&] { check(CompactResFile(file) == RES_OK, "store: compact"); });
    check(CloseResFile(file) == RES_OK, "store: close");
    std::printf("  (store checksum %llu)\n", static_cast<unsigned long long>(sum));
    return figures;
}

void exec(sqlite3* db, const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", message ? message : "?");
        std::exit(1);
    }
}

Figures runSqlite(const QString& path, int count)
{
    Figures figures;
    const QByteArray name = path.toUtf8();
    sqlite3* db = nullptr;
    std::vector<std::uint8_t> bytes(kRecordSize);
    figures.create = secondsFor([&] {
        check(sqlite3_open(name.constData(), &db) == SQLITE_OK, "sqlite: open");
        exec(db, "CREATE TABLE records(type INTEGER, id INTEGER, data BLOB, PRIMARY KEY(type, id))");
        exec(db, "BEGIN");
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO records VALUES(?, ?, ?)", -1, &insert, nullptr);
        for (int id = 1; id <= count; ++id) {
            fillRecord(bytes.data(), id, 0);
            sqlite3_bind_int(insert, 1, kType);
            sqlite3_bind_int(insert, 2, id);
            sqlite3_bind_blob(insert, 3, bytes.data(), kRecordSize, SQLITE_TRANSIENT);
            check(sqlite3_step(insert) == SQLITE_DONE, "sqlite: insert");
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        exec(db, "COMMIT");
    });
    sqlite3_stmt* select = nullptr;
    // The same: closing, opening, and what SQLite reads before it answers a first look-up (the schema
    // when the statement is prepared, then the pages on the way down to the first row).
    figures.close = secondsFor([&] { sqlite3_close(db); });
    figures.open = secondsFor([&] {
        check(sqlite3_open(name.constData(), &db) == SQLITE_OK, "sqlite: reopen");
        check(sqlite3_prepare_v2(db, "SELECT data FROM records WHERE type = ? AND id = ?", -1, &select,
                                 nullptr) == SQLITE_OK,
              "sqlite: prepare");
        sqlite3_bind_int(select, 1, kType);
        sqlite3_bind_int(select, 2, 1);
        check(sqlite3_step(select) == SQLITE_ROW && sqlite3_column_blob(select, 0), "sqlite: first look-up");
        sqlite3_reset(select);
    });
    figures.reopen = figures.close + figures.open;
    std::uint64_t sum = 0;
    figures.find = secondsFor([&] {
        for (int id = 1; id <= count; ++id) {
            sqlite3_bind_int(select, 1, kType);
            sqlite3_bind_int(select, 2, id);
            check(sqlite3_step(select) == SQLITE_ROW, "sqlite: find");
            sum += static_cast<const std::uint8_t*>(sqlite3_column_blob(select, 0))[7];
            sqlite3_reset(select);
        }
    });
    sqlite3_finalize(select);
    figures.change = secondsFor([&] {
        exec(db, "BEGIN");
        sqlite3_stmt* update = nullptr;
        sqlite3_prepare_v2(db, "UPDATE records SET data = ? WHERE type = ? AND id = ?", -1, &update, nullptr);
        for (int id = 1; id <= count; id += 10) {
            fillRecord(bytes.data(), id, 1);
            sqlite3_bind_blob(update, 1, bytes.data(), kRecordSize, SQLITE_TRANSIENT);
            sqlite3_bind_int(update, 2, kType);
            sqlite3_bind_int(update, 3, id);
            check(sqlite3_step(update) == SQLITE_DONE, "sqlite: update");
            sqlite3_reset(update);
        }
        sqlite3_finalize(update);
        exec(db, "COMMIT");
    });
    figures.compact = secondsFor([&] { exec(db, "VACUUM"); });
    sqlite3_close(db);
    std::printf("  (sqlite checksum %llu)\n", static_cast<unsigned long long>(sum));
    return figures;
}

void printRow(const char* what, double store, double sqlite)
{
    std::printf("%-40s %10.2f ms %10.2f ms %8.2f\n", what, store * 1000, sqlite * 1000, store / sqlite);
}

} // namespace

int main(int, char**)
{
    const char* shortRun = std::getenv("LUMIVO_BENCH_SHORT");
    const int count = shortRun && std::strcmp(shortRun, "1") == 0 ? 10000 : 100000;
    QTemporaryDir folder;
    check(folder.isValid(), "temporary folder");
    std::printf("%d records of %zu bytes\n", count, kRecordSize);
    const Figures store = runStore(folder.filePath("bench.tvf"), count);
    const Figures sqlite = runSqlite(folder.filePath("bench.db"), count);
    std::printf("%-40s %13s %13s %8s\n", "operation", "store", "sqlite", "ratio");
    printRow("create and save", store.create, sqlite.create);
    printRow("reopen", store.reopen, sqlite.reopen);
    printRow("  of which close", store.close, sqlite.close);
    printRow("  of which open and first look-up", store.open, sqlite.open);
    printRow("find each by type and id, read bytes", store.find, sqlite.find);
    // The store reads and checks its whole map when it opens a file; SQLite reads the rest of its pages
    // on demand, during the finds. Together they are the same work.
    printRow("reopen, then find and read all", store.reopen + store.find, sqlite.reopen + sqlite.find);
    printRow("change a tenth and save", store.change, sqlite.change);
    printRow("compact", store.compact, sqlite.compact);
    return 0;
}
