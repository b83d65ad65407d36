// Copies of a built launcher with one resource damaged on purpose, run as users run them: a size
// that lies, a package count that is not one. Each must end as a corrupt build (code 1 and its log
// line), never as an abort and never as a bundle that passes its own validation.
#include "catalogue/CatalogueTestSupport.h"
#include "common/WideText.h"
#include "support/PeResources.h"

#include <gtest/gtest.h>

namespace quentry {
namespace {

using namespace catalogue_test;

class DamagedBundleTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    const std::string original = test::ReadBytes(FixtureModule(L"ThreePackages.exe"));

    std::wstring Write(const std::string& bytes) const {
        const std::wstring path = scratch.File(L"setup.exe");
        test::WriteBytes(path, bytes);
        return path;
    }
    // The copy with the size field of a type-40 resource's data entry set to size.
    std::wstring WithSize(const std::wstring& name, uint32_t size) const {
        std::string bytes = original;
        const size_t entry = test::PackageResourceEntry(test::ReadResourceLayout(bytes), name);
        EXPECT_NE(entry, SIZE_MAX) << ToUtf8(name);
        test::PutUint32(bytes, entry + 4, size);
        return Write(bytes);
    }
    // The copy with PACKAGE_COUNT (language 1033, where a multi-language build reads it) replaced.
    std::wstring WithCount(const std::wstring& count) const {
        const std::wstring path = Write(original);
        HANDLE update = ::BeginUpdateResourceW(path.c_str(), FALSE);
        EXPECT_NE(update, nullptr);
        std::wstring data = count + L'\0';
        EXPECT_TRUE(::UpdateResourceW(update, MAKEINTRESOURCEW(kPackageResourceType), L"PACKAGE_COUNT", 1033,
                                      data.data(), static_cast<DWORD>(data.size() * sizeof(wchar_t))));
        EXPECT_TRUE(::EndUpdateResourceW(update, FALSE));
        return path;
    }
    struct Outcome {
        DWORD exitCode;
        std::wstring log;
    };
    Outcome Run(const std::wstring& launcher, const std::wstring& arguments) const {
        const std::wstring log = scratch.File(L"run.log");
        ::DeleteFileW(log.c_str());
        const auto result =
            test::RunCommand(L"\"" + launcher + L"\" " + arguments + L" /L*v \"" + log + L"\"", 60000);
        EXPECT_FALSE(result.timedOut);
        return {result.exitCode, test::ReadUtf16(log)};
    }
};

TEST_F(DamagedBundleTest, ALyingResourceSizeIsACorruptBuild) {
    const wchar_t kTooLong[] = L"more than one of its kind may hold (4096).\r\n";
    const wchar_t kOutside[] = L"that do not lie in its image.\r\n";
    const struct {
        const wchar_t* resource;
        uint32_t size;
        const wchar_t* arguments;
        const wchar_t* logged;
    } cases[] = {
        {L"PRODUCT_NAME_0", 0x7FFFFFFF, L"/qn", kTooLong},
        {L"PRODUCT_NAME_0", 0x7FFFFFFF, L"/v", L"Validation failed!"},
        {L"PRODUCT_NAME_0", 8192, L"/qn", kTooLong}, // inside the image, absurd for a name
        {L"PACKAGE_COUNT", 0x7FFFFFFF, L"/qn", kTooLong},
        {L"PACKAGE_COUNT", 0x7FFFFFFF, L"/v", L"Validation failed!"},
        {L"PRODUCT_CODE_1", 0xFFFFFFFF, L"/qn", kTooLong},
        {L"PACKAGE_CODE_2", 0x7FFFFFFF, L"/v", L"Validation failed!"},
        {L"PACKAGE_0", 0x7FFFFFFF, L"/v", L"Validation failed!"},
        {L"PACKAGE_0", 0x00100000, L"/v", L"Validation failed!"}, // beyond the end of the image
        {L"PACKAGE_2_1036", 0x7FFFFFFF, L"/v", L"Validation failed!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(
            ToUtf8(Format(L"%s size %lu, %s", c.resource, static_cast<unsigned long>(c.size), c.arguments)));
        const Outcome outcome = Run(WithSize(c.resource, c.size), c.arguments);
        EXPECT_EQ(outcome.exitCode, static_cast<DWORD>(InstallerCorrupted)) << ToUtf8(outcome.log);
        EXPECT_NE(outcome.log.find(c.logged), std::wstring::npos) << ToUtf8(outcome.log);
    }
    // The /qn runs name the resource.
    const Outcome outcome = Run(WithSize(L"PRODUCT_NAME_0", 0x7FFFFFFF), L"/qn");
    EXPECT_NE(outcome.log.find(L"RNX (c): The resource PRODUCT_NAME_0 claims 2147483647 bytes, "),
              std::wstring::npos);
    EXPECT_NE(outcome.log.find(L"RNX (c): ERROR: Installer is corrupted.\r\n"), std::wstring::npos);
    // Data that starts outside the image, with a size that would be plausible for a name.
    std::string bytes = original;
    const size_t entry = test::PackageResourceEntry(test::ReadResourceLayout(bytes), L"PRODUCT_NAME_0");
    test::PutUint32(bytes, entry, 0x7FFFFF00);
    const Outcome outside = Run(Write(bytes), L"/qn");
    EXPECT_EQ(outside.exitCode, static_cast<DWORD>(InstallerCorrupted));
    EXPECT_NE(outside.log.find(kOutside), std::wstring::npos) << ToUtf8(outside.log);
}

// The type directory's first entry points past the end of the resource section: the platform's
// resource functions would read beyond it, so the launcher reads nothing and ends as corrupt.
TEST_F(DamagedBundleTest, ADamagedResourceDirectoryIsACorruptBuild) {
    std::string bytes = original;
    const test::ResourceLayout layout = test::ReadResourceLayout(bytes);
    ASSERT_GT(layout.sectionSize, 0u);
    test::PutUint32(bytes, layout.sectionOffset + 16 + 4, 0x80000000u | 0x7FFFFFF0u);
    const std::wstring launcher = Write(bytes);
    for (const wchar_t* arguments : {L"/qn", L"/v"}) {
        SCOPED_TRACE(ToUtf8(arguments));
        const Outcome outcome = Run(launcher, arguments);
        EXPECT_EQ(outcome.exitCode, static_cast<DWORD>(InstallerCorrupted)) << ToUtf8(outcome.log);
    }
    EXPECT_NE(
        Run(launcher, L"/qn").log.find(L"RNX (c): The resource directory of this installer is damaged.\r\n"),
        std::wstring::npos);
}

TEST_F(DamagedBundleTest, ADamagedPackageCountFailsValidation) {
    EXPECT_EQ(Run(WithCount(L"3"), L"/v").exitCode, 0u); // the copy itself is sound
    for (const wchar_t* count : {L"0", L"-1", L"ab", L"", L"\xFFFF", L"-99999999999", L"101"}) {
        SCOPED_TRACE(ToUtf8(count));
        const Outcome outcome = Run(WithCount(count), L"/v");
        EXPECT_EQ(outcome.exitCode, static_cast<DWORD>(InstallerCorrupted));
        EXPECT_NE(outcome.log.find(L"Validation failed!"), std::wstring::npos) << ToUtf8(outcome.log);
    }
}

} // namespace
} // namespace quentry
