#include "TransformWriter.h"

#include "ComHandle.h"
#include "StreamName.h"
#include "StringPool.h"
#include "common/CompoundFile.h"
#include "common/UniqueHandle.h"
#include "common/WideText.h"
#include "shared/TemporaryFile.h"
#include "shared/ToolPaths.h"

#include <msiquery.h>

#include <cstdint>

namespace quentry::transform {

namespace {

constexpr uint32_t kFullRow = 1; // mask bit 0: all columns follow, their number in the high byte
constexpr size_t kMaskColumns = 16;

struct Field {
    enum class Kind { StringRef, Int16, Int32, Stream };
    Kind kind;
    uint32_t value;
};

struct EncodedRow {
    uint32_t mask = 0;
    std::vector<Field> fields;
};

struct EncodedTable {
    std::wstring name;
    std::vector<EncodedRow> rows;
};

struct NamedStream {
    std::wstring name;
    std::string data;
};

uint32_t Int16Raw(int value) {
    return static_cast<uint32_t>(value + 0x8000) & 0xffff;
}

Field FieldOf(const ColumnDef& column, const Value& value, StringPool& pool) {
    switch (column.kind) {
    case ColumnKind::Int16:
        return {Field::Kind::Int16, value.IsNull() ? 0 : Int16Raw(value.integer)};
    case ColumnKind::Int32:
        return {Field::Kind::Int32,
                value.IsNull() ? 0 : (static_cast<uint32_t>(value.integer) ^ 0x80000000u)};
    case ColumnKind::String:
        return {Field::Kind::StringRef, value.IsNull() ? 0 : pool.Add(value.text)};
    case ColumnKind::Stream:
        return {Field::Kind::Stream, value.IsNull() ? 0u : 1u};
    }
    return {Field::Kind::Int16, 0};
}

// The installer reads a binary value of a transform's row from the stream "Table.key1.key2".
bool AddStream(const TableSchema& schema, const Row& row, const Value& value,
               std::vector<NamedStream>& streams, std::wstring& error) {
    std::wstring name = schema.name;
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        if (schema.columns[i].key) {
            name += L"." + row[i].KeyText();
        }
    }
    const std::wstring encoded = EncodeStreamName(name, false);
    if (encoded.empty()) {
        error = L"the stream name " + name + L" is too long for a transform";
        return false;
    }
    streams.push_back({encoded, value.bytes});
    return true;
}

bool EncodeRow(const TableSchema& schema, const RowChange& change, StringPool& pool, EncodedRow& out,
               std::vector<NamedStream>& streams, std::wstring& error) {
    const size_t count = schema.columns.size();
    std::vector<bool> present(count, false);
    bool fullRow = false;
    switch (change.operation) {
    case RowOperation::Delete:
        break;
    case RowOperation::Insert:
        fullRow = true;
        for (size_t i = 0; i < count; ++i) {
            // The installer reads a binary value of a row from its stream, so a null one is left out.
            if (schema.columns[i].kind == ColumnKind::Stream && change.row[i].IsNull()) {
                fullRow = false;
            }
            present[i] = !change.row[i].IsNull() || schema.columns[i].kind != ColumnKind::Stream;
        }
        break;
    case RowOperation::Update:
        for (size_t i = 0; i < count; ++i) {
            present[i] = change.changed[i];
            if (change.changed[i] && i >= kMaskColumns) {
                fullRow = true;
            }
            if (change.changed[i] && schema.columns[i].kind == ColumnKind::Stream && change.row[i].IsNull()) {
                error = Format(L"table %s: a transform cannot remove the binary value of column %s",
                               schema.name.c_str(), schema.columns[i].name.c_str());
                return false;
            }
        }
        if (fullRow) {
            present.assign(count, true);
            for (size_t i = 0; i < count; ++i) {
                if (schema.columns[i].kind == ColumnKind::Stream && change.row[i].IsNull()) {
                    error =
                        Format(L"table %s: a row with more than %u columns and a null binary value cannot be "
                               L"changed by a transform",
                               schema.name.c_str(), static_cast<unsigned>(kMaskColumns));
                    return false;
                }
            }
        }
        break;
    }

    if (fullRow) {
        if (count > 0xff) {
            error = Format(L"table %s has too many columns for a transform", schema.name.c_str());
            return false;
        }
        out.mask = (static_cast<uint32_t>(count) << 8) | kFullRow;
    } else {
        out.mask = 0;
        for (size_t i = 0; i < count; ++i) {
            if (present[i] && !schema.columns[i].key) {
                if (i >= kMaskColumns) {
                    error =
                        Format(L"table %s: column %s lies beyond the %u columns a transform row can select",
                               schema.name.c_str(), schema.columns[i].name.c_str(),
                               static_cast<unsigned>(kMaskColumns));
                    return false;
                }
                out.mask |= 1u << i;
            }
        }
    }
    for (size_t i = 0; i < count; ++i) {
        if (!schema.columns[i].key && !present[i]) {
            continue;
        }
        const Value& value = change.row[i];
        out.fields.push_back(FieldOf(schema.columns[i], value, pool));
        if (schema.columns[i].kind == ColumnKind::Stream && !value.IsNull() &&
            change.operation != RowOperation::Delete &&
            !AddStream(schema, change.row, value, streams, error)) {
            return false;
        }
    }
    return true;
}

// The definition of a new table: its row in _Tables and one row per column in _Columns.
void EncodeNewTable(const TableSchema& schema, StringPool& pool, EncodedTable& tables,
                    EncodedTable& columns) {
    EncodedRow tableRow;
    tableRow.mask = (1u << 8) | kFullRow;
    tableRow.fields.push_back({Field::Kind::StringRef, pool.Add(schema.name)});
    tables.rows.push_back(tableRow);
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        EncodedRow columnRow;
        columnRow.mask = (4u << 8) | kFullRow;
        columnRow.fields.push_back({Field::Kind::StringRef, pool.Add(schema.name)});
        columnRow.fields.push_back({Field::Kind::Int16, Int16Raw(static_cast<int>(i + 1))});
        columnRow.fields.push_back({Field::Kind::StringRef, pool.Add(schema.columns[i].name)});
        columnRow.fields.push_back({Field::Kind::Int16, Int16Raw(schema.columns[i].StoredType())});
        columns.rows.push_back(columnRow);
    }
}

