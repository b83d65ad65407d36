// The check of server properties given on the command line: the port settings must be numbers.
#pragma once

#include "common/LanguageTable.h"

#include <string>
#include <string_view>

namespace quentry {

// For a name whose part after the first '_' is WebServer_Port or SSLWebServer_Port (ignoring
// case): a value that does not read as a whole decimal number (leading white space and one sign
// allowed) appends "Error: Parameter <name> must be numeric" and a line feed to errors and gives
// false. An empty value, and any other property, passes.
bool CheckNumericProperty(const LanguageTable& languages, std::wstring_view name, std::wstring_view value,
                          std::wstring& errors);

} // namespace quentry
