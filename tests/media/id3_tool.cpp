// Command-line face of TID3v2 for the interoperability test:
//   id3_tool write FILE TITLE ARTIST ALBUM TRACK GENRE COMMENT YEAR
//   id3_tool read FILE        (prints one "Field=value" line per field)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "media/ID3v2.h"

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "read") {
        TID3v2 t;
        if (!t.ReadTag(argv[2])) return 1;
        std::printf("TagPresent=%d\nMajorVersion=%d\nTitle=%s\nArtist=%s\nAlbum=%s\nTrack=%d\nGenre=%s\n"
                    "Comment=%s\nYear=%s\n",
                    t.TagPresent, t.MajorVersion, t.Title.c_str(), t.Artist.c_str(), t.Album.c_str(),
                    t.Track, t.Genre.c_str(), t.Comment.c_str(), t.Year.c_str());
        return 0;
    }
    if (argc == 10 && std::string(argv[1]) == "write") {
        TID3v2 t;
        t.SetTitle(argv[3]);
        t.SetArtist(argv[4]);
        t.SetAlbum(argv[5]);
        t.SetTrack(std::atoi(argv[6]));
        t.SetGenre(argv[7]);
        t.SetComment(argv[8]);
        t.Year = argv[9];
        return t.WriteTag(argv[2]) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: id3_tool read FILE | write FILE TITLE ARTIST ALBUM TRACK GENRE COMMENT YEAR\n");
    return 2;
}
