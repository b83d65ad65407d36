// The launcher's log: one UTF-16LE file (no byte-order mark) named by /L, flushed after every
// line, shared with the installer for the duration of every installer call.
#pragma once

#include "common/LogSink.h"
#include "common/UniqueHandle.h"

#include <cstdarg>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace quentry {

class IWindowsInstaller;

class LauncherLog {
public:
    // The longest line the launcher writes; longer ones are cut.
    static constexpr size_t kMaxLineLength = 2047;

    // The launcher's verbosity from the installer log-mode bits: e 1, w 2, i 3, v 4.
    static int LevelForMode(uint32_t logMode);

    void Configure(const std::wstring& fileName, uint32_t logMode, uint32_t logAttributes);

    // Opens the file when none is open and a name is set; truncate empties it first. Whatever
    // the installer wrote while it had the log is added first. False when no log is open after.
    bool Open(bool truncate);
    // Flushes and closes the file.
    void Close();

    bool IsOpen() const { return m_file.IsValid(); }
    int Level() const { return m_level; }
    const std::wstring& FileName() const { return m_fileName; }

    // printf-style line at a level; written only when level <= Level() and the file is open.
    void Write(int level, const wchar_t* format, ...);
    void WriteV(int level, const wchar_t* format, va_list arguments);
    // Text written as it stands (no format directives).
    void WriteText(int level, std::wstring_view text);
    // A launcher line: the tag, the text as it stands, a line break.
    void WriteLine(int level, std::wstring_view text);
    // A sink for lower layers that writes their lines as launcher lines into this log.
    LogSink Sink();

    // Before an installer call: an empty line, then the file is closed and the installer logs
    // with the /L mode bits. TakeBackFromInstaller after the call appends what the installer
    // wrote and re-opens the file for the launcher.
    void HandToInstaller(IWindowsInstaller& installer);
    void TakeBackFromInstaller(IWindowsInstaller& installer);
    // The log was handed to the installer at least once: an installer call has been made.
    bool WasHandedToInstaller() const { return m_handedToInstaller; }

private:
    void AppendInstallerLog();

    std::wstring m_fileName;
    uint32_t m_logMode = 0;
    uint32_t m_logAttributes = 0;
    int m_level = 0;
    UniqueFileHandle m_file;
    std::mutex m_writeLock;
    // The installer writes into a file of its own per call (on some platforms the installer does
    // not append to an existing log); its text is added to the log when the launcher takes it back.
    std::wstring m_installerLogName;
    bool m_handedToInstaller = false;
};

} // namespace quentry
