#include "ODBC.h"

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "DateUtils.h"

namespace {
// Text columns wider than this are kept as memos: a record's fixed part stays small.
constexpr int kMaxStringSize = 8192;
// What a grid is offered as a text column's width, in characters.
constexpr int kMaxDisplayWidth = 255;

SQLWCHAR* W(const String& s) { return reinterpret_cast<SQLWCHAR*>(const_cast<wchar_t*>(s.c_str())); }

// Every diagnostic record of Handle, one per line; Fallback when the driver gave none.
String Diagnostics(SQLSMALLINT Type, SQLHANDLE Handle, const String& Fallback) {
    String text;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {}, message[1024] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(Type, Handle, i, state, &native, message, 1024, &length))) break;
        if (!text.empty()) text += L"\n";
        text += L"[" + String(reinterpret_cast<wchar_t*>(state)) + L"] " + String(reinterpret_cast<wchar_t*>(message));
    }
    return text.empty() ? Fallback : text;
}

void Check(SQLRETURN Result, SQLSMALLINT Type, SQLHANDLE Handle, const String& What) {
    if (SQL_SUCCEEDED(Result) || Result == SQL_NO_DATA) return;
    throw EDatabaseError(What + L": " + Diagnostics(Type, Handle, L"the driver reported an error"));
}

// A statement handle freed on every path.
struct TStatement {
    SQLHSTMT Handle = SQL_NULL_HSTMT;
    explicit TStatement(SQLHDBC Dbc) {
        Check(SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &Handle), SQL_HANDLE_DBC, Dbc, L"Cannot make a statement");
    }
    ~TStatement() { SQLFreeHandle(SQL_HANDLE_STMT, Handle); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;
};

TDateTime TimestampToDateTime(const SQL_TIMESTAMP_STRUCT& t) {
    TDateTime d = 0, time = 0;
    if (!TryEncodeDate(t.year, t.month, t.day, d))
        throw EDatabaseError(Format(L"The date %d-%d-%d cannot be shown", {t.year, t.month, t.day}));
    TryEncodeTime(t.hour, t.minute, t.second, int(t.fraction / 1000000), time);
    return d < 0 ? d - time : d + time;
}

SQL_TIMESTAMP_STRUCT DateTimeToTimestamp(TDateTime Value) {
    std::int64_t ms = std::llround(Value * 86400000.0);
    std::int64_t days = ms >= 0 ? ms / 86400000 : -((-ms + 86399999) / 86400000);
    std::int64_t rest = ms - days * 86400000;
    // Day 0 is 1899-12-30; the civil date of a day count (proleptic Gregorian, from 0000-03-01).
    std::int64_t z = days + 693899;
    std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    std::int64_t doe = z - era * 146097;
    std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    std::int64_t mp = (5 * doy + 2) / 153;
    SQL_TIMESTAMP_STRUCT t{};
    t.day = SQLUSMALLINT(doy - (153 * mp + 2) / 5 + 1);
    t.month = SQLUSMALLINT(mp < 10 ? mp + 3 : mp - 9);
    t.year = SQLSMALLINT(yoe + era * 400 + (t.month <= 2));
    t.hour = SQLUSMALLINT(rest / 3600000);
    t.minute = SQLUSMALLINT(rest / 60000 % 60);
    t.second = SQLUSMALLINT(rest / 1000 % 60);
    t.fraction = SQLUINTEGER(rest % 1000 * 1000000);
    return t;
}

// How a result column is read into a field.
enum class TRead { Integer, Largeint, Float, Boolean, String, Date, Time, DateTime, Memo, Blob };
}  // namespace

// ---- connection ----

TFDConnection::TFDConnection(TComponent* AOwner) : TComponent(AOwner) {}

TFDConnection::~TFDConnection() {
    SetConnected(false);
    for (TFDRdbmsDataSet* d : std::vector<TFDRdbmsDataSet*>(FDataSets)) d->SetConnection(nullptr);
}

void TFDConnection::SetConnectionString(const String& Value) {
    SetConnected(false);
    FConnectionString = Value;
}

void TFDConnection::SetConnected(bool Value) {
    if (Connected() == Value) return;
    if (Value) return Connect();
    for (TFDRdbmsDataSet* d : FDataSets) d->Close();
    Disconnect();
}

void TFDConnection::Disconnect() {
    SQLDisconnect(FDbc);
    SQLFreeHandle(SQL_HANDLE_DBC, FDbc);
    SQLFreeHandle(SQL_HANDLE_ENV, FEnv);
    FDbc = FEnv = nullptr;
}

