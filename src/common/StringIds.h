// The string-table ids the code asks for by itself. The texts are in src/resources/strings_*.rc.
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

// Usage text: the command descriptions.
inline constexpr unsigned kHelpId = 1062;
inline constexpr unsigned kInstallId = 1063;
inline constexpr unsigned kAdminId = 1064;
inline constexpr unsigned kRepairId = 1065;
inline constexpr unsigned kUninstallId = 1066;
inline constexpr unsigned kExtractId = 1067;

// Usage text: the install options' descriptions and placeholders. (The rows of server property
// groups and settings carry their ids in the usage model's tables.)
inline constexpr unsigned kLanguageId = 1049;
inline constexpr unsigned kUiLevelId = 1051;
inline constexpr unsigned kLoggingId = 1053;
inline constexpr unsigned kMifId = 1055;
inline constexpr unsigned kSubPackagesId = 1057;
inline constexpr unsigned kTransformsId = 1059;
inline constexpr unsigned kPropertyId = 1061;
inline constexpr unsigned kPackageNamePartText = 1070;
inline constexpr unsigned kLanguageNameText = 1071;
inline constexpr unsigned kTransformsText = 1072;
inline constexpr unsigned kPropertyText = 1073;
inline constexpr unsigned kValueText = 1074;
inline constexpr unsigned kLogFileText = 1075;
inline constexpr unsigned kMifFileText = 1076;

// Usage text headings.
inline constexpr unsigned kSyntaxTitle = 1068;
inline constexpr unsigned kOptionsTitle = 1069;
inline constexpr unsigned kPropertiesTitle = 1262;

} // namespace quentry::strings
