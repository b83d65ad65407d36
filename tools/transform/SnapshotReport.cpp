#include "SnapshotReport.h"

#include "shared/IsolatedRun.h"

namespace quentry::transform {

namespace {

using tools::ReportReader;
using tools::ReportWriter;

void PutOptional(ReportWriter& out, const std::optional<int>& value) {
    out.Number(value ? 1 : 0);
    out.Number(static_cast<uint32_t>(value.value_or(0)));
}

bool GetOptional(ReportReader& in, std::optional<int>& value) {
    uint32_t present = 0;
    uint32_t number = 0;
    if (!in.Number(present) || !in.Number(number) || present > 1) {
        return false;
    }
    value = present ? std::optional<int>(static_cast<int>(number)) : std::nullopt;
    return true;
}

void PutValue(ReportWriter& out, const Value& value) {
    out.Number(static_cast<uint32_t>(value.kind));
    out.Number(static_cast<uint32_t>(value.integer));
    out.Text(value.text);
    out.Bytes(value.bytes);
}

bool GetValue(ReportReader& in, Value& value) {
    uint32_t kind = 0;
    uint32_t integer = 0;
    if (!in.Number(kind) || kind > static_cast<uint32_t>(Value::Kind::Stream) || !in.Number(integer) ||
        !in.Text(value.text) || !in.Bytes(value.bytes)) {
        return false;
    }
    value.kind = static_cast<Value::Kind>(kind);
    value.integer = static_cast<int>(integer);
    return true;
}

} // namespace

std::string EncodeSnapshot(const DatabaseSnapshot& snapshot) {
    ReportWriter out;
    out.Number(snapshot.codepage);
    const SummaryFields& summary = snapshot.summary;
    PutOptional(out, summary.codepage);
    for (const std::wstring* text : {&summary.title, &summary.subject, &summary.author, &summary.keywords,
                                     &summary.comments, &summary.templateText}) {
        out.Text(*text);
    }
    PutOptional(out, summary.pageCount);
    out.Number(static_cast<uint32_t>(snapshot.tables.size()));
    for (const auto& [name, table] : snapshot.tables) {
        out.Text(name);
        out.Number(static_cast<uint32_t>(table.schema.columns.size()));
        for (const ColumnDef& column : table.schema.columns) {
            out.Text(column.name);
            out.Number(static_cast<uint32_t>(column.kind));
            out.Number(static_cast<uint32_t>(column.width));
            out.Number((column.nullable ? 1u : 0u) | (column.localizable ? 2u : 0u) | (column.key ? 4u : 0u));
        }
        out.Number(static_cast<uint32_t>(table.rows.size()));
        for (const auto& [key, row] : table.rows) {
            out.Text(key);
            for (const Value& value : row) {
                PutValue(out, value);
            }
        }
    }
    return out.Data();
}

bool DecodeSnapshot(const std::string& data, DatabaseSnapshot& snapshot) {
    ReportReader in(data);
    SummaryFields& summary = snapshot.summary;
    if (!in.Number(snapshot.codepage) || !GetOptional(in, summary.codepage)) {
        return false;
    }
    for (std::wstring* text : {&summary.title, &summary.subject, &summary.author, &summary.keywords,
                               &summary.comments, &summary.templateText}) {
        if (!in.Text(*text)) {
            return false;
        }
    }
    uint32_t tables = 0;
    if (!GetOptional(in, summary.pageCount) || !in.Number(tables)) {
        return false;
    }
    for (uint32_t t = 0; t < tables; ++t) {
        std::wstring name;
        uint32_t columns = 0;
        // A table has at most a few dozen columns: a larger number is a damaged report.
        if (!in.Text(name) || !in.Number(columns) || columns > 1024) {
            return false;
        }
        TableData& table = snapshot.tables[name];
        table.schema.name = name;
        for (uint32_t c = 0; c < columns; ++c) {
            ColumnDef column;
            uint32_t kind = 0;
            uint32_t width = 0;
            uint32_t flags = 0;
            if (!in.Text(column.name) || !in.Number(kind) ||
                kind > static_cast<uint32_t>(ColumnKind::Stream) || !in.Number(width) || !in.Number(flags)) {
                return false;
            }
            column.kind = static_cast<ColumnKind>(kind);
            column.width = static_cast<int>(width);
            column.nullable = (flags & 1) != 0;
            column.localizable = (flags & 2) != 0;
            column.key = (flags & 4) != 0;
            table.schema.columns.push_back(std::move(column));
        }
        uint32_t rows = 0;
        if (!in.Number(rows)) {
            return false;
        }
        for (uint32_t r = 0; r < rows; ++r) {
            std::wstring key;
            if (!in.Text(key)) {
                return false;
            }
            Row row(columns);
            for (Value& value : row) {
                if (!GetValue(in, value)) {
                    return false;
                }
            }
            table.rows[key] = std::move(row);
        }
    }
    return in.AtEnd();
}

} // namespace quentry::transform
