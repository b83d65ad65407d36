// Turns a text into printable cipher text that can stand on an installer command line: RC4 over
// the text's UTF-16LE bytes with a key derived from a fixed pass phrase, then base64 with CR LF
// after every 64 characters and after the last line. The server packages decrypt it with the
// same pass phrase, so every detail of this format is fixed.
#pragma once

#include "common/UniqueHandle.h"

#include <optional>
#include <string>
#include <string_view>

namespace quentry {

inline constexpr wchar_t kEncryptionProviderName[] = L"Microsoft Base Cryptographic Provider v1.0";
// The pass phrase the key is derived from (its 32 ASCII bytes, without terminator).
inline constexpr char kEncryptionPassPhrase[] = "9c1d07be44a5f23e8b60d1c7a93f5e02";

// One provider and the key derived in it, made at the first use and kept; a failed derivation
// is tried again at the next use.
class StringEncryptor {
public:
    explicit StringEncryptor(std::wstring providerName = kEncryptionProviderName);

    // The cipher text; none when no key can be made or encrypting or encoding fails: a text is
    // never handed back in plain form. The empty text gives the empty cipher text.
    std::optional<std::wstring> Encrypt(std::wstring_view text);
    // Makes the key when it is not there yet; true when it exists.
    bool EnsureKey();

private:
    std::wstring m_providerName;
    UniqueCryptProvider m_provider;
    UniqueCryptKey m_key;
};

// Encrypt with the process's encryptor (the platform's base provider). User-interface thread only.
std::optional<std::wstring> EncryptString(std::wstring_view text);

} // namespace quentry
