// Database-backed datasets over ODBC: a connection, a query with named parameters and a table.
// Fetched records go into the memory dataset's record store, so record numbers and counts cost
// nothing once the records are held; the on-demand mode fills it in blocks from a forward-only
// statement as the cursor moves. Edits of a table post parameterised statements on its key as
// read, writing only the fields the edit changed: a value as read may be short of the stored one.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "MemTable.h"

// A connection through the driver manager: a connection string ("Driver={...};..." or
// "DSN=...;..."). Failures raise EDatabaseError with the driver's diagnostic text.
class TFDConnection : public TComponent {
    SS_CLASS(TFDConnection, TComponent)
public:
    explicit TFDConnection(TComponent* AOwner);
    ~TFDConnection() override;

    const String& ConnectionString() const { return FConnectionString; }
    // Closes an open connection first.
    void SetConnectionString(const String& Value);
    bool Connected() const { return FDbc != nullptr; }
    void SetConnected(bool Value);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }
    // Runs a statement that returns no records; answers the rows it affected.
    int ExecSQL(const String& SQL);

    // The driver's handle of the open connection (for the datasets).
    void* Handle() const { return FDbc; }
    // Quotes an identifier the way the connected database does.
    String QuoteName(const String& Name) const;
    // The database's own name for itself, as the driver reports it ("SQLite", "PostgreSQL", ...).
    const String& DbmsName() const { return FDbmsName; }

private:
    friend class TFDRdbmsDataSet;
    // How an INSERT hands back the row the database made (its generated key and defaults).
    enum class TReturning { None, Returning, Output, LastRowId };
    void DataSetAttached(class TFDRdbmsDataSet* DataSet, bool Attached);
    void Connect();
    void Disconnect();
    // Opens the connection, or makes it again when the driver found it dead (the server went
    // away): a statement after a lost connection runs on a new one.
    void Ensure();
    String FConnectionString;
    void* FEnv = nullptr;
    void* FDbc = nullptr;
    String FQuote, FDbmsName;
    TReturning FReturning = TReturning::None;
    std::vector<class TFDRdbmsDataSet*> FDataSets;
};

// A value bound to a statement: NULL, an integer, a float, a date-time or text.
class TFDParam {
public:
    enum class TKind { pkNull, pkInteger, pkFloat, pkBoolean, pkDateTime, pkDate, pkTime, pkString };
    const String& Name() const { return FName; }
    TKind Kind() const { return FKind; }
    bool IsNull() const { return FKind == TKind::pkNull; }
    void Clear() { FKind = TKind::pkNull; }
    void SetAsInteger(std::int64_t Value) { FKind = TKind::pkInteger; FInt = Value; }
    void SetAsFloat(double Value) { FKind = TKind::pkFloat; FFloat = Value; }
    void SetAsBoolean(bool Value) { FKind = TKind::pkBoolean; FInt = Value; }
    void SetAsDateTime(TDateTime Value, TKind Kind = TKind::pkDateTime) { FKind = Kind; FFloat = Value; }
    void SetAsString(const String& Value) { FKind = TKind::pkString; FText = Value; }
    std::int64_t AsInteger() const { return FInt; }
    double AsFloat() const { return FFloat; }
    const String& AsString() const { return FText; }
    // Takes a field's current value, in the field's kind.
    void AssignField(const TField* Field);

private:
    friend class TFDParams;
    friend class TFDQuery;
    String FName;
    TKind FKind = TKind::pkNull;
    std::int64_t FInt = 0;
    double FFloat = 0;
    String FText;
};

class TFDParams {
public:
    int Count() const { return int(FItems.size()); }
    TFDParam& Items(int Index) { return *FItems[std::size_t(Index)]; }
    // By name (ASCII case ignored), or nullptr.
    TFDParam* FindParam(const String& Name) const;
    // By name; EDatabaseError when there is no such parameter.
    TFDParam& ParamByName(const String& Name) const;

private:
    friend class TFDQuery;
    std::vector<std::unique_ptr<TFDParam>> FItems;
};

// The family base of the database datasets: opens a statement, makes the fields from the
// result's columns and keeps the fetched records in the memory dataset's store.
class TFDRdbmsDataSet : public TFDDataSet {
    SS_CLASS(TFDRdbmsDataSet, TFDDataSet)
public:
    explicit TFDRdbmsDataSet(TComponent* AOwner);
    ~TFDRdbmsDataSet() override;

