// The server interfaces of the packages of a run: which records the packages yield, how the
// command line changes them, and the installer properties that carry the user's changes.
#pragma once

#include "common/LanguageTable.h"
#include "common/LogSink.h"
#include "servers/ServerSettings.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quentry {

// What the server code needs of one package of the run.
struct ServerPackage {
    std::wstring productName;
    std::wstring versionYear;
    std::wstring versionText;
    bool selected = false;
};

// Where the servers keep their configuration files.
struct ServerFolders {
    std::wstring configFolder;       // the machine's server configuration folder; empty when unavailable
    std::wstring programFilesFolder; // the program-files folder of this process
};

// The folders of this machine: common application data + "\Zorvat" (created and opened to every
// user, cached) and the program-files folder.
ServerFolders MachineServerFolders();
// The program-files folder for a package: a 64-bit package ("x64" in its name) drops a " (x86)"
// at the end, so that it finds the native folder.
std::wstring ProgramFilesFolderFor(const std::wstring& programFilesFolder, const std::wstring& productName);

// One record per server interface of the packages, in package order; returns the count.
size_t CollectServerSettings(const std::vector<ServerPackage>& packages, const LanguageTable& languages,
                             const ServerFolders& folders, ServerSettingsList& list);

// The Brindle Web interface and the Tessaro client interface use their partner's service,
// certificate and private key.
void LinkServerOwners(ServerSettingsList& list);

// Links owners, applies the command line's NAME=VALUE properties (the list is not changed) and
// takes the snapshot.
void ApplyServerCommandLine(ServerSettingsList& list, size_t packageCount,
                            const std::vector<std::wstring>& properties);

// The question for a service account's password; the answer, or none when it was declined.
class IPasswordQuestion {
public:
    virtual ~IPasswordQuestion() = default;
    virtual std::optional<std::wstring> AskPassword(const std::wstring& displayName,
                                                    const std::wstring& userName) = 0;
};

enum class ServerPropertiesStatus {
    Built,     // text holds the properties
    Cancelled, // a password question was declined: stay on the page
    Failed,    // a password cannot be encrypted: logText says which; nothing may be installed
};

struct ServerPropertiesResult {
    ServerPropertiesStatus status = ServerPropertiesStatus::Built;
    std::wstring text;    // NAME=VALUE items, each followed by one blank
    std::wstring logText; // for Failed
};

using PasswordEncryption = std::function<std::optional<std::wstring>(std::wstring_view)>;

// The properties of the changed settings of the selected packages' records. Without question
// (a quiet run) no password is asked for. On success every command-line property the text
// replaces is removed from properties; otherwise properties are unchanged.
ServerPropertiesResult BuildServerProperties(ServerSettingsList& list,
                                             const std::vector<ServerPackage>& packages,
                                             std::vector<std::wstring>& properties,
                                             IPasswordQuestion* question, const PasswordEncryption& encrypt,
                                             const LogSink& log);

} // namespace quentry
