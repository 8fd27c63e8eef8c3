#include <windows.h>

#include <gtest/gtest.h>

#include "media/cp1250.h"
#include "platform/text.h"
#include "transfer/text_ops.h"

namespace {

// The program's own Windows-1250 upper case agrees with the platform's for
// every byte whose platform capital has a Windows-1250 form.
TEST(Upper1250, MatchesThePlatformForAll256Bytes) {
    int letters = 0;
    for (int b = 0; b < 256; ++b) {
        const std::string in(1, static_cast<char>(b));
        std::wstring w = Widen(in);
        CharUpperBuffW(w.data(), static_cast<DWORD>(w.size()));
        std::string platform = Narrow(w);
        if (platform == "?" && b != '?') platform = in;  // a capital outside the code page
        EXPECT_EQ(static_cast<unsigned char>(Upper1250(static_cast<unsigned char>(b))),
                  static_cast<unsigned char>(platform[0]))
            << "byte " << b;
        if (platform != in) ++letters;
    }
    EXPECT_GE(letters, 26 + 40);  // a-z and the accented small letters
}

// The program's own Windows-1250 table, which the tag texts are converted
// with, agrees with the platform's code page both ways for every byte.
TEST(Cp1250Table, MatchesThePlatformForAll256Bytes) {
    for (int b = 0; b < 256; ++b) {
        const std::string in(1, static_cast<char>(b));
        const std::wstring w = Widen(in);
        ASSERT_EQ(w.size(), 1u) << b;
        EXPECT_EQ(UnicodeOf1250(static_cast<unsigned char>(b)), static_cast<char32_t>(w[0])) << "byte " << b;
        EXPECT_EQ(Cp1250Of(w[0]), in[0]) << "byte " << b;
    }
    EXPECT_EQ(Cp1250Of(U'\u0436'), '?');  // Cyrillic: no form
    EXPECT_EQ(Narrow(L"\u0436"), "?");
}

}  // namespace
