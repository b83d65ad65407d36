// A small text description of changes to an installer database, one statement a line:
//
//   # a comment
//   Property ProductLanguage=1031          set a property (added when the base lacks it)
//   insert File File=Extra Component_=Main FileName=extra.txt FileSize=5 Attributes=8192 Sequence=2
//   update Media DiskId=1 LastSequence=3
//   delete Property Property=OLDPROP
//
// After "Property NAME=" the rest of the line is the value. Elsewhere a value is a word without
// blanks or a text in double quotes (\" and \\ inside); an empty value is null. insert needs every
// key and every non-nullable column; update and delete name the row by all its key columns.
#pragma once

#include "DatabaseModel.h"

#include <string>

namespace quentry::transform {

// Applies the statements of text, whose lines are named "<source> line <n>" in errors. Returns false
// (and why in error) at the first statement that cannot be applied. A changed ProductLanguage also
// changes the language of the database's template.
bool ApplyChanges(const std::wstring& text, const std::wstring& source, DatabaseSnapshot& database,
                  std::wstring& error);

// Reads a UTF-8 file (a byte-order mark is allowed) and applies its statements.
bool ApplyChangeFile(const std::wstring& path, DatabaseSnapshot& database, std::wstring& error);

} // namespace quentry::transform
