// quentry-transform, proven by the real installer: msi.dll applies what the tool writes, commits it,
// and installs a product with it; bad input ends with one clear line and no file.
#include "support/TestSupport.h"

#include "common/UniqueHandle.h"
#include "common/WideText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <msi.h>
#include <msiquery.h>
#include <objidl.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <vector>

namespace quentry::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

using Fields = std::vector<std::wstring>;

const wchar_t kProductCode[] = L"{49F38C66-C2F4-4045-B430-7648BF455DF8}";
const wchar_t kUpgradeCode[] = L"{C1E5B957-E6F3-4658-AC6A-A5D82777CFED}";

std::wstring ToolPath() {
    return BuildPath(L"bin\\quentry-transform.exe");
}
std::wstring FixturePath(const std::wstring& name) {
    return BuildPath(L"fixtures\\transform\\" + name);
}

// Runs the tool with its standard output and error in one pipe.
ProcessResult RunTool(const std::vector<std::wstring>& arguments) {
    std::wstring commandLine = L"\"" + ToolPath() + L"\"";
    for (const std::wstring& argument : arguments) {
        commandLine += L" \"" + argument + L"\"";
    }
    return test::RunCommand(commandLine, 60000, true);
}

std::wstring RecordText(MSIHANDLE record, UINT field) {
    DWORD size = 0;
    wchar_t empty[1] = {};
    if (::MsiRecordGetStringW(record, field, empty, &size) != ERROR_MORE_DATA) {
        return {};
    }
    std::wstring text(size + 1, L'\0');
    size = static_cast<DWORD>(text.size());
    ::MsiRecordGetStringW(record, field, text.data(), &size);
    text.resize(size);
    return text;
}

std::vector<Fields> QueryHandle(MSIHANDLE database, const std::wstring& sql) {
    std::vector<Fields> rows;
    MSIHANDLE viewHandle = 0;
    if (::MsiDatabaseOpenViewW(database, sql.c_str(), &viewHandle) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot open the view " << ToUtf8(sql);
        return rows;
    }
    UniqueMsiHandle view(viewHandle);
    EXPECT_EQ(::MsiViewExecute(view.Get(), 0), 0u) << ToUtf8(sql);
    MSIHANDLE recordHandle = 0;
    while (::MsiViewFetch(view.Get(), &recordHandle) == ERROR_SUCCESS) {
        UniqueMsiHandle record(recordHandle);
        Fields fields;
        const UINT count = ::MsiRecordGetFieldCount(record.Get());
        for (UINT i = 1; i <= count; ++i) {
            fields.push_back(RecordText(record.Get(), i));
        }
        rows.push_back(fields);
    }
    return rows;
}

// Every row of a query on the database as it is on disk.
std::vector<Fields> Query(const std::wstring& path, const std::wstring& sql) {
    MSIHANDLE handle = 0;
    if (::MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &handle) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot open " << ToUtf8(path);
        return {};
    }
    UniqueMsiHandle database(handle);
    return QueryHandle(database.Get(), sql);
}

std::wstring PropertyOf(const std::wstring& path, const std::wstring& name) {
    const auto rows = Query(path, L"SELECT `Value` FROM `Property` WHERE `Property`='" + name + L"'");
    return rows.empty() ? L"<none>" : rows[0][0];
}

// Runs statements on the database and commits them (a changed database for a comparison).
void Change(const std::wstring& path, const std::vector<std::wstring>& statements,
            const std::function<void(MSIHANDLE)>& more = {}) {
    MSIHANDLE handle = 0;
    ASSERT_EQ(::MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_DIRECT, &handle), 0u);
    UniqueMsiHandle database(handle);
    for (const std::wstring& sql : statements) {
        MSIHANDLE viewHandle = 0;
        ASSERT_EQ(::MsiDatabaseOpenViewW(database.Get(), sql.c_str(), &viewHandle), 0u) << ToUtf8(sql);
        UniqueMsiHandle view(viewHandle);
        ASSERT_EQ(::MsiViewExecute(view.Get(), 0), 0u) << ToUtf8(sql);
    }
    if (more) {
        more(database.Get());
    }
    ASSERT_EQ(::MsiDatabaseCommit(database.Get()), 0u);
}

