#include "HostileSupport.h"

#include "common/UniqueHandle.h"
#include "common/WideText.h"
#include "shared/IsolatedRun.h"
#include "shared/ToolPaths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <random>

namespace quentry::test::hostile {

namespace {

// A tool's temporary name: q, one letter, the process id, '-', a number, an extension.
bool IsToolTemporaryName(const std::wstring& name) {
    if (name.size() < 5 || name[0] != L'q' || !std::iswalpha(name[1])) {
        return false;
    }
    size_t at = 2;
    const size_t digits = at;
    while (at < name.size() && std::iswdigit(name[at])) {
        ++at;
    }
    if (at == digits || at >= name.size() || name[at] != L'-') {
        return false;
    }
    const size_t more = ++at;
    while (at < name.size() && std::iswdigit(name[at])) {
        ++at;
    }
    return at > more && at < name.size() && name[at] == L'.';
}

} // namespace

std::wstring BundleTool() {
    return BuildPath(L"bin\\quentry-bundle.exe");
}

std::wstring TransformTool() {
    return BuildPath(L"bin\\quentry-transform.exe");
}

ToolRun RunTool(const std::wstring& tool, const std::vector<std::wstring>& arguments) {
    std::wstring line = tools::QuoteArgument(tool);
    for (const std::wstring& argument : arguments) {
        line += L" " + tools::QuoteArgument(argument);
    }
    ToolRun run;
    // Pipes rather than files: their ends are at end of file only when the tool (and anything it
    // started) has let go of them, so nothing is left to clean up behind the tool.
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE rawOutRead = nullptr;
    HANDLE rawOutWrite = nullptr;
    HANDLE rawErrRead = nullptr;
    HANDLE rawErrWrite = nullptr;
    if (!::CreatePipe(&rawOutRead, &rawOutWrite, &inherit, 1 << 16) ||
        !::CreatePipe(&rawErrRead, &rawErrWrite, &inherit, 1 << 16)) {
        ADD_FAILURE() << "no pipe";
        run.exitCode = 255;
        return run;
    }
    UniqueKernelHandle outRead(rawOutRead);
    UniqueKernelHandle errRead(rawErrRead);
    ::SetHandleInformation(outRead.Get(), HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(errRead.Get(), HANDLE_FLAG_INHERIT, 0);
    {
        UniqueKernelHandle outWrite(rawOutWrite);
        UniqueKernelHandle errWrite(rawErrWrite);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = outWrite.Get();
        startup.hStdError = errWrite.Get();
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                              &process)) {
            ADD_FAILURE() << "cannot start " << ToUtf8(tool);
            run.exitCode = 255;
            return run;
        }
        UniqueKernelHandle processHandle(process.hProcess);
        UniqueKernelHandle threadHandle(process.hThread);
        outWrite.Reset();
        errWrite.Reset();
        // The tools write a few lines at most, far less than the pipes hold.
        if (::WaitForSingleObject(processHandle.Get(), 120000) != WAIT_OBJECT_0) {
            ::TerminateProcess(processHandle.Get(), 255);
            ::WaitForSingleObject(processHandle.Get(), 10000);
            ADD_FAILURE() << "timed out: " << ToUtf8(line);
        }
        ::GetExitCodeProcess(processHandle.Get(), &run.exitCode);
    }
    for (auto [pipe, text] : {std::pair{outRead.Get(), &run.out}, std::pair{errRead.Get(), &run.err}}) {
        char buffer[4096];
        DWORD read = 0;
        while (::ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
            text->append(buffer, read);
        }
    }
    return run;
}

std::wstring SamplePackage() {
    return BuildPath(L"fixtures\\hostile\\SampleMain.msi");
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    ASSERT_TRUE(WriteBytes(path, bytes)) << ToUtf8(path);
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(tools::ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

LongFolder::LongFolder(const std::wstring& parent, size_t length, wchar_t letter) {
    const size_t used = parent.size() + 1;
    if (length <= used || length - used > 255) {
        ADD_FAILURE() << "a folder of " << length << " characters cannot be made in " << ToUtf8(parent);
        m_path = parent;
        return;
    }
    m_path = parent + L"\\" + std::wstring(length - used, letter);
    EXPECT_TRUE(::CreateDirectoryW(tools::ExtendedPath(m_path).c_str(), nullptr)) << ToUtf8(m_path);
}

LongFolder::~LongFolder() {
    for (const std::wstring& name : FilesIn(m_path)) {
        ::DeleteFileW(tools::ExtendedPath(File(name)).c_str());
    }
    ::RemoveDirectoryW(tools::ExtendedPath(m_path).c_str());
}

std::string WithBytes(std::string bytes, const std::vector<std::pair<size_t, uint8_t>>& changes) {
    for (const auto& [offset, value] : changes) {
        if (offset < bytes.size()) {
            bytes[offset] = static_cast<char>(value);
        }
    }
    return bytes;
}

std::string WithRandomBytes(std::string bytes, unsigned seed, size_t count, size_t first) {
    std::mt19937 random(seed);
    if (bytes.size() <= first) {
        return bytes;
    }
    std::uniform_int_distribution<size_t> offset(first, bytes.size() - 1);
    for (size_t n = 0; n < count; ++n) {
        bytes[offset(random)] = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

std::vector<std::wstring> ToolTemporaryFiles() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    std::vector<std::wstring> names;
    if (length == 0 || length > MAX_PATH) {
        ADD_FAILURE() << "no temporary folder";
        return names;
    }
    std::wstring path(folder, length);
    while (!path.empty() && path.back() == L'\\') {
        path.pop_back();
    }
    for (const std::wstring& name : FilesIn(path)) {
        if (IsToolTemporaryName(name)) {
            names.push_back(name);
        }
    }
    return names;
}

bool IsOneLine(const std::string& text) {
    return !text.empty() && text.find('\n') == text.size() - 1;
}

} // namespace quentry::test::hostile
