#include "storage/blowfish.h"

#include <gtest/gtest.h>

#include <string>

namespace pomix {
namespace {

Bytes FromHex(const std::string& hex) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::string KeyFromHex(const std::string& hex) {
    const Bytes bytes = FromHex(hex);
    return std::string(bytes.begin(), bytes.end());
}

// The published vectors write each half as a big-endian word; this cipher reads its halves
// little-endian, so each 4-byte half is turned around on the way in and out.
Bytes SwapHalves(Bytes block) {
    std::reverse(block.begin(), block.begin() + 4);
    std::reverse(block.begin() + 4, block.begin() + 8);
    return block;
}

struct Vector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// Eric Young's ECB test vectors.
const Vector kEcbVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

// The same author's key-length vectors: plain FEDCBA9876543210 under the first 1 to 24 bytes
// of one key, which checks that shorter keys are used cyclically.
const char kLongKey[] = "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677";
const char* const kKeyLengthCiphers[] = {
    "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05",
    "B39E44481BDB1E6E", "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82",
    "15750E7A4F4EC577", "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2",
    "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F", "93142887EE3BE15C",
    "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
    "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
};

// Enciphers one 8-byte block in the published byte order; the fill block is checked apart.
Bytes EncipherBlock(const std::string& key, const Bytes& plain) {
    Bytes buffer = SwapHalves(plain);
    Encipher(buffer, key);
    EXPECT_EQ(buffer.size(), 16u);
    buffer.resize(8);
    return SwapHalves(buffer);
}

TEST(Blowfish, PublishedEcbVectors) {
    for (const Vector& v : kEcbVectors) {
        SCOPED_TRACE(std::string("key ") + v.key + " plain " + v.plain);
        const std::string key = KeyFromHex(v.key);
        EXPECT_EQ(EncipherBlock(key, FromHex(v.plain)), FromHex(v.cipher));

        // And back: the cipher block followed by an enciphered fill block.
        Bytes buffer = SwapHalves(FromHex(v.plain));
        Encipher(buffer, key);
        Decipher(buffer, key);
        EXPECT_EQ(SwapHalves(buffer), FromHex(v.plain));
    }
}

TEST(Blowfish, KeysOfEveryLengthAreUsedCyclically) {
    const std::string longKey = KeyFromHex(kLongKey);
    const Bytes plain = FromHex("FEDCBA9876543210");
    for (std::size_t length = 1; length <= std::size(kKeyLengthCiphers); ++length) {
        SCOPED_TRACE("key length " + std::to_string(length));
        EXPECT_EQ(EncipherBlock(longKey.substr(0, length), plain),
                  FromHex(kKeyLengthCiphers[length - 1]));
    }
}

TEST(Blowfish, OnlyTheKeyLengthModulo256Counts) {
    const Bytes plain = FromHex("0123456789ABCDEF");
    // 257 bytes use only the first one; 256 bytes (and none) leave no usable key.
    const std::string key257 = "k" + std::string(256, 'z');
    EXPECT_EQ(EncipherBlock(key257, plain), EncipherBlock("k", plain));
    EXPECT_NE(EncipherBlock("kz", plain), EncipherBlock("k", plain));
    EXPECT_EQ(EncipherBlock(std::string(255, 'q'), plain).size(), 8u);

    for (const std::string& bad : {std::string(), std::string(256, 'z'), std::string(512, 'a')}) {
        Bytes buffer = FromHex("0011223344");
        const Bytes before = buffer;
        EXPECT_THROW(Encipher(buffer, bad), EKeyError) << bad.size();
        EXPECT_THROW(Decipher(buffer, bad), EKeyError) << bad.size();
        EXPECT_EQ(buffer, before);
    }
}

TEST(Blowfish, FillBytesMakeWholeBlocksAndAreDroppedAgain) {
    struct Case {
        std::size_t size;
        std::size_t fill;  // k: bytes 0x01 before the final byte k
    };
    const Case cases[] = {{1, 6}, {6, 1}, {7, 8}, {8, 7}, {9, 6}, {15, 8}, {16, 7}, {100, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size));
        Bytes plain(c.size);
        for (std::size_t i = 0; i < c.size; ++i) plain[i] = static_cast<std::uint8_t>(i * 7 + 1);
        Bytes buffer = plain;
        Encipher(buffer, "secret");
        EXPECT_EQ(buffer.size(), c.size + c.fill + 1);
        EXPECT_EQ(buffer.size() % 8, 0u);

        // Deciphering the blocks with the fill rule switched off shows the fill itself:
        // the last block ends in k bytes 0x01 and then k.
        Bytes tail(buffer.end() - 8, buffer.end());
        Bytes fillBlock = tail;
        fillBlock.push_back(0);  // a trailing byte that stays plain and is dropped with k = 0
        Decipher(fillBlock, "secret");
        ASSERT_EQ(fillBlock.size(), 8u);
        EXPECT_EQ(fillBlock.back(), c.fill);
        for (std::size_t i = 8 - 1 - std::min<std::size_t>(c.fill, 7); i < 7; ++i) {
            EXPECT_EQ(fillBlock[i], 0x01) << "byte " << i;
        }

        Decipher(buffer, "secret");
        EXPECT_EQ(buffer, plain);
    }
}

TEST(Blowfish, EmptyBufferStaysEmpty) {
    Bytes buffer;
    Encipher(buffer, "key");
    EXPECT_TRUE(buffer.empty());
    Decipher(buffer, "key");
    EXPECT_TRUE(buffer.empty());
}

TEST(Blowfish, BlocksAreEncipheredAloneAndTrailingBytesStayPlain) {
    Bytes twice(16, 0x41);
    Encipher(twice, "ecb");
    EXPECT_TRUE(std::equal(twice.begin(), twice.begin() + 8, twice.begin() + 8));

    // Bytes after the last whole block are not deciphered; a fill count of 0 drops one byte.
    Bytes buffer = FromHex("00");
    Decipher(buffer, "ecb");
    EXPECT_TRUE(buffer.empty());
}

TEST(Blowfish, FillCountLargerThanTheBufferIsCorrupt) {
    // Two plain blocks ending in 200: their cipher blocks alone decipher to a fill count
    // that the 16 bytes cannot hold.
    Bytes plain(16, 0x33);
    plain.back() = 200;
    Bytes buffer = plain;
    Encipher(buffer, "guard");
    buffer.resize(16);
    const Bytes before = buffer;
    EXPECT_THROW(Decipher(buffer, "guard"), ECorruptFile);
    EXPECT_EQ(buffer, before);

    Bytes single = FromHex("FF");
    EXPECT_THROW(Decipher(single, "guard"), ECorruptFile);
}

TEST(Blowfish, WeakKeyLeavesTheBufferUnchanged) {
    // Found by a search over 4-byte keys: its schedule makes two entries of an S-box equal.
    // About one key in 33,000 does; the next key is an ordinary one.
    const std::string weak("\xC7\x19\0\0", 4);
    const std::string ordinary("\xC8\x19\0\0", 4);
    const Bytes plain = FromHex("0011223344556677889900");
    Bytes buffer = plain;
    Encipher(buffer, weak);
    EXPECT_EQ(buffer, plain);
    Decipher(buffer, weak);
    EXPECT_EQ(buffer, plain);

    Encipher(buffer, ordinary);
    EXPECT_EQ(buffer.size(), 16u);
    Decipher(buffer, ordinary);
    EXPECT_EQ(buffer, plain);
}

TEST(Blowfish, WrongKeyDoesNotGiveThePlainTextBack) {
    Bytes buffer(40, 0x5A);
    Encipher(buffer, "right");
    try {
        Decipher(buffer, "wrong");
        EXPECT_NE(buffer, Bytes(40, 0x5A));
    } catch (const ECorruptFile&) {
        SUCCEED();  // a garbage fill count is as good a refusal
    }
}

}  // namespace
}  // namespace pomix