struct TransformView {
    UINT applied = 0;
    std::vector<Fields> rows; // Table, Column, Row, Data, Current
};

// Applies the transform with MSITRANSFORM_ERROR_VIEWTRANSFORM on a handle of its own and reads what
// the installer lists in _TransformView. The file stays as it is.
TransformView ViewTransform(const std::wstring& path, const std::wstring& transform) {
    TransformView result;
    MSIHANDLE handle = 0;
    if (::MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &handle) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot open " << ToUtf8(path);
        return result;
    }
    UniqueMsiHandle database(handle);
    result.applied =
        ::MsiDatabaseApplyTransformW(database.Get(), transform.c_str(), MSITRANSFORM_ERROR_VIEWTRANSFORM);
    if (result.applied == ERROR_SUCCESS) {
        result.rows = QueryHandle(database.Get(), L"SELECT * FROM `_TransformView`");
    }
    return result;
}

// Applies the transform with error conditions 0 and commits: 0, or the first failing step's code.
UINT ApplyAndCommit(const std::wstring& path, const std::wstring& transform) {
    MSIHANDLE handle = 0;
    UINT code = ::MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_DIRECT, &handle);
    if (code != ERROR_SUCCESS) {
        return code;
    }
    UniqueMsiHandle database(handle);
    code = ::MsiDatabaseApplyTransformW(database.Get(), transform.c_str(), 0);
    return code != ERROR_SUCCESS ? code : ::MsiDatabaseCommit(database.Get());
}

// A table as msi.dll exports it, lines sorted (rows added by a transform come last in the file).
std::vector<std::string> ExportTable(const std::wstring& path, const std::wstring& table,
                                     const std::wstring& folder) {
    MSIHANDLE handle = 0;
    EXPECT_EQ(::MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &handle), 0u);
    UniqueMsiHandle database(handle);
    const std::wstring file = table + L".idt";
    EXPECT_EQ(::MsiDatabaseExportW(database.Get(), table.c_str(), folder.c_str(), file.c_str()), 0u)
        << ToUtf8(table);
    const std::string text = ReadBytes(folder + L"\\" + file);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::wstring SummaryText(const std::wstring& path, UINT property) {
    MSIHANDLE handle = 0;
    if (::MsiGetSummaryInformationW(0, path.c_str(), 0, &handle) != ERROR_SUCCESS) {
        return L"<no summary>";
    }
    UniqueMsiHandle summary(handle);
    UINT type = 0;
    INT number = 0;
    FILETIME time{};
    wchar_t text[512] = {};
    DWORD size = 512;
    ::MsiSummaryInfoGetPropertyW(summary.Get(), property, &type, &number, &time, text, &size);
    return type == VT_LPSTR ? std::wstring(text) : std::to_wstring(number);
}

std::wstring CopyFixture(const ScratchFolder& folder, const std::wstring& fixture, const std::wstring& name) {
    const std::wstring path = folder.File(name);
    EXPECT_TRUE(::CopyFileW(FixturePath(fixture).c_str(), path.c_str(), FALSE)) << ToUtf8(fixture);
    return path;
}

