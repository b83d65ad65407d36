// The string-table ids the code asks for by itself (the usage text's ids live in its model's
// tables). The texts are in src/resources/strings_*.rc.
#pragma once

namespace quentry::strings {

// Titles.
inline constexpr unsigned kTitleWithProduct = 1; // "%s - Installer Wizard"
inline constexpr unsigned kDefaultTitle = 57344; // "Zorvat Setup Wizard"

// Messages of the start-up sequence and the catalogue.
inline constexpr unsigned kResourceMissing = 2;    // "The required resource %s is missing."
inline constexpr unsigned kWindowsNotAllowed = 10; // the running and the minimum Windows version
inline constexpr unsigned kNoDirect2D = 66;
inline constexpr unsigned kInstalledElsewhere = 1047; // "... Click OK to let this Wizard uninstall %s."
inline constexpr unsigned kRemoveSubPackagesToo = 1140;
inline constexpr unsigned kSubPackagesInstalledElsewhere = 1141;

// Messages of the result report.
inline constexpr unsigned kCorrupted = 6;
inline constexpr unsigned kNoRights = 18;
inline constexpr unsigned kOtherVersionInstalled = 24;
inline constexpr unsigned kPlatformNotSupported = 25;
inline constexpr unsigned kForbiddenByPolicy = 26;
inline constexpr unsigned kAnotherSetupRunning = 27;
inline constexpr unsigned kNoMsiForRemoval = 60;
inline constexpr unsigned kPackageNotForPlatform = 63;
inline constexpr unsigned kPackage64On32 = 64;
inline constexpr unsigned kDirect2DMissing = 67;
inline constexpr unsigned kDiskFull = 1130;
inline constexpr unsigned kEmptyPackageCode = 1146;

// The display names of the wizard languages.
inline constexpr unsigned kEnglishName = 50;
inline constexpr unsigned kGermanName = 51;
inline constexpr unsigned kSpanishName = 52;
inline constexpr unsigned kFrenchName = 65;
inline constexpr unsigned kJapaneseName = 53;

// Command-line and property checks.
inline constexpr unsigned kUnsupportedProperty = 1277;
inline constexpr unsigned kNotNumeric = 1310;

// Usage text headings.
inline constexpr unsigned kSyntaxTitle = 1068;
inline constexpr unsigned kOptionsTitle = 1069;
inline constexpr unsigned kPropertiesTitle = 1262;

} // namespace quentry::strings
