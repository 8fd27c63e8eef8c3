#include "media/ID3v2.h"

#include <gtest/gtest.h>

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
        EXPECT_EQ(t.Title, "Song");
        EXPECT_EQ(t.Artist, "Band");
        EXPECT_EQ(t.Album, "Album");
        EXPECT_EQ(t.Track, 7);
        EXPECT_EQ(t.Year, "1999");
        EXPECT_EQ(t.Genre, "Rock");
    }
    TID3v2 t2 = Read(Tag(2, {Frame22("TT2", E + "Old"), Frame22("TP1", E + "Artist")}));
    EXPECT_EQ(t2.Title, "Old");
    EXPECT_EQ(t2.Artist, "Artist");
    for (std::uint8_t version : {0, 1, 5}) {
        TID3v2 t = Read(Tag(version, v3));
        EXPECT_TRUE(t.TagPresent) << int(version);
        EXPECT_EQ(t.MajorVersion, version);
        EXPECT_EQ(t.Title, "");
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
    EXPECT_EQ(big.Title, "");

    // 300 data bytes: 250 stored, the next frame still found after all 300.
    const std::string longTitle = E + std::string(299, 'a');
    TID3v2 t = Read(Tag(3, {Frame("TIT2", longTitle), Frame("TPE1", E + "After")}));
    EXPECT_EQ(t.Title, std::string(249, 'a'));
    EXPECT_EQ(t.Artist, "After");

    // Version 4 sizes are plain 32-bit: 00 00 01 48 holds 328 bytes.
    TID3v2 v4 = Read(Tag(4, {Frame("TIT2", E + std::string(327, 'b')), Frame("TPE1", E + "Next")}));
    EXPECT_EQ(v4.Artist, "Next");

    // A size near 2^32 ends the loop instead of wrapping the position.
    TID3v2 huge = Read(Tag(3, {Frame("TIT2", E + "T"), Frame("TPE1", E + "A", 0xFFFFFFF0u)}));
    EXPECT_EQ(huge.Title, "T");
    EXPECT_EQ(huge.Artist, "");  // its data runs past the file

    // An extended header whose first byte is zero: no frames are read.
    Bytes ext = Tag(3, {Bytes{0, 0, 0, 6, 0, 0}, Frame("TIT2", E + "Hidden")});
    EXPECT_EQ(Read(ext).Title, "");
    EXPECT_EQ(Read(ext).TagSize, static_cast<std::int64_t>(ext.size() - 5));
}

