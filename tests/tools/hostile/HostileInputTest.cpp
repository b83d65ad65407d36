// The tools given what a hostile or careless user gives them: damaged databases, paths longer
// than MAX_PATH, and an output that is one of the inputs. Every case ends with a documented exit
// code and at most one line on the error output, loses no input and leaves no temporary file.
#include "HostileSupport.h"

#include "common/WideText.h"
#include "support/TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace quentry::test::hostile {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// A damaged copy of the sample's main package, made from its bytes, and what the tools must make
// of it: refuse it, or (where the damage may spare what a tool reads) either refuse it cleanly or
// write their output.
enum class Expect { Refused, RefusedByTransformTool, EitherOutcome };

struct Damage {
    const char* what;
    std::function<std::string(const std::string&)> make;
    Expect expect;
};

std::string WithU32(const std::string& bytes, size_t at, uint32_t value) {
    return WithBytes(bytes, {{at, static_cast<uint8_t>(value)},
                             {at + 1, static_cast<uint8_t>(value >> 8)},
                             {at + 2, static_cast<uint8_t>(value >> 16)},
                             {at + 3, static_cast<uint8_t>(value >> 24)}});
}

uint32_t U32At(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    }
    return value;
}

const Damage kDamages[] = {
    // Found by probing: a directory entry's start sector (the installer's open faulted), and a
    // byte of the Upgrade table that makes the transform tool's query of it fault. The bundle
    // tool reads only the Property table and the summary information.
    {"offset 6154 set to 0xEC",
     [](const std::string& b) {
         return WithBytes(b, {{6154, 0xEC}});
     },
     Expect::Refused},
    {"offset 4709 set to 0x1D",
     [](const std::string& b) {
         return WithBytes(b, {{4709, 0x1D}});
     },
     Expect::RefusedByTransformTool},
    {"20 random bytes (1)", [](const std::string& b) { return WithRandomBytes(b, 1, 20); },
     Expect::EitherOutcome},
    {"20 random bytes (2)", [](const std::string& b) { return WithRandomBytes(b, 2, 20); },
     Expect::EitherOutcome},
    {"20 random bytes (3)", [](const std::string& b) { return WithRandomBytes(b, 3, 20); },
     Expect::EitherOutcome},
    {"sector table in a sector that its own entry calls free",
     [](const std::string& b) { return WithU32(b, 512 + 4 * U32At(b, 76), 0); }, Expect::EitherOutcome},
    {"directory chain in a loop",
     [](const std::string& b) {
         // The table entry of the first directory sector names that sector again.
         const uint32_t directory = U32At(b, 48);
         return WithU32(b, 512 * (U32At(b, 76) + 1) + 4 * directory, directory);
     },
     Expect::Refused},
    {"sector table outside the file", [](const std::string& b) { return WithU32(b, 76, 0x00FFFFFF); },
     Expect::Refused},
    {"cut after the header", [](const std::string& b) { return b.substr(0, 512); }, Expect::Refused},
    {"cut in half", [](const std::string& b) { return b.substr(0, b.size() / 2); }, Expect::Refused},
    {"header only, rest zero",
     [](const std::string& b) { return b.substr(0, 512) + std::string(b.size() - 512, '\0'); },
     Expect::Refused},
};

// One way a tool reads a database: the arguments given the damaged copy, and what the error
// line says.
struct DatabaseUse {
    const char* what;
    bool bundleTool;
    std::function<ToolRun(const std::wstring& damaged, const ScratchFolder&)> run;
    const char* refusal; // the error line begins so when the tool refuses the database itself
};

const DatabaseUse kUses[] = {
    {"quentry-bundle -p", true,
     [](const std::wstring& damaged, const ScratchFolder& f) {
         return RunTool(BundleTool(), {L"-o", f.File(L"setup.exe"), L"-p", damaged});
     },
     "quentry-bundle: error: package "},
    {"quentry-bundle -p as a sub-package", true,
     [](const std::wstring& damaged, const ScratchFolder& f) {
         return RunTool(BundleTool(), {L"-o", f.File(L"setup.exe"), L"-p",
                                       BuildPath(L"fixtures\\packages\\BundleAlpha.msi"), L"-p", damaged});
     },
     "quentry-bundle: error: package "},
    {"quentry-transform --base", false,
     [](const std::wstring& damaged, const ScratchFolder& f) {
         return RunTool(TransformTool(),
                        {L"--base", damaged, L"--property", L"A=1", L"--out", f.File(L"t.mst")});
     },
     "quentry-transform: cannot open the installer database "},
    {"quentry-transform --changed", false,
     [](const std::wstring& damaged, const ScratchFolder& f) {
         return RunTool(TransformTool(),
                        {L"--base", SamplePackage(), L"--changed", damaged, L"--out", f.File(L"t.mst")});
     },
     "quentry-transform: cannot open the installer database "},
};

