#include <windows.h>

#include <gtest/gtest.h>

#include "text/cp1250.h"
#include "platform/text.h"
#include "transfer/text_ops.h"
#include "tests/text_1250/text_1250.h"

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

// The program's one Windows-1250 table, which every text crosses to the W
// API and the tag texts with, agrees with the platform's code page both ways
// for every byte.
TEST(Cp1250Table, MatchesThePlatformForAll256Bytes) {
    for (int b = 0; b < 256; ++b) {
        const std::string in(1, static_cast<char>(b));
        wchar_t w = 0;
        ASSERT_EQ(MultiByteToWideChar(1250, 0, in.data(), 1, &w, 1), 1) << b;
        EXPECT_EQ(UnicodeOf1250(static_cast<unsigned char>(b)), static_cast<char32_t>(w)) << "byte " << b;
        EXPECT_EQ(Widen(in), std::wstring(1, w)) << "byte " << b;
        char back = 0;
        BOOL lossy = FALSE;
        ASSERT_EQ(WideCharToMultiByte(1250, WC_NO_BEST_FIT_CHARS, &w, 1, &back, 1, nullptr, &lossy), 1) << b;
        EXPECT_FALSE(lossy) << "byte " << b;
        EXPECT_EQ(Cp1250Of(w), back) << "byte " << b;
        EXPECT_EQ(Narrow(std::wstring(1, w)), std::string(1, back)) << "byte " << b;
    }
    EXPECT_EQ(Cp1250Of(U'\u0436'), '?');  // Cyrillic: no form
    EXPECT_EQ(Narrow(L"\u0436"), "?");
}

}  // namespace