std::string Serialize(const EncodedTable& table, unsigned bytesPerReference) {
    std::string out;
    auto append = [&out](uint32_t value, unsigned bytes) {
        for (unsigned i = 0; i < bytes; ++i) {
            out += static_cast<char>((value >> (8 * i)) & 0xff);
        }
    };
    for (const EncodedRow& row : table.rows) {
        append(row.mask, 2);
        for (const Field& field : row.fields) {
            switch (field.kind) {
            case Field::Kind::StringRef:
                append(field.value, bytesPerReference);
                break;
            case Field::Kind::Int16:
            case Field::Kind::Stream:
                append(field.value, 2);
                break;
            case Field::Kind::Int32:
                append(field.value, 4);
                break;
            }
        }
    }
    return out;
}

struct EncodedTransform {
    std::vector<EncodedTable> tables;
    std::vector<NamedStream> streams;
    StringPool pool;
};

bool Encode(const TransformContent& content, EncodedTransform& encoded, std::wstring& error) {
    EncodedTable tables{L"_Tables", {}};
    EncodedTable columns{L"_Columns", {}};
    for (const TableChange& change : content.tables) {
        if (change.added) {
            EncodeNewTable(change.schema, encoded.pool, tables, columns);
        }
        EncodedTable table{change.schema.name, {}};
        for (const RowChange& row : change.rows) {
            EncodedRow encodedRow;
            if (!EncodeRow(change.schema, row, encoded.pool, encodedRow, encoded.streams, error)) {
                return false;
            }
            table.rows.push_back(std::move(encodedRow));
        }
        if (!table.rows.empty()) {
            encoded.tables.push_back(std::move(table));
        }
    }
    if (!tables.rows.empty()) {
        encoded.tables.push_back(std::move(tables));
        encoded.tables.push_back(std::move(columns));
    }
    return true;
}

