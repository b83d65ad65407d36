#include "extraction/ICBSMSIDatabase.h"

#include "common/CompoundFile.h"
#include "common/FileUtilities.h"
#include "common/PlainFileName.h"
#include "extraction/ICBSMSIDatabaseQuery.h"

namespace quentry {

namespace {

constexpr UINT kSummaryUpdateCount = 8;
constexpr int kFileNotCompressed = 0x2000;
constexpr int kFileCompressed = 0x4000;

// The file's root storage has the expected class; a compound file of another kind, or none, is
// never handed to the installer library (which does not expect one).
bool HasStorageClass(const std::wstring& path, const CLSID& expected, std::wstring& problem) {
    CLSID found{};
    if (!CheckCompoundFileAt(path, found, problem)) {
        return false;
    }
    if (!IsEqualCLSID(found, expected)) {
        problem = IsEqualCLSID(expected, kInstallerDatabaseClass) ? L"is not an installer database"
                                                                  : L"is not an installer transform";
        return false;
    }
    return true;
}

// Fetches the installer's last error text, which nothing reports further.
void DiscardLastError() {
    UniqueMsiHandle record(::MsiGetLastErrorRecord());
    if (!record) {
        return;
    }
    wchar_t text[1024] = {};
    DWORD size = static_cast<DWORD>(std::size(text));
    ::MsiFormatRecordW(0, record.Get(), text, &size);
}

// The long-name part of a File table name ("SHORT~1.TXT|long name.txt").
std::wstring LongName(const std::wstring& fileName) {
    const size_t bar = fileName.find(L'|');
    return bar == std::wstring::npos ? fileName : fileName.substr(bar + 1);
}

} // namespace

ICBSMSIDatabase::ICBSMSIDatabase(const std::wstring& path, bool create) : m_path(path), m_modified(create) {
    if (!create && !HasStorageClass(path, kInstallerDatabaseClass, m_openProblem)) {
        return;
    }
    MSIHANDLE handle = 0;
    const LPCWSTR mode = create ? MSIDBOPEN_CREATEDIRECT : MSIDBOPEN_DIRECT;
    if (::MsiOpenDatabaseW(path.c_str(), mode, &handle) != ERROR_SUCCESS) {
        m_openProblem = L"cannot be opened";
        DiscardLastError();
        return;
    }
    m_databaseHandle.Reset(handle);
}

ICBSMSIDatabase::~ICBSMSIDatabase() {
    if (!m_ownsHandle) {
        m_summaryHandle.Release();
        m_databaseHandle.Release();
        return;
    }
    if (m_summaryOpened && m_summaryHandle) {
        ::MsiSummaryInfoPersist(m_summaryHandle.Get());
    }
    if (m_modified && m_databaseHandle) {
        if (::MsiDatabaseCommit(m_databaseHandle.Get()) == ERROR_SUCCESS) {
            m_modified = false;
        } else {
            DiscardLastError();
        }
    }
    m_summaryHandle.Reset();
    m_databaseHandle.Reset();
}

std::wstring ICBSMSIDatabase::GetSummaryString(UINT property) {
    if (!m_summaryHandle) {
        if (!m_databaseHandle) {
            return {};
        }
        MSIHANDLE summary = 0;
        if (::MsiGetSummaryInformationW(m_databaseHandle.Get(), nullptr, kSummaryUpdateCount, &summary) !=
            ERROR_SUCCESS) {
            return {};
        }
        m_summaryHandle.Reset(summary);
        m_summaryOpened = true;
    }
    UINT type = 0;
    INT number = 0;
    FILETIME time{};
    wchar_t empty[1] = {};
    DWORD size = 0;
    if (::MsiSummaryInfoGetPropertyW(m_summaryHandle.Get(), property, &type, &number, &time, empty, &size) !=
        ERROR_MORE_DATA) {
        return {};
    }
    std::wstring value(size + 1, L'\0');
    size = static_cast<DWORD>(value.size());
    if (::MsiSummaryInfoGetPropertyW(m_summaryHandle.Get(), property, &type, &number, &time, value.data(),
                                     &size) != ERROR_SUCCESS ||
        type != VT_LPSTR) {
        return {};
    }
    value.resize(std::min<size_t>(size, value.size()));
    return value;
}

bool ICBSMSIDatabase::ApplyTransforms(const std::vector<std::wstring>& names,
                                      const std::wstring& sourceFolder,
                                      const std::wstring& destinationFolder) {
    std::vector<std::wstring> transforms;
    bool stopped = false;
    for (const std::wstring& given : names) {
        if (given.empty()) {
            continue;
        }
        if (given.front() == L':') {
            // A transform stored inside the database: the list ends here, as a failure.
            stopped = true;
            break;
        }
        transforms.push_back(given.front() == L'@' || given.front() == L'|' ? given.substr(1) : given);
    }
    if (!m_databaseHandle) {
        return false;
    }
    std::vector<std::wstring> addedFiles;
    const size_t applied = m_summaryHandle || m_modified ? ApplyOnOneHandle(transforms, addedFiles)
                                                         : ApplyViewedFirst(transforms, addedFiles);
    if (stopped || applied < transforms.size()) {
        return false;
    }
    bool result = true;
    for (const std::wstring& key : addedFiles) {
        result = CopyAddedFile(key, sourceFolder + L"\\", destinationFolder + L"\\") && result;
    }
    return result;
}

size_t ICBSMSIDatabase::ApplyViewedFirst(const std::vector<std::wstring>& transforms,
                                         std::vector<std::wstring>& addedFiles) {
    // The platform's installer library can lose the strings a transform adds when one handle both
    // views and applies it. So the changes are viewed first on a read-only handle of the file
    // (which cannot be open beside the direct one), and then applied on the direct handle.
    size_t viewed = 0;
    m_databaseHandle.Reset();
    {
        MSIHANDLE handle = 0;
        if (::MsiOpenDatabaseW(m_path.c_str(), MSIDBOPEN_READONLY, &handle) == ERROR_SUCCESS) {
            UniqueMsiHandle view(handle);
            while (viewed < transforms.size() && View(view.Get(), transforms[viewed])) {
                ++viewed;
            }
            ReadAddedFiles(view.Get(), addedFiles);
        }
    }
    MSIHANDLE handle = 0;
    if (::MsiOpenDatabaseW(m_path.c_str(), MSIDBOPEN_DIRECT, &handle) != ERROR_SUCCESS) {
        m_openProblem = L"cannot be opened again";
        DiscardLastError();
        return 0;
    }
    m_databaseHandle.Reset(handle);
    for (size_t i = 0; i < viewed; ++i) {
        if (::MsiDatabaseApplyTransformW(m_databaseHandle.Get(), transforms[i].c_str(), 0) != ERROR_SUCCESS) {
            return i;
        }
        m_modified = true;
    }
    return viewed;
}

size_t ICBSMSIDatabase::ApplyOnOneHandle(const std::vector<std::wstring>& transforms,
                                         std::vector<std::wstring>& addedFiles) {
    // The database has changes of its own that a second handle would not see.
    size_t applied = 0;
    for (; applied < transforms.size(); ++applied) {
        if (!View(m_databaseHandle.Get(), transforms[applied]) ||
            ::MsiDatabaseApplyTransformW(m_databaseHandle.Get(), transforms[applied].c_str(), 0) !=
                ERROR_SUCCESS) {
            break;
        }
        m_modified = true;
    }
    ReadAddedFiles(m_databaseHandle.Get(), addedFiles);
    return applied;
}

bool ICBSMSIDatabase::View(MSIHANDLE database, const std::wstring& transform) {
    std::wstring problem;
    return HasStorageClass(transform, kInstallerTransformClass, problem) &&
           ::MsiDatabaseApplyTransformW(database, transform.c_str(), MSITRANSFORM_ERROR_VIEWTRANSFORM) ==
               ERROR_SUCCESS;
}

void ICBSMSIDatabase::ReadAddedFiles(MSIHANDLE database, std::vector<std::wstring>& addedFiles) {
    ICBSMSIDatabaseQuery changes(database, L"SELECT * FROM _TransformView");
    while (changes.Fetch()) {
        if (changes.GetColumnString(1) == L"File" && changes.GetColumnString(2) == L"INSERT") {
            addedFiles.push_back(changes.GetColumnString(3));
        }
    }
}

bool ICBSMSIDatabase::CopyAddedFile(const std::wstring& key, const std::wstring& source,
                                    const std::wstring& destination) {
    ICBSMSIDatabaseQuery file(m_databaseHandle.Get(), L"SELECT * FROM File WHERE File=?", L"%s", {key});
    if (!file.Fetch()) {
        return false;
    }
    const int attributes = file.GetColumnInteger(7);
    std::wstring name;
    if (attributes & kFileNotCompressed) {
        name = LongName(file.GetColumnString(3));
    } else if (attributes & kFileCompressed) {
        const int sequence = file.GetColumnInteger(8);
        ICBSMSIDatabaseQuery media(m_databaseHandle.Get(), L"SELECT LastSequence, Cabinet FROM Media");
        while (media.Fetch()) {
            if (media.GetColumnInteger(1) >= sequence) {
                name = media.GetColumnString(2);
                break;
            }
        }
        if (name.empty()) {
            return false;
        }
    } else {
        return false;
    }
    // Only a name directly inside the two folders is copied: a path in a transform's row could
    // otherwise read or write anywhere the launcher may.
    if (!IsPlainFileName(name)) {
        return false;
    }
    return ICBSFileUtilities::CopyFileTo(source + name, destination + name, true);
}

std::wstring DatabasePlatform(ICBSMSIDatabase& database) {
    const std::wstring text = database.GetSummaryString(ICBSMSIDatabase::kTemplateProperty);
    return text.substr(0, text.find(L';'));
}

} // namespace quentry