TEST(TransformToolTest, GermanTransformFromPropertiesIsAppliedAndCommitted) {
    ScratchFolder folder;
    const std::wstring base = CopyFixture(folder, L"TransformBase.msi", L"base.msi");
    const std::wstring transform = folder.File(L"de.mst");

    const ProcessResult run = RunTool({L"--base", base, L"--property", L"ProductLanguage=1031", L"--property",
                                       L"ProductName=Quentry Transformationsprobe", L"--out", transform});
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    ASSERT_TRUE(FileExists(transform));

    // Summary information of a transform: the template it applies to, the one it makes, both
    // product codes with their versions and the upgrade code, validation flags in the upper word.
    EXPECT_EQ(SummaryText(transform, 7), L"Intel;1033");
    EXPECT_EQ(SummaryText(transform, 8), L"Intel;1031");
    EXPECT_EQ(SummaryText(transform, 9),
              std::wstring(kProductCode) + L"1.0.0;" + kProductCode + L"1.0.0;" + kUpgradeCode);
    EXPECT_EQ(SummaryText(transform, 16), std::to_wstring(0x00080000));

    // The view transform lists the changes and leaves the database alone.
    const TransformView view = ViewTransform(base, transform);
    ASSERT_EQ(view.applied, 0u);
    EXPECT_THAT(view.rows,
                UnorderedElementsAre(Fields{L"Property", L"Value", L"ProductLanguage", L"1031", L"1033"},
                                     Fields{L"Property", L"Value", L"ProductName",
                                            L"Quentry Transformationsprobe", L"Quentry Transform Probe"}));
    EXPECT_EQ(PropertyOf(base, L"ProductLanguage"), L"1033");

    ASSERT_EQ(ApplyAndCommit(base, transform), 0u);
    EXPECT_EQ(PropertyOf(base, L"ProductLanguage"), L"1031");
    EXPECT_EQ(PropertyOf(base, L"ProductName"), L"Quentry Transformationsprobe");
    EXPECT_EQ(PropertyOf(base, L"Manufacturer"), L"Zorvat");
}

TEST(TransformToolTest, DescriptionAddsFilesComponentAndMedia) {
    ScratchFolder folder;
    const std::wstring base = CopyFixture(folder, L"TransformBase.msi", L"base.msi");
    const std::wstring description = folder.File(L"files.txt");
    WriteBytes(
        description,
        "\xEF\xBB\xBF# Two files in a component of their own: one beside the package, one in a cabinet.\r\n"
        "insert Component Component=Extras ComponentId={16A16803-67C0-45A0-8739-4B6E7C6827D1} "
        "Directory_=INSTALLDIR Attributes=0 KeyPath=LooseTxt\r\n"
        "insert FeatureComponents Feature_=Main Component_=Extras\r\n"
        "\r\n"
        "insert File File=LooseTxt Component_=Extras FileName=loose.txt FileSize=12 Attributes=8192 "
        "Sequence=2\r\n"
        "insert File File=PackedTxt Component_=Extras FileName=\"packed file.txt\" FileSize=34 "
        "Attributes=16384 Sequence=3\r\n"
        "insert Media DiskId=2 LastSequence=3 Cabinet=extra.cab\r\n"
        "Property PROBE_COMMENT = a value with blanks = and an equals sign\r\n");
    const std::wstring transform = folder.File(L"files.mst");

    const ProcessResult run = RunTool({L"--base", base, L"--changes", description, L"--out", transform});
    ASSERT_EQ(run.exitCode, 0u) << run.output;

    // What the launcher looks for in _TransformView: File rows the transform inserts.
    const TransformView view = ViewTransform(base, transform);
    ASSERT_EQ(view.applied, 0u);
    EXPECT_THAT(view.rows, Contains(Fields{L"File", L"INSERT", L"LooseTxt", L"", L""}));
    EXPECT_THAT(view.rows, Contains(Fields{L"File", L"INSERT", L"PackedTxt", L"", L""}));
    EXPECT_THAT(view.rows, Contains(Fields{L"Media", L"INSERT", L"2", L"", L""}));
    EXPECT_THAT(view.rows, Contains(Fields{L"Component", L"INSERT", L"Extras", L"", L""}));

    ASSERT_EQ(ApplyAndCommit(base, transform), 0u);
    EXPECT_THAT(Query(base, L"SELECT * FROM `File` WHERE `File`='LooseTxt' OR `File`='PackedTxt'"),
                UnorderedElementsAre(
                    Fields{L"LooseTxt", L"Extras", L"loose.txt", L"12", L"", L"", L"8192", L"2"},
                    Fields{L"PackedTxt", L"Extras", L"packed file.txt", L"34", L"", L"", L"16384", L"3"}));
    EXPECT_THAT(Query(base, L"SELECT `DiskId`, `LastSequence`, `Cabinet` FROM `Media`"),
                UnorderedElementsAre(Fields{L"1", L"1", L"#base.cab"}, Fields{L"2", L"3", L"extra.cab"}));
    EXPECT_THAT(Query(base, L"SELECT `Component`, `Directory_`, `KeyPath` FROM `Component` WHERE "
                            L"`Component`='Extras'"),
                UnorderedElementsAre(Fields{L"Extras", L"INSTALLDIR", L"LooseTxt"}));
    EXPECT_THAT(Query(base, L"SELECT * FROM `FeatureComponents`"),
                UnorderedElementsAre(Fields{L"Main", L"ProbeMain"}, Fields{L"Main", L"Extras"}));
    EXPECT_EQ(PropertyOf(base, L"PROBE_COMMENT"), L"a value with blanks = and an equals sign");
}

