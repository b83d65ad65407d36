#include "common/StringEncryption.h"

#include "common/UniqueHandle.h"
#include "common/WideText.h"

#include "EncryptionReference.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace quentry {
namespace {

// Decrypts a cipher text with a key derived in the same way, through a provider of this test.
std::wstring Decrypt(const std::wstring& cipherText) {
    HCRYPTPROV providerHandle = 0;
    EXPECT_TRUE(::CryptAcquireContextW(&providerHandle, nullptr, kEncryptionProviderName, PROV_RSA_FULL,
                                       CRYPT_VERIFYCONTEXT));
    const UniqueCryptProvider provider(providerHandle);
    HCRYPTHASH hashHandle = 0;
    EXPECT_TRUE(::CryptCreateHash(provider.Get(), CALG_SHA1, 0, 0, &hashHandle));
    const UniqueCryptHash hash(hashHandle);
    EXPECT_TRUE(::CryptHashData(hash.Get(), reinterpret_cast<const BYTE*>(kEncryptionPassPhrase), 32, 0));
    HCRYPTKEY keyHandle = 0;
    EXPECT_TRUE(::CryptDeriveKey(provider.Get(), CALG_RC4, hash.Get(), 5, &keyHandle));
    const UniqueCryptKey key(keyHandle);
    DWORD size = 0;
    EXPECT_TRUE(::CryptStringToBinaryW(cipherText.c_str(), static_cast<DWORD>(cipherText.size()),
                                       CRYPT_STRING_BASE64, nullptr, &size, nullptr, nullptr));
    std::vector<BYTE> bytes(size);
    EXPECT_TRUE(::CryptStringToBinaryW(cipherText.c_str(), static_cast<DWORD>(cipherText.size()),
                                       CRYPT_STRING_BASE64, bytes.data(), &size, nullptr, nullptr));
    EXPECT_TRUE(::CryptDecrypt(key.Get(), 0, TRUE, 0, bytes.data(), &size));
    std::wstring text;
    for (DWORD i = 0; i + 1 < size; i += 2) {
        text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    }
    return text;
}

// The lengths of the lines of a cipher text, each of which must end with CR LF.
std::vector<size_t> LineLengths(const std::wstring& text) {
    std::vector<size_t> lengths;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            ADD_FAILURE() << "a line without CR LF";
            break;
        }
        lengths.push_back(end - start);
        start = end + 2;
    }
    return lengths;
}

TEST(StringEncryptionTest, MatchesTheIndependentReferenceByteForByte) {
    for (const EncryptionReference& reference : kEncryptionReferences) {
        SCOPED_TRACE(reference.name);
        const std::optional<std::wstring> cipherText = EncryptString(reference.text);
        ASSERT_TRUE(cipherText.has_value());
        EXPECT_EQ(ToUtf8(*cipherText), reference.cipherText);
        EXPECT_EQ(std::wcslen(reference.text) * 2, reference.cipherBytes);
        // The key stream starts again at every call.
        EXPECT_EQ(EncryptString(reference.text), cipherText);
        EXPECT_EQ(Decrypt(*cipherText), reference.text);
    }
}

TEST(StringEncryptionTest, LinesOf64CharactersEachEndedByCrLf) {
    const struct {
        std::wstring text;
        std::vector<size_t> lines;
    } cases[] = {
        {L"abc", {8}},                      // 6 bytes
        {std::wstring(24, L'p'), {64}},     // 48 bytes: one full line
        {std::wstring(25, L'p'), {64, 4}},  // 50 bytes
        {std::wstring(48, L'p'), {64, 64}}, // 96 bytes
        {std::wstring(100, L'\x00E9'), {64, 64, 64, 64, 12}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.size());
        const std::optional<std::wstring> cipherText = EncryptString(c.text);
        ASSERT_TRUE(cipherText.has_value());
        EXPECT_EQ(LineLengths(*cipherText), c.lines);
        EXPECT_EQ(Decrypt(*cipherText), c.text);
    }
}

TEST(StringEncryptionTest, TheEmptyTextGivesTheEmptyCipherText) {
    EXPECT_EQ(EncryptString(L""), std::wstring());
}

TEST(StringEncryptionTest, WithoutAProviderNothingIsHandedBackInPlainText) {
    StringEncryptor encryptor(L"Quentry Test Provider That Does Not Exist");
    EXPECT_FALSE(encryptor.EnsureKey());
    EXPECT_EQ(encryptor.Encrypt(L"secret"), std::nullopt);
    // Tried again, with the same answer.
    EXPECT_EQ(encryptor.Encrypt(L"secret"), std::nullopt);
}

TEST(StringEncryptionTest, AFreshEncryptorNeedsNoKeyContainer) {
    StringEncryptor encryptor;
    EXPECT_TRUE(encryptor.EnsureKey());
    EXPECT_EQ(encryptor.Encrypt(L"abc"), EncryptString(L"abc"));
}

} // namespace
} // namespace quentry