void TFDConnection::Connect() {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        throw EDatabaseError(L"Cannot reach the ODBC driver manager");
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLRETURN r = SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    String error;
    if (!SQL_SUCCEEDED(r)) {
        error = Diagnostics(SQL_HANDLE_ENV, env, L"no connection handle");
    } else {
        r = SQLDriverConnectW(dbc, nullptr, W(FConnectionString), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(r)) error = Diagnostics(SQL_HANDLE_DBC, dbc, L"the driver refused the connection");
    }
    if (!error.empty()) {
        if (dbc) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        throw EDatabaseError(L"Cannot connect to the database: " + error);
    }
    FEnv = env;
    FDbc = dbc;
    auto info = [dbc](SQLUSMALLINT Kind) {
        SQLWCHAR text[64] = {};
        SQLSMALLINT length = 0;
        SQLGetInfoW(dbc, Kind, text, sizeof text, &length);
        return String(reinterpret_cast<wchar_t*>(text));
    };
    FQuote = info(SQL_IDENTIFIER_QUOTE_CHAR);
    if (FQuote == L" ") FQuote.clear();
    FDbmsName = info(SQL_DBMS_NAME);
    // The SQLite driver returns no rows from an INSERT; the row number of the last one names it.
    if (SameText(FDbmsName, L"PostgreSQL"))
        FReturning = TReturning::Returning;
    else if (SameText(FDbmsName, L"SQLite"))
        FReturning = TReturning::LastRowId;
    else if (SameText(FDbmsName, L"Microsoft SQL Server"))
        FReturning = TReturning::Output;
    else
        FReturning = TReturning::None;
}

