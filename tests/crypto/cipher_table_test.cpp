// Look-ups in the cipher table: exact identifiers and display names, and the
// prefix rule by which the bytes of "TYPE" select an identifier.
#include "crypto/cipher_table.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CipherTable, EveryDisplayNameLeadsBackToItsEntry) {
    for (const CipherEntry& entry : kCipherTable) {
        const std::string_view identifier = CipherIdentifierFromDisplayName(entry.displayName);
        const CipherEntry* found = FindCipher(identifier);
        ASSERT_NE(found, nullptr) << entry.displayName;
        EXPECT_EQ(found, &entry);
    }
}

TEST(CipherTable, LookUpsAreExactAndCaseSensitive) {
    for (const char* nearMiss :
         {"aes", "Aes", "AES ", " AES", "AES-256-CBC", "Camellia", "camellia", "SM", "", "DES"}) {
        EXPECT_EQ(FindCipher(nearMiss), nullptr) << '"' << nearMiss << '"';
    }
    for (const char* nearMiss : {"aes-256-cbc", "AES-256-CBC ", "CAMELLIA-256-CBC", "AES", "SM4-128", ""}) {
        EXPECT_EQ(CipherIdentifierFromDisplayName(nearMiss), "") << '"' << nearMiss << '"';
    }
}

struct TypeCase {
    const char* name;
    std::string bytes;
    const char* identifier;
};

class CipherFromType : public testing::TestWithParam<TypeCase> {};

TEST_P(CipherFromType, SelectsByPrefixUpToAZeroByte) {
    const TypeCase& c = GetParam();
    // An exactly sized copy, so reading past the resource bytes would be seen.
    const std::vector<unsigned char> type(c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(CipherIdentifierFromType(type.data(), type.size()), c.identifier);
}

INSTANTIATE_TEST_SUITE_P(
    TypeBytes, CipherFromType,
    testing::Values(TypeCase{"Aes", "AES", "AES"}, TypeCase{"Camellia", "CAMELLIA", "CAMELLIA"},
                    TypeCase{"Sm4", "SM4", "SM4"}, TypeCase{"Seed", "SEED", "SEED"},
                    TypeCase{"AesWithTerminator", std::string("AES\0", 4), "AES"},
                    TypeCase{"AesFollowedByBytes", "AES-256-CBC", "AES"},
                    TypeCase{"SeedFollowedByBytes", "SEEDxyz", "SEED"}, TypeCase{"LowerCase", "seed", ""},
                    TypeCase{"ByteInFront", " SM4", ""}, TypeCase{"IdentifierLater", "xxCAMELLIA", ""},
                    TypeCase{"Truncated", "CAMELLI", ""},
                    TypeCase{"ZeroInsideIdentifier",
                             std::string("SM\0"
                                         "4",
                                         4),
                             ""},
                    TypeCase{"Empty", "", ""}, TypeCase{"DisplayName", "Camellia-256-CBC", ""}),
    [](const testing::TestParamInfo<TypeCase>& info) { return info.param.name; });

}  // namespace
