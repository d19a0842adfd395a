#include "platform/Cp1250.h"

#include <gtest/gtest.h>
#include <iconv.h>

using namespace platform;

namespace {

// glibc's converter as the independent table; false where it has no character.
bool IconvDecode(unsigned char byte, std::string& utf8) {
    iconv_t cd = iconv_open("UTF-8", "CP1250");
    if (cd == reinterpret_cast<iconv_t>(-1)) ADD_FAILURE() << "iconv has no CP1250";
    char in[1] = {static_cast<char>(byte)};
    char out[8];
    char* inp = in;
    char* outp = out;
    size_t inLeft = 1, outLeft = sizeof out;
    const size_t rc = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) return false;
    utf8.assign(out, outp);
    return true;
}

}  // namespace

TEST(Cp1250, EveryByteMatchesIconvAndRoundTrips) {
    const std::string undefined = "\x81\x83\x88\x90\x98";
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string ours = Cp1250ToUtf8(byte);
        std::string theirs;
        if (IconvDecode(static_cast<unsigned char>(b), theirs)) {
            EXPECT_EQ(ours, theirs) << "byte " << b;
            EXPECT_EQ(undefined.find(byte), std::string::npos) << "byte " << b;
        } else {
            ASSERT_NE(undefined.find(byte), std::string::npos) << "iconv leaves byte " << b << " undefined";
            const std::string c1 = {static_cast<char>(0xC2), static_cast<char>(b)};
            EXPECT_EQ(ours, c1) << "byte " << b;
        }
        EXPECT_EQ(Utf8ToCp1250(ours), byte) << "byte " << b;
    }
}

TEST(Cp1250, PolishText) {
    const std::string cp =
        "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1 \xA3\xD3\x8C\xAF\x8F\xC6\xD1\xCA\xA5";
    const std::string utf8 = "Zażółć gęślą jaźń ŁÓŚŻŹĆŃĘĄ";
    EXPECT_EQ(Cp1250ToUtf8(cp), utf8);
    EXPECT_EQ(Utf8ToCp1250(utf8), cp);
}

TEST(Cp1250, UnmappableAndInvalidUtf8AreReplaced) {
    struct Case {
        std::string utf8;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"a\xE2\x82\xAC"
         "b",
         "a\x80"
         "b"},                      // the euro sign has a byte
        {"\xE6\x97\xA5", "?"},      // a character the code page lacks
        {"\xF0\x9F\x98\x80", "?"},  // outside the BMP
        {"\xC2\x80", "?"},          // C1 control with no byte
        {"\xFF"
         "a",
         "?a"},
        {"\xC3", "?"},  // cut short at the end
        {"\xE2\x82"
         "a",
         "??a"},                       // cut short inside
        {"\xC0\xAF", "??"},            // overlong
        {"\xED\xA0\x80", "???"},       // surrogate
        {"\xF4\x90\x80\x80", "????"},  // above U+10FFFF
        {"\x80\xBF", "??"},            // stray continuation bytes
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8ToCp1250(c.utf8), c.expected) << c.utf8;
    EXPECT_EQ(Utf8ToCp1250("\xE6\x97\xA5", '_'), "_");
}

TEST(Cp1250, DecodeText8FollowsTheBom) {
    EXPECT_TRUE(HasUtf8Bom("\xEF\xBB\xBFx"));
    EXPECT_FALSE(HasUtf8Bom("\xEF\xBB"));
    EXPECT_EQ(DecodeText8("\xEF\xBB\xBF\xC5\x81"
                          "a"),
              "\xC5\x81"
              "a");
    EXPECT_EQ(DecodeText8("\xA3"
                          "a"),
              "\xC5\x81"
              "a");
    EXPECT_EQ(DecodeText8(""), "");
}

TEST(Cp1250, TextMarkedUtf8KeepsItsCharactersAndLosesOnlyBadBytes) {
    const std::string bad = "\xEF\xBF\xBD";  // U+FFFD
    struct Case {
        const char* Name;
        std::string Bytes, Clean;
    };
    const Case cases[] = {
        {"well formed", "a\xC5\x81\xE2\x82\xAC\xF0\x9F\x98\x80", "a\xC5\x81\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {"stray continuation",
         "a\x80"
         "b",
         "a" + bad + "b"},
        {"cut short inside",
         "\xE2\x82"
         "a",
         bad + bad + "a"},
        {"cut short at the end", "a\xC3", "a" + bad},
        {"overlong", "\xC0\xAF", bad + bad},
        {"surrogate", "\xED\xA0\x80", bad + bad + bad},
        {"above U+10FFFF", "\xF4\x90\x80\x80", bad + bad + bad + bad},
        {"code page bytes",
         "\xA3\xF3"
         "d\x9F",
         bad + bad + "d" + bad},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CleanUtf8(c.Bytes), c.Clean) << c.Name;
        EXPECT_EQ(DecodeText8("\xEF\xBB\xBF" + c.Bytes), c.Clean) << c.Name;
    }
}