void TFDConnection::Ensure() {
    if (!Connected()) return Connect();
    SQLUINTEGER dead = SQL_CD_FALSE;
    if (!SQL_SUCCEEDED(SQLGetConnectAttrW(FDbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) || dead != SQL_CD_TRUE)
        return;
    for (TFDRdbmsDataSet* d : FDataSets) d->ConnectionLost();
    Disconnect();
    Connect();
}

String TFDConnection::QuoteName(const String& Name) const {
    if (FQuote.empty()) return Name;
    String quoted = FQuote;
    for (wchar_t c : Name) {
        quoted += c;
        if (String(1, c) == FQuote) quoted += c;
    }
    return quoted + FQuote;
}

int TFDConnection::ExecSQL(const String& SQL) {
    Ensure();
    TStatement st(FDbc);
    Check(SQLExecDirectW(st.Handle, W(SQL), SQL_NTS), SQL_HANDLE_STMT, st.Handle, L"The statement failed");
    SQLLEN rows = 0;
    SQLRowCount(st.Handle, &rows);
    return int(rows);
}

void TFDConnection::DataSetAttached(TFDRdbmsDataSet* DataSet, bool Attached) {
    auto it = std::find(FDataSets.begin(), FDataSets.end(), DataSet);
    if (Attached && it == FDataSets.end()) FDataSets.push_back(DataSet);
    if (!Attached && it != FDataSets.end()) FDataSets.erase(it);
}

// ---- parameters ----

void TFDParam::AssignField(const TField* Field) {
    using T = TFieldType;
    if (Field->IsNull()) return Clear();
    switch (Field->DataType()) {
        case T::ftSmallint: case T::ftInteger: case T::ftWord: case T::ftAutoInc: case T::ftLargeint:
            return SetAsInteger(Field->AsLargeInt());
        case T::ftFloat: case T::ftCurrency: case T::ftBCD: return SetAsFloat(Field->AsFloat());
        case T::ftBoolean: return SetAsBoolean(Field->AsBoolean());
        case T::ftDate: return SetAsDateTime(Field->AsDateTime(), TKind::pkDate);
        case T::ftTime: return SetAsDateTime(Field->AsDateTime(), TKind::pkTime);
        case T::ftDateTime: return SetAsDateTime(Field->AsDateTime());
        default: return SetAsString(Field->AsString());
    }
}

TFDParam* TFDParams::FindParam(const String& Name) const {
    for (const auto& p : FItems)
        if (SameText(p->Name(), Name)) return p.get();
    return nullptr;
}

TFDParam& TFDParams::ParamByName(const String& Name) const {
    if (TFDParam* p = FindParam(Name)) return *p;
    throw EDatabaseError(Format(L"Parameter '%s' not found", {Name}));
}

namespace {
// The buffers a bound parameter points at, alive until the statement ran.
struct TBoundParam {
    std::int64_t Int = 0;
    double Float = 0;
    SQL_TIMESTAMP_STRUCT Stamp{};
    SQL_DATE_STRUCT Date{};
    SQL_TIME_STRUCT Time{};
    String Text;
    SQLLEN Indicator = 0;
};

void BindParams(SQLHSTMT St, const std::vector<const TFDParam*>& Params, std::vector<TBoundParam>& Bound) {
    using K = TFDParam::TKind;
    Bound.resize(Params.size());
    for (std::size_t i = 0; i < Params.size(); ++i) {
        const TFDParam& p = *Params[i];
        TBoundParam& b = Bound[i];
        SQLSMALLINT cType = SQL_C_WCHAR, sqlType = SQL_WVARCHAR;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLPOINTER value = nullptr;
        SQLLEN bufferLength = 0;
        b.Indicator = 0;
        switch (p.Kind()) {
            case K::pkNull:
                b.Indicator = SQL_NULL_DATA;
                cType = SQL_C_CHAR;
                sqlType = SQL_VARCHAR;
                size = 1;
                break;
            case K::pkInteger:
                b.Int = p.AsInteger();
                cType = SQL_C_SBIGINT, sqlType = SQL_BIGINT, value = &b.Int;
                break;
            case K::pkBoolean:
                b.Int = p.AsInteger() ? 1 : 0;
                cType = SQL_C_SBIGINT, sqlType = SQL_BIT, value = &b.Int, size = 1;
                break;
            case K::pkFloat:
                b.Float = p.AsFloat();
                cType = SQL_C_DOUBLE, sqlType = SQL_DOUBLE, value = &b.Float, size = 15;
                break;
            case K::pkDateTime:
                b.Stamp = DateTimeToTimestamp(p.AsFloat());
                cType = SQL_C_TYPE_TIMESTAMP, sqlType = SQL_TYPE_TIMESTAMP, value = &b.Stamp, size = 23, digits = 3;
                break;
            case K::pkDate: {
                auto t = DateTimeToTimestamp(p.AsFloat());
                b.Date = {t.year, t.month, t.day};
                cType = SQL_C_TYPE_DATE, sqlType = SQL_TYPE_DATE, value = &b.Date, size = 10;
                break;
            }
            case K::pkTime: {
                auto t = DateTimeToTimestamp(p.AsFloat());
                b.Time = {t.hour, t.minute, t.second};
                cType = SQL_C_TYPE_TIME, sqlType = SQL_TYPE_TIME, value = &b.Time, size = 8;
                break;
            }
            case K::pkString:
                b.Text = p.AsString();
                value = W(b.Text);
                b.Indicator = SQLLEN(b.Text.size() * sizeof(wchar_t));
                bufferLength = b.Indicator + 2;
                size = std::max<SQLULEN>(b.Text.size(), 1);
                if (size > 4000) sqlType = SQL_WLONGVARCHAR;
                break;
        }
        Check(SQLBindParameter(St, SQLUSMALLINT(i + 1), SQL_PARAM_INPUT, cType, sqlType, size, digits, value,
                               bufferLength, &b.Indicator),
              SQL_HANDLE_STMT, St, L"Cannot bind a parameter");
    }
}
}  // namespace

// ---- the dataset ----

struct TFDRdbmsDataSet::TColumn {
    TRead Read = TRead::String;
    // Where the value goes in a record: its field's number (-1: no field shows the column).
    int Offset = 0, FieldNo = -1, BlobIndex = -1, Size = 0;
    std::vector<std::uint8_t> Buffer;  // bound columns' value
    SQLLEN Indicator = 0;
};

TFDRdbmsDataSet::TFDRdbmsDataSet(TComponent* AOwner) : TFDDataSet(AOwner) {}

TFDRdbmsDataSet::~TFDRdbmsDataSet() {
    Close();
    SetConnection(nullptr);
}

void TFDRdbmsDataSet::SetConnection(TFDConnection* Value) {
    if (FConnection == Value) return;
    Close();
    if (FConnection) FConnection->DataSetAttached(this, false);
    FConnection = Value;
    if (FConnection) FConnection->DataSetAttached(this, true);
}

TFDConnection* TFDRdbmsDataSet::CheckConnection() const {
    if (!FConnection) throw EDatabaseError(Format(L"%s: no connection", {Name()}));
    FConnection->Ensure();
    return FConnection;
}

int TFDRdbmsDataSet::RecordCount() const { return FEndReached ? TFDDataSet::RecordCount() : -1; }

bool TFDRdbmsDataSet::CanModify() const {
    return !FKeyPlaces.empty() && FConnection && TFDDataSet::CanModify();
}

void TFDRdbmsDataSet::InternalInitFieldDefs() {
    TFDConnection* connection = CheckConnection();
    SQLHDBC dbc = connection->Handle();
    FKeyNames.clear();
    if (!UpdateTable().empty()) {
        TStatement st(dbc);
        String table = UpdateTable();
        Check(SQLPrimaryKeysW(st.Handle, nullptr, 0, nullptr, 0, W(table), SQL_NTS), SQL_HANDLE_STMT, st.Handle,
              L"Cannot read the key of " + table);
        std::vector<std::pair<int, String>> keys;
        SQLWCHAR name[256];
        SQLSMALLINT seq = 0;
        SQLLEN nameLength = 0, seqLength = 0;
        SQLBindCol(st.Handle, 4, SQL_C_WCHAR, name, sizeof name, &nameLength);
        SQLBindCol(st.Handle, 5, SQL_C_SSHORT, &seq, 0, &seqLength);
        while (SQL_SUCCEEDED(SQLFetch(st.Handle))) keys.emplace_back(seq, reinterpret_cast<wchar_t*>(name));
        std::sort(keys.begin(), keys.end());
        for (auto& k : keys) FKeyNames.push_back(k.second);
    }
    FRowIdKey = FKeyNames.empty() && !UpdateTable().empty() && SameText(connection->DbmsName(), L"SQLite");
    if (FRowIdKey) FKeyNames.push_back(L"rowid");
    SQLHSTMT st = SQL_NULL_HSTMT;
    Check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st), SQL_HANDLE_DBC, dbc, L"Cannot make a statement");
    FStmt = st;
    try {
        std::vector<TBoundParam> bound;
        BindParams(st, SelectParams(), bound);
        Check(SQLExecDirectW(st, W(SelectSQL()), SQL_NTS), SQL_HANDLE_STMT, st, L"Cannot open " + Name());
        DescribeColumns();
    } catch (...) {
        CloseStatement();
        throw;
    }
}

