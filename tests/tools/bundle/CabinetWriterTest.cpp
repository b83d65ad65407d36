#include "CabinetWriter.h"
#include "CabinetSummary.h"
#include "common/WideText.h"
#include "extraction/ICBSCabinetExtractor.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace quentry::bundle {
namespace {

using test::ScratchFolder;

std::vector<BYTE> Content(size_t size, bool compressible) {
    std::vector<BYTE> bytes(size);
    std::mt19937 random(static_cast<unsigned>(size));
    for (size_t i = 0; i < size; ++i) {
        bytes[i] =
            compressible ? static_cast<BYTE>("installer database "[i % 19]) : static_cast<BYTE>(random());
    }
    return bytes;
}

FILETIME SomeTime() {
    SYSTEMTIME time{2024, 5, 0, 17, 13, 45, 30, 0};
    FILETIME file{};
    ::SystemTimeToFileTime(&time, &file);
    return file;
}

// Extracts the cabinet through the launcher's own cabinet engine and returns the named file.
std::string ExtractedFile(const std::vector<BYTE>& cabinet, const std::wstring& name) {
    ScratchFolder target;
    const std::vector<BYTE> image = CabinetImageOf(cabinet);
    ICBSCabinetExtractor extractor(L"Package.cab", std::span<const BYTE>(image), target.Path());
    if (!extractor.ExtractAll(nullptr)) {
        ADD_FAILURE() << "the launcher's cabinet engine rejects the cabinet";
        return {};
    }
    const std::wstring path = target.File(name);
    return test::FileExists(path) ? test::ReadBytes(path) : std::string("(missing)");
}

// Every compression the writer offers, on compressible and random content of a few sizes
// (including block boundaries of 32 KiB): one folder with one file that the launcher's cabinet
// engine extracts byte for byte, in set 1 with index 0, and the folder type the writer reports is
// the one in the cabinet.
TEST(CabinetWriterTest, CabinetsExtractByteForByteInTheLauncher) {
    for (CabinetCompression compression :
         {CabinetCompression::None, CabinetCompression::MsZip, CabinetCompression::Lzx}) {
        for (size_t size : {size_t{1}, size_t{32768}, size_t{32769}, size_t{200000}}) {
            for (bool compressible : {true, false}) {
                const std::vector<BYTE> content = Content(size, compressible);
                PackageCabinet cabinet;
                std::wstring error;
                ASSERT_TRUE(
                    MakePackageCabinet(content, "Product.msi", SomeTime(), compression, cabinet, error))
                    << ToUtf8(error);
                const auto summary = ReadCabinetSummary(cabinet.cabinet);
                ASSERT_TRUE(summary.has_value());
                EXPECT_EQ(summary->folderCount, 1);
                EXPECT_EQ(summary->fileCount, 1);
                EXPECT_EQ(summary->setId, 1);
                EXPECT_EQ(summary->cabinetIndex, 0);
                EXPECT_EQ(summary->firstFileName, "Product.msi");
                EXPECT_EQ(summary->firstFileSize, size);
                EXPECT_EQ(summary->declaredSize, cabinet.cabinet.size());
                EXPECT_EQ(summary->firstFolderCompression, cabinet.compression);
                EXPECT_EQ(ExtractedFile(cabinet.cabinet, L"Product.msi"),
                          std::string(content.begin(), content.end()))
                    << "compression " << static_cast<int>(compression) << ", " << size << " bytes";
            }
        }
    }
}

// LZX is taken only where the library really writes it (type 0x1503); where it quietly writes
// something else, the cabinet is MSZIP and the writer says so. MSZIP and none are what they say.
TEST(CabinetWriterTest, FolderTypeIsWhatTheLibraryWroteNotWhatWasAsked) {
    const std::vector<BYTE> content = Content(100000, true);
    std::wstring error;
    PackageCabinet lzx;
    ASSERT_TRUE(MakePackageCabinet(content, "a.msi", SomeTime(), CabinetCompression::Lzx, lzx, error));
    if (lzx.lzxUnavailable) {
        EXPECT_EQ(lzx.compression, kCompressionMsZip);
    } else {
        EXPECT_EQ(lzx.compression, kCompressionLzx21);
    }
    EXPECT_LT(lzx.cabinet.size(), content.size() / 4) << "the cabinet is not compressed";

    std::vector<BYTE> asked;
    ASSERT_TRUE(WriteCabinet(content, "a.msi", SomeTime(), kCompressionLzx21, asked, error));
    EXPECT_EQ(lzx.lzxUnavailable, ReadCabinetSummary(asked)->firstFolderCompression != kCompressionLzx21);

    PackageCabinet mszip;
    ASSERT_TRUE(MakePackageCabinet(content, "a.msi", SomeTime(), CabinetCompression::MsZip, mszip, error));
    EXPECT_EQ(mszip.compression, kCompressionMsZip);
    EXPECT_FALSE(mszip.lzxUnavailable);
    PackageCabinet stored;
    ASSERT_TRUE(MakePackageCabinet(content, "a.msi", SomeTime(), CabinetCompression::None, stored, error));
    EXPECT_EQ(stored.compression, kCompressionNone);
    EXPECT_GT(stored.cabinet.size(), content.size());
}

TEST(CabinetWriterTest, ImageIsLittleEndianLengthThenCabinet) {
    const std::vector<BYTE> cabinet = Content(0x010203, false);
    const std::vector<BYTE> image = CabinetImageOf(cabinet);
    ASSERT_EQ(image.size(), cabinet.size() + 4);
    EXPECT_EQ(image[0], 0x03);
    EXPECT_EQ(image[1], 0x02);
    EXPECT_EQ(image[2], 0x01);
    EXPECT_EQ(image[3], 0x00);
    EXPECT_TRUE(std::equal(cabinet.begin(), cabinet.end(), image.begin() + 4));
}

// The launcher lists "*.msi" in the unpack folder, and the cabinet's narrow names must mean the
// same on every code page.
TEST(CabinetWriterTest, StoredNameIsPlainAsciiEndingInMsi) {
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"C:\\build\\Product.msi", "Product.msi"},
        {L"Z:/work/x/Tools.MSI", "Tools.MSI"},
        {L"package.bin", "package.bin.msi"},
        {L"C:\\p\\\u00dcberblick \u65e5\u672c.msi", "_berblick __.msi"},
        {L"msi", "msi.msi"},
    };
    for (const auto& [path, name] : cases) {
        EXPECT_EQ(CabinetFileNameFor(path), name) << ToUtf8(path);
    }
}

