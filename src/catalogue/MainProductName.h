// What the start-up sequence needs from the package resources before the catalogue is built:
// the main product's name and the number of packages, read silently (a missing resource gives
// an empty name and a count of 0, with no message), in the build's language layout.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace quentry {

// PRODUCT_NAME_0: language 1033 in a multi-language build, else the build's own language.
std::wstring MainProductName(HMODULE module, bool multiLanguage);

// PACKAGE_COUNT read as the catalogue reads it (leading blanks and a sign, then digits; 0
// without digits), limited to the range of int32_t.
int32_t PackageCountOf(HMODULE module, bool multiLanguage);

} // namespace quentry