// Field definitions from the result's columns.
void TFDRdbmsDataSet::DescribeColumns() {
    SQLHSTMT st = FStmt;
    SQLSMALLINT count = 0;
    Check(SQLNumResultCols(st, &count), SQL_HANDLE_STMT, st, L"Cannot describe the result");
    if (count == 0) throw EDatabaseError(Name() + L": the statement returns no records");
    FieldDefs().Clear();
    FColumns.assign(std::size_t(count), TColumn());
    for (SQLSMALLINT i = 1; i <= count; ++i) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        Check(SQLDescribeColW(st, i, name, 256, &nameLength, &type, &size, &digits, &nullable), SQL_HANDLE_STMT, st,
              L"Cannot describe the result");
        TColumn& c = FColumns[std::size_t(i - 1)];
        TFieldType ft;
        int fieldSize = 0;
        switch (type) {
            case SQL_TINYINT: case SQL_SMALLINT: ft = TFieldType::ftSmallint, c.Read = TRead::Integer; break;
            case SQL_INTEGER: ft = TFieldType::ftInteger, c.Read = TRead::Integer; break;
            case SQL_BIGINT: ft = TFieldType::ftLargeint, c.Read = TRead::Largeint; break;
            case SQL_DECIMAL: case SQL_NUMERIC: case SQL_REAL: case SQL_FLOAT: case SQL_DOUBLE:
                ft = TFieldType::ftFloat, c.Read = TRead::Float;
                break;
            case SQL_BIT: ft = TFieldType::ftBoolean, c.Read = TRead::Boolean; break;
            case SQL_TYPE_DATE: case SQL_DATE: ft = TFieldType::ftDate, c.Read = TRead::Date; break;
            case SQL_TYPE_TIME: case SQL_TIME: ft = TFieldType::ftTime, c.Read = TRead::Time; break;
            case SQL_TYPE_TIMESTAMP: case SQL_TIMESTAMP: ft = TFieldType::ftDateTime, c.Read = TRead::DateTime; break;
            case SQL_BINARY: case SQL_VARBINARY: case SQL_LONGVARBINARY: ft = TFieldType::ftBlob, c.Read = TRead::Blob; break;
            case SQL_CHAR: case SQL_VARCHAR: case SQL_WCHAR: case SQL_WVARCHAR: case SQL_GUID:
                if (size > 0 && size <= SQLULEN(kMaxStringSize)) {
                    ft = type == SQL_CHAR || type == SQL_VARCHAR ? TFieldType::ftString : TFieldType::ftWideString;
                    fieldSize = int(size);
                    c.Read = TRead::String;
                    break;
                }
                [[fallthrough]];
            default: ft = TFieldType::ftMemo, c.Read = TRead::Memo; break;
        }
        c.Size = fieldSize;
        FieldDefs().Add(reinterpret_cast<wchar_t*>(name), ft, fieldSize, false);
    }
}

