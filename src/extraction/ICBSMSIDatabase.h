// An installer database opened in direct mode for one task: its summary information, and the
// transforms of a command line applied to it. Changes reach the file when the object ends.
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

#include <msiquery.h>
#include <wtypes.h>

#include <string>
#include <vector>

namespace quentry {

class ICBSMSIDatabase {
public:
    // The Template property of the summary information: "platform;languages".
    static constexpr UINT kTemplateProperty = 7;

    // Opens the database at path (or creates it). Only a file whose root storage is that of an
    // installer database is handed to the installer library: any other file stays unopened.
    explicit ICBSMSIDatabase(const std::wstring& path, bool create = false);
    // Persists the summary information when it was opened, commits when the database changed.
    virtual ~ICBSMSIDatabase();
    ICBSMSIDatabase(const ICBSMSIDatabase&) = delete;
    ICBSMSIDatabase& operator=(const ICBSMSIDatabase&) = delete;

    bool IsOpen() const { return m_databaseHandle.IsValid(); }
    MSIHANDLE Handle() const { return m_databaseHandle.Get(); }
    const std::wstring& Path() const { return m_path; }
    // Why the database is not open ("is not an installer database", ...); empty when it is.
    const std::wstring& OpenProblem() const { return m_openProblem; }

    // A string property of the summary information; empty when it cannot be read or is no string.
    std::wstring GetSummaryString(UINT property);

    // Applies the transforms in order, then copies the files and cabinets that they add to the File
    // table from sourceFolder into destinationFolder. False at the first transform that cannot be
    // applied (the earlier ones stay applied), or when an added file cannot be copied. A name
    // beginning with ":" (a transform inside the database) stops the list; a leading "@" or "|"
    // is dropped; empty names are skipped.
    bool ApplyTransforms(const std::vector<std::wstring>& names, const std::wstring& sourceFolder,
                         const std::wstring& destinationFolder);

private:
    // Both return how many of the transforms were applied, and add the File keys they insert.
    size_t ApplyViewedFirst(const std::vector<std::wstring>& transforms,
                            std::vector<std::wstring>& addedFiles);
    size_t ApplyOnOneHandle(const std::vector<std::wstring>& transforms,
                            std::vector<std::wstring>& addedFiles);
    static bool View(MSIHANDLE database, const std::wstring& transform);
    static void ReadAddedFiles(MSIHANDLE database, std::vector<std::wstring>& addedFiles);
    bool CopyAddedFile(const std::wstring& key, const std::wstring& source, const std::wstring& destination);

    std::wstring m_path;
    UniqueMsiHandle m_databaseHandle;
    UniqueMsiHandle m_summaryHandle;
    bool m_summaryOpened = false;
    bool m_modified = false;
    bool m_ownsHandle = true;
    std::wstring m_openProblem;
};

// The platform a database is built for: the Template text before its first ";" (x64, Intel ...).
std::wstring DatabasePlatform(ICBSMSIDatabase& database);

} // namespace quentry