TEST(ToolsHostileInputTest, DamagedDatabaseIsRefusedWithOneLineAndExitCode1) {
    const std::string sample = ReadBytes(SamplePackage());
    ASSERT_GT(sample.size(), 6154u);
    const auto temporaryBefore = ToolTemporaryFiles();
    for (const Damage& damage : kDamages) {
        ScratchFolder folder;
        const std::wstring damaged = folder.File(L"damaged.msi");
        WriteFileBytes(damaged, damage.make(sample));
        for (const DatabaseUse& use : kUses) {
            SCOPED_TRACE(std::string(damage.what) + ", " + use.what);
            const ToolRun run = use.run(damaged, folder);
            const bool refused = damage.expect == Expect::Refused ||
                                 (damage.expect == Expect::RefusedByTransformTool && !use.bundleTool);
            if (refused) {
                EXPECT_EQ(run.exitCode, 1u) << run.out << run.err;
                EXPECT_THAT(run.err, StartsWith(use.refusal));
            } else {
                EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 1) << run.exitCode << run.out << run.err;
            }
            if (run.exitCode == 1) {
                EXPECT_EQ(run.out, "");
                EXPECT_THAT(run.err,
                            StartsWith(use.bundleTool ? "quentry-bundle: error: " : "quentry-transform: "));
                EXPECT_TRUE(IsOneLine(run.err)) << run.err;
            } else {
                EXPECT_EQ(run.err, "");
                ::DeleteFileW(folder.File(use.bundleTool ? L"setup.exe" : L"t.mst").c_str());
            }
            EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::wstring>{L"damaged.msi"});
        }
    }
    EXPECT_EQ(ToolTemporaryFiles(), temporaryBefore);
}

// Paths beyond MAX_PATH: inputs in a folder of 250 letters (a path of about 282 characters), and
// outputs into folders around the lengths where the platform's MAX_PATH buffers end. Every run
// works and leaves only its output.
struct LongPathCase {
    const char* what;
    size_t folderLength; // of the long folder's full path
    // The run, given the long folder; returns the file it should have written.
    std::function<std::wstring(const LongFolder&, const ScratchFolder&, ToolRun&)> run;
};

std::wstring CopyInto(const LongFolder& folder, const std::wstring& source, const std::wstring& name) {
    WriteFileBytes(folder.File(name), ReadBytes(source));
    return folder.File(name);
}

std::vector<LongPathCase> LongPathCases() {
    std::vector<LongPathCase> cases = {
        {"quentry-bundle -p in a long folder", 282,
         [](const LongFolder& l, const ScratchFolder& s, ToolRun& run) {
             run = RunTool(BundleTool(),
                           {L"-o", s.File(L"setup.exe"), L"-p", CopyInto(l, SamplePackage(), L"main.msi")});
             return s.File(L"setup.exe");
         }},
        {"quentry-bundle -l in a long folder", 282,
         [](const LongFolder& l, const ScratchFolder& s, ToolRun& run) {
             run = RunTool(BundleTool(), {L"-o", s.File(L"setup.exe"), L"-p", SamplePackage(), L"-l",
                                          CopyInto(l, LauncherPath(), L"quentry.exe")});
             return s.File(L"setup.exe");
         }},
        {"quentry-bundle -t in a long folder", 282,
         [](const LongFolder& l, const ScratchFolder& s, ToolRun& run) {
             std::vector<std::wstring> arguments{L"-o", s.File(L"setup.exe"), L"-p", SamplePackage()};
             for (const wchar_t* language : {L"1031", L"1034", L"1036", L"1041"}) {
                 const std::wstring transform = l.File(std::wstring(L"SampleMain_") + language + L".mst");
                 run = RunTool(TransformTool(),
                               {L"--base", SamplePackage(), L"--property",
                                std::wstring(L"ProductLanguage=") + language, L"--out", transform});
                 if (run.exitCode != 0) {
                     return transform;
                 }
                 arguments.push_back(L"-t");
                 arguments.push_back(std::wstring(language) + L"=" + transform);
             }
             run = RunTool(BundleTool(), arguments);
             return s.File(L"setup.exe");
         }},
        {"quentry-transform --base in a long folder", 282,
         [](const LongFolder& l, const ScratchFolder& s, ToolRun& run) {
             run = RunTool(TransformTool(),
                           {L"--base", CopyInto(l, SamplePackage(), L"base.msi"), L"--property",
                            L"ProductLanguage=1031", L"--out", s.File(L"t.mst")});
             return s.File(L"t.mst");
         }},
        {"quentry-transform --changed and --changes in a long folder", 282,
         [](const LongFolder& l, const ScratchFolder& s, ToolRun& run) {
             const std::wstring changed = CopyInto(l, SamplePackage(), L"changed.msi");
             run = RunTool(TransformTool(),
                           {L"--base", SamplePackage(), L"--changed", changed, L"--out", s.File(L"t.mst")});
             if (run.exitCode == 0) {
                 WriteFileBytes(l.File(L"changes.txt"), "Property A=1\n");
                 run = RunTool(TransformTool(), {L"--base", SamplePackage(), L"--changes",
                                                 l.File(L"changes.txt"), L"--out", s.File(L"t.mst")});
             }
             return s.File(L"t.mst");
         }},
    };
    // Where GetTempFileNameW used to fail (251-258), overflow (264) and leave its file (273).
    for (size_t length : {251u, 258u, 264u, 273u, 282u}) {
        cases.push_back(
            {"quentry-bundle -o into a long folder", length,
             [](const LongFolder& l, const ScratchFolder&, ToolRun& run) {
                 run = RunTool(BundleTool(), {L"-o", l.File(L"setup.exe"), L"-p", SamplePackage()});
                 return l.File(L"setup.exe");
             }});
        cases.push_back({"quentry-transform --out into a long folder", length,
                         [](const LongFolder& l, const ScratchFolder&, ToolRun& run) {
                             run = RunTool(TransformTool(),
                                           {L"--base", SamplePackage(), L"--property",
                                            L"ProductLanguage=1031", L"--out", l.File(L"t.mst")});
                             return l.File(L"t.mst");
                         }});
    }
    return cases;
}

