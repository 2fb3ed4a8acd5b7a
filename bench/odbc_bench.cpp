// The database datasets against the driver itself, in one run per database:
// - opening 1,000,000 records of five columns with every record fetched, against a plain SQLFetch
//   loop that reads the same columns into a std::vector; with the heap a held record takes;
// - an on-demand open of the large table showing its first 50 records, against opening a
//   1,000-record table whole.
// Usage: odbc_bench SQLITE_FILE [POSTGRESQL_CONNECTION_STRING]
//   (under Wine the SQLite file is a host path; scripts/pg-server starts a server to name)
#include <windows.h>
#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchArch.h"
#include "HeapUse.h"
#include "ODBC.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kLarge = 1000000, kSmall = 1000;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

String Wide(const char* s) {
    int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
    String w(std::size_t(n > 0 ? n - 1 : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s, -1, w.data(), n);
    return w;
}

struct TRow {
    std::int32_t Id, Count;
    wchar_t Name[21];
    double Value, Stamp;
};

// The plain loop: the same five columns bound and fetched into memory.
double PlainFetch(TFDConnection& Connection, const String& SQL, std::vector<TRow>& Rows) {
    auto start = Clock::now();
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_STMT, Connection.Handle(), &st);
    SQLExecDirectW(st, reinterpret_cast<SQLWCHAR*>(const_cast<wchar_t*>(SQL.c_str())), SQL_NTS);
    TRow r{};
    SQL_TIMESTAMP_STRUCT ts{};
    SQLLEN ind[5];
    SQLBindCol(st, 1, SQL_C_SLONG, &r.Id, 0, &ind[0]);
    SQLBindCol(st, 2, SQL_C_SLONG, &r.Count, 0, &ind[1]);
    SQLBindCol(st, 3, SQL_C_WCHAR, r.Name, sizeof r.Name, &ind[2]);
    SQLBindCol(st, 4, SQL_C_DOUBLE, &r.Value, 0, &ind[3]);
    SQLBindCol(st, 5, SQL_C_TYPE_TIMESTAMP, &ts, 0, &ind[4]);
    while (SQL_SUCCEEDED(SQLFetch(st))) {
        r.Stamp = ts.day + ts.hour / 24.0;
        Rows.push_back(r);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    return Seconds(start);
}

void Run(const char* Name, const String& ConnectionString, const String& LazyConnectionString,
         const String& Fill) {
    TFDConnection db(nullptr);
    db.SetConnectionString(ConnectionString);
    db.Open();
    db.ExecSQL(L"DROP TABLE IF EXISTS big");
    db.ExecSQL(L"DROP TABLE IF EXISTS small");
    for (const wchar_t* table : {L"big", L"small"})
        db.ExecSQL(String(L"CREATE TABLE ") + table +
                   L" (id INTEGER PRIMARY KEY, n INTEGER, name VARCHAR(20), v DOUBLE PRECISION, ts TIMESTAMP)");
    db.ExecSQL(Fill);
    db.ExecSQL(L"INSERT INTO small SELECT * FROM big WHERE id <= " + std::to_wstring(kSmall));

    const String select = L"SELECT id, n, name, v, ts FROM big";
    std::vector<TRow> rows;
    double plain = PlainFetch(db, select, rows);

    long long heapBefore = HeapBytesInUse();
    auto q = std::make_unique<TFDQuery>(nullptr);
    q->SetConnection(&db);
    q->SetSQL(select);
    auto start = Clock::now();
    q->Open();
    double all = Seconds(start);
    long long perRecord = (HeapBytesInUse() - heapBefore) / std::max(q->RecordCount(), 1);
    std::printf("%s: open %d records fmAll %.3f s, plain SQLFetch loop %.3f s (%zu rows), ratio %.2f; %lld bytes per record\n",
                Name, q->RecordCount(), all, plain, rows.size(), all / plain, perRecord);
    q.reset();
    rows = std::vector<TRow>();

    TFDConnection lazyDb(nullptr);
    lazyDb.SetConnectionString(LazyConnectionString);
    lazyDb.Open();
    auto smallTime = [&] {
        TFDTable t(nullptr);
        t.SetConnection(&lazyDb);
        t.SetTableName(L"small");
        auto s = Clock::now();
        t.Open();
        return Seconds(s);
    };
    auto lazyTime = [&] {
        TFDQuery t(nullptr);
        t.SetConnection(&lazyDb);
        t.SetSQL(select);
        t.FetchOptions()->SetMode(TFDFetchMode::fmOnDemand);
        auto s = Clock::now();
        t.Open();
        t.MoveBy(49);
        return Seconds(s);
    };
    smallTime(), lazyTime();  // warm the caches of both
    double smallBest = 1e9, lazyBest = 1e9;
    for (int i = 0; i < 5; ++i) smallBest = std::min(smallBest, smallTime()), lazyBest = std::min(lazyBest, lazyTime());
    std::printf("%s: on-demand first 50 of %d %.4f s, %d-record table whole %.4f s, ratio %.2f\n", Name, kLarge,
                lazyBest, kSmall, smallBest, lazyBest / smallBest);
    db.ExecSQL(L"DROP TABLE big");
    db.ExecSQL(L"DROP TABLE small");
}
}  // namespace

int main(int argc, char** argv) {
    PrintBenchArchitecture();
    if (argc < 2) {
        std::fprintf(stderr, "usage: odbc_bench SQLITE_FILE [POSTGRESQL_CONNECTION_STRING]\n");
        return 2;
    }
    try {
        const String large = std::to_wstring(kLarge);
        String sqlite = L"Driver={SQLite3};Database=" + Wide(argv[1]);
        // The driver reads a whole result before the first row unless told to step through it.
        Run("SQLite", sqlite, sqlite + L";StepAPI=1",
            L"INSERT INTO big WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
            L"SELECT x, x % 1000, 'name ' || x, x * 0.5, '2024-01-01 10:00:00' FROM c LIMIT " + large);
        if (argc > 2) {
            String pg = Wide(argv[2]);
            // Likewise, unless told to fetch through a server cursor.
            Run("PostgreSQL", pg, pg + L";UseDeclareFetch=1;Fetch=50",
                L"INSERT INTO big SELECT x, x % 1000, 'name ' || x, x * 0.5, TIMESTAMP '2024-01-01 10:00:00' "
                L"FROM generate_series(1, " + large + L") AS g(x)");
        }
    } catch (const Exception& e) {
        std::fprintf(stderr, "odbc_bench: %ls\n", e.Message().c_str());
        return 1;
    }
    return 0;
}