void TFDRdbmsDataSet::InternalOpen() {
    try {
        TFDDataSet::InternalOpen();
        ClearRecords();
        // Where each column's value lies in a record, as the dataset laid the fields out.
        const auto& layout = LayoutFields();
        int offset = (int(layout.size()) + 7) / 8, blob = 0;
        std::vector<std::pair<int, int>> places;  // offset, blob index
        for (TField* f : layout) {
            places.emplace_back(offset, f->IsBlob() ? blob : -1);
            if (f->IsBlob()) ++blob;
            offset += f->DataSize();
        }
        std::vector<bool> filled(layout.size());
        for (std::size_t i = 0; i < FColumns.size(); ++i) {
            TColumn& c = FColumns[i];
            TField* field = FindField(FieldDefs().Items(int(i)).Name);
            c.FieldNo = -1;
            if (!field) continue;
            auto at = std::find(layout.begin(), layout.end(), field) - layout.begin();
            c.FieldNo = int(at);
            c.Offset = places[std::size_t(at)].first;
            c.BlobIndex = places[std::size_t(at)].second;
            filled[std::size_t(at)] = true;
            if (c.Read == TRead::Blob) field->SetReadOnly(true);
            if (c.Read == TRead::String) field->SetDisplayWidth(std::min(c.Size, kMaxDisplayWidth));
        }
        BindColumns(FStmt);
        for (std::size_t i = 0; i < layout.size(); ++i)
            if (!filled[i]) layout[i]->SetReadOnly(true);
        FKeyPlaces.clear();
        for (const String& key : FKeyNames)
            if (TField* f = FindField(key))
                FKeyPlaces.push_back(std::size_t(std::find(layout.begin(), layout.end(), f) - layout.begin()));
        if (FRowIdKey && !FKeyPlaces.empty()) {
            layout[FKeyPlaces[0]]->SetVisible(false);
            layout[FKeyPlaces[0]]->SetReadOnly(true);
        }
        if (FKeyPlaces.size() != FKeyNames.size()) FKeyPlaces.clear();
        FEndReached = false;
        if (FetchOptions()->Mode() == TFDFetchMode::fmAll)
            while (FetchMore()) {}
    } catch (...) {
        CloseStatement();
        throw;
    }
}

// Fixed-size values are bound to the columns' buffers; long values are read with SQLGetData
// after them. A statement returning the same columns (an INSERT's returned row) binds the same
// buffers: each row is copied out of them before the next statement reads.
void TFDRdbmsDataSet::BindColumns(void* Statement) {
    SQLHSTMT st = Statement;
    for (std::size_t i = 0; i < FColumns.size(); ++i) {
        TColumn& c = FColumns[i];
        if (c.FieldNo < 0) continue;
        SQLUSMALLINT column = SQLUSMALLINT(i + 1);
        auto bind = [&](SQLSMALLINT cType, std::size_t bytes) {
            c.Buffer.resize(bytes);
            Check(SQLBindCol(st, column, cType, c.Buffer.data(), SQLLEN(bytes), &c.Indicator), SQL_HANDLE_STMT, st,
                  L"Cannot bind a column");
        };
        switch (c.Read) {
            case TRead::Integer: bind(SQL_C_SLONG, 4); break;
            case TRead::Largeint: bind(SQL_C_SBIGINT, 8); break;
            case TRead::Float: bind(SQL_C_DOUBLE, 8); break;
            case TRead::Boolean: bind(SQL_C_BIT, 1); break;
            case TRead::String: bind(SQL_C_WCHAR, std::size_t(c.Size + 1) * 2); break;
            case TRead::Date: case TRead::Time: case TRead::DateTime:
                bind(SQL_C_TYPE_TIMESTAMP, sizeof(SQL_TIMESTAMP_STRUCT));
                break;
            case TRead::Memo: case TRead::Blob: break;
        }
    }
}

void TFDRdbmsDataSet::InternalClose() {
    CloseStatement();
    ClearRecords();
    FKeyPlaces.clear();
    FEndReached = true;
    FCutOff = false;
}

void TFDRdbmsDataSet::ConnectionLost() {
    if (!FStmt) return;
    CloseStatement();
    FCutOff = true;
}

