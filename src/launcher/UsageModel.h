// What the usage text lists: the commands with their options, and the installer properties of
// the server products this executable carries.
#pragma once

#include "common/LanguageTable.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quentry {

struct UsageOption {
    std::wstring syntax;        // the option, or the installer property's name
    unsigned placeholderId = 0; // properties only: the placeholder of the value
    unsigned descriptionId = 0;
};

struct UsageCommand {
    std::wstring syntax; // empty for the plain install command
    unsigned descriptionId = 0;
    // The install options are one set shared by several commands.
    std::vector<std::shared_ptr<const UsageOption>> options;
};

struct UsagePropertyGroup {
    unsigned titleId = 0;
    std::vector<UsageOption> properties;
};

// The six commands in display order. The install options carry placeholders loaded in the
// current language; lang= is offered only by a multi-language build, SubPackages= only when
// there is more than one package.
std::vector<UsageCommand> BuildUsageCommands(const LanguageTable& languages, bool multiLanguage,
                                             int32_t packageCount);

// The server property groups that the main product's name brings (none for other products).
std::vector<UsagePropertyGroup> BuildServerPropertyGroups(std::wstring_view mainProductName);

} // namespace quentry
