// The packages a launcher carries, as resources of type 40 in its own executable: counts, names
// and codes as UTF-16 texts, cabinets and transforms as bytes. Every read is bounded by the
// resource's real size.
#pragma once

#include "common/ResourceReader.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quentry {

class CSetupApp;

inline constexpr LANGID kResourceEnglish = 1033;
// The language transforms a multi-language build carries for every package.
inline constexpr LANGID kTransformLanguages[] = {1031, 1034, 1036, 1041};
// More packages than a wizard can show sensibly; a larger PACKAGE_COUNT marks a corrupt build.
inline constexpr int32_t kMaxPackageCount = 100;

// What a package resource holds by its name: PACKAGE, PACKAGE_n and PACKAGE_n_<LANGID> are
// binary, PROPERTIES a long text, every other name a short text.
ResourceKind PackageResourceKind(const std::wstring& name);

// The bytes of a type-40 resource in exactly that language, or, with language 0, in the loader's
// ordinary choice (and failing that the first language the resource exists in); checked against
// the image and the limit of its kind.
ResourceBytes FindPackageResource(HMODULE module, const std::wstring& name, LANGID language);

// The type-40 resource exists in exactly that language (nothing of it is read).
bool HasPackageResource(HMODULE module, const wchar_t* name, LANGID language);

// A PACKAGE_COUNT text: leading blanks and a sign, then decimal digits; 0 without digits. The
// value saturates instead of overflowing.
int64_t ParsePackageCount(const std::wstring& text);

// The build carries PACKAGE_0_1031 in language 1031.
bool IsMultiLanguageBuild(HMODULE module);

// The /v check: every resource the build needs exists and is sound (OS, MINIMUM_MSI,
// PACKAGE_COUNT, the three strings and the cabinet of every package, and in a multi-language build
// its four transforms; for a build without a package count, the four legacy resources).
bool ValidateResourceLayout(HMODULE module);

// A package string of the launcher's own build. Multi-language builds read language 1033 and are
// silent; a single-language build that lacks the resource shows message 2 (unless quiet), posts a
// quit request and records the build as corrupt. A damaged resource is logged and recorded as a
// corrupt build in either layout; its text is empty.
std::wstring ReadPackageString(CSetupApp& app, const std::wstring& name);

// The raw bytes of a package resource (cabinet image, transform); empty when missing.
std::span<const BYTE> ReadPackageBlob(CSetupApp& app, const std::wstring& name, LANGID language);

} // namespace quentry
