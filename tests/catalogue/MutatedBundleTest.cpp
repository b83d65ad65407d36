// Thousands of randomly damaged copies of a small bundle, read in this process by everything that
// reads a bundle: the language and layout tests, the validation, the catalogue and the unpacking of
// every cabinet. None may crash or abort, and nothing may be written outside the unpack folder.
// The copies are made from a fixed seed, so that a failure can be repeated.
#include "catalogue/CatalogueTestSupport.h"
#include "catalogue/MainProductName.h"
#include "common/FolderPath.h"
#include "common/WideText.h"
#include "extraction/ICBSCabinetExtractor.h"
#include "support/PeResources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace quentry {
namespace {

using namespace catalogue_test;

constexpr int kCopies = 3000;

std::set<std::wstring> Entries(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.insert(data.cFileName);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return names;
}

// The catalogue fixture of three packages, carrying real cabinets (small ones, some with file
// names that try to leave the unpack folder).
std::string SmallBundle(const ScratchFolder& scratch) {
    const std::wstring path = scratch.File(L"base.dll");
    test::WriteBytes(path, test::ReadBytes(FixtureModule(L"ThreePackages.dll")));
    HANDLE update = ::BeginUpdateResourceW(path.c_str(), FALSE);
    EXPECT_NE(update, nullptr);
    const wchar_t* images[] = {L"names.img", L"stored.img", L"dated.img"};
    for (int n = 0; n < 3; ++n) {
        std::string image =
            test::ReadBytes(BuildPath(L"tests\\extraction\\extraction-fixtures\\") + images[n]);
        EXPECT_FALSE(image.empty());
        EXPECT_TRUE(::UpdateResourceW(update, MAKEINTRESOURCEW(kPackageResourceType),
                                      Format(L"PACKAGE_%d", n).c_str(), 1033, image.data(),
                                      static_cast<DWORD>(image.size())));
    }
    EXPECT_TRUE(::EndUpdateResourceW(update, FALSE));
    return test::ReadBytes(path);
}

void Mutate(std::string& bytes, const test::ResourceLayout& layout, std::mt19937& random) {
    auto pick = [&random](size_t count) {
        return std::uniform_int_distribution<size_t>(0, count - 1)(random);
    };
    const auto& entry = layout.entries[pick(layout.entries.size())];
    static const uint32_t kSizes[] = {0, 1, 3, 0x7FFFFFFF, 0xFFFFFFFF, 0x80000000, 0x10000, 4097};
    switch (pick(6)) {
    case 0: // a few bytes of the resource section flipped
        for (size_t i = 0, flips = 1 + pick(20); i < flips; ++i) {
            bytes[layout.sectionOffset + pick(layout.sectionSize)] ^= static_cast<char>(1 + pick(255));
        }
        break;
    case 1: // a data entry that lies about its size
        test::PutUint32(bytes, entry.dataEntryOffset + 4,
                        pick(2) ? kSizes[pick(std::size(kSizes))] : static_cast<uint32_t>(random()));
        break;
    case 2: // a data entry that points elsewhere
        test::PutUint32(bytes, entry.dataEntryOffset, static_cast<uint32_t>(random()));
        break;
    case 3: // a directory entry that points elsewhere (possibly back to a directory above)
        test::PutUint32(bytes, layout.sectionOffset + 16 + 8 * pick(8) + 4,
                        0x80000000u | static_cast<uint32_t>(pick(layout.sectionSize)));
        break;
    case 4: { // the bytes of one resource overwritten, the cabinets' and the strings' alike
        const size_t start = layout.sectionOffset + pick(layout.sectionSize);
        for (size_t i = start; i < std::min(bytes.size(), start + 1 + pick(64)); ++i) {
            bytes[i] = static_cast<char>(random());
        }
        break;
    }
    default: // the file cut short within its resources
        bytes.resize(layout.sectionOffset + pick(layout.sectionSize));
        break;
    }
}

void ReadEverything(HMODULE module, const std::wstring& unpackFolder, test::RecordingInstaller& installer,
                    const std::wstring& logFile) {
    // As the launcher does first: a damaged directory is a corrupt build, and nothing more is read.
    if (!ResourceDirectoryIsSound(module)) {
        return;
    }
    const bool multiLanguage = IsMultiLanguageBuild(module);
    ValidateResourceLayout(module);
    MainProductName(module, multiLanguage);
    PackageCountOf(module, multiLanguage);
    for (const wchar_t* name : {L"PACKAGE_0", L"PACKAGE_1", L"PACKAGE_2"}) {
        ICBSCabinetExtractor extractor(L"package.cab", name, unpackFolder, module);
        extractor.ExtractAll(nullptr);
    }
    LauncherSteps steps;
    CSetupApp app(L"quentry.exe /qn /L*v \"" + logFile + L"\"", installer, steps, module);
    app.m_multiLanguageResources = multiLanguage;
    app.m_languages.SelectByName(L"English");
    app.RecordFailure(BuildCatalogue(app));
    for (const auto& package : app.m_packages) {
        ReadPackageBlob(app.ResourceModule(), package->m_packageResource, 0);
    }
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST(MutatedBundleTest, DamagedCopiesNeitherCrashNorWriteOutsideTheUnpackFolder) {
    ScratchFolder scratch;
    const std::string base = SmallBundle(scratch);
    const test::ResourceLayout layout = test::ReadResourceLayout(base);
    ASSERT_GT(layout.entries.size(), 30u);
    const std::wstring copy = scratch.File(L"copy.dll");
    const std::wstring unpack = scratch.File(L"unpack");
    const std::wstring log = scratch.File(L"run.log");
    ::CreateDirectoryW(unpack.c_str(), nullptr);

    // The sound bundle unpacks its cabinets.
    {
        test::WriteBytes(copy, base);
        ModulePtr module(::LoadLibraryExW(copy.c_str(), nullptr,
                                          LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_TRUE(module);
        ASSERT_TRUE(ResourceDirectoryIsSound(module.get()));
        EXPECT_TRUE(
            ICBSCabinetExtractor(L"package.cab", L"PACKAGE_1", unpack, module.get()).ExtractAll(nullptr));
        EXPECT_FALSE(Entries(unpack).empty());
    }

    wchar_t current[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, current);
    const std::set<std::wstring> currentBefore = Entries(current);
    // Where the hostile names of the cabinets would lead if a file left the unpack folder.
    const FolderPath parent = FolderPath(scratch.Path()).Parent();
    std::vector<std::wstring> outside = {L"C:\\Windows\\absolute.txt"};
    for (const FolderPath& folder : {parent, parent.Parent(), parent.Parent().Parent()}) {
        for (const wchar_t* name : {L"escaped.txt", L"unix-escaped.txt", L"good.txt"}) {
            outside.push_back(folder.ToString(true) + name);
        }
    }
    for (const std::wstring& path : outside) {
        ASSERT_FALSE(test::FileExists(path)) << ToUtf8(path);
    }
    const std::set<std::wstring> scratchExpected = {L".",        L"..",     L"base.dll",
                                                    L"copy.dll", L"unpack", L"run.log"};

    std::mt19937 random(20261211);
    test::RecordingInstaller installer;
    int loaded = 0;
    for (int i = 0; i < kCopies; ++i) {
        std::string bytes = base;
        Mutate(bytes, layout, random);
        test::WriteBytes(copy, bytes);
        ModulePtr module(::LoadLibraryExW(copy.c_str(), nullptr,
                                          LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        if (!module) {
            continue;
        }
        ++loaded;
        ReadEverything(module.get(), unpack, installer, log);
        module.reset();
        for (const std::wstring& name : Entries(scratch.Path())) {
            ASSERT_TRUE(scratchExpected.count(name)) << "copy " << i << " wrote " << ToUtf8(name);
        }
    }
    EXPECT_GT(loaded, kCopies / 2);
    EXPECT_EQ(Entries(current), currentBefore);
    for (const std::wstring& path : outside) {
        EXPECT_FALSE(test::FileExists(path)) << ToUtf8(path);
    }
}

} // namespace
} // namespace quentry
