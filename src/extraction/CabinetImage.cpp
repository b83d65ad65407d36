#include "extraction/CabinetImage.h"

#include "common/ResourceReader.h"

#include <algorithm>
#include <cstring>

namespace quentry {

CabinetImage::CabinetImage(std::span<const BYTE> bytes) : m_present(true) {
    if (bytes.size() < 4) {
        return;
    }
    const auto byte = [&](size_t i) { return static_cast<uint32_t>(bytes[i]); };
    const uint32_t length = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
    if (length > bytes.size() - 4) {
        return;
    }
    m_cabinet = bytes.data() + 4;
    m_length = length;
    m_valid = true;
}

CabinetImage CabinetImage::FromResource(HMODULE module, const std::wstring& name, WORD language) {
    const ResourceBytes resource = ReadResource(module, MAKEINTRESOURCEW(kPackageResourceType), name.c_str(),
                                                language, ResourceKind::Binary);
    if (resource.status == ResourceStatus::Missing) {
        return {};
    }
    // A resource whose size does not fit its image is there, but holds no usable cabinet. A loaded
    // resource belongs to the module's image: it needs no release.
    return CabinetImage(resource.bytes);
}

uint32_t CabinetImage::Read(uint32_t position, void* buffer, uint32_t count) const {
    if (!m_valid || position >= m_length) {
        return 0;
    }
    const uint32_t delivered = std::min(m_length - position, count);
    std::memcpy(buffer, m_cabinet + position, delivered);
    return delivered;
}

} // namespace quentry