bool WriteStream(IStorage* storage, const std::wstring& encodedName, const std::string& data) {
    IStream* stream = nullptr;
    if (FAILED(storage->CreateStream(encodedName.c_str(), STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0,
                                     0, &stream))) {
        return false;
    }
    ComHandle<IStream> owner(stream);
    ULONG written = 0;
    return data.empty() ||
           (SUCCEEDED(owner.Get()->Write(data.data(), static_cast<ULONG>(data.size()), &written)) &&
            written == data.size());
}

std::wstring HresultText(HRESULT result) {
    return Format(L"0x%08lx", static_cast<unsigned long>(result));
}

// Step 1: the root storage with the transform class and an empty string pool, which msi.dll needs
// to open the file for its summary information.
bool CreateSkeleton(const std::wstring& path, UINT codepage, std::wstring& error) {
    IStorage* storage = nullptr;
    const HRESULT created = ::StgCreateDocfile(
        path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DIRECT, 0, &storage);
    if (FAILED(created)) {
        error = L"cannot create " + path + L" (" + HresultText(created) + L")";
        return false;
    }
    ComHandle<IStorage> owner(storage);
    StringPool empty;
    std::string pool;
    std::string data;
    empty.Encode(codepage, pool, data, error);
    if (FAILED(owner.Get()->SetClass(kInstallerTransformClass)) ||
        !WriteStream(owner.Get(), EncodeStreamName(L"_StringPool", true), pool) ||
        !WriteStream(owner.Get(), EncodeStreamName(L"_StringData", true), data) ||
        FAILED(owner.Get()->Commit(STGC_DEFAULT))) {
        error = L"cannot write " + path;
        return false;
    }
    return true;
}

bool SetSummaryString(MSIHANDLE summary, UINT property, const std::wstring& value) {
    if (value.empty()) {
        return true;
    }
    return ::MsiSummaryInfoSetPropertyW(summary, property, VT_LPSTR, 0, nullptr, value.c_str()) ==
           ERROR_SUCCESS;
}

bool SetSummaryInteger(MSIHANDLE summary, UINT property, UINT type, int value) {
    return ::MsiSummaryInfoSetPropertyW(summary, property, type, value, nullptr, nullptr) == ERROR_SUCCESS;
}

// Step 2: the summary information, through msi.dll on the file opened in direct mode.
bool WriteSummary(const std::wstring& path, const TransformSummary& fields, std::wstring& error) {
    MSIHANDLE databaseHandle = 0;
    UINT code = ::MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_DIRECT, &databaseHandle);
    UniqueMsiHandle database(databaseHandle);
    if (code != ERROR_SUCCESS) {
        error = Format(L"cannot open %s to write its summary information (error %u)", path.c_str(), code);
        return false;
    }
    {
        MSIHANDLE summaryHandle = 0;
        code = ::MsiGetSummaryInformationW(database.Get(), nullptr, 20, &summaryHandle);
        UniqueMsiHandle summary(summaryHandle);
        if (code != ERROR_SUCCESS) {
            error = Format(L"cannot write the summary information of %s (error %u)", path.c_str(), code);
            return false;
        }
        const MSIHANDLE s = summary.Get();
        const bool written =
            (!fields.codepage || SetSummaryInteger(s, 1, VT_I2, *fields.codepage)) &&
            SetSummaryString(s, 2, fields.title) && SetSummaryString(s, 3, fields.subject) &&
            SetSummaryString(s, 4, fields.author) && SetSummaryString(s, 5, fields.keywords) &&
            SetSummaryString(s, 6, fields.comments) && SetSummaryString(s, 7, fields.baseTemplate) &&
            SetSummaryString(s, 8, fields.targetTemplate) && SetSummaryString(s, 9, fields.revisionNumber) &&
            (!fields.pageCount || SetSummaryInteger(s, 14, VT_I4, *fields.pageCount)) &&
            SetSummaryInteger(
                s, 16, VT_I4,
                static_cast<int>((static_cast<uint32_t>(fields.validationFlags & 0xffff) << 16) |
                                 static_cast<uint32_t>(fields.errorConditions & 0xffff)));
        if (!written || (code = ::MsiSummaryInfoPersist(s)) != ERROR_SUCCESS) {
            error = Format(L"cannot write the summary information of %s (error %u)", path.c_str(), code);
            return false;
        }
    }
    code = ::MsiDatabaseCommit(database.Get());
    if (code != ERROR_SUCCESS) {
        error = Format(L"cannot write the summary information of %s (error %u)", path.c_str(), code);
        return false;
    }
    return true;
}

