// The differences between two databases as the row changes of a transform.
#pragma once

#include "DatabaseModel.h"
#include "TransformContent.h"

#include <string>
#include <vector>

namespace quentry::transform {

// Rows added, changed and removed in every table, and tables that only the changed database has.
// Fails (with the reason in error) where a transform cannot express the difference: a table whose
// columns differ between the two, a table the changed database lacks, a primary key that does not
// lead the table's columns.
bool CompareDatabases(const DatabaseSnapshot& base, const DatabaseSnapshot& changed,
                      std::vector<TableChange>& changes, std::wstring& error);

// The transform's summary information: the base database's descriptive fields, both templates and
// both product codes and versions.
TransformSummary MakeTransformSummary(const DatabaseSnapshot& base, const DatabaseSnapshot& changed);

} // namespace quentry::transform
