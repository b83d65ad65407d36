// An installer database held in memory: table schemas, rows and the summary fields a transform
// records. Both databases of a comparison and the result of a change description are of this form.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quentry::transform {

enum class ColumnKind {
    String, // a reference into the string pool
    Int16,  // 2 bytes
    Int32,  // 4 bytes
    Stream, // binary data kept in a stream of its own
};

struct ColumnDef {
    std::wstring name;
    ColumnKind kind = ColumnKind::String;
    int width = 0; // characters of a string column (0 = unlimited), bytes of an integer column
    bool nullable = false;
    bool localizable = false;
    bool key = false;

    // The column's type as the table of columns stores it.
    int StoredType() const;
    // The column's type in the installer's short notation ("s72", "I2", "V0").
    std::wstring TypeText() const;
    bool SameDefinition(const ColumnDef& other) const;
};

struct TableSchema {
    std::wstring name;
    std::vector<ColumnDef> columns;
};

struct Value {
    enum class Kind { Null, Integer, String, Stream };
    Kind kind = Kind::Null;
    int integer = 0;
    std::wstring text;
    std::string bytes; // stream data

    static Value Null() { return {}; }
    static Value Integer(int v) {
        Value r;
        r.kind = Kind::Integer;
        r.integer = v;
        return r;
    }
    // The installer does not tell an empty string from a missing one.
    static Value String(std::wstring v) {
        Value r;
        r.kind = v.empty() ? Kind::Null : Kind::String;
        r.text = std::move(v);
        return r;
    }
    static Value Stream(std::string data) {
        Value r;
        r.kind = Kind::Stream;
        r.bytes = std::move(data);
        return r;
    }
    bool IsNull() const { return kind == Kind::Null; }
    bool operator==(const Value& other) const;
    // The value as the installer writes it into a key or a stream name.
    std::wstring KeyText() const;
};

using Row = std::vector<Value>;

struct TableData {
    TableSchema schema;
    // Rows by their primary key (the key values joined by tabs), so that two tables compare in key order.
    std::map<std::wstring, Row> rows;

    static std::wstring KeyOf(const TableSchema& schema, const Row& row);
};

// The summary fields of a database that the transform's own summary information is made from.
struct SummaryFields {
    std::optional<int> codepage;
    std::wstring title, subject, author, keywords, comments, templateText;
    std::optional<int> pageCount;
};

struct DatabaseSnapshot {
    std::wstring path;
    UINT codepage = 0; // of the string pool
    SummaryFields summary;
    std::map<std::wstring, TableData> tables;

    // A value of the Property table, or the empty string.
    std::wstring Property(const std::wstring& name) const;
};

} // namespace quentry::transform
