// The packages a launcher carries, as resources of type 40 in its own executable: counts, names
// and codes as UTF-16 texts, cabinets and transforms as bytes. Every read is bounded by the
// resource's real size.
#pragma once

#include "common/ResourceReader.h"
#include "common/Status.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quentry {

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

// Where a build's package strings are read: its module and its language layout.
struct PackageStringSource {
    HMODULE module = nullptr;
    bool multiLanguage = false;
};

struct PackageString {
    std::wstring text;
    Status status;
};

// A package string of a build. Multi-language builds read language 1033, and a missing resource
// is an empty text. In a single-language build a missing resource fails as a corrupt build that
// shows message 2 with its name and ends the run. A damaged resource fails as a corrupt build in
// either layout. The text of a failure is empty.
PackageString ReadPackageString(const PackageStringSource& source, const std::wstring& name);

// The raw bytes of a package resource (cabinet image, transform); empty when missing.
std::span<const BYTE> ReadPackageBlob(HMODULE module, const std::wstring& name, LANGID language);

} // namespace quentry
