#include "common/StringEncryption.h"

#include <cstring>
#include <cwchar>
#include <vector>

namespace quentry {

namespace {

constexpr size_t kBase64LineLength = 64;

} // namespace

StringEncryptor::StringEncryptor(std::wstring providerName) : m_providerName(std::move(providerName)) {}

bool StringEncryptor::EnsureKey() {
    if (m_key) {
        return true;
    }
    if (!m_provider) {
        // Only a key derived from the hash is used, never a stored one: no key container is
        // needed, and a profile that has none (a fresh one) works as well.
        HCRYPTPROV provider = 0;
        if (!::CryptAcquireContextW(&provider, nullptr, m_providerName.c_str(), PROV_RSA_FULL,
                                    CRYPT_VERIFYCONTEXT)) {
            return false;
        }
        m_provider.Reset(provider);
    }
    HCRYPTHASH hashHandle = 0;
    if (!::CryptCreateHash(m_provider.Get(), CALG_SHA1, 0, 0, &hashHandle)) {
        return false;
    }
    const UniqueCryptHash hash(hashHandle);
    if (!::CryptHashData(hash.Get(), reinterpret_cast<const BYTE*>(kEncryptionPassPhrase),
                         static_cast<DWORD>(std::strlen(kEncryptionPassPhrase)), 0)) {
        return false;
    }
    // The provider's default RC4 key of 40 bits with an 88-bit salt: RC4 keyed with the first 16
    // bytes of the digest.
    HCRYPTKEY key = 0;
    if (!::CryptDeriveKey(m_provider.Get(), CALG_RC4, hash.Get(), CRYPT_EXPORTABLE | CRYPT_CREATE_SALT,
                          &key)) {
        return false;
    }
    m_key.Reset(key);
    return true;
}

std::optional<std::wstring> StringEncryptor::Encrypt(std::wstring_view text) {
    if (!EnsureKey()) {
        return std::nullopt;
    }
    if (text.empty()) {
        return std::wstring();
    }
    // UTF-16LE code units, two bytes each, no terminator.
    std::vector<BYTE> bytes(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned unit = static_cast<unsigned>(text[i]) & 0xFFFF;
        bytes[2 * i] = static_cast<BYTE>(unit & 0xFF);
        bytes[2 * i + 1] = static_cast<BYTE>(unit >> 8);
    }
    DWORD length = static_cast<DWORD>(bytes.size());
    // The final (and only) block: the next call starts at the beginning of the key stream again.
    if (!::CryptEncrypt(m_key.Get(), 0, TRUE, 0, bytes.data(), &length, static_cast<DWORD>(bytes.size())) ||
        length != bytes.size()) {
        return std::nullopt;
    }
    // The platform gives the base64 text in one piece, and the line breaks are set here: some
    // versions of the platform leave out the break before a short last line that follows a
    // full one.
    constexpr DWORD kFlags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
    DWORD characters = 0;
    if (!::CryptBinaryToStringW(bytes.data(), length, kFlags, nullptr, &characters) || characters == 0) {
        return std::nullopt;
    }
    std::wstring plain(characters, L'\0');
    if (!::CryptBinaryToStringW(bytes.data(), length, kFlags, plain.data(), &characters)) {
        return std::nullopt;
    }
    plain.resize(std::wcslen(plain.c_str()));
    if (plain.empty()) {
        return std::nullopt;
    }
    std::wstring encoded;
    for (size_t start = 0; start < plain.size(); start += kBase64LineLength) {
        encoded.append(plain, start, kBase64LineLength);
        encoded += L"\r\n";
    }
    return encoded;
}

std::optional<std::wstring> EncryptString(std::wstring_view text) {
    static StringEncryptor encryptor;
    return encryptor.Encrypt(text);
}

} // namespace quentry
