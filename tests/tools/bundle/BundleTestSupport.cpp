#include "BundleTestSupport.h"

#include "ResourceRewriter.h"
#include "common/WideText.h"
#include "shared/IsolatedRun.h"
#include "support/TestSupport.h"

#include <msi.h>
#include <msiquery.h>
#include <objbase.h>
#include <wtypes.h>

#include <gtest/gtest.h>

#include <memory>

namespace quentry::test::bundle {

namespace {

struct ComRelease {
    void operator()(IUnknown* object) const {
        if (object != nullptr) {
            object->Release();
        }
    }
};

std::string ReadAll(const std::wstring& path) {
    return FileExists(path) ? ReadBytes(path) : std::string();
}

UniqueFileHandle InheritableFile(const std::wstring& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    return UniqueFileHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

} // namespace

std::wstring ToolPath() {
    return BuildPath(L"bin\\quentry-bundle.exe");
}

ToolRun RunProgram(const std::wstring& program, const std::wstring& arguments) {
    ScratchFolder streams;
    const std::wstring outPath = streams.File(L"out.txt");
    const std::wstring errPath = streams.File(L"err.txt");
    ToolRun run;
    {
        UniqueFileHandle out = InheritableFile(outPath);
        UniqueFileHandle err = InheritableFile(errPath);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out.Get();
        startup.hStdError = err.Get();
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        PROCESS_INFORMATION process{};
        std::wstring line = L"\"" + program + L"\" " + arguments;
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                              &process)) {
            ADD_FAILURE() << "cannot start " << ToUtf8(program);
            run.exitCode = static_cast<DWORD>(-1);
            return run;
        }
        UniqueKernelHandle processHandle(process.hProcess);
        UniqueKernelHandle threadHandle(process.hThread);
        if (::WaitForSingleObject(processHandle.Get(), 120000) != WAIT_OBJECT_0) {
            ::TerminateProcess(processHandle.Get(), 255);
            ADD_FAILURE() << "timed out: " << ToUtf8(line);
        }
        ::GetExitCodeProcess(processHandle.Get(), &run.exitCode);
    }
    run.out = ReadAll(outPath);
    run.err = ReadAll(errPath);
    return run;
}

ToolRun RunTool(const std::vector<std::wstring>& arguments) {
    std::wstring line;
    for (const std::wstring& argument : arguments) {
        line += (line.empty() ? L"" : L" ") + tools::QuoteArgument(argument);
    }
    return RunProgram(ToolPath(), line);
}

std::wstring Fixture(const std::wstring& name) {
    return BuildPath(L"fixtures\\packages\\" + name + L".msi");
}

void CopyPackage(const std::wstring& source, const std::wstring& target,
                 const std::vector<std::wstring>& statements,
                 const std::optional<std::wstring>& packageCode) {
    ASSERT_TRUE(::CopyFileW(source.c_str(), target.c_str(), FALSE));
    MSIHANDLE raw = 0;
    ASSERT_EQ(::MsiOpenDatabaseW(target.c_str(), MSIDBOPEN_TRANSACT, &raw), 0u);
    UniqueMsiHandle database(raw);
    for (const std::wstring& statement : statements) {
        MSIHANDLE rawView = 0;
        ASSERT_EQ(::MsiDatabaseOpenViewW(database.Get(), statement.c_str(), &rawView), 0u)
            << ToUtf8(statement);
        UniqueMsiHandle view(rawView);
        ASSERT_EQ(::MsiViewExecute(view.Get(), 0), 0u) << ToUtf8(statement);
    }
    if (packageCode) {
        MSIHANDLE rawSummary = 0;
        ASSERT_EQ(::MsiGetSummaryInformationW(database.Get(), nullptr, 1, &rawSummary), 0u);
        UniqueMsiHandle summary(rawSummary);
        ASSERT_EQ(::MsiSummaryInfoSetPropertyW(summary.Get(), 9, VT_LPSTR, 0, nullptr, packageCode->c_str()),
                  0u);
        ASSERT_EQ(::MsiSummaryInfoPersist(summary.Get()), 0u);
    }
    ASSERT_EQ(::MsiDatabaseCommit(database.Get()), 0u);
}

std::wstring PackageProperty(const std::wstring& path, const std::wstring& name) {
    MSIHANDLE raw = 0;
    if (::MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &raw) != 0) {
        return {};
    }
    UniqueMsiHandle database(raw);
    MSIHANDLE rawView = 0;
    const std::wstring query = L"SELECT `Value` FROM `Property` WHERE `Property` = '" + name + L"'";
    if (::MsiDatabaseOpenViewW(database.Get(), query.c_str(), &rawView) != 0) {
        return {};
    }
    UniqueMsiHandle view(rawView);
    MSIHANDLE rawRecord = 0;
    if (::MsiViewExecute(view.Get(), 0) != 0 || ::MsiViewFetch(view.Get(), &rawRecord) != 0) {
        return {};
    }
    UniqueMsiHandle record(rawRecord);
    wchar_t value[512] = {};
    DWORD length = 512;
    ::MsiRecordGetStringW(record.Get(), 1, value, &length);
    return value;
}

