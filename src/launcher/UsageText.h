// The usage text: the commands, the options and the server properties, each description wrapped
// to the console's 80 columns.
#pragma once

#include "common/LanguageTable.h"
#include "launcher/UsageModel.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quentry {

// Wraps a description at column 80 with every line indented by indent blanks. "%s" stands for
// programName (dropped when there is none); a text in double quotes is never broken; a line
// break in the text starts a new indented line, and a tab right after it indents four more.
// A single word longer than a line stays whole.
std::wstring WrapText(std::wstring_view text, size_t indent, std::optional<std::wstring_view> programName);

// The whole usage text as printed, in the current language of languages.
std::wstring UsageText(const LanguageTable& languages, const std::vector<UsageCommand>& commands,
                       const std::vector<UsagePropertyGroup>& groups, const std::wstring& programName);

// The file name of the running executable (after the last '\' or '/' of its path).
std::wstring ProgramFileName();

} // namespace quentry
