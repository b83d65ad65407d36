// Helpers of the cabinet engine's tests: the fixtures made during the build, folder listings and
// a sink that records what the engine reports.
#pragma once

#include "extraction/ICBSCabinetProgressCallbacks.h"
#include "support/TestSupport.h"

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace quentry::test {

// A file of the build's cabinet fixtures (extraction-fixtures/...).
inline std::wstring CabinetFixture(const std::wstring& relative) {
    return WindowsPathOf(QUENTRY_CABINET_FIXTURES) + L"\\" + relative;
}

// The names in a folder, without "." and "..".
inline std::set<std::wstring> FolderNames(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") {
            names.insert(name);
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return names;
}

struct SinkCall {
    bool isPosition; // OnPosition, else OnPercent
    int value;
};

class RecordingSink final : public ICBSCabinetProgressCallbacks {
public:
    void OnPercent(int percent) override { calls.push_back({false, percent}); }
    void OnPosition(int bytes) override { calls.push_back({true, bytes}); }
    int GetRange() override { return 100; }

    std::vector<SinkCall> calls;
};

} // namespace quentry::test