    TFDConnection* Connection() const { return FConnection; }
    void SetConnection(TFDConnection* Value);
    // Records fetched at a time in the on-demand mode.
    int RowsetSize() const { return FRowsetSize; }
    void SetRowsetSize(int Value) { FRowsetSize = Value < 1 ? 1 : Value; }
    // A unidirectional dataset moves forward only; set it before opening.
    void SetUnidirectional(bool Value) { TDataSet::SetUnidirectional(Value); }

    // -1 until every record of the result is held.
    int RecordCount() const override;
    // True once the records are all held: until then a record number has no known share of the count.
    bool IsSequenced() const override { return Sequenced() && FEndReached; }
    // Needs a key and a connection to write to.
    bool CanModify() const override;

protected:
    // The statement's text and its parameters, in the order of their markers.
    virtual String SelectSQL() const = 0;
    virtual std::vector<const TFDParam*> SelectParams() const { return {}; }
    // The table edits go to, and its key fields (empty: the dataset is read-only).
    virtual String UpdateTable() const { return String(); }
    // The columns the statement selects from UpdateTable ("*", or the row number and "*"); an
    // inserted record is read back through them, so it holds the key the database gave it.
    virtual String SelectList() const { return String(); }
    // True when the table has no declared key and its rows are named by SQLite's row number,
    // which the statement then selects as a hidden first column "rowid".
    bool RowIdKey() const { return FRowIdKey; }

    // Runs the statement and describes its columns as the field definitions.
    void InternalInitFieldDefs() override;
    void InternalOpen() override;
    void InternalClose() override;
    void InternalEdit() override;
    void InternalPost() override;
    void InternalDelete() override;
    bool FetchMore() override;
    // Runs a statement with its parameters; answers the rows it affected.
    int ExecStatement(const String& SQL, const std::vector<const TFDParam*>& Params);
    TFDConnection* CheckConnection() const;

private:
    friend class TFDConnection;
    struct TColumn;
    void DescribeColumns();
    void BindColumns(void* Statement);
    bool FetchRow(void* Statement, TRecordBuffer& Buffer);
    // Runs the INSERT of the current record; reads the row back when the database can return it.
    void InsertRecord(const String& Table, const String& Into, const String& Rows,
                      const std::vector<const TFDParam*>& Params);
    void CloseStatement();
    // The connection was made again: the open result is gone with the old one.
    void ConnectionLost();
    TFDConnection* FConnection = nullptr;
    void* FStmt = nullptr;
    std::vector<String> FKeyNames;
    bool FRowIdKey = false;
    // The key fields, by their places in the record layout (a freed one's stand-in takes its place).
    std::vector<std::size_t> FKeyPlaces;
    std::vector<TField*> KeyFields() const;
    std::vector<TColumn> FColumns;
    bool FEndReached = true;
    bool FCutOff = false;  // the rest of the result was lost with the connection
    int FRowsetSize = 50;
    TRecordBuffer FOriginal;  // the record as read, while it is being edited
};

// A query: SQL text with named parameters (":Name"), bound as statement parameters.
class TFDQuery : public TFDRdbmsDataSet {
    SS_CLASS(TFDQuery, TFDRdbmsDataSet)
public:
    explicit TFDQuery(TComponent* AOwner) : TFDRdbmsDataSet(AOwner) {}
    const String& SQL() const { return FSQL; }
    // Closes the query and makes its parameter list anew (values of kept names stay).
    void SetSQL(const String& Value);
    TFDParams& Params() { return FParams; }
    TFDParam& ParamByName(const String& Name) const { return FParams.ParamByName(Name); }
    // Runs the text as a statement that returns no records; answers the rows it affected.
    int ExecSQL();

protected:
    String SelectSQL() const override { return FMarkedSQL; }
    std::vector<const TFDParam*> SelectParams() const override;

private:
    String FSQL, FMarkedSQL;
    TFDParams FParams;
    std::vector<int> FMarkers;  // the parameter each marker takes, in order
};

// A whole table, editable through its primary key.
class TFDTable : public TFDRdbmsDataSet {
    SS_CLASS(TFDTable, TFDRdbmsDataSet)
public:
    explicit TFDTable(TComponent* AOwner) : TFDRdbmsDataSet(AOwner) {}
    const String& TableName() const { return FTableName; }
    void SetTableName(const String& Value);

protected:
    String SelectSQL() const override;
    String UpdateTable() const override { return FTableName; }
    String SelectList() const override;

private:
    String FTableName;
};
