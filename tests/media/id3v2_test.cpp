#include "media/ID3v2.h"

#include <gtest/gtest.h>

#include "media/mp3_tag_rules.h"
#include "tests/text_1250/text_1250.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Str(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A version 3/4 frame: identifier, plain 32-bit size, two flag bytes, data.
// declared < 0: the size of the data.
Bytes Frame(const std::string& id, const std::string& data, std::int64_t declared = -1) {
    const auto size = static_cast<std::uint32_t>(declared < 0 ? static_cast<std::int64_t>(data.size()) : declared);
    Bytes f = Str(id);
    for (int shift = 24; shift >= 0; shift -= 8) f.push_back(static_cast<std::uint8_t>(size >> shift));
    f.push_back(0);
    f.push_back(0);
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

Bytes Frame22(const std::string& id, const std::string& data) {
    Bytes f = Str(id);
    const auto size = static_cast<std::uint32_t>(data.size());
    for (int shift = 16; shift >= 0; shift -= 8) f.push_back(static_cast<std::uint8_t>(size >> shift));
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

// "ID3", version, 0, flags, a 28-bit size of the frames plus padding, frames, audio.
Bytes Tag(std::uint8_t version, const std::vector<Bytes>& frames, std::size_t padding = 4,
          const std::string& audio = "AUDIO", std::int64_t declared = -1) {
    Bytes body;
    for (const auto& f : frames) body.insert(body.end(), f.begin(), f.end());
    body.resize(body.size() + padding, 0);
    const auto s = static_cast<std::uint32_t>(declared >= 0 ? declared : static_cast<std::int64_t>(body.size()));
    Bytes t = {'I', 'D', '3', version, 0, 0, static_cast<std::uint8_t>(s >> 21 & 0x7F),
               static_cast<std::uint8_t>(s >> 14 & 0x7F), static_cast<std::uint8_t>(s >> 7 & 0x7F),
               static_cast<std::uint8_t>(s & 0x7F)};
    t.insert(t.end(), body.begin(), body.end());
    t.insert(t.end(), audio.begin(), audio.end());
    return t;
}

TID3v2 Read(const Bytes& b, bool* ok = nullptr) {
    TID3v2 tag;
    MemorySource src(b);
    const bool r = tag.ReadTagFrom(src);
    if (ok) *ok = r;
    return tag;
}

const std::string E = std::string(1, '\0');  // the text-encoding byte

TEST(ID3v2Read, MajorVersions) {
    const std::vector<Bytes> v3 = {Frame("TIT2", E + "Song"), Frame("TPE1", E + "Band"),
                                   Frame("TALB", E + "Album"), Frame("TRCK", E + "7/12"),
                                   Frame("TYER", E + "1999"), Frame("TCON", E + "(17)Rock")};
    for (std::uint8_t version : {3, 4}) {
        TID3v2 t = Read(Tag(version, v3));
        EXPECT_TRUE(t.TagPresent);
        EXPECT_EQ(t.MajorVersion, version);
        EXPECT_EQ(t.Title, u"Song");
        EXPECT_EQ(t.Artist, u"Band");
        EXPECT_EQ(t.Album, u"Album");
        EXPECT_EQ(t.Track, 7);
        EXPECT_EQ(t.Year, u"1999");
        EXPECT_EQ(t.Genre, u"Rock");
    }
    TID3v2 t2 = Read(Tag(2, {Frame22("TT2", E + "Old"), Frame22("TP1", E + "Artist")}));
    EXPECT_EQ(t2.Title, u"Old");
    EXPECT_EQ(t2.Artist, u"Artist");
    for (std::uint8_t version : {0, 1, 5}) {
        TID3v2 t = Read(Tag(version, v3));
        EXPECT_TRUE(t.TagPresent) << int(version);
        EXPECT_EQ(t.MajorVersion, version);
        EXPECT_EQ(t.Title, u"");
    }
    bool ok = false;
    TID3v2 none = Read(Str("RIFF....WAVEfmt "), &ok);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(none.TagPresent);
    Read(Str("ID3\x03"), &ok);  // shorter than ten bytes
    EXPECT_FALSE(ok);
}

TEST(ID3v2Read, SizesAndDamage) {
    // Declared size beyond the file: present, no size, no fields.
    TID3v2 big = Read(Tag(3, {Frame("TIT2", E + "x")}, 4, "", 100000));
    EXPECT_TRUE(big.TagPresent);
    EXPECT_EQ(big.TagSize, 0);
    EXPECT_EQ(big.Title, u"");

    // 300 data bytes: 250 stored, the next frame still found after all 300.
    const std::string longTitle = E + std::string(299, 'a');
    TID3v2 t = Read(Tag(3, {Frame("TIT2", longTitle), Frame("TPE1", E + "After")}));
    EXPECT_EQ(t.Title, Text(249, u'a'));
    EXPECT_EQ(t.Artist, u"After");

    // A version 4 tag written with plain sizes: 00 00 01 48 holds 328 bytes,
    // and the syncsafe reading (200) would land inside the frame.
    TID3v2 v4 = Read(Tag(4, {Frame("TIT2", E + std::string(327, 'b')), Frame("TPE1", E + "Next")}));
    EXPECT_EQ(v4.Artist, u"Next");

    // A size near 2^32 ends the loop instead of wrapping the position.
    TID3v2 huge = Read(Tag(3, {Frame("TIT2", E + "T"), Frame("TPE1", E + "A", 0xFFFFFFF0u)}));
    EXPECT_EQ(huge.Title, u"T");
    EXPECT_EQ(huge.Artist, u"");  // its data runs past the file

    // An extended header whose first byte is zero: no frames are read.
    Bytes ext = Tag(3, {Bytes{0, 0, 0, 6, 0, 0}, Frame("TIT2", E + "Hidden")});
    EXPECT_EQ(Read(ext).Title, u"");
    EXPECT_EQ(Read(ext).TagSize, static_cast<std::int64_t>(ext.size() - 5));
}

TEST(ID3v2Read, CommentYearLinkAndRepeatedFrames) {
    TID3v2 t = Read(Tag(3, {Frame("COMM", E + "deu" + "x" + E + "first"),
                            Frame("COMM", E + "deu" + "x" + E + "hello"),
                            Frame("TDRC", E + "2004-05-01"), Frame("WXXX", E + "d" + E + "http://x.cz"),
                            Frame("TOPE", E + "Original"), Frame("TOAL", E + "OldAlbum"),
                            Frame("TCOP", E + "(c) me  ")}));
    EXPECT_EQ(t.Comment, u"hello");
    EXPECT_EQ(t.Year, u"2004");
    EXPECT_EQ(t.Link, u"http://x.cz");
    EXPECT_EQ(t.Artist, u"Original");
    EXPECT_EQ(t.Album, u"OldAlbum");
    EXPECT_EQ(t.Rights, u"(c) me");
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}
Text Repeat16(const Text& s, int n) {
    Text out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// UTF-16 little-endian bytes of ASCII text, or of code units given as such.
std::string Le(const std::u16string& text) {
    std::string b;
    for (char16_t u : text) {
        b += static_cast<char>(u & 0xFF);
        b += static_cast<char>(u >> 8);
    }
    return b;
}
std::string Be(const std::u16string& text) {
    std::string b;
    for (char16_t u : text) {
        b += static_cast<char>(u >> 8);
        b += static_cast<char>(u & 0xFF);
    }
    return b;
}

// Frames in every encoding read whole: "Píseň", "Čech", "Živě"; 8-bit text
// as Windows-1250; other letters, pairs and combining marks as they are.
TEST(ID3v2Read, TextEncodings) {
    const std::string u1 = "\x01", u2 = "\x02", u3 = "\x03";
    const Text emoji = u"\U0001F3B5", cyrillic = u"\u0416\u0438\u0437\u043D\u044C", greek = u"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1",
               cjk = u"\u6771\u4EAC", combining = u"c\u030Cau";
    struct Case { std::uint8_t version; Bytes frame; Text TID3v2::*field; Text text; };
    const std::vector<Case> cases = {
        {3, Frame("TIT2", u1 + "\xFF\xFE" + Le(u"P\u00EDse\u0148") + std::string(2, '\0')), &TID3v2::Title, u"P\u00EDse\u0148"},
        {3, Frame("TPE1", u1 + "\xFE\xFF" + Be(u"\u010Cech")), &TID3v2::Artist, u"\u010Cech"},
        {3, Frame("TALB", u2 + Be(u"\u017Eiv\u011B")), &TID3v2::Album, u"\u017Eiv\u011B"},
        {4, Frame("TCON", u3 + "\xC5\xBDiv\xC4\x9B"), &TID3v2::Genre, u"\u017Div\u011B"},
        {3, Frame("TIT2", E + "P\xEDse\xF2"), &TID3v2::Title, u"P\u00EDse\u0148"},  // 8-bit: Windows-1250
        {2, Frame22("TT2", u1 + "\xFF\xFE" + Le(u"Old")), &TID3v2::Title, u"Old"},
        // Two strings, each with its own byte-order mark; the second one big-endian.
        {3, Frame("TCOM", u1 + "\xFF\xFE" + Le(u"A") + std::string(2, '\0') + "\xFE\xFF" + Be(u"B")),
         &TID3v2::Composer, Text(u"A\0B", 3)},
        // Several values of a version 4 frame, as the version 3 tag written holds them.
        {4, Frame("TCOM", u1 + "\xFF\xFE" + Le(u"A") + std::string(2, '\0') + "\xFE\xFF" + Be(u"B")),
         &TID3v2::Composer, u"A/B"},
        // Letters beyond Windows-1250, a pair and a combining mark in each encoding.
        {3, Frame("TIT2", u1 + "\xFF\xFE" + Le(cyrillic)), &TID3v2::Title, cyrillic},
        {4, Frame("TPE1", u2 + Be(greek)), &TID3v2::Artist, greek},
        {4, Frame("TALB", u3 + ToUtf8(cjk)), &TID3v2::Album, cjk},
        {3, Frame("TCON", u1 + "\xFE\xFF" + Be(emoji + u" " + emoji)), &TID3v2::Genre, emoji + u" " + emoji},
        {4, Frame("TCON", u3 + ToUtf8(emoji)), &TID3v2::Genre, emoji},
        {3, Frame("TCOM", u1 + "\xFF\xFE" + Le(combining)), &TID3v2::Composer, combining},
        {4, Frame("TCOM", u3 + ToUtf8(combining)), &TID3v2::Composer, combining},
        // A lone surrogate, an odd last byte, and broken UTF-8: U+FFFD, never '?'.
        {3, Frame("TENC", u1 + "\xFF\xFE" + Le(u"\u0436x\xD800y\xD83D\xDE00z") + "Q"), &TID3v2::Encoder,
         u"\u0436x\uFFFDy\U0001F600z"},
        {4, Frame("TCOP", u3 + "a\xC3" "b\xE2\x82\xAC\xC0\x80\xF0\x9F\x98\x80"), &TID3v2::Rights,
         u"a\uFFFDb\u20AC\uFFFD\U0001F600"},
        {3, Frame("TLAN", u1 + "\xFF\xFE"), &TID3v2::Language, u""},
        // Comment and link: the description ends at the encoding's own terminator.
        {3, Frame("COMM", u1 + "eng" + "\xFF\xFE" + Le(u"d\u0100") + std::string(2, '\0') + "\xFF\xFE" + Le(u"\u010Cau")),
         &TID3v2::Comment, u"\u010Cau"},
        {4, Frame("COMM", u3 + "deu" + "x\xC3\xA1" + std::string(1, '\0') + "\xC4\x8D" "au"), &TID3v2::Comment, u"\u010Dau"},
        {3, Frame("COMM", u1 + "rus" + "\xFF\xFE" + Le(cyrillic) + std::string(2, '\0') + "\xFF\xFE" + Le(emoji + cjk)),
         &TID3v2::Comment, emoji + cjk},
        {4, Frame("COMM", u3 + "ell" + ToUtf8(emoji) + E + ToUtf8(greek + combining)), &TID3v2::Comment, greek + combining},
        {3, Frame("WXXX", u1 + "\xFF\xFE" + Le(u"\u0161") + std::string(2, '\0') + "http://x.cz/\xE9"),
         &TID3v2::Link, u"http://x.cz/\u00E9"},
        {3, Frame("COMM", u1 + "en"), &TID3v2::Comment, u""},
        // A UTF-8 byte-order mark at the start of each string is skipped.
        {4, Frame("TIT2", u3 + "\xEF\xBB\xBF" "Song"), &TID3v2::Title, u"Song"},
        {4, Frame("COMM", u3 + "eng" + "\xEF\xBB\xBF" "d" + E + "\xEF\xBB\xBF" "\xC4\x8D" "au"), &TID3v2::Comment, u"\u010Dau"},
    };
    for (const auto& c : cases) {
        TID3v2 t = Read(Tag(c.version, {c.frame}));
        EXPECT_EQ(t.*c.field, c.text) << std::string(c.frame.begin(), c.frame.begin() + 4) << " " << ToUtf8(c.text);
    }
    // Data past 250 bytes is cut in the middle of a character: what is whole
    // is read, and a pair is never halved. A version 4 text is read as the
    // version 3 tag holds it, in UTF-16 after a byte-order mark.
    TID3v2 cut = Read(Tag(3, {Frame("TIT2", u1 + "\xFF\xFE" + Le(std::u16string(200, u'\u010D')))}));
    EXPECT_EQ(cut.Title, Text(123, u'\u010D'));
    TID3v2 cut8 = Read(Tag(4, {Frame("TIT2", u3 + Repeat("\xC4\x8D", 125))}));
    EXPECT_EQ(cut8.Title, Text(123, u'\u010D'));
    TID3v2 cutPair = Read(Tag(3, {Frame("TIT2", u1 + "\xFF\xFE" + Le(Text(100, u'x') + Repeat16(emoji, 40)))}));
    EXPECT_EQ(cutPair.Title, Text(100, u'x') + Repeat16(emoji, 11));
    TID3v2 cutPair8 = Read(Tag(4, {Frame("TIT2", u3 + Repeat(ToUtf8(emoji), 80))}));
    EXPECT_EQ(cutPair8.Title, Repeat16(emoji, 61));
}

TEST(ID3v2Parsers, Tables) {
    const std::vector<std::pair<std::string, int>> tracks = {
        {"7/12", 7}, {"007", 7}, {"7a", 0}, {"300", 300}, {"$10", 16}, {"x1F", 31}, {"0x10", 16},
        {"", 0}, {"-1", -1}, {" 12 ", 12}, {"99999999999", 0}, {"+5", 5}, {"$", 0}};
    for (const auto& [s, v] : tracks) EXPECT_EQ(ParseTrack(s), v) << s;
    EXPECT_EQ(static_cast<std::uint8_t>(ParseTrack("300")), 44);

    const std::vector<std::pair<std::string, std::string>> genres = {
        {"(17)Rock", "Rock"}, {"(17)", ""}, {"(17) Rock", " Rock"}, {"Rock (live)", ""}, {"Jazz", "Jazz"}};
    for (const auto& [s, v] : genres) EXPECT_EQ(ParseGenre(s), v) << s;

    EXPECT_EQ(ParseComment(E + "eng" + E + "text" + std::string(5, '\0')), "text");
    EXPECT_EQ(ParseComment(E + "engno zero"), "no zero");
    EXPECT_EQ(ParseComment("ab"), "");
    EXPECT_EQ(ParseLink(E + E + "http://a"), "http://a");
    EXPECT_EQ(ParseYear("  ", "2004-05-01"), "2004");
    EXPECT_EQ(ParseYear("1999", "2004"), "1999");
    EXPECT_EQ(FirstNonEmpty(" \x01", " b "), "b");
}

TEST(ID3v2Write, ExactBytes) {
    TID3v2 t;
    t.SetTitle(u"  Song ");
    TagInfo info = t.TagInfoForWrite();
    const Bytes expected = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0x0F, 'T', 'I', 'T', '2',
                            0, 0, 0, 5, 0, 0, 0, 'S', 'o', 'n', 'g'};
    EXPECT_EQ(SerializeTagBytes(info), expected);

    TID3v2 empty;
    TagInfo none = empty.TagInfoForWrite();
    EXPECT_EQ(SerializeTagBytes(none), (Bytes{'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0}));

    // S = 200 gives the size bytes 00 00 01 48.
    TID3v2 s;
    s.SetTitle(Text(189, u't'));
    TagInfo i200 = s.TagInfoForWrite();
    const Bytes b = SerializeTagBytes(i200);
    EXPECT_EQ(Bytes(b.begin() + 6, b.begin() + 10), (Bytes{0, 0, 1, 0x48}));
    EXPECT_EQ(b.size(), 210u);

    // Every field: frames in slot order, comment and link with their prefixes;
    // Track 0 writes no track frame. Read back, the values are the same.
    TID3v2 all;
    all.SetTitle(u"T");
    all.SetArtist(u"A");
    all.SetAlbum(u"B");
    all.SetTrack(300);
    all.SetGenre(u"Rock");
    all.SetComment(u"nice");
    all.Year = u"2001";
    all.Link = u"http://l";
    TagInfo ia = all.TagInfoForWrite();
    Bytes written = SerializeTagBytes(ia);
    written.insert(written.end(), {'M', 'P', '3'});
    TID3v2 back = Read(written);
    EXPECT_EQ(back.MajorVersion, 3);
    EXPECT_EQ(back.Title, u"T");
    EXPECT_EQ(back.Artist, u"A");
    EXPECT_EQ(back.Album, u"B");
    EXPECT_EQ(back.Track, 44);
    EXPECT_EQ(back.Genre, u"Rock");
    EXPECT_EQ(back.Comment, u"nice");
    EXPECT_EQ(back.Year, u"2001");
    EXPECT_EQ(back.Link, u"http://l");
    EXPECT_EQ(ia.Frames[3].text, u"44");

    // A text with a letter beyond ASCII goes as UTF-16 with a byte-order mark;
    // the comment and the link get an empty description with its terminator.
    TID3v2 cz;
    cz.SetTitle(u"P\u00EDse\u0148");
    cz.SetComment(u"\u010Cau");
    cz.Link = u"http://x.cz/\u0161\u00E9";
    TagInfo ic = cz.TagInfoForWrite();
    const std::string title = std::string("\x01\xFF\xFE", 3) + Le(u"P\u00EDse\u0148");
    const std::string comment = std::string("\x01" "eng" "\xFF\xFE\0\0\xFF\xFE", 10) + Le(u"\u010Cau");
    const std::string link = std::string("\x01\xFF\xFE\0\0", 5) + "http://x.cz/?\xE9";
    Bytes expectedCz = Tag(3, {Frame("TIT2", title), Frame("COMM", comment), Frame("WXXX", link)}, 0, "");
    EXPECT_EQ(SerializeTagBytes(ic), expectedCz);
    expectedCz.insert(expectedCz.end(), {'M', 'P', '3'});
    TID3v2 czBack = Read(expectedCz);
    EXPECT_EQ(czBack.Title, cz.Title);
    EXPECT_EQ(czBack.Comment, cz.Comment);
    EXPECT_EQ(czBack.Link, u"http://x.cz/?\u00E9");

    // Letters beyond Windows-1250 go whole, the same way: pairs and
    // combining marks as they are; read back, every field is the same.
    const Text wTitle = u"\u0416\u0438\u0437\u043D\u044C", artist = u"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1",
               album = u"\u6771\u4EAC", genre = u"\U0001F3B5 \U0001F600", remark = u"c\u030Cau \U0001F3B5";
    TID3v2 wide;
    wide.SetTitle(wTitle);
    wide.SetArtist(artist);
    wide.SetAlbum(album);
    wide.SetGenre(genre);
    wide.SetComment(remark);
    TagInfo iw = wide.TagInfoForWrite();
    const std::string utf16 = std::string("\x01\xFF\xFE", 3);
    Bytes expectedWide = Tag(3, {Frame("TIT2", utf16 + Le(wTitle)), Frame("TPE1", utf16 + Le(artist)),
                                 Frame("TALB", utf16 + Le(album)), Frame("TCON", utf16 + Le(genre)),
                                 Frame("COMM", std::string("\x01" "eng" "\xFF\xFE\0\0\xFF\xFE", 10) + Le(remark))},
                             0, "");
    EXPECT_EQ(SerializeTagBytes(iw), expectedWide);
    expectedWide.insert(expectedWide.end(), {'M', 'P', '3'});
    TID3v2 wideBack = Read(expectedWide);
    EXPECT_EQ(wideBack.Title, wTitle);
    EXPECT_EQ(wideBack.Artist, artist);
    EXPECT_EQ(wideBack.Album, album);
    EXPECT_EQ(wideBack.Genre, genre);
    EXPECT_EQ(wideBack.Comment, remark);
}

}  // namespace

namespace {

TEST(ID3v2Read, BadInputEndsCleanly) {
    const Bytes good = Tag(3, {Frame("TIT2", E + "Song"), Frame("TPE1", E + "Band")}, 0, "");
    for (std::size_t n = 0; n <= good.size(); ++n) {
        bool ok = false;
        TID3v2 t = Read(Bytes(good.begin(), good.begin() + static_cast<long>(n)), &ok);
        EXPECT_EQ(ok, n >= 10) << n;
        // Cut short, the declared size exceeds the file: no frames at all.
        EXPECT_EQ(t.Title, n == good.size() ? u"Song" : u"") << n;
    }

    // Size bytes with bit 7 set are taken whole: 0x80 in the last byte adds 128.
    Bytes bit7 = Tag(3, {Frame("TIT2", E + "Song")}, 200, std::string(200, 'a'));
    bit7[9] = static_cast<std::uint8_t>(bit7[9] | 0x80);
    TID3v2 t7 = Read(bit7);
    EXPECT_TRUE(t7.TagPresent);
    EXPECT_EQ(t7.TagSize, 10 + (bit7[9]) + (std::int64_t{bit7[8]} << 7));

    // Frame sizes of 0 and 0xFFFFFFFF, and a zero identifier.
    TID3v2 zero = Read(Tag(3, {Frame("TIT2", "", 0), Frame("TPE1", E + "Next")}));
    EXPECT_EQ(zero.Title, u"");
    EXPECT_EQ(zero.Artist, u"Next");
    TID3v2 ff = Read(Tag(3, {Frame("TPE1", E + "A"), Frame("TIT2", E + "B", 0xFFFFFFFFu)}));
    EXPECT_EQ(ff.Artist, u"A");
    EXPECT_EQ(ff.Title, u"");
    TID3v2 nul = Read(Tag(3, {Bytes(10, 0), Frame("TIT2", E + "Never")}));
    EXPECT_EQ(nul.Title, u"");
}

}  // namespace

namespace {

std::string S(const Bytes& b) { return std::string(b.begin(), b.end()); }

// A version 3 frame with status and format flags.
Bytes FrameFlags(const std::string& id, std::uint16_t flags, const std::string& data) {
    Bytes f = Frame(id, data);
    f[8] = static_cast<std::uint8_t>(flags >> 8);
    f[9] = static_cast<std::uint8_t>(flags & 0xFF);
    return f;
}

// A version 4 frame: a syncsafe size.
Bytes Frame4(const std::string& id, const std::string& data, std::uint16_t flags = 0) {
    const auto s = static_cast<std::uint32_t>(data.size());
    Bytes f = Str(id);
    for (int shift = 21; shift >= 0; shift -= 7) f.push_back(static_cast<std::uint8_t>((s >> shift) & 0x7F));
    f.push_back(static_cast<std::uint8_t>(flags >> 8));
    f.push_back(static_cast<std::uint8_t>(flags & 0xFF));
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

// A tag with header flags around a body given whole.
Bytes TagWithFlags(std::uint8_t version, std::uint8_t flags, const Bytes& body) {
    Bytes t = Tag(version, {body}, 0, "");
    t[5] = flags;
    return t;
}

Bytes Cat(const std::vector<Bytes>& parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Unsynchronisation: a zero after every FF that a sync byte or a zero follows.
Bytes Unsynchronised(const Bytes& b) {
    Bytes out;
    for (std::size_t i = 0; i < b.size(); ++i) {
        out.push_back(b[i]);
        if (b[i] == 0xFF && (i + 1 == b.size() || b[i + 1] >= 0xE0 || b[i + 1] == 0)) out.push_back(0);
    }
    return out;
}

// The tag that a fill of name puts over the bytes given, and the old tag bytes it replaces.
Bytes Filled(const Bytes& file, std::string* whyNot = nullptr, const std::string& name = "C:\\Band\\Live\\Song.mp3",
             OldTagBytes* replaced = nullptr) {
    MemorySource source(file);
    TID3v2 tag;
    tag.ReadTagFrom(source);
    FillTagFromPath(tag, name);
    OldTagBytes old;
    std::string why;
    Bytes out = tag.TagBytesFor(source, old, why);
    if (whyNot) *whyNot = why;
    if (replaced) *replaced = old;
    return out;
}

// What the fill sets, first in every tag it writes.
const std::vector<Bytes> kFilled = {Frame("TIT2", E + "Song"), Frame("TPE1", E + "Band"), Frame("TALB", E + "Live"),
                                    Frame("COMM", E + "eng" + E + kAutomaticComment)};

Bytes FilledTag(const std::vector<Bytes>& kept, const std::string& title = "Song") {
    std::vector<Bytes> frames = kFilled;
    frames[0] = Frame("TIT2", E + title);
    frames.insert(frames.end(), kept.begin(), kept.end());
    return Tag(3, frames, 0, "");
}

const std::string u1 = "\x01", u3 = "\x03", BOM = "\xFF\xFE", Z2 = std::string(2, '\0');

// A fill puts anew only what it sets; every other frame stays, version 3
// frames byte for byte, version 2 and 4 frames as version 3 holds them.
TEST(ID3v2Write, KeepsEveryFrameTheFillDoesNotSet) {
    const std::string picture = E + "image/jpeg" + E + "\x03" + E + "\xFF\xD8\xFF\xE0 jpeg";
    const std::string counter("\0\0\0\x2A", 4);
    const std::vector<Bytes> keptV3 = {
        Frame("COMM", E + "eng" + "iTunNORM" + E + " 000001"),  // a comment with a description
        Frame("APIC", picture),
        Frame("USLT", u1 + "eng" + BOM + Z2 + BOM + Le(u"Lyrics \u0161")),
        Frame("TXXX", E + "MusicBrainz Id" + E + "abc"),
        Frame("PCNT", counter),
        Frame("PRIV", "owner" + E + "\x01\x02"),
        Frame("XQZW", "unknown to everyone"),
        Frame("TCOM", E + "Mu\xF1oz"),                      // Latin-1 stays Latin-1
        Frame("WXXX", E + E + "http://x.cz/\x9A\xFF"),      // a link beyond U+00FF stays
        Frame("TYER", E + "1999"),
        Frame("TRCK", E + "7/12"),
        Frame("TCON", E + "(17)"),
        FrameFlags("TENC", 0x4000, E + "kept when the file changes"),
        FrameFlags("GEOB", 0x00E0, std::string("\0\0\0\x10\x07\x01zlib", 10)),
    };
    const Bytes v3 = Tag(3, {Frame("TIT2", E + "Old"), Frame("TPE2", "", 0), Frame("COMM", E + "eng" + E + "old"),
                             keptV3[0], keptV3[1], keptV3[2], keptV3[3], keptV3[4], keptV3[5], keptV3[6],
                             FrameFlags("TSSE", 0x8000, E + "discard when the tag changes"), keptV3[7],
                             keptV3[8], keptV3[9], keptV3[10], keptV3[11], keptV3[12], keptV3[13],
                             Frame("TPE1", E + "Old artist"), Frame("TALB", E + "Old album")},
                         64, "\xFF\xFB\x90\x44");

    // Version 3, its whole body unsynchronised; an extended header; the
    // extended-header flag without one; a track frame that holds no number.
    const Bytes pictureFrame = Frame("APIC", E + "image/png" + E + "\x03" + E + "\xFF\xE0\xFF" + E + "\xFF");
    const Bytes v3Unsynchronised =
        TagWithFlags(3, 0x80, Unsynchronised(Cat({pictureFrame, Frame("TCOM", E + "x")})));
    const Bytes v3Extended =
        TagWithFlags(3, 0x40, Cat({Bytes{0, 0, 0, 6, 0, 0, 0, 0, 0, 0}, Frame("TRCK", E + "A1"), Bytes(8, 0)}));
    const Bytes v3FlagOnly = TagWithFlags(3, 0x40, Frame("TCOM", E + "x"));

    // Version 2: three-character frames become their twins.
    const Bytes v2 = Tag(2, {Frame22("TT2", E + "Old"), Frame22("TCM", E + "Mu\xF1oz"),
                             Frame22("PIC", E + "JPG" + "\x03" + E + "\xFF\xD8pic"),
                             Frame22("PIC", E + "GIF" + E + E + "gif"), Frame22("ULT", E + "eng" + E + "words"),
                             Frame22("TXX", E + "key" + E + "value"), Frame22("CNT", counter),
                             Frame22("CRM", "owner" + E + "d" + E + "x"), Frame22("XYZ", "unknown"),
                             Frame22("COM", E + "eng" + E + "old"), Frame22("LNK", "TT1http://l" + E),
                             Frame22("LNK", "XYZu" + E)});

    // Version 4: syncsafe sizes, UTF-8 texts, timestamps, involved people,
    // frame flags and their extra bytes, a chapter with a frame of its own.
    const std::string bigPicture = E + "image/png" + E + "\x03" + E + std::string(185, 'p');
    const std::string chapterTimes("\0\0\0\0\0\0\x03\xE8\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 16);
    const std::string chapterTitle = E + std::string(129, 'c');
    const Bytes v4 = Tag(4, {
        Frame4("APIC", bigPicture),
        Frame4("TCOM", u3 + "Mu\xC3\xB1oz"),
        Frame4("TPE2", u3 + "A" + E + "B"),
        Frame4("TDRC", E + "2004-05-06T07:08:09"),
        Frame4("TDOR", E + "1987-01-02"),
        Frame4("TXXX", u3 + "d" + E + "\xC5\xBE"),
        Frame4("COMM", u3 + "deu" + "x" + E + "t"),
        Frame4("RVA2", "track" + E + "\x01\x02\x03\x04"),
        Frame4("TSOP", E + "Band, The"),
        Frame4("PRIV", "o" + E + "\xFF" + E + "\xE0", 0x0002),
        Frame4("GEOB", "G" + std::string("\0\0\x01\0", 4) + "ZZZ", 0x0049),
        Frame4("GEOB", "ZZZ", 0x0008),
        Frame4("TENC", E + "status", 0x3000),
        Frame4("TPUB", E + "discard", 0x4000),
        Frame4("TIPL", E + "producer" + E + "X"),
        Frame4("TMCL", E + "piano" + E + "Y"),
        Frame4("CHAP", "ch1" + E + chapterTimes + S(Frame4("TIT2", chapterTitle))),
    });
    const std::vector<Bytes> keptV4 = {
        Frame("APIC", bigPicture),
        Frame("TCOM", u1 + BOM + Le(u"Mu\u00F1oz")),
        Frame("TPE2", E + "A/B"),  // several values as version 3 readers read them
        Frame("TYER", E + "2004"), Frame("TDAT", E + "0605"), Frame("TIME", E + "0708"),
        Frame("TORY", E + "1987"),
        Frame("TXXX", u1 + BOM + Le(u"d") + Z2 + BOM + Le(u"\u017E")),
        Frame("COMM", u1 + "deu" + BOM + Le(u"x") + Z2 + BOM + Le(u"t")),
        Frame("TXXX", E + "TSOP" + E + "Band, The"),  // no version 3 frame for it
        Frame("PRIV", "o" + E + "\xFF\xE0"),
        FrameFlags("GEOB", 0x00A0, std::string("\0\0\0\x80", 4) + "G" + "ZZZ"),
        FrameFlags("TENC", 0x6000, E + "status"),
        Frame("IPLS", E + "producer" + E + "X" + E + "piano" + E + "Y" + E),
        Frame("CHAP", "ch1" + E + chapterTimes + S(Frame("TIT2", chapterTitle))),
    };

    struct Case { std::string name; Bytes file; std::vector<Bytes> kept; };
    const std::vector<Case> cases = {
        {"v3", v3, keptV3},
        {"v3 unsynchronised", v3Unsynchronised, {pictureFrame, Frame("TCOM", E + "x")}},
        {"v3 extended header", v3Extended, {Frame("TRCK", E + "A1")}},
        {"v3 extended flag alone", v3FlagOnly, {Frame("TCOM", E + "x")}},
        {"v2", v2, {Frame("TCOM", E + "Mu\xF1oz"), Frame("APIC", E + "image/jpeg" + E + "\x03" + E + "\xFF\xD8pic"),
                    Frame("APIC", E + "image/gif" + E + E + E + "gif"), Frame("USLT", E + "eng" + E + "words"),
                    Frame("TXXX", E + "key" + E + "value"), Frame("PCNT", counter), Frame("LINK", "TIT1http://l" + E)}},
        {"v4", v4, keptV4},
        {"v4 with a year", Tag(4, {Frame4("TYER", E + "1999"), Frame4("TDRC", E + "2004-05-06")}),
         {Frame("TYER", E + "1999"), Frame("TDAT", E + "0605")}},
        {"v4 year only", Tag(4, {Frame4("TDRC", E + "2004")}), {Frame("TYER", E + "2004")}},
        {"v4 no timestamp", Tag(4, {Frame4("TDRC", E + "Summer 2004")}),
         {Frame("TXXX", E + "TDRC" + E + "Summer 2004")}},
        // A group byte before the chapter's own fields.
        {"v4 grouped chapter",
         Tag(4, {Frame4("CHAP", "Gch1" + E + chapterTimes + S(Frame4("TIT2", chapterTitle)), 0x0040)}),
         {FrameFlags("CHAP", 0x0020, "Gch1" + E + chapterTimes + S(Frame("TIT2", chapterTitle)))}},
        {"v4 with people", Tag(4, {Frame4("IPLS", E + "a" + E + "b"), Frame4("TIPL", u3 + "c" + E + "d")}),
         {Frame("IPLS", E + "a" + E + "b"), Frame("TXXX", E + "TIPL" + E + "c/d")}},
        // A writer that put plain sizes into a version 4 tag: the syncsafe
        // reading (128) lands inside the picture, the plain one (256) on a frame.
        {"v4 plain sizes", Tag(4, {Frame("APIC", E + "image/png" + E + "\x03" + E + std::string(243, 'p')),
                                   Frame4("TCOM", E + "x")}),
         {Frame("APIC", E + "image/png" + E + "\x03" + E + std::string(243, 'p')), Frame("TCOM", E + "x")}},
        {"no tag", Str("\xFF\xFB\x90\x44 audio"), {}},
        {"tag beyond the file", Tag(3, {Frame("TCOM", E + "x")}, 0, "", 1000), {}},
    };
    for (const auto& c : cases) {
        std::string whyNot;
        EXPECT_EQ(Filled(c.file, &whyNot), FilledTag(c.kept)) << c.name;
        EXPECT_EQ(whyNot, "") << c.name;
    }
}

// A tag goes only where an old one can be told from the audio.
TEST(ID3v2Write, RefusedWhereTheStartIsNotSound) {
    struct Case { std::string name; Bytes file; std::string whyNot; };
    auto header = [](std::uint8_t version, std::uint8_t flags, std::uint8_t sizeByte) {
        Bytes h = Tag(version, {}, 0, "audio");
        h[5] = flags;
        h[9] = sizeByte;
        return h;
    };
    const std::vector<Case> cases = {
        {"version 5", header(5, 0, 0), "its ID3 header is not valid"},
        {"version 1", header(1, 0, 0), "its ID3 header is not valid"},
        {"size byte 0x80", header(3, 0, 0x80), "its ID3 header is not valid"},
        {"footer flag in version 3", header(3, 0x10, 0), "its ID3 header is not valid"},
        {"experimental flag in version 2", header(2, 0x20, 0), "its ID3 header is not valid"},
        {"nine bytes", Str("ID3\x03\x00\x00\x00\x00\x00"), "the file is shorter than ten bytes"},
        {"footer flag in version 4", header(4, 0x10, 0), ""},
        {"every version 3 flag", header(3, 0xE0, 0), ""},
    };
    for (const auto& c : cases) {
        std::string whyNot;
        EXPECT_EQ(Filled(c.file, &whyNot).empty(), !c.whyNot.empty()) << c.name;
        EXPECT_EQ(whyNot, c.whyNot) << c.name;
    }
}

TEST(ID3v2Write, MpegFrameHeaders) {
    struct Case { Bytes header; bool valid; std::uint32_t length; };
    const std::vector<Case> cases = {
        {{0xFF, 0xFB, 0x90, 0x44}, true, 417},  // MPEG-1 layer III, 128 kbit/s, 44.1 kHz
        {{0xFF, 0xFB, 0x92, 0x44}, true, 418},  // the same with a padding byte
        {{0xFF, 0xF3, 0x00, 0x00}, true, 0},    // MPEG-2 layer III, free bit rate: no length
        {{0xFF, 0xF3, 0x14, 0x44}, true, 24},   // MPEG-2 layer III, 8 kbit/s, 24 kHz
        {{0xFF, 0xE3, 0x18, 0x00}, true, 72},   // MPEG-2.5 layer III, 8 kbit/s, 8 kHz
        {{0xFF, 0xFD, 0x10, 0x00}, true, 104},  // MPEG-1 layer II, 32 kbit/s, 44.1 kHz
        {{0xFF, 0xF5, 0x80, 0xC4}, true, 417},  // MPEG-2 layer II, 64 kbit/s, 22.05 kHz
        {{0xFF, 0xFF, 0x10, 0x00}, true, 32},   // MPEG-1 layer I, 32 kbit/s, 44.1 kHz
        {{0xFF, 0xFE, 'h', 0x00}, true, 288},   // a UTF-16 text's byte-order mark, then "h": layer I
        {{0xFF, 0xEB, 0x90, 0x44}, false, 0},   // reserved version
        {{0xFF, 0xF9, 0x90, 0x44}, false, 0},   // reserved layer
        {{0xFF, 0xFB, 0xF0, 0x44}, false, 0},   // bad bit rate
        {{0xFF, 0xFB, 0x9C, 0x44}, false, 0},   // reserved sample rate
        {{0xFF, 0xFE, 'N', 0x00}, false, 0},    // a UTF-16 text's byte-order mark, then "N"
        {{0xFF, 0xDB, 0x90, 0x44}, false, 0},   // ten sync bits
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ValidMpegFrameHeader(c.header.data()), c.valid) << int(c.header[1]) << " " << int(c.header[2]);
        EXPECT_EQ(MpegFrameLength(c.header.data()), c.length) << int(c.header[1]) << " " << int(c.header[2]);
    }
}

// MPEG audio only where the first frame ends at the next frame of the same
// stream or at the end: one header alone is no proof.
TEST(ID3v2Write, MpegAudioByTwoFrames) {
    auto frame = [](const std::string& header, std::size_t length) { return header + std::string(length - 4, 'a'); };
    const std::string small = "\xFF\xF3\x14\x44", big = "\xFF\xFB\x90\x44";
    struct Case { std::string name, bytes; bool audio; };
    const std::vector<Case> cases = {
        {"one whole frame", frame(small, 24), true},
        {"two frames", frame(small, 24) + frame(small, 24), true},
        {"a frame and the next header", frame(big, 417) + "\xFF\xFB\x92\x44", true},
        {"a header and short data", big + " some audio", false},
        {"the next frame of another layer", frame(small, 24) + "\xFF\xF5\x14\x44", false},
        {"the next frame of another sample rate", frame(small, 24) + "\xFF\xF3\x18\x44", false},
        {"free bit rate", frame("\xFF\xF3\x04\x44", 24) + frame("\xFF\xF3\x04\x44", 24), false},
        {"a UTF-16 text", std::string("\xFF\xFEh\0e\0l\0l\0o\0 \0w\0o\0r\0l\0d\0", 24), false},
        {"a UTF-16 text of a frame's length", std::string("\xFF\xFEh\0", 4) + std::string(284, 'x'), true},
        {"empty", "", false},
    };
    for (const auto& c : cases) {
        MemorySource source(Str(c.bytes));
        EXPECT_EQ(StartsWithMpegAudio(source), c.audio) << c.name;
    }
}

// What the fill reads is what the writer keeps: the frames of one walk, as a
// version 3 tag holds them. So a track that the tag holds stays, and Try
// shows the tag's own track, title and album.
TEST(ID3v2Write, TheFillReadsTheFramesTheWriterKeeps) {
    const Text czech = Repeat16(u"\u010Cesk\u00FD ", 10) + u"Hudba";  // 65 letters: two syncsafe size bytes
    const Bytes picture = Frame("APIC", E + "image/png" + E + "\x03" + E + "\xFF\xE0\xFF" + E + "\xFF");
    // A version 4 tag that a writer put with plain sizes: the syncsafe reading
    // of the lyrics' size (172) lands on four capitals inside them.
    std::string words(295, 'x');
    words.replace(167, 8, "ABCDEFGH");
    const std::string lyrics = E + "eng" + E + words;
    const Bytes appendedBody = Cat({Frame4("TIT2", E + "Title"), Frame4("TALB", E + "Album"),
                                    Frame4("TRCK", E + "3/12"), Frame4("TCOM", E + "Composer"), Bytes(6, 0)});
    const Bytes appendedHeader = {'I', 'D', '3', 4, 0, 0x10, 0, 0, 0, static_cast<std::uint8_t>(appendedBody.size())};
    Bytes appendedFooter = appendedHeader;
    std::copy_n("3DI", 3, appendedFooter.begin());
    const std::string audio = std::string("\xFF\xF3\x14\x44", 4) + std::string(20, 'a');
    const std::string v1 = "TAG" + std::string(125, 'v');
    const Bytes appended = Cat({Str(audio), appendedHeader, appendedBody, appendedFooter, Str(v1)});

    struct Case {
        std::string name;
        Bytes file;
        int track;
        Text title, album, genre;
        std::vector<Bytes> kept;
    };
    const std::vector<Case> cases = {
        {"v4, a UTF-16 title before the track",
         Tag(4, {Frame4("TIT2", u1 + BOM + Le(czech)), Frame4("TALB", E + "Album"), Frame4("TRCK", E + "3/12")}), 3,
         czech, u"Album", u"", {Frame("TRCK", E + "3/12")}},
        {"v3 unsynchronised",
         TagWithFlags(3, 0x80, Unsynchronised(Cat({picture, Frame("TIT2", u1 + BOM + Le(u"Titul")),
                                                    Frame("TALB", E + "Album"), Frame("TRCK", E + "03")}))),
         3, u"Titul", u"Album", u"", {picture, Frame("TRCK", E + "03")}},
        {"v3 extended header",
         TagWithFlags(3, 0x40, Cat({Bytes{0, 0, 0, 6, 0, 0, 0, 0, 0, 0}, Frame("TIT2", E + "Title"),
                                    Frame("TALB", E + "Album"), Frame("TRCK", E + "3/12")})),
         3, u"Title", u"Album", u"", {Frame("TRCK", E + "3/12")}},
        {"v4 extended header",
         TagWithFlags(4, 0x40, Cat({Bytes{0, 0, 0, 6, 1, 0}, Frame4("TIT2", E + "Title"), Frame4("TALB", E + "Album"),
                                    Frame4("TRCK", E + "1")})),
         1, u"Title", u"Album", u"", {Frame("TRCK", E + "1")}},
        {"v3 unsynchronised with an extended header",
         TagWithFlags(3, 0xC0, Unsynchronised(Cat({Bytes{0, 0, 0, 6, 0, 0, 0, 0, 0, 0}, picture,
                                                    Frame("TRCK", E + "3/12")}))),
         3, u"", u"", u"", {picture, Frame("TRCK", E + "3/12")}},
        // A malformed identifier is passed over; a version 2 name reads as its frame.
        {"v3 malformed identifiers",
         Tag(3, {Frame("TIT2", E + "Title"), Frame("TxXX", E + "d" + E + "v"),
                 Frame(std::string("TRK\0", 4), E + "3/12"), Frame("TXXX", E + "user" + E + "text"),
                 Frame("T\xC9XT", E + "x"), Frame(std::string("TCM\0", 4), E + "Composer")}),
         3, u"Title", u"", u"",
         {Frame("TRCK", E + "3/12"), Frame("TXXX", E + "user" + E + "text"), Frame("TCOM", E + "Composer")}},
        {"v4 plain sizes, capitals in the lyrics",
         Tag(4, {Frame("USLT", lyrics), Frame("TALB", E + "Album"), Frame("TRCK", E + "3/12")}), 3, u"", u"Album", u"",
         {Frame("USLT", lyrics), Frame("TRCK", E + "3/12")}},
        {"v4 appended with its footer, before an ID3v1 tag", appended, 3, u"Title", u"Album", u"",
         {Frame("TRCK", E + "3/12"), Frame("TCOM", E + "Composer")}},
        // Several values and frames that version 3 does not know, as version 3 readers read them.
        {"v4 values",
         Tag(4, {Frame4("TCON", E + "35"), Frame4("TPE2", u3 + "A" + E + "B"),
                 Frame4("TXXX", E + "d" + E + "v1" + E + "v2"), Frame4("TSST", u3 + "Disc \xC4\x8D"),
                 Frame4("TMOO", E + "calm"), Frame4("TDRL", E + "2004-05-06"), Frame4("TSOA", E + "Album, The"),
                 Frame4("TRCK", E + "7")}),
         7, u"", u"", u"",
         {Frame("TCON", E + "(35)"), Frame("TPE2", E + "A/B"), Frame("TXXX", E + "d" + E + "v1/v2"),
          Frame("TXXX", u1 + BOM + Le(u"TSST") + Z2 + BOM + Le(u"Disc \u010D")), Frame("TXXX", E + "TMOO" + E + "calm"),
          Frame("TXXX", E + "TDRL" + E + "2004-05-06"), Frame("TXXX", E + "TSOA" + E + "Album, The"),
          Frame("TRCK", E + "7")}},
        {"v4 genres", Tag(4, {Frame4("TCON", E + "Rock" + E + "35" + E + "RX"), Frame4("TRCK", E + "2")}), 2, u"", u"",
         u"Rock", {Frame("TCON", E + "(35)(RX)Rock"), Frame("TRCK", E + "2")}},
        {"v4 genre names", Tag(4, {Frame4("TCON", u3 + "Rock" + E + "Pop"), Frame4("TRCK", E + "2")}), 2, u"", u"",
         u"Rock/Pop", {Frame("TCON", E + "Rock/Pop"), Frame("TRCK", E + "2")}},
        {"v4 one genre name", Tag(4, {Frame4("TCON", E + "Jazz"), Frame4("TRCK", E + "2")}), 2, u"", u"", u"Jazz",
         {Frame("TCON", E + "Jazz"), Frame("TRCK", E + "2")}},
    };
    for (const auto& c : cases) {
        TID3v2 read = Read(c.file);
        EXPECT_EQ(read.Track, c.track) << c.name;
        EXPECT_EQ(read.Title, c.title) << c.name;
        EXPECT_EQ(read.Album, c.album) << c.name;
        EXPECT_EQ(read.Genre, c.genre) << c.name;
        std::string whyNot;
        EXPECT_EQ(Filled(c.file, &whyNot, "C:\\Band\\Live\\Track 05.mp3"), FilledTag(c.kept, "Track 05")) << c.name;
        EXPECT_EQ(whyNot, "") << c.name;
    }

    // The appended tag goes, and the written tag is the only one: the audio
    // and the ID3v1 tag stay around the bytes it took.
    OldTagBytes old;
    Filled(appended, nullptr, "C:\\Band\\Live\\Track 05.mp3", &old);
    EXPECT_EQ(old.front, 0);
    EXPECT_EQ(old.appendedAt, static_cast<std::int64_t>(audio.size()));
    EXPECT_EQ(old.appendedSize, static_cast<std::int64_t>(appended.size() - audio.size() - v1.size()));
    EXPECT_FALSE(Read(appended).TagPresent);
    EXPECT_EQ(Read(appended).MajorVersion, 4);
    // Without its ID3v1 tag, and not where the footer's header is not its twin.
    EXPECT_EQ(Read(Bytes(appended.begin(), appended.end() - static_cast<long>(v1.size()))).Track, 3);
    Bytes otherHeader = appended;
    otherHeader[audio.size() + 5] = 0x00;
    EXPECT_EQ(Read(otherHeader).Track, 0);
}

}  // namespace
