// A bounded mutation run over thousands of damaged copies of a small installer database, done as
// the tools do it: every copy goes through the tools' own compound-file check in this process;
// the copies of sound structure go, in batches, to the tools' database readers (each tool's
// hidden reading mode, where a fault of the installer's code ends only that child and a new one
// goes on after the file); and as many copies as a fixed time allows are given to the whole
// tools. No copy may crash or abort a tool: exit codes come only from the documented set (0
// written, 1 bad input), a failure is one line, and nothing is left outside the expected files.
#include "HostileSupport.h"

#include "bundle/PackageFacts.h"
#include "common/WideText.h"
#include "common/CompoundFile.h"
#include "shared/IsolatedRun.h"
#include "support/TestSupport.h"
#include "transform/MsiDatabaseReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>

namespace quentry::test::hostile {
namespace {

// Copies made and checked. The readers take the sound ones in batches until their time is spent,
// then whole tool runs go on until theirs is: the test ends in about a minute and a half however
// fast the machine is, and a faster one checks more.
constexpr int kCopies = 3000;
constexpr size_t kBatch = 200;
constexpr auto kReaderTime = std::chrono::seconds(60);
constexpr auto kToolTime = std::chrono::seconds(30);

// One damaged copy: a few bytes set at random, weighted towards the structure (header, sector
// table and directory in the first sectors), a 32-bit field set to a value that chains use as a
// mark, or the file cut short.
std::string Mutate(const std::string& source, std::mt19937& random) {
    std::string bytes = source;
    const uint32_t kind = random() % 8;
    std::uniform_int_distribution<size_t> anywhere(0, bytes.size() - 1);
    std::uniform_int_distribution<size_t> structure(0, std::min<size_t>(bytes.size(), 3 * 512) - 1);
    if (kind == 0) {
        bytes.resize(std::uniform_int_distribution<size_t>(0, bytes.size() - 1)(random));
        return bytes;
    }
    if (kind == 1) {
        static constexpr uint32_t kMarks[] = {0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD, 0xFFFFFFFC,
                                              0,          1,          0x7FFFFFFF};
        const size_t at = structure(random) & ~size_t{3};
        const uint32_t value = kMarks[random() % std::size(kMarks)];
        for (int i = 0; i < 4 && at + i < bytes.size(); ++i) {
            bytes[at + i] = static_cast<char>(value >> (8 * i));
        }
        return bytes;
    }
    const int count = 1 + static_cast<int>(random() % 4);
    for (int n = 0; n < count; ++n) {
        const size_t at = kind < 4 ? structure(random) : anywhere(random);
        bytes[at] = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

struct ReaderTally {
    int read = 0;
    int failed = 0;
    int hung = 0;
};

// Hands paths to a tool's reading mode and checks that every file got an outcome.
void ReadThroughTool(const std::wstring& tool, const wchar_t* mode, const std::vector<std::wstring>& paths,
                     ReaderTally& tally) {
    const auto outcomes = tools::ReadIsolated(tool, mode, paths);
    EXPECT_TRUE(outcomes.has_value()) << "no reader process";
    if (!outcomes) {
        return;
    }
    EXPECT_EQ(outcomes->size(), paths.size());
    for (const tools::IsolatedOutcome& outcome : *outcomes) {
        switch (outcome.kind) {
        case tools::IsolatedOutcome::Kind::Read:
            ++tally.read;
            EXPECT_GE(outcome.record.size(), 4u);
            break;
        case tools::IsolatedOutcome::Kind::Failed:
            ++tally.failed;
            break;
        case tools::IsolatedOutcome::Kind::Hung:
            ++tally.hung;
            break;
        }
    }
}

TEST(ToolsMutationTest, MutatedDatabasesNeverCrashEitherTool) {
    const std::string sample = ReadBytes(SamplePackage());
    ASSERT_GT(sample.size(), 2048u);
    const auto temporaryBefore = ToolTemporaryFiles();
    ScratchFolder folder;
    std::mt19937 random(20261211);

    // Every copy through the structure check here; the sound ones to both tools' readers.
    std::vector<std::string> copies;
    std::vector<std::wstring> soundPaths;
    for (int n = 0; n < kCopies; ++n) {
        copies.push_back(Mutate(sample, random));
        const std::string& bytes = copies.back();
        CLSID rootClass{};
        std::wstring reason;
        if (CheckCompoundFile(std::span(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()),
                                     rootClass, reason) &&
            IsEqualCLSID(rootClass, kInstallerDatabaseClass)) {
            soundPaths.push_back(folder.File(L"m" + std::to_wstring(n) + L".msi"));
            WriteFileBytes(soundPaths.back(), bytes);
        }
    }
    ReaderTally bundle;
    ReaderTally transform;
    size_t given = 0;
    const auto readerDeadline = std::chrono::steady_clock::now() + kReaderTime;
    while (given < soundPaths.size() && std::chrono::steady_clock::now() < readerDeadline) {
        const size_t end = std::min(soundPaths.size(), given + kBatch);
        const std::vector<std::wstring> batch(soundPaths.begin() + static_cast<std::ptrdiff_t>(given),
                                              soundPaths.begin() + static_cast<std::ptrdiff_t>(end));
        ReadThroughTool(BundleTool(), bundle::kReadFactsOption, batch, bundle);
        ReadThroughTool(TransformTool(), transform::kReadDatabaseOption, batch, transform);
        given = end;
    }
    for (const std::wstring& path : soundPaths) {
        ::DeleteFileW(path.c_str());
    }

    // Whole tool runs, alternating the tools, until the time is spent.
    const std::wstring copy = folder.File(L"mutated.msi");
    const std::wstring bundleOutput = folder.File(L"setup.exe");
    const std::wstring transformOutput = folder.File(L"t.mst");
    const auto deadline = std::chrono::steady_clock::now() + kToolTime;
    int runs = 0;
    int written = 0;
    for (size_t n = 0; n < copies.size() && std::chrono::steady_clock::now() < deadline; ++n) {
        SCOPED_TRACE("copy " + std::to_string(n));
        WriteFileBytes(copy, copies[n]);
        const bool useBundle = n % 2 == 0;
        const ToolRun result = useBundle ? RunTool(BundleTool(), {L"-o", bundleOutput, L"-p", copy})
                                         : RunTool(TransformTool(), {L"--base", copy, L"--property", L"A=1",
                                                                     L"--out", transformOutput});
        ++runs;
        const std::wstring output = useBundle ? bundleOutput : transformOutput;
        ASSERT_TRUE(result.exitCode == 0 || result.exitCode == 1)
            << "exit code " << result.exitCode << ": " << result.out << result.err;
        if (result.exitCode == 1) {
            ASSERT_TRUE(IsOneLine(result.err)) << result.err;
            ASSERT_EQ(result.err.rfind(useBundle ? "quentry-bundle: error: " : "quentry-transform: ", 0), 0u)
                << result.err;
            ASSERT_FALSE(Exists(output));
        } else {
            ASSERT_TRUE(Exists(output));
            ++written;
            ::DeleteFileW(output.c_str());
        }
        ASSERT_EQ(FilesIn(folder.Path()), std::vector<std::wstring>{L"mutated.msi"});
    }
    EXPECT_EQ(ToolTemporaryFiles(), temporaryBefore);
    std::printf("%d copies checked, %u of sound structure, %u given to both readers; bundle reader: %d read, "
                "%d failed, %d hung; transform reader: %d read, %d failed, %d hung; %d whole tool runs (%d "
                "written)\n",
                kCopies, static_cast<unsigned>(soundPaths.size()), static_cast<unsigned>(given), bundle.read,
                bundle.failed, bundle.hung, transform.read, transform.failed, transform.hung, runs, written);
}

} // namespace
} // namespace quentry::test::hostile