std::wstring PackageCodeOf(const std::wstring& path) {
    MSIHANDLE raw = 0;
    if (::MsiGetSummaryInformationW(0, path.c_str(), 0, &raw) != 0) {
        return {};
    }
    UniqueMsiHandle summary(raw);
    UINT type = 0;
    INT number = 0;
    FILETIME time{};
    wchar_t value[128] = {};
    DWORD length = 128;
    ::MsiSummaryInfoGetPropertyW(summary.Get(), 9, &type, &number, &time, value, &length);
    return value;
}

void WriteCompoundFile(const std::wstring& path, const std::string& marker, wchar_t classDigit) {
    IStorage* raw = nullptr;
    ASSERT_TRUE(SUCCEEDED(
        ::StgCreateDocfile(path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &raw)));
    std::unique_ptr<IStorage, ComRelease> storage(raw);
    CLSID clsid{};
    const std::wstring text = std::wstring(L"{000C108") + classDigit + L"-0000-0000-C000-000000000046}";
    ASSERT_TRUE(SUCCEEDED(::CLSIDFromString(text.c_str(), &clsid)));
    ASSERT_TRUE(SUCCEEDED(storage->SetClass(clsid)));
    IStream* rawStream = nullptr;
    ASSERT_TRUE(SUCCEEDED(
        storage->CreateStream(L"marker", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &rawStream)));
    std::unique_ptr<IStream, ComRelease> stream(rawStream);
    ULONG written = 0;
    ASSERT_TRUE(SUCCEEDED(stream->Write(marker.data(), static_cast<ULONG>(marker.size()), &written)));
    stream.reset();
    ASSERT_TRUE(SUCCEEDED(storage->Commit(STGC_DEFAULT)));
}

void WriteBitmapFile(const std::wstring& path, int width, int height, int bits) {
    const int rowBytes = (width * bits / 8 + 3) / 4 * 4;
    const uint32_t pixelsAt = 14 + 40;
    const uint32_t size = pixelsAt + rowBytes * height;
    std::string file(size, '\0');
    auto put32 = [&file](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            file[at + i] = static_cast<char>(value >> (8 * i));
        }
    };
    auto put16 = [&file](size_t at, uint16_t value) {
        file[at] = static_cast<char>(value);
        file[at + 1] = static_cast<char>(value >> 8);
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, size);
    put32(10, pixelsAt);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    put16(26, 1);
    put16(28, static_cast<uint16_t>(bits));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < rowBytes; ++x) {
            file[pixelsAt + y * rowBytes + x] = static_cast<char>(x * 5 + y * 3);
        }
    }
    WriteBytes(path, file);
}

UniqueModule LoadBundle(const std::wstring& path) {
    return UniqueModule(
        ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

std::optional<std::vector<BYTE>> ResourceBytes(HMODULE module, const wchar_t* type, const std::wstring& name,
                                               LANGID language) {
    HRSRC info = ::FindResourceExW(module, type, name.c_str(), language);
    if (info == nullptr) {
        return std::nullopt;
    }
    HGLOBAL loaded = ::LoadResource(module, info);
    const auto* data = static_cast<const BYTE*>(::LockResource(loaded));
    return std::vector<BYTE>(data, data + ::SizeofResource(module, info));
}

std::vector<BYTE> FileBytes(const std::wstring& path) {
    const std::string bytes = ReadBytes(path);
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

void ReplaceResource(const std::wstring& path, const std::wstring& name, LANGID language,
                     const std::vector<BYTE>& bytes) {
    using namespace quentry::bundle;
    const std::wstring copy = path + L".new";
    ASSERT_TRUE(::CopyFileW(path.c_str(), copy.c_str(), FALSE));
    std::vector<BundleResource> additions;
    if (!bytes.empty()) {
        additions.push_back(BundleResource{40, name, language, bytes});
    }
    const auto keep = [&](const ResourceKey& key) {
        return !(key.type.Matches(MAKEINTRESOURCEW(40)) && key.name.Matches(name.c_str()) &&
                 key.language == language);
    };
    std::wstring error;
    ASSERT_TRUE(RewriteResources(path, copy, keep, additions, error)) << ToUtf8(error);
    ASSERT_TRUE(::MoveFileExW(copy.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
}

} // namespace quentry::test::bundle