TEST(TransformToolTest, DescriptionUpdatesAndDeletesRows) {
    ScratchFolder folder;
    const std::wstring base = CopyFixture(folder, L"TransformBase.msi", L"base.msi");
    const std::wstring description = folder.File(L"edit.txt");
    WriteBytes(description, "update Media DiskId=1 LastSequence=5 VolumeLabel=DISK1\n"
                            "delete Property Property=PROBE_OLD\n"
                            "update Property Property=Manufacturer Value=\"Zorvat \\\"Labs\\\"\"\n");
    const std::wstring transform = folder.File(L"edit.mst");

    const ProcessResult run = RunTool({L"--base", base, L"--changes", description, L"--out", transform});
    ASSERT_EQ(run.exitCode, 0u) << run.output;

    const TransformView view = ViewTransform(base, transform);
    ASSERT_EQ(view.applied, 0u);
    EXPECT_THAT(view.rows, UnorderedElementsAre(Fields{L"Media", L"LastSequence", L"1", L"5", L"1"},
                                                Fields{L"Media", L"VolumeLabel", L"1", L"DISK1", L""},
                                                Fields{L"Property", L"DELETE", L"PROBE_OLD", L"", L""},
                                                Fields{L"Property", L"Value", L"Manufacturer",
                                                       L"Zorvat \"Labs\"", L"Zorvat"}));

    ASSERT_EQ(ApplyAndCommit(base, transform), 0u);
    EXPECT_THAT(Query(base, L"SELECT * FROM `Media`"),
                UnorderedElementsAre(Fields{L"1", L"5", L"", L"#base.cab", L"DISK1", L""}));
    EXPECT_EQ(PropertyOf(base, L"PROBE_OLD"), L"<none>");
    EXPECT_EQ(PropertyOf(base, L"Manufacturer"), L"Zorvat \"Labs\"");
}

TEST(TransformToolTest, TransformOfTwoDatabasesTurnsTheBaseIntoTheChangedOne) {
    ScratchFolder folder;
    const std::wstring base = CopyFixture(folder, L"TransformBase.msi", L"base.msi");
    const std::wstring changed = FixturePath(L"TransformChanged.msi");
    const std::wstring transform = folder.File(L"diff.mst");

    const ProcessResult run = RunTool({L"--base", base, L"--changed", changed, L"--out", transform});
    ASSERT_EQ(run.exitCode, 0u) << run.output;

    const TransformView view = ViewTransform(base, transform);
    ASSERT_EQ(view.applied, 0u);
    EXPECT_THAT(view.rows, Contains(Fields{L"Property", L"DELETE", L"PROBE_OLD", L"", L""}));
    EXPECT_THAT(view.rows, Contains(Fields{L"Property", L"INSERT", L"PROBE_NEW", L"", L""}));
    EXPECT_THAT(view.rows, Contains(Fields{L"File", L"INSERT", L"ExtraTxt", L"", L""}));

    ASSERT_EQ(ApplyAndCommit(base, transform), 0u);
    const std::vector<Fields> tables = Query(changed, L"SELECT `Name` FROM `_Tables`");
    ASSERT_FALSE(tables.empty());
    for (const Fields& table : tables) {
        EXPECT_EQ(ExportTable(base, table[0], folder.Path()), ExportTable(changed, table[0], folder.Path()))
            << "table " << ToUtf8(table[0]);
    }
}