// Step 3: the string pool and the tables, written last so that they are exactly ours.
bool WriteTables(const std::wstring& path, const EncodedTransform& encoded, UINT codepage,
                 std::wstring& error) {
    std::string pool;
    std::string data;
    if (!encoded.pool.Encode(codepage, pool, data, error)) {
        return false;
    }
    IStorage* storage = nullptr;
    const HRESULT opened =
        ::StgOpenStorage(path.c_str(), nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &storage);
    if (FAILED(opened)) {
        error = L"cannot open " + path + L" (" + HresultText(opened) + L")";
        return false;
    }
    ComHandle<IStorage> owner(storage);
    bool written = SUCCEEDED(owner.Get()->SetClass(kInstallerTransformClass)) &&
                   WriteStream(owner.Get(), EncodeStreamName(L"_StringPool", true), pool) &&
                   WriteStream(owner.Get(), EncodeStreamName(L"_StringData", true), data);
    const unsigned bytesPerReference = encoded.pool.BytesPerReference();
    for (const EncodedTable& table : encoded.tables) {
        const std::wstring name = EncodeStreamName(table.name, true);
        if (name.empty()) {
            error = L"the table name " + table.name + L" is too long for a transform";
            return false;
        }
        written = written && WriteStream(owner.Get(), name, Serialize(table, bytesPerReference));
    }
    for (const NamedStream& stream : encoded.streams) {
        written = written && WriteStream(owner.Get(), stream.name, stream.data);
    }
    if (!written || FAILED(owner.Get()->Commit(STGC_DEFAULT))) {
        error = L"cannot write " + path;
        return false;
    }
    return true;
}

} // namespace

bool WriteTransform(const TransformContent& content, const std::wstring& path, std::wstring& error) {
    EncodedTransform encoded;
    if (!Encode(content, encoded, error)) {
        return false;
    }
    // Fail on a text the code page cannot hold before anything is written.
    {
        std::string pool;
        std::string data;
        if (!encoded.pool.Encode(content.codepage, pool, data, error)) {
            return false;
        }
    }
    // The file is made under a temporary name beside path; when that name is too long for the
    // storage and installer functions (which keep paths in MAX_PATH buffers), it is made in the
    // temporary folder and copied beside path under the temporary name before the final rename.
    const std::wstring beside = Format(L"%s.%lu.partial", path.c_str(), ::GetCurrentProcessId());
    tools::TemporaryFile working;
    tools::TemporaryFile partial;
    if (tools::FitsMaxPath(beside)) {
        working.Adopt(beside);
    } else {
        const std::wstring folder = tools::TemporaryFolder();
        if (folder.empty() || !tools::FitsMaxPath(folder + L"qt00000000-0000.mst") ||
            !working.Create(folder, L"qt", L".mst")) {
            error = L"cannot create " + path + L": the path is too long and no temporary file can be made";
            return false;
        }
    }
    const bool complete = CreateSkeleton(working.Path(), content.codepage, error) &&
                          WriteSummary(working.Path(), content.summary, error) &&
                          WriteTables(working.Path(), encoded, content.codepage, error);
    if (!complete) {
        return false;
    }
    if (working.Path() != beside) {
        partial.Adopt(beside);
        if (!::CopyFileW(working.FilePath().c_str(), partial.FilePath().c_str(), FALSE)) {
            const DWORD code = ::GetLastError();
            error = Format(L"cannot create %s (error %lu)", path.c_str(), code);
            return false;
        }
    }
    tools::TemporaryFile& finished = working.Path() == beside ? working : partial;
    if (!finished.MoveTo(path)) {
        const DWORD code = ::GetLastError();
        error = Format(L"cannot move the transform into place at %s (error %lu)", path.c_str(), code);
        return false;
    }
    return true;
}

} // namespace quentry::transform