void TFDRdbmsDataSet::CloseStatement() {
    if (FStmt) SQLFreeHandle(SQL_HANDLE_STMT, FStmt);
    FStmt = nullptr;
}

bool TFDRdbmsDataSet::FetchMore() {
    if (FCutOff)
        throw EDatabaseError(Name() + L": the connection to the database was lost; reopen it to read the rest of its records");
    if (FEndReached || !FStmt) return false;
    TRecordBuffer b;
    int fetched = 0;
    int block = FetchOptions()->Mode() == TFDFetchMode::fmAll ? 4096 : FRowsetSize;
    while (fetched < block) {
        if (!FetchRow(FStmt, b)) {
            FEndReached = true;
            CloseStatement();  // the result is all held: the connection is free for others
            break;
        }
        AppendRecord(b);
        ++fetched;
    }
    return fetched > 0;
}

// Reads the statement's next row into Buffer; false at the end.
bool TFDRdbmsDataSet::FetchRow(void* Statement, TRecordBuffer& Buffer) {
    SQLHSTMT st = Statement;
    SQLRETURN r = SQLFetch(st);
    if (r == SQL_NO_DATA) return false;
    Check(r, SQL_HANDLE_STMT, st, L"Cannot read a record");
    Buffer.Data.assign(std::size_t(RecordSize()), 0);
    Buffer.Blobs.assign(std::size_t(BlobCount()), TBytes());
    std::uint8_t* data = Buffer.Data.data();
    for (std::size_t i = 0; i < FColumns.size(); ++i) {
        TColumn& c = FColumns[i];
        if (c.FieldNo < 0) continue;
        std::uint8_t* v = data + c.Offset;
        if (c.Read == TRead::Memo || c.Read == TRead::Blob) {
            // Long values come in pieces; text pieces end in a terminator each.
            SQLSMALLINT cType = c.Read == TRead::Memo ? SQL_C_WCHAR : SQL_C_BINARY;
            std::size_t unit = c.Read == TRead::Memo ? 2 : 0;
            TBytes& value = Buffer.Blobs[std::size_t(c.BlobIndex)];
            std::uint8_t piece[8192];
            SQLLEN indicator = 0;
            bool isNull = false;
            for (;;) {
                r = SQLGetData(st, SQLUSMALLINT(i + 1), cType, piece, sizeof piece, &indicator);
                if (r == SQL_NO_DATA) break;
                Check(r, SQL_HANDLE_STMT, st, L"Cannot read a value");
                if (indicator == SQL_NULL_DATA) {
                    isNull = true;
                    break;
                }
                std::size_t room = sizeof piece - unit;
                std::size_t got = indicator == SQL_NO_TOTAL || std::size_t(indicator) > room ? room : std::size_t(indicator);
                value.insert(value.end(), piece, piece + got);
                if (r == SQL_SUCCESS) break;
            }
            if (!isNull) data[c.FieldNo / 8] |= std::uint8_t(1u << (c.FieldNo % 8));
            continue;
        }
        if (c.Indicator == SQL_NULL_DATA) continue;
        data[c.FieldNo / 8] |= std::uint8_t(1u << (c.FieldNo % 8));
        const std::uint8_t* in = c.Buffer.data();
        switch (c.Read) {
            case TRead::Integer: case TRead::Float: case TRead::Largeint:
                std::memcpy(v, in, c.Read == TRead::Integer ? 4 : 8);
                break;
            case TRead::Boolean: *v = *in ? 1 : 0; break;
            case TRead::String: {
                std::size_t units = std::min<std::size_t>(std::size_t(c.Indicator) / 2, std::size_t(c.Size));
                if (c.Indicator == SQL_NO_TOTAL) units = std::size_t(c.Size);
                std::uint16_t length = std::uint16_t(units);
                std::memcpy(v, &length, 2);
                std::memcpy(v + 2, in, units * 2);
                break;
            }
            case TRead::Date: case TRead::Time: case TRead::DateTime: {
                SQL_TIMESTAMP_STRUCT t;
                std::memcpy(&t, in, sizeof t);
                if (c.Read == TRead::Time) t.year = 1899, t.month = 12, t.day = 30;
                TDateTime d = TimestampToDateTime(t);
                if (c.Read == TRead::Date) d = std::trunc(d);
                std::memcpy(v, &d, 8);
                break;
            }
            default: break;
        }
    }
    return true;
}