// A header cut short anywhere, a wrong signature, counts of zero or a size beyond the bytes, a
// file entry outside them or a name without its end: no summary, and no read beyond the bytes.
TEST(CabinetWriterTest, SummaryOfMalformedCabinetsIsNone) {
    PackageCabinet cabinet;
    std::wstring error;
    ASSERT_TRUE(MakePackageCabinet(Content(5000, true), "Product.msi", SomeTime(), CabinetCompression::MsZip,
                                   cabinet, error));
    const std::vector<BYTE>& good = cabinet.cabinet;
    ASSERT_TRUE(ReadCabinetSummary(good).has_value());
    const uint32_t filesAt = good[16] | (good[17] << 8);

    // Every truncation before the end of the first file's name.
    for (size_t size = 0; size < filesAt + 16 + sizeof("Product.msi"); ++size) {
        const std::vector<BYTE> cut(good.begin(), good.begin() + size);
        EXPECT_FALSE(ReadCabinetSummary(cut).has_value()) << size;
    }
    auto changed = [&good](size_t at, std::initializer_list<BYTE> bytes) {
        std::vector<BYTE> copy = good;
        std::copy(bytes.begin(), bytes.end(), copy.begin() + at);
        return copy;
    };
    EXPECT_FALSE(ReadCabinetSummary(changed(0, {'M', 'S', 'C', 'G'})).has_value());
    EXPECT_FALSE(ReadCabinetSummary(changed(26, {0, 0})).has_value()) << "no folder";
    EXPECT_FALSE(ReadCabinetSummary(changed(28, {0, 0})).has_value()) << "no file";
    EXPECT_FALSE(ReadCabinetSummary(changed(8, {0xFF, 0xFF, 0xFF, 0x7F})).has_value())
        << "size beyond the bytes";
    EXPECT_FALSE(ReadCabinetSummary(changed(16, {0xF0, 0xFF, 0xFF, 0xFF})).has_value())
        << "files beyond the bytes";
    // A name that runs to the end of the bytes.
    std::vector<BYTE> endless(good.begin(), good.begin() + filesAt + 16 + 3);
    endless[8] = static_cast<BYTE>(endless.size());
    endless[9] = endless[10] = endless[11] = 0;
    EXPECT_FALSE(ReadCabinetSummary(endless).has_value());
}

TEST(CabinetWriterTest, CompressionNames) {
    EXPECT_EQ(CompressionName(0x0000), L"none");
    EXPECT_EQ(CompressionName(0x0001), L"MSZIP");
    EXPECT_EQ(CompressionName(0x1503), L"LZX (window 2^21)");
    EXPECT_EQ(CompressionName(0x0F03), L"LZX (window 2^15)");
    EXPECT_EQ(CompressionName(0x0007), L"type 0x0007");
}

} // namespace
} // namespace quentry::bundle
