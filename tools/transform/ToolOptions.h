// The command line of quentry-transform.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quentry::transform {

struct ToolOptions {
    bool help = false;
    std::wstring base;
    std::wstring changed;                 // a second database to compare with the base, or
    std::wstring changesFile;             // a change description,
    std::vector<std::wstring> properties; // and/or NAME=VALUE pairs for the Property table
    std::wstring output;
    std::optional<unsigned> codepage;
    unsigned validationFlags = 0x0008; // the product code must match
    unsigned errorConditions = 0;
};

// Parses argv[1..]. On a mistake returns false with a one-line reason.
bool ParseToolOptions(int argc, wchar_t** argv, ToolOptions& options, std::wstring& error);

extern const wchar_t kToolUsage[];

} // namespace quentry::transform
