// Extracts every file of a cabinet carried in memory (normally a type-40 resource) into a folder,
// through the platform's cabinet decompression library. The cabinet is read in place: it is
// never copied in memory or written to disk. One object per extraction; only one extraction may
// run at a time in the process.
#pragma once

#include "extraction/CabinetImage.h"
#include "extraction/FdiContext.h"
#include "extraction/ICBSCabinetProgressCallbacks.h"

#include <windows.h>

#include <cstddef>
#include <span>
#include <string>

namespace quentry {

class ICBSCabinetExtractor {
public:
    // The cabinet image of the type-40 resource resourceName of module (null: this executable),
    // in language (0: the platform's default choice of language). destinationFolder receives
    // the files; it is not created here.
    ICBSCabinetExtractor(const std::wstring& cabinetName, const std::wstring& resourceName,
                         const std::wstring& destinationFolder, HMODULE module = nullptr, WORD language = 0);
    // A cabinet image already in memory (for example a resource its caller has locked): the
    // 32-bit length N and the cabinet. The bytes must stay in place while the extractor lives.
    ICBSCabinetExtractor(const std::wstring& cabinetName, std::span<const BYTE> image,
                         const std::wstring& destinationFolder);
    ~ICBSCabinetExtractor();
    ICBSCabinetExtractor(const ICBSCabinetExtractor&) = delete;
    ICBSCabinetExtractor& operator=(const ICBSCabinetExtractor&) = delete;

    // Extracts all files, reporting the cabinet bytes read to sink (which may be null). True
    // when the library extracted the cabinet and every file it wrote reached its full size.
    // Files whose stored names are unsafe or whose path would be too long are skipped; a
    // missing, short or corrupt image makes it false.
    bool ExtractAll(ICBSCabinetProgressCallbacks* sink);

    // True when a write failed because the disk is full since the last extractor was made;
    // read after a failed ExtractAll (also after the extractor is gone).
    static bool diskFull();

    const std::wstring& DestinationFolder() const { return m_destinationFolder; }
    const std::wstring& ResourceName() const { return m_resourceName; }
    const CabinetImage& Image() const { return m_image; }

private:
    void CreateContext();

    std::string m_cabinetPath;
    std::string m_cabinetName;
    std::wstring m_resourceName;
    std::wstring m_destinationFolder;
    CabinetImage m_image;
    ERF m_error{};
    UniqueFdiContext m_context;
};

} // namespace quentry
