#include "launcher/LauncherLog.h"

#include "common/WideText.h"
#include "engine/WindowsInstaller.h"

#include <utility>
#include <vector>

namespace quentry {

int LauncherLog::LevelForMode(uint32_t logMode) {
    int level = 0;
    if (logMode & INSTALLLOGMODE_ERROR) {
        level = 1;
    }
    if (logMode & INSTALLLOGMODE_WARNING) {
        level = 2;
    }
    if (logMode & INSTALLLOGMODE_INFO) {
        level = 3;
    }
    if (logMode & INSTALLLOGMODE_VERBOSE) {
        level = 4;
    }
    return level;
}

void LauncherLog::Configure(const std::wstring& fileName, uint32_t logMode, uint32_t logAttributes) {
    m_fileName = fileName;
    m_logMode = logMode;
    m_logAttributes = logAttributes;
    m_level = LevelForMode(logMode);
}

bool LauncherLog::Open(bool truncate) {
    if (m_file || m_fileName.empty()) {
        return IsOpen();
    }
    m_file.Reset(::CreateFileW(m_fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               truncate ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file) {
        return false;
    }
    ::SetFilePointer(m_file.Get(), 0, nullptr, FILE_END);
    AppendInstallerLog();
    return true;
}

void LauncherLog::Close() {
    std::lock_guard<std::mutex> guard(m_writeLock);
    if (m_file) {
        ::FlushFileBuffers(m_file.Get());
        m_file.Reset();
    }
}

void LauncherLog::Write(int level, const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    WriteV(level, format, arguments);
    va_end(arguments);
}

void LauncherLog::WriteV(int level, const wchar_t* format, va_list arguments) {
    if (level > m_level || !m_file) {
        return;
    }
    WriteText(level, FormatV(format, arguments));
}

void LauncherLog::WriteText(int level, std::wstring_view text) {
    if (level > m_level) {
        return;
    }
    text = text.substr(0, kMaxLineLength);
    // One write per line, under a lock: lines of different threads never mix.
    std::lock_guard<std::mutex> guard(m_writeLock);
    if (!m_file || text.empty()) {
        return;
    }
    DWORD written = 0;
    ::WriteFile(m_file.Get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written,
                nullptr);
    ::FlushFileBuffers(m_file.Get());
}

void LauncherLog::WriteLine(int level, std::wstring_view text) {
    if (level > m_level) {
        return;
    }
    std::wstring line(kLauncherLineTag);
    line.append(text);
    line += L"\r\n";
    WriteText(level, line);
}

LogSink LauncherLog::Sink() {
    return [this](int level, std::wstring_view line) { WriteLine(level, line); };
}

void LauncherLog::HandToInstaller(IWindowsInstaller& installer) {
    m_handedToInstaller = true;
    if (m_file) {
        WriteText(LogError, L"\r\n");
        Close();
    }
    if (m_fileName.empty()) {
        return;
    }
    m_installerLogName = m_fileName + L".installer.tmp";
    ::DeleteFileW(m_installerLogName.c_str());
    installer.EnableLog(m_logMode, m_installerLogName, INSTALLLOGATTRIBUTES_APPEND);
}

void LauncherLog::TakeBackFromInstaller(IWindowsInstaller& installer) {
    if (!m_installerLogName.empty()) {
        // Stop the installer logging, so that it lets go of its file.
        installer.EnableLog(0, L"", 0);
    }
    Open(false);
}

void LauncherLog::AppendInstallerLog() {
    if (m_installerLogName.empty()) {
        return;
    }
    const std::wstring name = std::exchange(m_installerLogName, std::wstring());
    UniqueFileHandle source(::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!source) {
        return;
    }
    std::vector<char> bytes;
    char chunk[65536];
    DWORD read = 0;
    while (::ReadFile(source.Get(), chunk, sizeof(chunk), &read, nullptr) && read > 0) {
        bytes.insert(bytes.end(), chunk, chunk + read);
    }
    source.Reset();
    ::DeleteFileW(name.c_str());

    // The installer writes UTF-16 (with or without a byte-order mark) or the ANSI code page;
    // the launcher's log is UTF-16 throughout.
    std::wstring text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    } else if (bytes.size() >= 2 && bytes[1] == 0 && bytes[0] != 0) {
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    } else {
        text = FromCodePage(std::string_view(bytes.data(), bytes.size()), CP_ACP);
    }
    std::lock_guard<std::mutex> guard(m_writeLock);
    DWORD written = 0;
    ::WriteFile(m_file.Get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written,
                nullptr);
    ::FlushFileBuffers(m_file.Get());
}

} // namespace quentry
