// Reading untrusted files where a fault of the platform's code cannot take the tool down: the
// tool starts itself again in a hidden mode, the child reads the files one by one and writes a
// record of what it read for each into a report that the parent gave it, and the parent reads
// the records. A child that crashes or hangs on a file is a failed read of that file only: a new
// child goes on with the files after it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quentry::tools {

// What became of one file.
struct IsolatedOutcome {
    enum class Kind {
        Read,   // the child read it; record holds what the child wrote
        Failed, // the child ended while reading it; exitCode is its exit code (the exception code
                // of a crash)
        Hung,   // the child wrote nothing for kHangTimeoutMs while reading it and was ended
    };
    Kind kind = Kind::Read;
    DWORD exitCode = 0;
    std::string record;
};

inline constexpr DWORD kHangTimeoutMs = 30000;

// Runs "program hiddenOption REPORT-HANDLE LIST-FILE" until every path has an outcome, in order.
// None with the system's error left for GetLastError when no child can be started.
std::optional<std::vector<IsolatedOutcome>> ReadIsolated(const std::wstring& program,
                                                         const std::wstring& hiddenOption,
                                                         const std::vector<std::wstring>& paths);

// The child's side: given the hidden mode's two arguments, reads every listed path with readOne
// and writes its record. A crash ends the child at once (no debugger, no dialog) with the
// exception code as its exit code. Returns the child's exit code.
int RunIsolatedReader(const std::wstring& handleText, const std::wstring& listPath,
                      const std::function<std::string(const std::wstring& path)>& readOne);

// A record: numbers, texts and byte strings in order, each with its length, read back with every
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

// One argument of a command line, quoted the way the C runtime splits it.
std::wstring QuoteArgument(const std::wstring& argument);

} // namespace quentry::tools
