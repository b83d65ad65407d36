#include "support/PeResources.h"

#include "common/WideText.h"

#include <cstring>

namespace quentry::test {

namespace {

uint32_t U32(const std::string& b, size_t at) {
    if (at + 4 > b.size()) {
        return 0;
    }
    uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

uint16_t U16(const std::string& b, size_t at) {
    if (at + 2 > b.size()) {
        return 0;
    }
    uint16_t v = 0;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}

struct Reader {
    const std::string& bytes;
    size_t base;  // file offset of the resource directory
    size_t limit; // end of the section in the file
    ResourceLayout& layout;

    std::wstring EntryName(uint32_t field) const {
        if ((field & 0x80000000u) == 0) {
            return L"#" + std::to_wstring(field & 0xFFFF);
        }
        const size_t at = base + (field & 0x7FFFFFFF);
        const uint16_t length = U16(bytes, at);
        std::wstring name;
        for (size_t i = 0; i < length && at + 2 + 2 * i + 2 <= limit; ++i) {
            name.push_back(static_cast<wchar_t>(U16(bytes, at + 2 + 2 * i)));
        }
        return name;
    }

    // The directory at offset (relative to base): its entries, depth 0 types, 1 names, 2 languages.
    void Walk(size_t offset, int depth, const std::wstring& type, const std::wstring& name) {
        const size_t at = base + offset;
        if (at + 16 > limit || depth > 2) {
            return;
        }
        const size_t count = size_t{U16(bytes, at + 12)} + U16(bytes, at + 14);
        for (size_t i = 0; i < count; ++i) {
            const size_t entry = at + 16 + 8 * i;
            if (entry + 8 > limit) {
                return;
            }
            const uint32_t nameField = U32(bytes, entry);
            const uint32_t dataField = U32(bytes, entry + 4);
            const bool directory = (dataField & 0x80000000u) != 0;
            if (depth < 2 && directory) {
                const std::wstring here = EntryName(nameField);
                Walk(dataField & 0x7FFFFFFF, depth + 1, depth == 0 ? here : type, depth == 1 ? here : name);
            } else if (depth == 2 && !directory) {
                layout.entries.push_back(
                    {type, name, static_cast<WORD>(nameField & 0xFFFF), base + dataField});
            }
        }
    }
};

} // namespace

ResourceLayout ReadResourceLayout(const std::string& image) {
    ResourceLayout layout;
    if (image.size() < 0x40 || image[0] != 'M' || image[1] != 'Z') {
        return layout;
    }
    const size_t nt = U32(image, 0x3C);
    if (U32(image, nt) != 0x00004550) {
        return layout;
    }
    const size_t fileHeader = nt + 4;
    const size_t sectionCount = U16(image, fileHeader + 2);
    const size_t optionalSize = U16(image, fileHeader + 16);
    const size_t optional = fileHeader + 20;
    const bool pe32plus = U16(image, optional) == 0x20B;
    const size_t directories = optional + (pe32plus ? 112 : 96);
    const uint32_t resourceRva = U32(image, directories + 2 * 8);
    const size_t sections = optional + optionalSize;
    for (size_t i = 0; i < sectionCount; ++i) {
        const size_t s = sections + 40 * i;
        const uint32_t virtualAddress = U32(image, s + 12);
        const uint32_t rawSize = U32(image, s + 16);
        const uint32_t rawOffset = U32(image, s + 20);
        if (resourceRva >= virtualAddress && resourceRva < virtualAddress + rawSize) {
            layout.sectionOffset = rawOffset + (resourceRva - virtualAddress);
            layout.sectionSize = rawSize - (resourceRva - virtualAddress);
            if (layout.sectionOffset + layout.sectionSize > image.size()) {
                return {};
            }
            Reader reader{image, layout.sectionOffset, layout.sectionOffset + layout.sectionSize, layout};
            reader.Walk(0, 0, L"", L"");
            return layout;
        }
    }
    return layout;
}

size_t PackageResourceEntry(const ResourceLayout& layout, const std::wstring& name) {
    for (const ResourceEntryInFile& entry : layout.entries) {
        if (entry.type == L"#40" && EqualsNoCase(entry.name, name)) {
            return entry.dataEntryOffset;
        }
    }
    return SIZE_MAX;
}

void PutUint32(std::string& bytes, size_t offset, uint32_t value) {
    if (offset + 4 <= bytes.size()) {
        std::memcpy(bytes.data() + offset, &value, 4);
    }
}

} // namespace quentry::test
