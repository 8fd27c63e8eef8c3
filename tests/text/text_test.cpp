#include "text/text.h"

#include <gtest/gtest.h>

TEST(TextCodecs, EveryWindows1250ByteIsOneUnitBothWays) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const Text text = From1250(byte);
        ASSERT_EQ(text.size(), 1u) << b;
        EXPECT_TRUE(Fits1250(text)) << b;
        EXPECT_EQ(To1250(text), byte) << b;
        EXPECT_EQ(FromUtf8(ToUtf8(text)), text) << b;
    }
    EXPECT_EQ(From1250("\x8A\xE8\xF8"), u"\u0160\u010D\u0159");  // Š č ř
}

TEST(TextCodecs, LettersBeyondWindows1250) {
    struct Case {
        Text text;
        const char* utf8;
    } cases[] = {
        {u"\u0424\u043E\u0442\u043E", "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE"},  // Фото
        {u"\u65E5\u672C", "\xE6\x97\xA5\xE6\x9C\xAC"},                    // 日本
        {u"x\U0001F600.txt", "x\xF0\x9F\x98\x80.txt"},                     // a surrogate pair
        {u"c\u030C", "c\xCC\x8C"},                                         // c and a combining caron
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Fits1250(c.text));
        EXPECT_EQ(ToUtf8(c.text), c.utf8);
        EXPECT_EQ(FromUtf8(c.utf8), c.text);
        EXPECT_EQ(To1250(c.text).size(), c.text.size());
    }
    EXPECT_EQ(To1250(u"x\u03B1.txt"), "x?.txt");
}

TEST(TextCodecs, DamagedUtf8) {
    EXPECT_EQ(FromUtf8("\xEF\xBB\xBFok"), u"ok");              // byte-order mark
    EXPECT_EQ(FromUtf8("a\xC3"), u"a\uFFFD");                  // cut at the end
    EXPECT_EQ(FromUtf8("a\xC3z"), u"a\uFFFDz");                // broken by a plain byte
    EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");           // never a shortest form
    EXPECT_EQ(FromUtf8("\xE0\x80\xAF"), u"\uFFFD");             // overlong
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD");             // a surrogate
    EXPECT_EQ(ToUtf8(Text(1, u'\xD800') + u"x"), "\xEF\xBF\xBDx");  // a lone surrogate
}
