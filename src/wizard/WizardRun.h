// What the wizard needs of the run it guides: the command line's mode and UI level, the
// languages, the packages, the result record and a place for its log lines. The launcher
// provides it; the wizard knows nothing else of the launcher.
#pragma once

#include "common/LanguageTable.h"
#include "common/LogSink.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace quentry {

class WizardRun {
public:
    virtual ~WizardRun() = default;

    // The module that carries the dialog templates, bitmaps and package strings.
    virtual HMODULE Resources() const = 0;
    virtual LanguageTable& Languages() = 0;
    virtual void WriteLog(int level, const std::wstring& line) = 0;

    virtual uint32_t UiLevel() const = 0;
    virtual bool IsRepairRun() const = 0;
    virtual bool IsUninstallRun() const = 0;
    virtual bool MultiLanguageResources() const = 0;
    // The string id of the welcome sentence naming the supported Windows versions.
    virtual unsigned WelcomeTextId() const = 0;

    virtual int PackageCount() const = 0;
    virtual std::wstring ProductName(int index) const = 0;
    virtual bool IsSelected(int index) const = 0;
    virtual void SetSelected(int index, bool selected) = 0;
    // The package's product is installed on the machine (asked anew each time).
    virtual bool IsProductInstalled(int index) = 0;

    // The result record: its code, whether it is reported, recording and reporting it.
    virtual int32_t ResultCode() const = 0;
    virtual bool ResultReported() const = 0;
    // A launcher result code (no installer error behind it), not yet reported.
    virtual void RecordResult(int32_t code) = 0;
    // An installer return code as a result code (0 records nothing), not yet reported.
    virtual void RecordInstallerResult(uint32_t installerResult) = 0;
    // Logs and shows a recorded, unreported result once.
    virtual void ReportResult() = 0;
};

} // namespace quentry
