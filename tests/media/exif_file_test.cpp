#include <windows.h>

#include <gtest/gtest.h>

#include "media/Exif.h"
#include "platform/errors.h"
#include "platform/text.h"
#include "tests/app/gui_fixture.h"
#include "tests/media/exif_builder.h"
#include "tests/text_1250/text_1250.h"

namespace {

void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(h);
}

std::vector<std::uint8_t> Camera(const std::string& date) {
    TiffLayout s;
    s.data = {Bytes(date + '\0'), Bytes(std::string("Camera") + '\0')};
    s.first = {{0x010F, 2, 7, 0, 1}, {0x0132, 2, 20, 0, 0}, {0x8769, 4, 1, 0}};
    s.exif = {{0x8827, 3, 1, 200}};
    return BuildJpeg(s);
}

TEST(ExifFile, ReadsRealFilesAndKeepsValuesWhenTheFileIsGone) {
    TempTree tree;
    const std::string path = tree.Path("photo.jpg");
    Write(path, Camera("2010:01:02 03:04:05"));
    TExif x;
    x.ReadExif(path);
    EXPECT_TRUE(x.HasExif);
    EXPECT_EQ(x.DateTime, "2010:01:02 03:04:05");
    EXPECT_EQ(x.Make, "Camera");
    EXPECT_EQ(x.IsoSpeed, 200);
    // The file was closed: it can be deleted at once.
    ASSERT_TRUE(DeleteFileW(Widen(path).c_str()));
    x.ReadExif(path);  // no file: nothing changes
    EXPECT_EQ(x.DateTime, "2010:01:02 03:04:05");

    TExif fresh;
    fresh.ReadExif(tree.Path("never.jpg"));
    EXPECT_FALSE(fresh.HasExif);
}

TEST(ExifFile, ErrorsReachTheCallerAndTheFileIsClosed) {
    TempTree tree;
    const std::string path = tree.Path("cut.jpg");
    auto bytes = Camera("2010:01:02 03:04:05");
    bytes.resize(30);  // ends inside the first directory
    Write(path, bytes);
    TExif x;
    EXPECT_THROW(x.ReadExif(path), EInOutError);
    EXPECT_TRUE(x.HasExif);
    EXPECT_TRUE(DeleteFileW(Widen(path).c_str())) << "the file stayed open";

    // A file another program holds exclusively cannot be opened.
    const std::string locked = tree.Path("locked.jpg");
    Write(locked, Camera("2011:01:01 00:00:00"));
    HANDLE h = CreateFileW(Widen(locked).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    try {
        x.ReadExif(locked);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(FailureText(e), "An EInOutError occurred");
    }
    CloseHandle(h);
}

TEST(ExifFile, BufferedReadsAcrossTheBuffer) {
    // A text that straddles the 4 KiB buffer of the file source.
    TempTree tree;
    TiffLayout s;
    s.data = {std::vector<std::uint8_t>(4080, 'x'), Bytes(std::string("2012:12:12 12:12:12") + '\0')};
    s.first = {{0x0132, 2, 20, 0, 1}};
    Write(tree.Path("big.jpg"), BuildJpeg(s));
    TExif x;
    x.ReadExif(tree.Path("big.jpg"));
    EXPECT_EQ(x.DateTime, "2012:12:12 12:12:12");
}

}  // namespace
