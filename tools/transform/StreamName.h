// Names of the streams inside an installer database or transform. The installer packs two name
// characters from a 64-letter alphabet into one character of the compound file's name, so that
// table names of up to 62 characters fit into the 31 characters the compound file allows.
#pragma once

#include <string>

namespace quentry::transform {

// The encoded name of a table's stream (it starts with U+4840), or of another stream (table false).
// Empty when the encoded name is longer than a compound file allows.
std::wstring EncodeStreamName(const std::wstring& name, bool table);

} // namespace quentry::transform