TEST(ToolsHostileInputTest, PathsLongerThanMaxPathWorkAndLeaveOnlyTheOutput) {
    const auto temporaryBefore = ToolTemporaryFiles();
    for (const LongPathCase& c : LongPathCases()) {
        SCOPED_TRACE(std::string(c.what) + ", folder of " + std::to_string(c.folderLength) + " characters");
        ScratchFolder scratch;
        ToolRun run;
        std::wstring written;
        {
            LongFolder folder(scratch.Path(), c.folderLength);
            ASSERT_EQ(folder.Path().size(), c.folderLength);
            written = c.run(folder, scratch, run);
            EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
            EXPECT_EQ(run.err, "");
            EXPECT_TRUE(Exists(written)) << ToUtf8(written);
            const std::string bytes = ReadBytes(written);
            EXPECT_EQ(bytes.compare(0, 2, "MZ") == 0 || bytes.compare(0, 4, "\xD0\xCF\x11\xE0") == 0, true);
            // Only the inputs the case made and the output: no temporary file beside it.
            for (const std::wstring& name : FilesIn(folder.Path())) {
                EXPECT_TRUE(name.ends_with(L".msi") || name.ends_with(L".mst") || name.ends_with(L".exe") ||
                            name.ends_with(L".txt"))
                    << ToUtf8(name);
                EXPECT_FALSE(name.ends_with(L".partial") || name.ends_with(L".tmp")) << ToUtf8(name);
            }
        }
        for (const std::wstring& name : FilesIn(scratch.Path())) {
            EXPECT_TRUE(name == L"setup.exe" || name == L"t.mst") << ToUtf8(name);
        }
    }
    EXPECT_EQ(ToolTemporaryFiles(), temporaryBefore);
}

// The written launcher from a long output folder is complete: --list reads it back, also from
// there.
TEST(ToolsHostileInputTest, LauncherInALongFolderListsAsComplete) {
    ScratchFolder scratch;
    LongFolder folder(scratch.Path(), 282);
    ASSERT_EQ(RunTool(BundleTool(), {L"-o", folder.File(L"setup.exe"), L"-p", SamplePackage()}).exitCode, 0u);
    const ToolRun list = RunTool(BundleTool(), {L"--list", folder.File(L"setup.exe")});
    EXPECT_EQ(list.exitCode, 0u) << list.out << list.err;
    EXPECT_THAT(list.out, HasSubstr("Quentry Sample"));
}

// An output that is one of the inputs, spelled differently from it or reached through a second
// name (a hard link): refused with one line and exit code 2, every input as it was.
struct SameFileCase {
    const char* what;
    const wchar_t* tool; // L"bundle" or L"transform"
    // Arguments, given the scratch folder with input.msi, other.msi, input.mst and changes.txt.
    std::function<std::vector<std::wstring>(const ScratchFolder&)> arguments;
};

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    return text;
}

