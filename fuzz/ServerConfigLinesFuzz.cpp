// Fuzz target for the readers of the servers' configuration files: the input, read as UTF-16LE
// code units and split at line feeds, goes through both line parsers and both in-memory files,
// and every lookup the launcher makes is asked of them. Built natively (see scripts/fuzz).
#include "servers/ICBSIniFile.h"
#include "servers/ICBSXMLIniFile.h"
#include "servers/IniLineParser.h"
#include "servers/XmlLineParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kIniPaths[] = {
    L"ListenAdmin::port",
    L"ListenAdmin::active",
    L"ListenAdminSSL::port",
    L"ListenAdminSSL::active",
    L"Listen::port",
    L"Listen::active",
    L"ListenSSL::port",
    L"ListenSSL::active",
    L"SSL::certificate",
    L"SSL::private_key",
    L"BraxelServer::http.socket-port",
    L"BraxelServer::http.enable",
    L"::",
    L"",
};
constexpr const wchar_t* kXmlPaths[] = {L"http.socket-port",
                                        L"http.enable",
                                        L"https.socket-port",
                                        L"https.enable",
                                        L"https.certificate",
                                        L"https.private-key",
                                        L".",
                                        L""};

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::wstring> lines(1);
    for (size_t i = 0; i + 1 < size; i += 2) {
        const wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (unit == L'\n') {
            lines.emplace_back();
        } else {
            lines.back() += unit;
        }
    }
    for (const std::wstring& line : lines) {
        const quentry::IniLine ini = quentry::ParseIniLine(line);
        Check(ini.kind == quentry::IniLineKind::Entry || ini.key.empty());
        const quentry::XmlIniLine xml = quentry::ParseXmlLine(line);
        Check(xml.text == line);
        Check(!xml.modified);
        if (xml.isElement && !xml.hasError && !xml.isComment) {
            // A setting's value and name are parts of the line.
            Check(line.find(xml.value) != std::wstring::npos);
            Check(line.find(xml.key) != std::wstring::npos);
        }
    }
    quentry::ICBSIniFile ini(L"fuzz.cfg", lines);
    Check(!ini.IsModified());
    for (const wchar_t* path : kIniPaths) {
        const bool has = ini.HasKey(path);
        const std::wstring value = ini.GetValue(path);
        // A stored key always has a value: an empty value removes the key.
        Check(has == !value.empty());
    }
    quentry::ICBSXMLIniFile xml(L"fuzz.xml", lines);
    Check(xml.HasContent());
    Check(!xml.IsModified());
    for (const wchar_t* path : kXmlPaths) {
        if (!xml.HasKey(path)) {
            Check(xml.GetValue(path).empty());
        }
    }
    return 0;
}