TEST(TransformToolTest, NewTableAndBinaryDataReachTheDatabase) {
    ScratchFolder folder;
    const std::wstring base = CopyFixture(folder, L"TransformBase.msi", L"base.msi");
    const std::wstring changed = CopyFixture(folder, L"TransformBase.msi", L"changed.msi");
    const std::string payload("binary\0data\xff\x01", 13);
    WriteBytes(folder.File(L"payload.bin"), payload);
    Change(changed,
           {L"CREATE TABLE `QuentryNotes` (`Note` CHAR(32) NOT NULL, `Weight` SHORT, `Size` LONG, "
            L"`Text` LONGCHAR LOCALIZABLE PRIMARY KEY `Note`)",
            L"INSERT INTO `QuentryNotes` (`Note`, `Weight`, `Size`, `Text`) VALUES ('first', -5, 100000, "
            L"'eins')",
            L"INSERT INTO `QuentryNotes` (`Note`, `Text`) VALUES ('second', 'zwei')"},
           [&](MSIHANDLE database) {
               MSIHANDLE viewHandle = 0;
               ASSERT_EQ(::MsiDatabaseOpenViewW(
                             database, L"INSERT INTO `Binary` (`Name`, `Data`) VALUES (?, ?)", &viewHandle),
                         0u);
               UniqueMsiHandle view(viewHandle);
               UniqueMsiHandle record(::MsiCreateRecord(2));
               ::MsiRecordSetStringW(record.Get(), 1, L"ProbeData");
               ASSERT_EQ(::MsiRecordSetStreamW(record.Get(), 2, folder.File(L"payload.bin").c_str()), 0u);
               ASSERT_EQ(::MsiViewExecute(view.Get(), record.Get()), 0u);
           });
    const std::wstring transform = folder.File(L"table.mst");

    const ProcessResult run = RunTool({L"--base", base, L"--changed", changed, L"--out", transform});
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    const TransformView listed = ViewTransform(base, transform);
    ASSERT_EQ(listed.applied, 0u);
    EXPECT_THAT(listed.rows, Contains(Fields{L"QuentryNotes", L"CREATE", L"", L"", L""}));
    EXPECT_THAT(listed.rows, Contains(Fields{L"QuentryNotes", L"INSERT", L"first", L"", L""}));
    EXPECT_THAT(listed.rows, Contains(Fields{L"Binary", L"INSERT", L"ProbeData", L"", L""}));
    ASSERT_EQ(ApplyAndCommit(base, transform), 0u);

    EXPECT_EQ(ExportTable(base, L"QuentryNotes", folder.Path()),
              ExportTable(changed, L"QuentryNotes", folder.Path()));
    EXPECT_THAT(Query(base, L"SELECT * FROM `QuentryNotes`"),
                UnorderedElementsAre(Fields{L"first", L"-5", L"100000", L"eins"},
                                     Fields{L"second", L"", L"", L"zwei"}));

    MSIHANDLE handle = 0;
    ASSERT_EQ(::MsiOpenDatabaseW(base.c_str(), MSIDBOPEN_READONLY, &handle), 0u);
    UniqueMsiHandle database(handle);
    MSIHANDLE viewHandle = 0;
    ASSERT_EQ(::MsiDatabaseOpenViewW(database.Get(), L"SELECT `Data` FROM `Binary` WHERE `Name`='ProbeData'",
                                     &viewHandle),
              0u);
    UniqueMsiHandle view(viewHandle);
    ASSERT_EQ(::MsiViewExecute(view.Get(), 0), 0u);
    MSIHANDLE recordHandle = 0;
    ASSERT_EQ(::MsiViewFetch(view.Get(), &recordHandle), 0u);
    UniqueMsiHandle record(recordHandle);
    char data[64] = {};
    DWORD size = sizeof(data);
    ASSERT_EQ(::MsiRecordReadStream(record.Get(), 1, data, &size), 0u);
    EXPECT_EQ(std::string(data, size), payload);
}

TEST(TransformToolTest, CodepageCarriesTextBeyondAscii) {
    ScratchFolder folder;
    const std::wstring base = CopyFixture(folder, L"TransformBase.msi", L"base.msi");
    const std::wstring transform = folder.File(L"de.mst");
    const std::wstring name = L"Quentry \u00dcbersetzungsprobe f\u00fcr \u00c4nderungen";

    const ProcessResult run = RunTool({L"--base", base, L"--codepage", L"1252", L"--property",
                                       L"ProductName=" + name, L"--out", transform});
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    const TransformView view = ViewTransform(base, transform);
    ASSERT_EQ(view.applied, 0u);
    EXPECT_THAT(view.rows, UnorderedElementsAre(Fields{L"Property", L"Value", L"ProductName", name,
                                                       L"Quentry Transform Probe"}));
}

