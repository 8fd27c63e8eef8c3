// Command-line face of TID3v2 for the interoperability test:
//   id3_tool write FILE TITLE ARTIST ALBUM TRACK GENRE COMMENT YEAR
//   id3_tool fill FILE        (the tag filled from the file's path, as a Copy with MP3 tag does)
//   id3_tool read FILE        (prints one "Field=value" line per field, in Windows-1250)
//   id3_tool copy IN OUT      (the main window lists IN and copies it into OUT with
//                              "Read/Write MP3_TAG" ticked; prints the rows, "*" before
//                              each selected one, and any message box)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "app/uMain.h"
#include "media/ID3v2.h"
#include "media/mp3_tag.h"
#include "platform/dialogs.h"
#include "platform/text.h"
#include "tests/text_1250/text_1250.h"

namespace {

// Every box is printed and answered Yes (or OK), as a user who goes on would.
class PrintedDialogs : public Dialogs {
public:
    int boxes = 0;
    MsgResult Ask(MsgKind, const Text& title, const Text& text, MsgButtons buttons) override {
        ++boxes;
        std::printf("box: %s: %s\n", To1250(title).c_str(), To1250(text).c_str());
        return buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
    }
    bool InputQuery(const Text&, const Text&, Text&) override { return false; }
};

int Copy(const std::string& in, const std::string& out) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    PrintedDialogs dialogs;
    SetDialogs(&dialogs);
    int status = 0;
    {
        TfrMain form;
        frMain = &form;
        form.Show();
        form.Edit1.SetText(in);
        form.Edit2.SetText("*.*");
        form.CheckBox1.SetChecked(true);
        form.Button1Click();
        form.Edit3.SetText(out);
        form.CheckBox_tag.SetChecked(true);
        form.Button2Click();
        for (int i = 0; i < form.ListBox1.Count(); ++i)
            std::printf("%s%s\n", form.ListBox1.Selected(i) ? "*" : "", form.ListBox1.Item1250(i).c_str());
        status = dialogs.boxes == 0 ? 0 : 1;
        frMain = nullptr;
    }
    SetDialogs(nullptr);
    return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::string command = argc >= 2 ? Narrow(argv[1]) : "";
    auto arg = [&](int i) { return Narrow(argv[i]); };
    if (argc == 3 && command == "read") {
        TID3v2 t;
        if (!t.ReadTag(arg(2))) return 1;
        std::printf("TagPresent=%d\nMajorVersion=%d\nTitle=%s\nArtist=%s\nAlbum=%s\nTrack=%d\nGenre=%s\n"
                    "Comment=%s\nYear=%s\nComposer=%s\nEncoder=%s\nRights=%s\nLanguage=%s\nLink=%s\n",
                    t.TagPresent, t.MajorVersion, To1250(t.Title).c_str(), To1250(t.Artist).c_str(),
                    To1250(t.Album).c_str(), t.Track, To1250(t.Genre).c_str(), To1250(t.Comment).c_str(),
                    To1250(t.Year).c_str(), To1250(t.Composer).c_str(), To1250(t.Encoder).c_str(),
                    To1250(t.Rights).c_str(), To1250(t.Language).c_str(), To1250(t.Link).c_str());
        return 0;
    }
    if (argc == 3 && command == "fill") {
        std::string line;
        return FillMp3Tag(arg(2), arg(2), false, line) ? 0 : 1;
    }
    if (argc == 4 && command == "copy") return Copy(arg(2), arg(3));
    if (argc == 10 && command == "write") {
        TID3v2 t;
        auto text = [&](int i) { return Text(argv[i], argv[i] + std::wcslen(argv[i])); };
        t.SetTitle(text(3));
        t.SetArtist(text(4));
        t.SetAlbum(text(5));
        t.SetTrack(std::atoi(arg(6).c_str()));
        t.SetGenre(text(7));
        t.SetComment(text(8));
        t.Year = text(9);
        return t.WriteTag(arg(2)) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: id3_tool read FILE | fill FILE | copy IN OUT | "
                         "write FILE TITLE ARTIST ALBUM TRACK GENRE COMMENT YEAR\n");
    return 2;
}
