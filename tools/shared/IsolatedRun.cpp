#include "shared/IsolatedRun.h"

#include "common/UniqueHandle.h"
#include "shared/TemporaryFile.h"
#include "shared/ToolPaths.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace quentry::tools {

namespace {

// The last bytes of a complete report: a child that stops half-way never writes them.
constexpr char kCompleteMark[] = "\nquentry-report-complete\n";
constexpr size_t kMarkLength = sizeof(kCompleteMark) - 1;

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

} // namespace

bool IsolatedResult::Complete() const {
    return !timedOut && exitCode == 0 && report.size() >= kMarkLength &&
           report.compare(report.size() - kMarkLength, kMarkLength, kCompleteMark) == 0;
}

std::string IsolatedResult::Body() const {
    return Complete() ? report.substr(0, report.size() - kMarkLength) : std::string();
}

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

std::optional<IsolatedResult> RunIsolated(const std::wstring& program, const std::wstring& hiddenOption,
                                          const std::vector<std::wstring>& arguments, DWORD timeoutMs) {
    // The report lives in a temporary file that the system deletes when its last handle closes,
    // whatever becomes of the child or of this process.
    TemporaryFile name;
    const std::wstring folder = TemporaryFolder();
    if (folder.empty() || !name.Create(folder, L"qr")) {
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
    std::wstring commandLine = QuoteArgument(program) + L" " + hiddenOption;
    for (const std::wstring& argument : arguments) {
        commandLine += L" " + QuoteArgument(argument);
    }
    commandLine += L" " + std::to_wstring(reinterpret_cast<ULONG_PTR>(report.Get()));

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
    IsolatedResult result;
    if (::WaitForSingleObject(processHandle.Get(), timeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(processHandle.Get(), ERROR_TIMEOUT);
        ::WaitForSingleObject(processHandle.Get(), 5000);
        result.timedOut = true;
    }
    ::GetExitCodeProcess(processHandle.Get(), &result.exitCode);

    LARGE_INTEGER size{};
    LARGE_INTEGER start{};
    if (!::GetFileSizeEx(report.Get(), &size) || size.QuadPart > 0x40000000 ||
        !::SetFilePointerEx(report.Get(), start, nullptr, FILE_BEGIN)) {
        result.report.clear();
        return result;
    }
    result.report.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < result.report.size()) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(result.report.size() - done, 1 << 20));
        if (!::ReadFile(report.Get(), result.report.data() + done, chunk, &read, nullptr) || read == 0) {
            break;
        }
        done += read;
    }
    result.report.resize(done);
    return result;
}

IsolatedChild::IsolatedChild(const std::wstring& handleText) {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::SetUnhandledExceptionFilter(EndOnCrash);
    wchar_t* end = nullptr;
    const unsigned long long value = std::wcstoull(handleText.c_str(), &end, 10);
    if (!handleText.empty() && end != nullptr && *end == L'\0' && value != 0) {
        m_handle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value));
    }
}

int IsolatedChild::Finish(const std::string& report) {
    if (m_handle == nullptr || !WriteAll(m_handle, report.data(), report.size()) ||
        !WriteAll(m_handle, kCompleteMark, kMarkLength)) {
        return 1;
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