int TFDRdbmsDataSet::ExecStatement(const String& SQL, const std::vector<const TFDParam*>& Params) {
    TStatement st(CheckConnection()->Handle());
    std::vector<TBoundParam> bound;
    BindParams(st.Handle, Params, bound);
    Check(SQLExecDirectW(st.Handle, W(SQL), SQL_NTS), SQL_HANDLE_STMT, st.Handle, L"The statement failed");
    SQLLEN rows = 0;
    SQLRowCount(st.Handle, &rows);
    return int(rows);
}

void TFDRdbmsDataSet::InternalEdit() { FOriginal = *CurrentBuffer(); }

namespace {
// The fields written by an edit: those of the result's columns, without binary ones.
bool Writable(const TField* f) { return !f->ReadOnly() && f->DataType() != TFieldType::ftBlob; }

[[noreturn]] void RecordGone() {
    throw EDatabaseError(L"The record was changed or deleted by another user since it was read");
}
}  // namespace

void TFDRdbmsDataSet::InternalPost() {
    TFDConnection* connection = CheckConnection();
    String table = connection->QuoteName(UpdateTable());
    std::vector<TField*> keys = KeyFields();
    std::vector<TFDParam> values;
    values.reserve(LayoutFields().size() + keys.size());
    std::vector<const TFDParam*> params;
    String names, markers, sets, where;
    bool inserting = State() != TDataSetState::dsEdit;
    const TRecordBuffer& record = *CurrentBuffer();
    for (TField* f : LayoutFields()) {
        if (!Writable(f)) continue;
        // A new record leaves out its NULL fields: the database's defaults (a counter key) apply.
        // An edit writes only the fields it changed: a value as read may fall short of the stored
        // one (text cut to the field's size, numbers and times rounded), and writing it back
        // would damage a column nobody touched.
        if (inserting ? f->IsNull() : SameValue(f, record, FOriginal)) continue;
        values.emplace_back();
        values.back().AssignField(f);
        params.push_back(&values.back());
        String name = connection->QuoteName(f->FieldName());
        names += (names.empty() ? L"" : L", ") + name;
        markers += markers.empty() ? L"?" : L", ?";
        sets += (sets.empty() ? L"" : L", ") + name + L" = ?";
    }
    if (inserting) {
        String into = names.empty() ? L"" : L" (" + names + L")";
        String rows = names.empty() ? L" DEFAULT VALUES" : L" VALUES (" + markers + L")";
        return InsertRecord(table, L"INSERT INTO " + table + into, rows, params);
    }
    // Nothing changed: the record stays as read, and the database is not asked.
    if (sets.empty()) return TFDDataSet::InternalPost();
    // The key as it was read names the row, whatever the edit did to it.
    TRecordBuffer edited = *CurrentBuffer();
    *CurrentBuffer() = FOriginal;
    for (TField* f : keys) {
        values.emplace_back();
        values.back().AssignField(f);
        params.push_back(&values.back());
        where += (where.empty() ? L"" : L" AND ") + connection->QuoteName(f->FieldName()) + L" = ?";
    }
    *CurrentBuffer() = std::move(edited);
    if (ExecStatement(L"UPDATE " + table + L" SET " + sets + L" WHERE " + where, params) == 0) RecordGone();
    TFDDataSet::InternalPost();
}

void TFDRdbmsDataSet::InsertRecord(const String& Table, const String& Into, const String& Rows,
                                   const std::vector<const TFDParam*>& Params) {
    using R = TFDConnection::TReturning;
    String list = SelectList();
    R returning = list.empty() ? R::None : FConnection->FReturning;
    // SQL Server names the returned columns between the columns and the values; it has no row number.
    if (returning == R::Output && list != L"*") returning = R::None;
    String sql = Into + Rows;
    if (returning == R::Returning) sql += L" RETURNING " + list;
    if (returning == R::Output) sql = Into + L" OUTPUT INSERTED.*" + Rows;
    if (returning == R::None || returning == R::LastRowId) {
        if (ExecStatement(sql, Params) == 0) RecordGone();
        if (returning == R::None) return TFDDataSet::InternalPost();
        sql = L"SELECT " + list + L" FROM " + Table + L" WHERE rowid = last_insert_rowid()";
    }
    TStatement st(FConnection->Handle());
    std::vector<TBoundParam> bound;
    TRecordBuffer made;  // the record as the database made it: its generated key, its defaults
    if (returning == R::LastRowId) {
        // The record is in: a table without row numbers (declared WITHOUT ROWID, so its key is
        // the one given) keeps the record as posted rather than reporting a failed insert.
        if (SQL_SUCCEEDED(SQLExecDirectW(st.Handle, W(sql), SQL_NTS))) {
            BindColumns(st.Handle);
            if (!FetchRow(st.Handle, made)) made = TRecordBuffer();
        }
    } else {
        BindParams(st.Handle, Params, bound);
        Check(SQLExecDirectW(st.Handle, W(sql), SQL_NTS), SQL_HANDLE_STMT, st.Handle, L"The statement failed");
        BindColumns(st.Handle);
        if (!FetchRow(st.Handle, made)) RecordGone();
    }
    if (!made.Data.empty()) {
        CurrentBuffer()->Data = std::move(made.Data);
        CurrentBuffer()->Blobs = std::move(made.Blobs);
    }
    TFDDataSet::InternalPost();
}

