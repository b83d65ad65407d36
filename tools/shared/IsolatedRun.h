// Reading an untrusted file where a fault of the platform's code cannot take the tool down: the
// tool starts itself again in a hidden mode, the child reads the file and writes what it read
// into a report that the parent gave it, and the parent reads the report. A child that crashes,
// hangs or writes no complete report is a failed read, not a failed tool.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quentry::tools {

// What a child reported: its exit code and its report's bytes. Empty when it could not be started.
struct IsolatedResult {
    DWORD exitCode = 0;
    bool timedOut = false;
    std::string report;
    // The child ended normally and said its report is complete.
    bool Complete() const;
    // The report without its completion mark (only meaningful when Complete()).
    std::string Body() const;
};

// Starts program with the hidden option and its arguments, and the report handle's number as the
// last argument; waits up to timeoutMs. None with the system's error left for GetLastError when
// the child cannot be started.
std::optional<IsolatedResult> RunIsolated(const std::wstring& program, const std::wstring& hiddenOption,
                                          const std::vector<std::wstring>& arguments,
                                          DWORD timeoutMs = 60000);

// In the child: the report handle given as text by the parent, and setup that turns a crash into
// an immediate exit (no debugger, no dialog) with the exception code as the exit code.
class IsolatedChild {
public:
    explicit IsolatedChild(const std::wstring& handleText);
    bool IsValid() const { return m_handle != nullptr; }
    // Writes the report (all of it, then the completion mark) and returns the child's exit code.
    int Finish(const std::string& report);

private:
    HANDLE m_handle = nullptr;
};

// A report: numbers, texts and byte strings in order, each with its length, read back with every
// length checked against what is left.
class ReportWriter {
public:
    void Number(uint32_t value);
    void Text(const std::wstring& value);
    void Bytes(const std::string& value);
    const std::string& Data() const { return m_data; }

private:
    std::string m_data;
};

class ReportReader {
public:
    explicit ReportReader(const std::string& data) : m_data(data) {}
    bool Number(uint32_t& value);
    bool Text(std::wstring& value);
    bool Bytes(std::string& value);
    bool AtEnd() const { return m_at == m_data.size(); }

private:
    const std::string& m_data;
    size_t m_at = 0;
};

// The arguments of a hidden mode, joined into one command line the way the C runtime splits it.
std::wstring QuoteArgument(const std::wstring& argument);

} // namespace quentry::tools
