#include "StringPool.h"

#include "common/WideText.h"

namespace quentry::transform {

namespace {

void AppendWord(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}

bool EncodeText(const std::wstring& text, UINT codepage, std::string& out) {
    if (codepage == 0) {
        out.clear();
        for (wchar_t c : text) {
            if (c >= 0x80) {
                return false;
            }
            out += static_cast<char>(c);
        }
        return true;
    }
    // Every character with its own code in the database's code page, or the text is refused.
    out = ToCodePageExact(text, codepage);
    return !out.empty();
}

} // namespace

uint32_t StringPool::Add(const std::wstring& text) {
    if (text.empty()) {
        return 0;
    }
    auto found = m_numbers.find(text);
    if (found != m_numbers.end()) {
        ++m_texts[found->second - 1].references;
        return found->second;
    }
    m_texts.push_back({text, 1});
    const uint32_t number = static_cast<uint32_t>(m_texts.size());
    m_numbers[text] = number;
    return number;
}

bool StringPool::Encode(UINT codepage, std::string& pool, std::string& data, std::wstring& error) const {
    pool.clear();
    data.clear();
    AppendWord(pool, codepage & 0xffff);
    AppendWord(pool, ((codepage >> 16) & 0x7fff) | (BytesPerReference() == 3 ? 0x8000 : 0));
    for (const Entry& entry : m_texts) {
        std::string bytes;
        if (!EncodeText(entry.text, codepage, bytes)) {
            error =
                Format(L"the text \"%s\" cannot be written in code page %u (choose another with --codepage)",
                       entry.text.c_str(), codepage);
            return false;
        }
        const uint32_t references = entry.references > 0xffff ? 0xffff : entry.references;
        if (bytes.size() < 0x10000) {
            AppendWord(pool, static_cast<uint32_t>(bytes.size()));
            AppendWord(pool, references);
        } else {
            // A long text: an entry of length 0 carries the count, the next one the length.
            AppendWord(pool, 0);
            AppendWord(pool, references);
            AppendWord(pool, static_cast<uint32_t>(bytes.size() & 0xffff));
            AppendWord(pool, static_cast<uint32_t>(bytes.size() >> 16));
        }
        data += bytes;
    }
    return true;
}

} // namespace quentry::transform