TEST(ID3v2Read, CommentYearLinkAndRepeatedFrames) {
    TID3v2 t = Read(Tag(3, {Frame("COMM", E + "deu" + "x" + E + "first"),
                            Frame("COMM", E + "deu" + "x" + E + "hello"),
                            Frame("TDRC", E + "2004-05-01"), Frame("WXXX", E + "d" + E + "http://x.cz"),
                            Frame("TOPE", E + "Original"), Frame("TOAL", E + "OldAlbum"),
                            Frame("TCOP", E + "(c) me  ")}));
    EXPECT_EQ(t.Comment, "hello");
    EXPECT_EQ(t.Year, "2004");
    EXPECT_EQ(t.Link, "http://x.cz");
    EXPECT_EQ(t.Artist, "Original");
    EXPECT_EQ(t.Album, "OldAlbum");
    EXPECT_EQ(t.Rights, "(c) me");
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

// Frames in every encoding read as Windows-1250 text: "Píseň", "Čech", "Živě".
TEST(ID3v2Read, TextEncodings) {
    const std::string pisen = "P\xEDse\xF2", cech = "\xC8" "ech", zive = "\x8Eiv\xEC";
    const std::string u1 = "\x01", u2 = "\x02", u3 = "\x03";
    struct Case { std::uint8_t version; Bytes frame; std::string TID3v2::*field; std::string text; };
    const std::vector<Case> cases = {
        {3, Frame("TIT2", u1 + "\xFF\xFE" + Le(u"P\u00EDse\u0148") + std::string(2, '\0')), &TID3v2::Title, pisen},
        {3, Frame("TPE1", u1 + "\xFE\xFF" + Be(u"\u010Cech")), &TID3v2::Artist, cech},
        {3, Frame("TALB", u2 + Be(u"\u017Eiv\u011B")), &TID3v2::Album, "\x9Eiv\xEC"},
        {4, Frame("TCON", u3 + "\xC5\xBDiv\xC4\x9B"), &TID3v2::Genre, zive},
        {2, Frame22("TT2", u1 + "\xFF\xFE" + Le(u"Old")), &TID3v2::Title, "Old"},
        // Two strings, each with its own byte-order mark; the second one big-endian.
        {4, Frame("TCOM", u1 + "\xFF\xFE" + Le(u"A") + std::string(2, '\0') + "\xFE\xFF" + Be(u"B")),
         &TID3v2::Composer, std::string("A") + '\0' + "B"},
        // No Windows-1250 form, a lone surrogate, a pair, an odd last byte.
        {3, Frame("TENC", u1 + "\xFF\xFE" + Le(u"\u0436x\xD800y\xD83D\xDE00z") + "Q"), &TID3v2::Encoder, "?x?y?z"},
        {4, Frame("TCOP", u3 + "a\xC3" "b\xE2\x82\xAC\xC0\x80\xF0\x9F\x98\x80"), &TID3v2::Rights, "a?b\x80??"},
        {3, Frame("TLAN", u1 + "\xFF\xFE"), &TID3v2::Language, ""},
        // Comment and link: the description ends at the encoding's own terminator.
        {3, Frame("COMM", u1 + "eng" + "\xFF\xFE" + Le(u"d\u0100") + std::string(2, '\0') + "\xFF\xFE" + Le(u"\u010Cau")),
         &TID3v2::Comment, "\xC8" "au"},
        {4, Frame("COMM", u3 + "deu" + "x\xC3\xA1" + std::string(1, '\0') + "\xC4\x8D" "au"), &TID3v2::Comment, "\xE8" "au"},
        {3, Frame("WXXX", u1 + "\xFF\xFE" + Le(u"\u0161") + std::string(2, '\0') + "http://x.cz/\xE9"),
         &TID3v2::Link, "http://x.cz/\xE9"},
        {3, Frame("COMM", u1 + "en"), &TID3v2::Comment, ""},
    };
    for (const auto& c : cases) {
        TID3v2 t = Read(Tag(c.version, {c.frame}));
        EXPECT_EQ(t.*c.field, c.text) << std::string(c.frame.begin(), c.frame.begin() + 4);
    }
    // Data past 250 bytes is cut in the middle of a character: what is whole is read.
    TID3v2 cut = Read(Tag(3, {Frame("TIT2", u1 + "\xFF\xFE" + Le(std::u16string(200, u'\u010D')))}));
    EXPECT_EQ(cut.Title, std::string(123, '\xE8'));
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
    t.SetTitle("  Song ");
    TagInfo info = t.TagInfoForWrite();
    const Bytes expected = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0x0F, 'T', 'I', 'T', '2',
                            0, 0, 0, 5, 0, 0, 0, 'S', 'o', 'n', 'g'};
    EXPECT_EQ(SerializeTagBytes(info), expected);

    TID3v2 empty;
    TagInfo none = empty.TagInfoForWrite();
    EXPECT_EQ(SerializeTagBytes(none), (Bytes{'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0}));

    // S = 200 gives the size bytes 00 00 01 48.
    TID3v2 s;
    s.SetTitle(std::string(189, 't'));
    TagInfo i200 = s.TagInfoForWrite();
    const Bytes b = SerializeTagBytes(i200);
    EXPECT_EQ(Bytes(b.begin() + 6, b.begin() + 10), (Bytes{0, 0, 1, 0x48}));
    EXPECT_EQ(b.size(), 210u);

    // Every field: frames in slot order, comment and link with their prefixes;
    // Track 0 writes no track frame. Read back, the values are the same.
    TID3v2 all;
    all.SetTitle("T");
    all.SetArtist("A");
    all.SetAlbum("B");
    all.SetTrack(300);
    all.SetGenre("Rock");
    all.SetComment("nice");
    all.Year = "2001";
    all.Link = "http://l";
    TagInfo ia = all.TagInfoForWrite();
    Bytes written = SerializeTagBytes(ia);
    written.insert(written.end(), {'M', 'P', '3'});
    TID3v2 back = Read(written);
    EXPECT_EQ(back.MajorVersion, 3);
    EXPECT_EQ(back.Title, "T");
    EXPECT_EQ(back.Artist, "A");
    EXPECT_EQ(back.Album, "B");
    EXPECT_EQ(back.Track, 44);
    EXPECT_EQ(back.Genre, "Rock");
    EXPECT_EQ(back.Comment, "nice");
    EXPECT_EQ(back.Year, "2001");
    EXPECT_EQ(back.Link, "http://l");
    EXPECT_EQ(ia.Frames[3], "44");

    // A text with a letter beyond ASCII goes as UTF-16 with a byte-order mark;
    // the comment and the link get an empty description with its terminator.
    TID3v2 cz;
    cz.SetTitle("P\xEDse\xF2");
    cz.SetComment("\xC8" "au");
    cz.Link = "http://x.cz/\x9A\xE9";
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
    EXPECT_EQ(czBack.Link, "http://x.cz/?\xE9");
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
        EXPECT_EQ(t.Title, n == good.size() ? "Song" : "") << n;
    }

    // Size bytes with bit 7 set are taken whole: 0x80 in the last byte adds 128.
    Bytes bit7 = Tag(3, {Frame("TIT2", E + "Song")}, 200, std::string(200, 'a'));
    bit7[9] = static_cast<std::uint8_t>(bit7[9] | 0x80);
    TID3v2 t7 = Read(bit7);
    EXPECT_TRUE(t7.TagPresent);
    EXPECT_EQ(t7.TagSize, 10 + (bit7[9]) + (std::int64_t{bit7[8]} << 7));

    // Frame sizes of 0 and 0xFFFFFFFF, and a zero identifier.
    TID3v2 zero = Read(Tag(3, {Frame("TIT2", "", 0), Frame("TPE1", E + "Next")}));
    EXPECT_EQ(zero.Title, "");
    EXPECT_EQ(zero.Artist, "Next");
    TID3v2 ff = Read(Tag(3, {Frame("TPE1", E + "A"), Frame("TIT2", E + "B", 0xFFFFFFFFu)}));
    EXPECT_EQ(ff.Artist, "A");
    EXPECT_EQ(ff.Title, "");
    TID3v2 nul = Read(Tag(3, {Bytes(10, 0), Frame("TIT2", E + "Never")}));
    EXPECT_EQ(nul.Title, "");
}

}  // namespace
