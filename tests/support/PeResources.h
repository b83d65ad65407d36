// Where the resources of a Windows image file lie in its bytes, so that tests can damage them on
// purpose: the resource section, and the data entry (offset and size fields) of every resource.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quentry::test {

struct ResourceEntryInFile {
    std::wstring type; // "#40" for numbered types
    std::wstring name; // upper case as stored, or "#n"
    WORD language = 0;
    size_t dataEntryOffset = 0; // file offset of the entry's data RVA; its size field follows at +4
};

struct ResourceLayout {
    size_t sectionOffset = 0; // file offset and length of the resource section
    size_t sectionSize = 0;
    std::vector<ResourceEntryInFile> entries;
};

// Empty (no entries) when the bytes are not an image with a readable resource directory.
ResourceLayout ReadResourceLayout(const std::string& image);

// The data entry of a resource of type 40 by name (first language); SIZE_MAX when it is missing.
size_t PackageResourceEntry(const ResourceLayout& layout, const std::wstring& name);

void PutUint32(std::string& bytes, size_t offset, uint32_t value);

} // namespace quentry::test