// Removes the product at the end of the test, also when an assertion failed half way.
class InstalledProduct {
public:
    explicit InstalledProduct(const wchar_t* productCode) : m_productCode(productCode) { Remove(); }
    ~InstalledProduct() { Remove(); }
    InstalledProduct(const InstalledProduct&) = delete;
    InstalledProduct& operator=(const InstalledProduct&) = delete;

    std::wstring Info(const wchar_t* property) const {
        wchar_t value[512] = {};
        DWORD size = 512;
        if (::MsiGetProductInfoW(m_productCode, property, value, &size) != ERROR_SUCCESS) {
            return L"<unknown>";
        }
        return value;
    }

private:
    void Remove() {
        if (::MsiQueryProductStateW(m_productCode) == INSTALLSTATE_DEFAULT) {
            ::MsiConfigureProductW(m_productCode, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
        }
    }
    const wchar_t* m_productCode;
};

TEST(TransformToolTest, InstallWithTheTransformShowsTheChangedProduct) {
    ScratchFolder folder;
    const std::wstring package = CopyFixture(folder, L"TransformBase.msi", L"probe.msi");
    const std::wstring transform = folder.File(L"de.mst");
    const ProcessResult run =
        RunTool({L"--base", package, L"--property", L"ProductLanguage=1031", L"--property",
                 L"ProductName=Quentry Transformationsprobe", L"--out", transform});
    ASSERT_EQ(run.exitCode, 0u) << run.output;

    ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    InstalledProduct product(kProductCode);
    ASSERT_EQ(::MsiInstallProductW(package.c_str(), (L"TRANSFORMS=\"" + transform + L"\"").c_str()), 0u);
    EXPECT_EQ(product.Info(INSTALLPROPERTY_PRODUCTNAME), L"Quentry Transformationsprobe");
    EXPECT_EQ(product.Info(INSTALLPROPERTY_LANGUAGE), L"1031");
}

// Bad input: exit code 1 (2 for the command line), one line that says what is wrong, and no file
// where the transform would have gone, nor a temporary one beside it.
struct BadInput {
    const char* name;
    std::function<std::vector<std::wstring>(const ScratchFolder&)> arguments;
    DWORD exitCode;
    const char* message;
};

std::wstring ChangedCopy(const ScratchFolder& folder, const std::vector<std::wstring>& statements) {
    const std::wstring path = CopyFixture(folder, L"TransformBase.msi", L"changed.msi");
    Change(path, statements);
    return path;
}

std::wstring Description(const ScratchFolder& folder, const std::string& text) {
    WriteBytes(folder.File(L"changes.txt"), text);
    return folder.File(L"changes.txt");
}

const BadInput kBadInputs[] = {
    {"base that does not exist",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{L"--base", f.File(L"missing.msi"), L"--property", L"A=1",
                                          L"--out",  f.File(L"out.mst")};
     },
     1, "cannot open the installer database"},
    {"base that is not a database",
     [](const ScratchFolder& f) {
         WriteBytes(f.File(L"text.msi"), "this is not a compound file\r\n");
         return std::vector<std::wstring>{L"--base", f.File(L"text.msi"), L"--property", L"A=1",
                                          L"--out",  f.File(L"out.mst")};
     },
     1, "cannot open the installer database"},
    {"changed database with another column",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{
             L"--base",    f.File(L"base.msi"),
             L"--changed", ChangedCopy(f, {L"ALTER TABLE `Property` ADD `Note` CHAR(20)"}),
             L"--out",     f.File(L"out.mst")};
     },
     1, "table Property has different columns in the two databases"},
    {"changed database without a table",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{L"--base",    f.File(L"base.msi"),
                                          L"--changed", ChangedCopy(f, {L"DROP TABLE `AppSearch`"}),
                                          L"--out",     f.File(L"out.mst")};
     },
     1, "table AppSearch is missing from the changed database"},
    {"output folder that does not exist",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{L"--base", f.File(L"base.msi"),        L"--property", L"A=1",
                                          L"--out",  f.File(L"nowhere\\out.mst")};
     },
     1, "cannot create"},
    {"output that is a folder",
     [](const ScratchFolder& f) {
         ::CreateDirectoryW(f.File(L"out.mst").c_str(), nullptr);
         return std::vector<std::wstring>{L"--base", f.File(L"base.msi"), L"--property", L"A=1",
                                          L"--out",  f.File(L"out.mst")};
     },
     1, "cannot move the transform into place"},
    {"description naming a column the table lacks",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{
             L"--base",    f.File(L"base.msi"),
             L"--changes", Description(f, "insert Media DiskId=2 LastSequence=2 Colour=red\n"),
             L"--out",     f.File(L"out.mst")};
     },
     1, "line 1: table Media has no column Colour"},
    {"description inserting a row the base has",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{
             L"--base",
             f.File(L"base.msi"),
             L"--changes",
             Description(f, "# comment\nProperty A=1\ninsert Property Property=ProductName Value=x\n"),
             L"--out",
             f.File(L"out.mst")};
     },
     1, "line 3: table Property already has this row"},
    {"description without a non-nullable value",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{
             L"--base",    f.File(L"base.msi"),
             L"--changes", Description(f, "insert Media DiskId=2 Cabinet=x.cab\n"),
             L"--out",     f.File(L"out.mst")};
     },
     1, "column LastSequence of table Media needs a value"},
    {"number out of range",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{
             L"--base",    f.File(L"base.msi"),
             L"--changes", Description(f, "insert Media DiskId=40000 LastSequence=2\n"),
             L"--out",     f.File(L"out.mst")};
     },
     1, "column DiskId of table Media takes a whole number"},
    {"text a neutral code page cannot hold",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{L"--base",     f.File(L"base.msi"),
                                          L"--property", L"ProductName=\u00dcbung",
                                          L"--out",      f.File(L"out.mst")};
     },
     1, "cannot be written in code page 0"},
    {"command line without an output",
     [](const ScratchFolder& f) {
         return std::vector<std::wstring>{L"--base", f.File(L"base.msi"), L"--property", L"A=1"};
     },
     2, "--base and --out are required"},
};

