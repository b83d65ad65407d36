#include "DatabaseDiff.h"

#include "common/WideText.h"

#include <algorithm>

namespace quentry::transform {

namespace {

// The installer finds a transform's rows by their primary key, which it expects in the leading columns.
bool KeysLead(const TableSchema& schema) {
    bool keys = true;
    bool any = false;
    for (const ColumnDef& column : schema.columns) {
        if (column.key && !keys) {
            return false;
        }
        keys = keys && column.key;
        any = any || column.key;
    }
    return any;
}

bool CheckSchemas(const TableSchema& base, const TableSchema& changed, std::wstring& error) {
    const size_t count = std::max(base.columns.size(), changed.columns.size());
    for (size_t i = 0; i < count; ++i) {
        const std::wstring before = i < base.columns.size()
                                        ? base.columns[i].name + L" " + base.columns[i].TypeText() +
                                              (base.columns[i].key ? L" key" : L"")
                                        : std::wstring(L"nothing");
        const std::wstring after = i < changed.columns.size()
                                       ? changed.columns[i].name + L" " + changed.columns[i].TypeText() +
                                             (changed.columns[i].key ? L" key" : L"")
                                       : std::wstring(L"nothing");
        if (before != after || !base.columns[i].SameDefinition(changed.columns[i])) {
            error = Format(L"table %s has different columns in the two databases (column %u: %s in the base, "
                           L"%s in the changed database); a transform cannot change the columns of a table",
                           base.name.c_str(), static_cast<unsigned>(i + 1), before.c_str(), after.c_str());
            return false;
        }
    }
    return true;
}

void CompareRows(const TableData& base, const TableData& changed, TableChange& change) {
    for (const auto& [key, row] : changed.rows) {
        auto old = base.rows.find(key);
        if (old == base.rows.end()) {
            change.rows.push_back({RowOperation::Insert, row, {}});
            continue;
        }
        std::vector<bool> differs(row.size(), false);
        bool any = false;
        for (size_t i = 0; i < row.size(); ++i) {
            if (!change.schema.columns[i].key && !(row[i] == old->second[i])) {
                differs[i] = true;
                any = true;
            }
        }
        if (any) {
            change.rows.push_back({RowOperation::Update, row, differs});
        }
    }
    for (const auto& [key, row] : base.rows) {
        if (changed.rows.find(key) == changed.rows.end()) {
            change.rows.push_back({RowOperation::Delete, row, {}});
        }
    }
}

std::wstring ProductDescription(const DatabaseSnapshot& database) {
    return database.Property(L"ProductCode") + database.Property(L"ProductVersion");
}

} // namespace

bool CompareDatabases(const DatabaseSnapshot& base, const DatabaseSnapshot& changed,
                      std::vector<TableChange>& changes, std::wstring& error) {
    for (const auto& [name, table] : base.tables) {
        if (changed.tables.find(name) == changed.tables.end()) {
            error = Format(L"table %s is missing from the changed database; a transform made by this tool "
                           L"cannot remove a table",
                           name.c_str());
            return false;
        }
    }
    for (const auto& [name, table] : changed.tables) {
        if (!KeysLead(table.schema)) {
            error = Format(L"table %s has no primary key in its leading columns, which a transform needs",
                           name.c_str());
            return false;
        }
        TableChange change;
        change.schema = table.schema;
        auto old = base.tables.find(name);
        if (old == base.tables.end()) {
            change.added = true;
            for (const auto& [key, row] : table.rows) {
                change.rows.push_back({RowOperation::Insert, row, {}});
            }
        } else {
            if (!CheckSchemas(old->second.schema, table.schema, error)) {
                return false;
            }
            CompareRows(old->second, table, change);
        }
        if (change.added || !change.rows.empty()) {
            changes.push_back(std::move(change));
        }
    }
    return true;
}

TransformSummary MakeTransformSummary(const DatabaseSnapshot& base, const DatabaseSnapshot& changed) {
    TransformSummary summary;
    summary.codepage = base.summary.codepage;
    summary.title = L"Transform";
    summary.subject = changed.summary.subject;
    summary.author = changed.summary.author;
    summary.keywords = changed.summary.keywords;
    summary.comments = changed.summary.comments;
    summary.baseTemplate = base.summary.templateText;
    summary.targetTemplate = changed.summary.templateText;
    summary.revisionNumber = ProductDescription(base) + L";" + ProductDescription(changed) + L";" +
                             changed.Property(L"UpgradeCode");
    summary.pageCount = base.summary.pageCount;
    if (changed.summary.pageCount &&
        (!summary.pageCount || *changed.summary.pageCount > *summary.pageCount)) {
        summary.pageCount = changed.summary.pageCount;
    }
    return summary;
}

} // namespace quentry::transform
