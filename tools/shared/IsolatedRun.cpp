#include "shared/IsolatedRun.h"

#include "common/UniqueHandle.h"
#include "common/WideText.h"
#include "shared/FileContent.h"
#include "shared/TemporaryFile.h"
#include "shared/ToolPaths.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace quentry::tools {

namespace {

// A report or a list of databases: a few records per database, far below this.
constexpr uint64_t kMaxReportBytes = 0x40000000;

LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* exception) {
    const DWORD code = exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionCode
                                                               : static_cast<DWORD>(STATUS_ACCESS_VIOLATION);
    ::TerminateProcess(::GetCurrentProcess(), code == 0 ? 1 : code);
    return EXCEPTION_EXECUTE_HANDLER;
}

bool WriteAll(HANDLE handle, const char* data, size_t size) {
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1 << 20));
        if (!::WriteFile(handle, data, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// The complete records of a report: a 32-bit length, then that many bytes. A record the child
// did not finish is left out.
std::vector<std::string> Records(const std::string& report) {
    std::vector<std::string> records;
    size_t at = 0;
    while (report.size() - at >= 4) {
        uint32_t length = 0;
        for (int i = 0; i < 4; ++i) {
            length |= static_cast<uint32_t>(static_cast<unsigned char>(report[at + i])) << (8 * i);
        }
        if (report.size() - at - 4 < length) {
            break;
        }
        records.push_back(report.substr(at + 4, length));
        at += 4 + static_cast<size_t>(length);
    }
    return records;
}

struct ChildRun {
    DWORD exitCode = 0;
    bool hung = false;
    std::vector<std::string> records;
};

// One child over paths; records holds what it finished.
std::optional<ChildRun> RunChild(const std::wstring& program, const std::wstring& hiddenOption,
                                 const std::vector<std::wstring>& paths) {
    const std::wstring folder = TemporaryFolder();
    TemporaryFile list;
    if (folder.empty() || !list.Create(folder, L"ql", L".txt")) {
        return std::nullopt;
    }
    {
        std::string text;
        for (const std::wstring& path : paths) {
            text += ToUtf8(path) + "\n";
        }
        UniqueFileHandle file(::CreateFileW(list.FilePath().c_str(), GENERIC_WRITE, 0, nullptr,
                                            TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || !WriteAll(file.Get(), text.data(), text.size())) {
            return std::nullopt;
        }
    }
    // The report lives in a temporary file that the system deletes when its last handle closes,
    // whatever becomes of the child or of this process.
    TemporaryFile name;
    if (!name.Create(folder, L"qr")) {
        return std::nullopt;
    }
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    UniqueFileHandle report(::CreateFileW(name.FilePath().c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                          nullptr));
    name.Remove();
    if (!report) {
        return std::nullopt;
    }
    std::wstring commandLine = QuoteArgument(program) + L" " + hiddenOption + L" " +
                               std::to_wstring(reinterpret_cast<ULONG_PTR>(report.Get())) + L" " +
                               QuoteArgument(list.Path());

    UniqueFileHandle nothing(::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                                           nullptr));
    // The child inherits the report and the null device only, not the handles this tool was given
    // (its output files among them), which would otherwise stay open as long as the child runs.
    HANDLE inherited[] = {report.Get(), nothing.Get()};
    SIZE_T attributeSize = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &attributeSize);
    std::vector<BYTE> attributeBuffer(attributeSize);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeBuffer.data());
    if (attributeSize == 0 || !::InitializeProcThreadAttributeList(attributes, 1, 0, &attributeSize)) {
        return std::nullopt;
    }
    const bool listed = ::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                                    inherited, sizeof(inherited), nullptr, nullptr) != FALSE;
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = nothing.Get();
    startup.StartupInfo.hStdOutput = nothing.Get();
    startup.StartupInfo.hStdError = nothing.Get();
    startup.lpAttributeList = attributes;
    PROCESS_INFORMATION process{};
    const BOOL started = listed && ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                                                    TRUE, CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT,
                                                    nullptr, nullptr, &startup.StartupInfo, &process);
    const DWORD startError = ::GetLastError();
    ::DeleteProcThreadAttributeList(attributes);
    if (!started) {
        ::SetLastError(startError);
        return std::nullopt;
    }
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    ChildRun run;
    // A child that writes no record for the hang time is ended; one that makes progress is not.
    LARGE_INTEGER seen{};
    while (::WaitForSingleObject(processHandle.Get(), kHangTimeoutMs) != WAIT_OBJECT_0) {
        LARGE_INTEGER size{};
        ::GetFileSizeEx(report.Get(), &size);
        if (size.QuadPart == seen.QuadPart) {
            ::TerminateProcess(processHandle.Get(), ERROR_TIMEOUT);
            ::WaitForSingleObject(processHandle.Get(), 5000);
            run.hung = true;
            break;
        }
        seen = size;
    }
    ::GetExitCodeProcess(processHandle.Get(), &run.exitCode);
    std::string bytes;
    if (ReadOpenFile(report.Get(), bytes, kMaxReportBytes)) {
        run.records = Records(bytes);
    }
    return run;
}

} // namespace

