// The string pool of a transform: every text its rows refer to, numbered from 1 with a reference
// count, written as the streams _StringPool (header and one length/count entry per string) and
// _StringData (the texts one after another in the pool's code page).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quentry::transform {

class StringPool {
public:
    // The number of text; the empty text is 0 (null). Every call counts one reference.
    uint32_t Add(const std::wstring& text);

    // 2 while every number fits into 16 bits, else 3.
    unsigned BytesPerReference() const { return m_texts.size() > 0xffff ? 3 : 2; }

    // Encodes both streams. Fails when a text cannot be written in the code page (a neutral code
    // page, 0, takes ASCII only).
    bool Encode(UINT codepage, std::string& pool, std::string& data, std::wstring& error) const;

private:
    struct Entry {
        std::wstring text;
        uint32_t references = 0;
    };
    std::vector<Entry> m_texts; // number i + 1
    std::map<std::wstring, uint32_t> m_numbers;
};

} // namespace quentry::transform