std::wstring Slashed(std::wstring text) {
    for (wchar_t& c : text) {
        c = c == L'\\' ? L'/' : c;
    }
    return text;
}

std::wstring Linked(const ScratchFolder& f, const std::wstring& name) {
    const std::wstring link = f.File(L"link-" + name);
    EXPECT_TRUE(::CreateHardLinkW(link.c_str(), f.File(name).c_str(), nullptr));
    return link;
}

const SameFileCase kSameFileCases[] = {
    {"-o is -p, through ..", L"bundle",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{L"-o", f.File(L"sub\\..\\input.msi"), L"-p", f.File(L"input.msi")};
     }},
    {"-o is the second -p, in capitals", L"bundle",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{L"-o", Upper(f.File(L"other.msi")), L"-p", SamplePackage(),
                                          L"-p", f.File(L"other.msi")};
     }},
    {"-o is a hard link of -p", L"bundle",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{L"-o", Linked(f, L"input.msi"), L"-p", f.File(L"input.msi")};
     }},
    {"-o is -l", L"bundle",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{L"-o", Slashed(f.File(L"launcher.exe")), L"-p", SamplePackage(),
                                          L"-l", f.File(L"launcher.exe")};
     }},
    {"-o is a -t transform", L"bundle",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{L"-o", f.File(L".\\input.mst"),        L"-p", SamplePackage(),
                                          L"-t", L"1031=" + f.File(L"input.mst")};
     }},
    {"-o is the quentry.exe beside the tool", L"bundle",
     [](const ScratchFolder&) {
         return std::vector<std::wstring>{L"-o", BuildPath(L"bin\\..\\bin\\QUENTRY.EXE"), L"-p",
                                          SamplePackage()};
     }},
    {"--out is --base, through ..", L"transform",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{L"--base", f.File(L"input.msi"),         L"--property", L"A=1",
                                          L"--out",  f.File(L"sub\\..\\input.msi")};
     }},
    {"--out is a hard link of --base", L"transform",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{L"--base", f.File(L"input.msi"),   L"--property", L"A=1",
                                          L"--out",  Linked(f, L"input.msi")};
     }},
    {"--out is --changed, in capitals", L"transform",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{L"--base",    f.File(L"input.msi"),
                                          L"--changed", f.File(L"other.msi"),
                                          L"--out",     Upper(f.File(L"other.msi"))};
     }},
    {"--out is --changes", L"transform",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{L"--base",    f.File(L"input.msi"),
                                          L"--changes", f.File(L"changes.txt"),
                                          L"--out",     Slashed(f.File(L"changes.txt"))};
     }},
};

TEST(ToolsHostileInputTest, OutputThatIsAnInputIsRefusedWithExitCode2) {
    const std::string launcherBefore = ReadBytes(LauncherPath());
    for (const SameFileCase& c : kSameFileCases) {
        SCOPED_TRACE(c.what);
        ScratchFolder f;
        ASSERT_TRUE(::CreateDirectoryW(f.File(L"sub").c_str(), nullptr));
        WriteFileBytes(f.File(L"input.msi"), ReadBytes(SamplePackage()));
        WriteFileBytes(f.File(L"other.msi"), ReadBytes(BuildPath(L"fixtures\\packages\\BundleBeta.msi")));
        WriteFileBytes(f.File(L"input.mst"), "a transform, never read");
        WriteFileBytes(f.File(L"launcher.exe"), launcherBefore);
        WriteFileBytes(f.File(L"changes.txt"), "Property A=1\n");
        const std::vector<std::wstring> arguments = c.arguments(f);
        std::vector<std::pair<std::wstring, std::string>> before;
        for (const std::wstring& name : FilesIn(f.Path())) {
            before.emplace_back(name, ReadBytes(f.File(name)));
        }
        const bool bundle = std::wstring(c.tool) == L"bundle";
        const ToolRun run = RunTool(bundle ? BundleTool() : TransformTool(), arguments);
        EXPECT_EQ(run.exitCode, 2u) << run.out << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_THAT(run.err, StartsWith(bundle ? "quentry-bundle: error: the output "
                                               : "quentry-transform: the output "));
        EXPECT_THAT(run.err, HasSubstr("writing it would destroy that input"));
        EXPECT_TRUE(IsOneLine(run.err)) << run.err;
        std::vector<std::pair<std::wstring, std::string>> after;
        for (const std::wstring& name : FilesIn(f.Path())) {
            after.emplace_back(name, ReadBytes(f.File(name)));
        }
        EXPECT_TRUE(before == after) << "an input changed or a file appeared";
    }
    EXPECT_TRUE(ReadBytes(LauncherPath()) == launcherBefore);
}

} // namespace
} // namespace quentry::test::hostile
