// The cabinet image carried in a type-40 resource: a 32-bit little-endian length N followed by N
// bytes of cabinet. The image is served in place from the memory that holds it; it never copies
// the cabinet and never reads beyond the bytes it was given.
#pragma once

#include "common/ResourceReader.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace quentry {

class CabinetImage {
public:
    // No image.
    CabinetImage() = default;
    // The image held in bytes, which must stay in place while the image is used.
    explicit CabinetImage(std::span<const BYTE> bytes);
    // The image of the type-40 resource name of module (null: this executable) in language
    // (0: the platform's default choice of language); no image when the resource is missing.
    static CabinetImage FromResource(HMODULE module, const std::wstring& name, WORD language = 0);

    // True when bytes were found (a resource or a span), whether or not they hold a sound image.
    bool IsPresent() const { return m_present; }
    // True when the bytes hold a length field and that many cabinet bytes after it. A length
    // field that claims more than the bytes hold makes the image unusable: a corrupt cabinet.
    bool IsValid() const { return m_valid; }
    // N, the length of the cabinet (0 when the image is not valid).
    uint32_t Length() const { return m_length; }
    // Copies the cabinet bytes that start at position, at most count and never beyond N;
    // returns how many were copied (0 at or beyond N, and for an image that is not valid).
    uint32_t Read(uint32_t position, void* buffer, uint32_t count) const;

private:
    const BYTE* m_cabinet = nullptr;
    uint32_t m_length = 0;
    bool m_present = false;
    bool m_valid = false;
};

} // namespace quentry