std::vector<TField*> TFDRdbmsDataSet::KeyFields() const {
    std::vector<TField*> keys;
    for (std::size_t place : FKeyPlaces) keys.push_back(LayoutFields()[place]);
    return keys;
}

// The dataset cancels an edit before it deletes (TDataSet::Delete): the key read here is the
// key as read.
void TFDRdbmsDataSet::InternalDelete() {
    TFDConnection* connection = CheckConnection();
    std::vector<TField*> keys = KeyFields();
    std::vector<TFDParam> values(keys.size());
    std::vector<const TFDParam*> params;
    String where;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        values[i].AssignField(keys[i]);
        params.push_back(&values[i]);
        where += (where.empty() ? L"" : L" AND ") + connection->QuoteName(keys[i]->FieldName()) + L" = ?";
    }
    if (ExecStatement(L"DELETE FROM " + connection->QuoteName(UpdateTable()) + L" WHERE " + where, params) == 0)
        RecordGone();
    TFDDataSet::InternalDelete();
}

// ---- query and table ----

void TFDQuery::SetSQL(const String& Value) {
    Close();
    FSQL = Value;
    // ":Name" outside quoted text and comments becomes a marker; "::" (a cast) stays.
    TFDParams params;
    FMarkers.clear();
    FMarkedSQL.clear();
    std::size_t i = 0, n = Value.size();
    auto isName = [](wchar_t c) { return iswalnum(c) || c == L'_'; };
    while (i < n) {
        wchar_t c = Value[i];
        if (c == L'\'' || c == L'"') {
            std::size_t end = Value.find(c, i + 1);
            end = end == String::npos ? n : end + 1;
            FMarkedSQL.append(Value, i, end - i);
            i = end;
        } else if (c == L'-' && i + 1 < n && Value[i + 1] == L'-') {
            std::size_t end = Value.find(L'\n', i);
            end = end == String::npos ? n : end;
            FMarkedSQL.append(Value, i, end - i);
            i = end;
        } else if (c == L':' && i + 1 < n && Value[i + 1] == L':') {
            FMarkedSQL += L"::";
            i += 2;
        } else if (c == L':' && i + 1 < n && isName(Value[i + 1])) {
            std::size_t end = i + 1;
            while (end < n && isName(Value[end])) ++end;
            String name = Value.substr(i + 1, end - i - 1);
            TFDParam* p = params.FindParam(name);
            if (!p) {
                params.FItems.push_back(std::make_unique<TFDParam>());
                p = params.FItems.back().get();
                p->FName = name;
                if (TFDParam* old = FParams.FindParam(name)) *p = *old, p->FName = name;
            }
            int index = 0;
            while (params.FItems[std::size_t(index)].get() != p) ++index;
            FMarkers.push_back(index);
            FMarkedSQL += L'?';
            i = end;
        } else {
            FMarkedSQL += c;
            ++i;
        }
    }
    FParams.FItems = std::move(params.FItems);
}

std::vector<const TFDParam*> TFDQuery::SelectParams() const {
    std::vector<const TFDParam*> list;
    for (int index : FMarkers) list.push_back(FParams.FItems[std::size_t(index)].get());
    return list;
}

int TFDQuery::ExecSQL() {
    return ExecStatement(FMarkedSQL, SelectParams());
}

void TFDTable::SetTableName(const String& Value) {
    Close();
    FTableName = Value;
}

String TFDTable::SelectSQL() const {
    if (FTableName.empty()) throw EDatabaseError(Name() + L": no table name");
    return L"SELECT " + SelectList() + L" FROM " + Connection()->QuoteName(FTableName);
}

String TFDTable::SelectList() const {
    return RowIdKey() ? L"rowid AS " + Connection()->QuoteName(L"rowid") + L", *" : L"*";
}
