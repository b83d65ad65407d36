// The contract of the file callbacks the engine gives the decompression library: how a reader
// serves a cabinet image, and how file numbers are handed out.
#include "extraction/CabinetCallbacks.h"
#include "extraction/ICBSCabinetExtractor.h"

#include "CabinetTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace quentry {
namespace {

using namespace quentry::test;
namespace cb = CabinetCallbacks;

constexpr int kSeekBegin = 0;
constexpr int kSeekCurrent = 1;
constexpr int kSeekEnd = 2;

std::vector<BYTE> ImageBytes(uint32_t length, const std::string& content) {
    std::vector<BYTE> bytes(4 + content.size());
    for (size_t i = 0; i < 4; ++i) {
        bytes[i] = static_cast<BYTE>(length >> (8 * i));
    }
    for (size_t i = 0; i < content.size(); ++i) {
        bytes[4 + i] = static_cast<BYTE>(content[i]);
    }
    return bytes;
}

INT_PTR OpenReader() {
    char name[] = "Package.cab";
    return cb::Open(name, 0x8000 /* binary, read-only */, cb::kModeRead | cb::kModeWrite);
}

std::string ReadText(INT_PTR reader, UINT count) {
    std::string buffer(count, '\0');
    const UINT delivered = cb::Read(reader, buffer.data(), count);
    buffer.resize(delivered <= count ? delivered : 0);
    return buffer;
}

TEST(CabinetCallbacksTest, ReaderServesTheCabinetUpToItsLengthAndNoFurther) {
    // N = 10; the bytes after the cabinet belong to nobody and are never delivered.
    const std::vector<BYTE> image = ImageBytes(10, "0123456789TRAILER");
    ScratchFolder scratch;
    ICBSCabinetExtractor extractor(L"Package.cab", image, scratch.Path());
    RecordingSink sink;
    cb::SetCurrentSink(&sink);
    const INT_PTR reader = OpenReader();
    cb::SetCurrentSink(nullptr);
    ASSERT_GE(reader, 0);

    EXPECT_EQ(cb::Seek(reader, 0, kSeekEnd), 10);
    EXPECT_EQ(ReadText(reader, 4), "") << "a read at N";
    EXPECT_EQ(cb::Seek(reader, 25, kSeekBegin), 25);
    EXPECT_EQ(ReadText(reader, 4), "") << "a read beyond N";
    EXPECT_EQ(cb::Seek(reader, 6, kSeekBegin), 6);
    EXPECT_EQ(ReadText(reader, 16), "6789") << "a read across the end is cut at N";
    EXPECT_EQ(cb::Seek(reader, -7, kSeekCurrent), 3);
    EXPECT_EQ(ReadText(reader, 2), "34");
    EXPECT_EQ(cb::Seek(reader, -3, kSeekEnd), 7);
    EXPECT_EQ(cb::Seek(reader, 0, 7), 7) << "an unknown origin leaves the position";
    char data[] = "xyz";
    EXPECT_EQ(cb::Write(reader, data, 3), 0u) << "a reader takes no writes";
    EXPECT_EQ(ReadText(reader, 3), "789");
    EXPECT_EQ(cb::Close(reader), 0);

    // Every read reports the position, then the truncated percentage, to the reader's sink.
    const std::vector<std::pair<int, int>> expected = {{10, 100}, {25, 100}, {10, 100}, {5, 50}, {10, 100}};
    ASSERT_EQ(sink.calls.size(), expected.size() * 2);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_TRUE(sink.calls[2 * i].isPosition);
        EXPECT_EQ(sink.calls[2 * i].value, expected[i].first) << i;
        EXPECT_FALSE(sink.calls[2 * i + 1].isPosition);
        EXPECT_EQ(sink.calls[2 * i + 1].value, expected[i].second) << i;
    }
}

