// Benchmark of the cabinet engine: extraction of a large cabinet straight from a resource of this
// program (ICBSCabinetExtractor), against FDICopy of the same cabinet from its file with plain file
// callbacks. Each extraction runs in a child process of its own, so that each has its own peak
// memory; the rounds alternate between the two.
//   cabinet_bench [rounds]                 the cabinet resource BENCH_CABINET of this program,
//                                          against the cabinet file it was made from
//   <bundle> --bundle [rounds]             this program is a bundle written by quentry-bundle:
//                                          its package resource PACKAGE_0, against its cabinet
//                                          written out to a file first
//   ... --run resource|file DEST RESOURCE CABINET
//                                          one extraction into DEST (used by the comparison)
#include "common/UniqueHandle.h"
#include "common/WideText.h"
#include "extraction/ExtractionProgressHandler.h"
#include "extraction/FdiContext.h"
#include "extraction/ICBSCabinetExtractor.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace quentry {
namespace {

std::wstring BenchDir() {
    std::wstring path = L"Z:" + FromUtf8(QUENTRY_BENCH_CABINET_DIR);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// User and kernel time of this thread, in seconds: steadier than the clock on a busy machine.
double ThreadCpuSeconds() {
    FILETIME creation{};
    FILETIME exit{};
    FILETIME kernel{};
    FILETIME user{};
    ::GetThreadTimes(::GetCurrentThread(), &creation, &exit, &kernel, &user);
    const auto ticks = [](const FILETIME& t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    return double(ticks(kernel) + ticks(user)) / 1e7;
}

uint64_t FolderBytes(const std::wstring& folder) {
    uint64_t total = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            total += (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return total;
}

void EmptyFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ::DeleteFileW((folder + L"\\" + data.cFileName).c_str());
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

// --- FDICopy from a file with plain file callbacks: the reference ---

std::string g_plainDestination;

FNALLOC(PlainAllocate) {
    return std::malloc(cb);
}
FNFREE(PlainFree) {
    std::free(pv);
}
FNOPEN(PlainOpen) {
    const bool create = (oflag & 0x0100) != 0;
    HANDLE file = ::CreateFileA(pszFile, create ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, nullptr,
                                create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    (void)pmode;
    return file == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<INT_PTR>(file);
}
FNREAD(PlainRead) {
    DWORD read = 0;
    return ::ReadFile(reinterpret_cast<HANDLE>(hf), pv, cb, &read, nullptr) ? read : static_cast<UINT>(-1);
}
FNWRITE(PlainWrite) {
    DWORD written = 0;
    return ::WriteFile(reinterpret_cast<HANDLE>(hf), pv, cb, &written, nullptr) ? written
                                                                                : static_cast<UINT>(-1);
}
FNCLOSE(PlainClose) {
    return ::CloseHandle(reinterpret_cast<HANDLE>(hf)) ? 0 : -1;
}
FNSEEK(PlainSeek) {
    return static_cast<LONG>(::SetFilePointer(reinterpret_cast<HANDLE>(hf), dist, nullptr, seektype));
}
FNFDINOTIFY(PlainNotify) {
    if (fdint == fdintCOPY_FILE) {
        std::string path = g_plainDestination + "\\" + pfdin->psz1;
        return PlainOpen(path.data(), 0x0101, 0);
    }
    if (fdint == fdintCLOSE_FILE_INFO) {
        FILETIME local{};
        FILETIME utc{};
        if (::DosDateTimeToFileTime(pfdin->date, pfdin->time, &local) &&
            ::LocalFileTimeToFileTime(&local, &utc)) {
            ::SetFileTime(reinterpret_cast<HANDLE>(pfdin->hf), &utc, nullptr, nullptr);
        }
        PlainClose(pfdin->hf);
        return TRUE;
    }
    return 0;
}

bool ExtractFromFile(const std::wstring& cabinetFile, const std::wstring& destination) {
    g_plainDestination = ToCodePage(destination, CP_ACP);
    ERF error{};
    UniqueFdiContext context(::FDICreate(PlainAllocate, PlainFree, PlainOpen, PlainRead, PlainWrite,
                                         PlainClose, PlainSeek, cpuUNKNOWN, &error));
    const size_t slash = cabinetFile.find_last_of(L'\\');
    std::string name = ToCodePage(cabinetFile.substr(slash + 1), CP_ACP);
    std::string path = ToCodePage(cabinetFile.substr(0, slash + 1), CP_ACP);
    return context && ::FDICopy(context.Get(), name.data(), path.data(), 0, PlainNotify, nullptr, nullptr);
}

// What one comparison extracts: a type-40 resource of this program, and the same cabinet as a file.
struct BenchSource {
    std::wstring resource;
    std::wstring cabinetFile;
    std::wstring work;
};

std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The cabinet of this program's package resource (after its 32-bit length) written to a file.
bool WriteResourceCabinet(const std::wstring& resource, const std::wstring& path) {
    HRSRC info = ::FindResourceW(nullptr, resource.c_str(), MAKEINTRESOURCEW(40));
    HGLOBAL loaded = info != nullptr ? ::LoadResource(nullptr, info) : nullptr;
    const auto* bytes = static_cast<const BYTE*>(loaded != nullptr ? ::LockResource(loaded) : nullptr);
    const DWORD size = info != nullptr ? ::SizeofResource(nullptr, info) : 0;
    if (bytes == nullptr || size < 4) {
        return false;
    }
    UniqueKernelHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.Get(), bytes + 4, size - 4, &written, nullptr) && written == size - 4;
}

// --- one measured extraction ---

int RunOne(const std::wstring& mode, const std::wstring& destination, const BenchSource& source) {
    ::CreateDirectoryW(destination.c_str(), nullptr);
    EmptyFolder(destination);
    uint32_t cabinetBytes = 0;
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    ::QueryPerformanceFrequency(&frequency);
    const double cpuStart = ThreadCpuSeconds();
    ::QueryPerformanceCounter(&start);
    bool extracted = false;
    if (mode == L"resource") {
        // The program's own resource, as the launcher reads its packages.
        ICBSCabinetExtractor extractor(L"Package.cab", source.resource, destination);
        ExtractionProgressHandler progress(nullptr);
        cabinetBytes = extractor.Image().Length();
        progress.totalBytes = cabinetBytes;
        extracted = extractor.ExtractAll(&progress);
    } else {
        extracted = ExtractFromFile(source.cabinetFile, destination);
    }
    ::QueryPerformanceCounter(&end);
    const double cpu = ThreadCpuSeconds() - cpuStart;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof(memory));
    const uint64_t output = FolderBytes(destination);
    EmptyFolder(destination);
    ::RemoveDirectoryW(destination.c_str());
    std::printf(
        "ok=%d seconds=%.4f cpu=%.4f peak_working_set=%llu peak_private=%llu output=%llu cabinet=%lu\n",
        extracted ? 1 : 0, double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart), cpu,
        static_cast<unsigned long long>(memory.PeakWorkingSetSize),
        static_cast<unsigned long long>(memory.PeakPagefileUsage), static_cast<unsigned long long>(output),
        static_cast<unsigned long>(cabinetBytes));
    return extracted ? 0 : 1;
}

// --- the comparison ---

struct Measure {
    bool ok = false;
    double seconds = 0;
    double cpu = 0;
    unsigned long long peakWorkingSet = 0;
    unsigned long long peakPrivate = 0;
    unsigned long long output = 0;
    unsigned long cabinet = 0;
};

Measure RunChild(const std::wstring& mode, const std::wstring& destination, const BenchSource& source) {
    std::wstring commandLine = L"\"" + ProgramPath() + L"\" --run " + mode + L" \"" + destination + L"\" " +
                               source.resource + L" \"" + source.cabinetFile + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ::CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    UniqueKernelHandle reader(readEnd);
    UniqueKernelHandle writer(writeEnd);
    ::SetHandleInformation(reader.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writer.Get();
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    Measure measure;
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &process)) {
        return measure;
    }
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    writer.Reset();
    std::string output;
    char buffer[512];
    DWORD read = 0;
    while (::ReadFile(reader.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        output.append(buffer, read);
    }
    ::WaitForSingleObject(processHandle.Get(), INFINITE);
    int ok = 0;
    if (std::sscanf(
            output.c_str(),
            "ok=%d seconds=%lf cpu=%lf peak_working_set=%llu peak_private=%llu output=%llu cabinet=%lu", &ok,
            &measure.seconds, &measure.cpu, &measure.peakWorkingSet, &measure.peakPrivate, &measure.output,
            &measure.cabinet) == 7) {
        measure.ok = ok == 1;
    } else {
        std::printf("%s", output.c_str());
    }
    return measure;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Megabytes(unsigned long long bytes) {
    return double(bytes) / (1024.0 * 1024.0);
}

struct Series {
    std::vector<double> wall;
    std::vector<double> cpu;
    unsigned long long peakWorkingSet = 0;
    unsigned long long peakPrivate = 0;

    void Add(const Measure& m) {
        wall.push_back(m.seconds);
        cpu.push_back(m.cpu);
        peakWorkingSet = std::max(peakWorkingSet, m.peakWorkingSet);
        peakPrivate = std::max(peakPrivate, m.peakPrivate);
    }
};

double Best(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

int Compare(int rounds, const BenchSource& source) {
    const std::wstring& work = source.work;
    ::CreateDirectoryW(work.c_str(), nullptr);
    const std::wstring destination = work + L"\\out";
    std::printf("cabinet benchmark: %d rounds after one warm-up of each, alternating\n", rounds);
    Series resource;
    Series file;
    Measure last;
    for (int round = 0; round <= rounds; ++round) {
        const bool resourceFirst = round % 2 == 0;
        Measure measures[2]; // resource, file
        for (int i = 0; i < 2; ++i) {
            const bool fromResource = (i == 0) == resourceFirst;
            Measure m = RunChild(fromResource ? L"resource" : L"file", destination, source);
            if (!m.ok) {
                std::printf("error: the %s extraction failed\n", fromResource ? "resource" : "file");
                return 1;
            }
            measures[fromResource ? 0 : 1] = m;
        }
        if (measures[0].output != measures[1].output) {
            std::printf("error: the two extractions wrote %llu and %llu bytes\n", measures[0].output,
                        measures[1].output);
            return 1;
        }
        std::printf("%s %d: resource %.3f s (cpu %.3f s), file %.3f s (cpu %.3f s)\n",
                    round == 0 ? "warm-up" : "round  ", round, measures[0].seconds, measures[0].cpu,
                    measures[1].seconds, measures[1].cpu);
        if (round > 0) {
            resource.Add(measures[0]);
            file.Add(measures[1]);
            last = measures[0];
        }
    }
    ::RemoveDirectoryW(work.c_str());

    const double wallRatio = Median(resource.wall) / Median(file.wall);
    const double cpuRatio = Median(resource.cpu) / Median(file.cpu);
    const double mapped = Megabytes(last.cabinet + 4);
    std::printf("\ncabinet %.1f MiB (%lu bytes, MSZIP), extracted %.1f MiB\n", Megabytes(last.cabinet),
                last.cabinet, Megabytes(last.output));
    std::printf("time, median (best): resource %.3f s (%.3f), file %.3f s (%.3f)\n", Median(resource.wall),
                Best(resource.wall), Median(file.wall), Best(file.wall));
    std::printf("cpu,  median (best): resource %.3f s (%.3f), file %.3f s (%.3f)\n", Median(resource.cpu),
                Best(resource.cpu), Median(file.cpu), Best(file.cpu));
    std::printf("ratio resource/file: time %.3f, cpu %.3f (medians; goal <= 1.0: %s)\n", wallRatio, cpuRatio,
                wallRatio <= 1.0 ? "met" : "not met");
    const double extraWorkingSet = double(resource.peakWorkingSet) - double(file.peakWorkingSet);
    std::printf(
        "peak working set: resource %.1f MiB, file %.1f MiB; the difference %.1f MiB against the mapped "
        "resource of %.1f MiB\n",
        Megabytes(resource.peakWorkingSet), Megabytes(file.peakWorkingSet), extraWorkingSet / 1048576.0,
        mapped);
    std::printf("peak private bytes: resource %.1f MiB, file %.1f MiB\n", Megabytes(resource.peakPrivate),
                Megabytes(file.peakPrivate));
    const double excess = extraWorkingSet - double(last.cabinet + 4);
    if (excess <= 0) {
        std::printf("memory goal (resource <= file + mapped resource): met, %.0f KiB to spare\n",
                    -excess / 1024);
    } else {
        std::printf("memory goal (resource <= file + mapped resource): not met, %.0f KiB over\n",
                    excess / 1024);
    }
    return 0;
}

} // namespace
} // namespace quentry

int wmain(int argc, wchar_t** argv) {
    using namespace quentry;
    if (argc == 6 && std::wstring(argv[1]) == L"--run") {
        return RunOne(argv[2], argv[3], BenchSource{argv[4], argv[5], {}});
    }
    const bool bundle = argc >= 2 && std::wstring(argv[1]) == L"--bundle";
    const int roundsArgument = bundle ? 2 : 1;
    const int rounds = argc > roundsArgument ? std::max(1, _wtoi(argv[roundsArgument])) : 9;
    if (!bundle) {
        return Compare(rounds, BenchSource{L"BENCH_CABINET", BenchDir() + L"\\bench.cab", BenchDir() + L"\\work"});
    }
    // A bundle: its work folder lies beside it, and the file side extracts its own package
    // cabinet, written out once.
    const std::wstring self = ProgramPath();
    const std::wstring work = self.substr(0, self.find_last_of(L'\\') + 1) + L"work";
    ::CreateDirectoryW(work.c_str(), nullptr);
    const BenchSource source{L"PACKAGE_0", work + L"\\package.cab", work};
    if (!WriteResourceCabinet(source.resource, source.cabinetFile)) {
        std::printf("error: this program carries no package resource PACKAGE_0\n");
        return 1;
    }
    const int result = Compare(rounds, source);
    ::DeleteFileW(source.cabinetFile.c_str());
    ::RemoveDirectoryW(work.c_str());
    return result;
}