std::wstring QuoteArgument(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::optional<std::vector<IsolatedOutcome>> ReadIsolated(const std::wstring& program,
                                                         const std::wstring& hiddenOption,
                                                         const std::vector<std::wstring>& paths) {
    std::vector<IsolatedOutcome> outcomes;
    while (outcomes.size() < paths.size()) {
        const std::vector<std::wstring> rest(paths.begin() + static_cast<std::ptrdiff_t>(outcomes.size()),
                                             paths.end());
        const auto run = RunChild(program, hiddenOption, rest);
        if (!run) {
            return std::nullopt;
        }
        const size_t finished = std::min(run->records.size(), rest.size());
        for (size_t n = 0; n < finished; ++n) {
            outcomes.push_back(IsolatedOutcome{IsolatedOutcome::Kind::Read, 0, run->records[n]});
        }
        if (finished == rest.size()) {
            break;
        }
        // The child ended (or was ended) while it read the next file.
        outcomes.push_back(
            IsolatedOutcome{run->hung ? IsolatedOutcome::Kind::Hung : IsolatedOutcome::Kind::Failed,
                            run->exitCode == 0 ? static_cast<DWORD>(1) : run->exitCode,
                            {}});
    }
    return outcomes;
}

int RunIsolatedReader(const std::wstring& handleText, const std::wstring& listPath,
                      const std::function<std::string(const std::wstring& path)>& readOne) {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::SetUnhandledExceptionFilter(EndOnCrash);
    wchar_t* end = nullptr;
    const unsigned long long value = std::wcstoull(handleText.c_str(), &end, 10);
    if (handleText.empty() || end == nullptr || *end != L'\0' || value == 0) {
        return 2;
    }
    const HANDLE report = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value));
    std::string list;
    {
        UniqueFileHandle file(::CreateFileW(ExtendedPath(FullPath(listPath)).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
        if (!file || !ReadOpenFile(file.Get(), list, kMaxReportBytes)) {
            return 2;
        }
    }
    size_t start = 0;
    while (start < list.size()) {
        const size_t end = list.find('\n', start);
        if (end == std::string::npos) {
            break;
        }
        const std::string record = readOne(FromUtf8(std::string_view(list).substr(start, end - start)));
        const uint32_t length = static_cast<uint32_t>(record.size());
        char header[4];
        for (int i = 0; i < 4; ++i) {
            header[i] = static_cast<char>((length >> (8 * i)) & 0xFF);
        }
        // The length and the record in one write, so that a record is there whole or not at all
        // as far as the parent can tell.
        const std::string whole = std::string(header, 4) + record;
        if (!WriteAll(report, whole.data(), whole.size())) {
            return 2;
        }
        start = end + 1;
    }
    return 0;
}

void ReportWriter::Number(uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        m_data.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

void ReportWriter::Text(const std::wstring& value) {
    Number(static_cast<uint32_t>(value.size()));
    m_data.append(reinterpret_cast<const char*>(value.data()), value.size() * sizeof(wchar_t));
}

void ReportWriter::Bytes(const std::string& value) {
    Number(static_cast<uint32_t>(value.size()));
    m_data.append(value);
}

bool ReportReader::Number(uint32_t& value) {
    if (m_data.size() - m_at < 4) {
        return false;
    }
    value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(static_cast<unsigned char>(m_data[m_at + i])) << (8 * i);
    }
    m_at += 4;
    return true;
}

bool ReportReader::Text(std::wstring& value) {
    uint32_t length = 0;
    if (!Number(length) || (m_data.size() - m_at) / sizeof(wchar_t) < length) {
        return false;
    }
    value.resize(length);
    std::memcpy(value.data(), m_data.data() + m_at, length * sizeof(wchar_t));
    m_at += length * sizeof(wchar_t);
    return true;
}

bool ReportReader::Bytes(std::string& value) {
    uint32_t length = 0;
    if (!Number(length) || m_data.size() - m_at < length) {
        return false;
    }
    value.assign(m_data, m_at, length);
    m_at += length;
    return true;
}

} // namespace quentry::tools