TEST(CabinetCallbacksTest, ImageWhoseLengthFieldDoesNotFitGetsNoReader) {
    const struct {
        const char* what;
        std::vector<BYTE> bytes;
    } cases[] = {
        {"empty", {}},
        {"shorter than the length field", {0x01, 0x00, 0x00}},
        {"length one beyond the bytes", ImageBytes(11, "0123456789")},
        {"length near 4 GB", ImageBytes(0xFFFFFFF0u, "0123456789")},
    };
    ScratchFolder scratch;
    for (const auto& c : cases) {
        ICBSCabinetExtractor extractor(L"Package.cab", c.bytes, scratch.Path());
        EXPECT_FALSE(extractor.Image().IsValid()) << c.what;
        EXPECT_EQ(OpenReader(), -1) << c.what;
    }
    const std::vector<BYTE> soundImage = ImageBytes(10, "0123456789");
    ICBSCabinetExtractor sound(L"Package.cab", soundImage, scratch.Path());
    const INT_PTR reader = OpenReader();
    EXPECT_GE(reader, 0);
    cb::Close(reader);
}

TEST(CabinetCallbacksTest, FileNumbersAreTheLowestFreeOnesAndThereAre200) {
    const std::vector<BYTE> image = ImageBytes(4, "abcd");
    ScratchFolder scratch;
    ICBSCabinetExtractor extractor(L"Package.cab", image, scratch.Path());
    std::vector<INT_PTR> numbers;
    for (int i = 0; i < 200; ++i) {
        numbers.push_back(OpenReader());
        ASSERT_EQ(numbers.back(), i);
    }
    EXPECT_EQ(OpenReader(), -1) << "all 200 numbers are in use";

    cb::Close(57);
    cb::Close(3);
    EXPECT_EQ(OpenReader(), 3);
    EXPECT_EQ(OpenReader(), 57);
    EXPECT_EQ(OpenReader(), -1);
    // A closed number no longer reads or seeks.
    cb::Close(120);
    char buffer[4];
    EXPECT_EQ(cb::Read(120, buffer, 4), 0u);
    EXPECT_EQ(cb::Seek(120, 0, kSeekBegin), -1);
    for (int i = 0; i < 200; ++i) {
        cb::Close(i);
    }
    EXPECT_EQ(OpenReader(), 0);
    cb::Close(0);
}

TEST(CabinetCallbacksTest, DiskFilesAreCreatedReplacedWrittenAndRead) {
    ScratchFolder scratch;
    WriteBytes(scratch.File(L"old.bin"), "an older and longer content");
    const std::vector<BYTE> image = ImageBytes(0, "");
    ICBSCabinetExtractor extractor(L"Package.cab", image, scratch.Path());
    std::string path;
    for (wchar_t c : scratch.File(L"old.bin")) {
        path.push_back(static_cast<char>(c));
    }
    const INT_PTR file = cb::Open(path.data(), cb::kOpenCreate | cb::kOpenReadWrite, 0);
    ASSERT_GE(file, 0);
    char data[] = "fresh";
    EXPECT_EQ(cb::Write(file, data, 5), 5u);
    EXPECT_EQ(cb::Seek(file, 1, kSeekBegin), 1);
    EXPECT_EQ(ReadText(file, 10), "resh");
    EXPECT_EQ(cb::Close(file), 0);
    EXPECT_EQ(ReadBytes(scratch.File(L"old.bin")), "fresh");
}

TEST(CabinetCallbacksTest, WithoutAnImageTheCabinetIsNeverLookedForOnDisk) {
    // A cabinet of the name the engine asks for, in the current folder: it must not be taken
    // for the missing resource.
    ScratchFolder scratch;
    const std::string cabinet = ReadBytes(CabinetFixture(L"lzx.cab"));
    ASSERT_FALSE(cabinet.empty());
    WriteBytes(scratch.File(L"Package.cab"), cabinet);
    ::CreateDirectoryW(scratch.File(L"dest").c_str(), nullptr);
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ::SetCurrentDirectoryW(scratch.Path().c_str());
    bool extracted = true;
    {
        ICBSCabinetExtractor extractor(L"Package.cab", L"NO_SUCH_CABINET", scratch.File(L"dest"));
        EXPECT_FALSE(extractor.Image().IsPresent());
        extracted = extractor.ExtractAll(nullptr);
    }
    ::SetCurrentDirectoryW(previous);
    EXPECT_FALSE(extracted);
    EXPECT_TRUE(FolderNames(scratch.File(L"dest")).empty());
}

} // namespace
} // namespace quentry