class TransformToolBadInputTest : public ::testing::TestWithParam<BadInput> {};

TEST_P(TransformToolBadInputTest, FailsWithOneLineAndWritesNothing) {
    const BadInput& input = GetParam();
    ScratchFolder folder;
    CopyFixture(folder, L"TransformBase.msi", L"base.msi");
    const std::vector<std::wstring> arguments = input.arguments(folder);
    const std::vector<std::wstring> before = FilesIn(folder.Path());

    const ProcessResult run = RunTool(arguments);
    EXPECT_EQ(run.exitCode, input.exitCode) << run.output;
    EXPECT_THAT(run.output, HasSubstr(input.message));
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    EXPECT_EQ(run.output.rfind("quentry-transform: ", 0), 0u) << run.output;
    EXPECT_EQ(FilesIn(folder.Path()), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, TransformToolBadInputTest, ::testing::ValuesIn(kBadInputs),
                         [](const ::testing::TestParamInfo<BadInput>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c) {
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             }
                             return name;
                         });

TEST(TransformToolTest, FailedRunLeavesAnEarlierTransformAsItWas) {
    ScratchFolder folder;
    const std::wstring base = CopyFixture(folder, L"TransformBase.msi", L"base.msi");
    const std::wstring transform = folder.File(L"de.mst");
    ASSERT_EQ(
        RunTool({L"--base", base, L"--property", L"ProductLanguage=1031", L"--out", transform}).exitCode, 0u);
    const std::string before = ReadBytes(transform);

    const ProcessResult run =
        RunTool({L"--base", base, L"--property", L"ProductName=\u00dcbung", L"--out", transform});
    EXPECT_EQ(run.exitCode, 1u) << run.output;
    EXPECT_EQ(ReadBytes(transform), before);
    EXPECT_EQ(FilesIn(folder.Path()), (std::vector<std::wstring>{L"base.msi", L"de.mst"}));
}

} // namespace
} // namespace quentry::test
