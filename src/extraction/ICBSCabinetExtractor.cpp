#include "extraction/ICBSCabinetExtractor.h"

#include "common/WideText.h"

#include "extraction/CabinetCallbacks.h"

#include <atomic>

namespace quentry {
namespace {

// The library's interface is narrow: text in the ANSI code page. A name that cannot be
// converted exactly becomes no name.
std::string ToAnsi(const std::wstring& text) {
    return ToCodePageExact(text, ::GetACP());
}

std::wstring WithoutTrailingBackslash(std::wstring folder) {
    while (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/')) {
        folder.pop_back();
    }
    return folder;
}

// The library's file callbacks carry no context: two extractions at once would mix their files.
std::atomic<bool> g_extracting{false};

} // namespace

ICBSCabinetExtractor::ICBSCabinetExtractor(const std::wstring& cabinetName, const std::wstring& resourceName,
                                           const std::wstring& destinationFolder, HMODULE module,
                                           WORD language)
    : m_cabinetName(ToAnsi(cabinetName)), m_resourceName(resourceName),
      m_destinationFolder(WithoutTrailingBackslash(destinationFolder)),
      m_image(CabinetImage::FromResource(module, resourceName, language)) {
    CreateContext();
}

ICBSCabinetExtractor::ICBSCabinetExtractor(const std::wstring& cabinetName, std::span<const BYTE> image,
                                           const std::wstring& destinationFolder)
    : m_cabinetName(ToAnsi(cabinetName)), m_destinationFolder(WithoutTrailingBackslash(destinationFolder)),
      m_image(image) {
    CreateContext();
}

void ICBSCabinetExtractor::CreateContext() {
    CabinetCallbacks::ClearDiskFull();
    CabinetCallbacks::SetCurrentImage(&m_image);
    m_context.Reset(::FDICreate(CabinetCallbacks::Allocate, CabinetCallbacks::Free, CabinetCallbacks::Open,
                                CabinetCallbacks::Read, CabinetCallbacks::Write, CabinetCallbacks::Close,
                                CabinetCallbacks::Seek, cpuUNKNOWN, &m_error));
}

ICBSCabinetExtractor::~ICBSCabinetExtractor() {
    m_context.Reset();
    if (CabinetCallbacks::CurrentImage() == &m_image) {
        CabinetCallbacks::SetCurrentImage(nullptr);
        CabinetCallbacks::SetCurrentSink(nullptr);
    }
}

bool ICBSCabinetExtractor::ExtractAll(ICBSCabinetProgressCallbacks* sink) {
    if (!m_context || g_extracting.exchange(true)) {
        return false;
    }
    // This extractor's image, also when another extractor was made after it.
    CabinetCallbacks::SetCurrentImage(&m_image);
    CabinetCallbacks::SetCurrentSink(sink);
    CabinetCallbacks::ClearFileLost();
    const BOOL copied = ::FDICopy(m_context.Get(), m_cabinetName.data(), m_cabinetPath.data(), 0,
                                  CabinetCallbacks::Notify, nullptr, this);
    CabinetCallbacks::SetCurrentSink(nullptr);
    const bool lost = CabinetCallbacks::FileLost();
    g_extracting = false;
    return copied && !lost;
}

bool ICBSCabinetExtractor::diskFull() {
    return CabinetCallbacks::DiskFull();
}

} // namespace quentry
