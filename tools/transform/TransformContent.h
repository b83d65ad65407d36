// What a transform carries: the row changes per table, the tables it adds, and its summary
// information.
#pragma once

#include "DatabaseModel.h"

#include <optional>
#include <string>
#include <vector>

namespace quentry::transform {

enum class RowOperation { Insert, Update, Delete };

struct RowChange {
    RowOperation operation = RowOperation::Insert;
    Row row;                   // the new row (for Delete, the row as it was; only its keys are written)
    std::vector<bool> changed; // for Update: the columns whose value changes
};

struct TableChange {
    TableSchema schema;
    bool added = false; // the table is new: the transform defines it before adding its rows
    std::vector<RowChange> rows;
};

struct TransformSummary {
    std::optional<int> codepage;
    std::wstring title, subject, author, keywords, comments;
    std::wstring baseTemplate;   // platform and language the transform applies to
    std::wstring targetTemplate; // platform and language of the database after the transform
    std::wstring revisionNumber; // {base product code}version;{new product code}version;{upgrade code}
    std::optional<int> pageCount;
    int validationFlags = 0;
    int errorConditions = 0;
};

struct TransformContent {
    UINT codepage = 0; // of the transform's string pool
    std::vector<TableChange> tables;
    TransformSummary summary;
};

} // namespace quentry::transform
