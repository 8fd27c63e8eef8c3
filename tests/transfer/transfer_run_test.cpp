#include <windows.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "media/ID3v2.h"
#include "platform/fs.h"
#include "platform/message_loop.h"
#include "platform/text.h"
#include "transfer/run_journal.h"
#include "tests/app/gui_fixture.h"
#include "tests/media/exif_builder.h"
#include "transfer/text_ops.h"
#include "tests/text_1250/text_1250.h"

namespace {

class TransferRun : public MainWindowTest {
protected:
    std::string P(const std::string& rel) const { return tree->Path(rel); }
    void Put(const std::string& rel, const std::string& bytes) const { PutFile(P(rel), bytes); }
    std::string Get(const std::string& rel) const { return GetFile(P(rel)); }
    bool Exists(const std::string& rel) const { return FileExists(P(rel)); }

    void SetMode(TransferMode mode) {
        form->RadioButton1.SetChecked(mode == TransferMode::AddSubdirNames);
        form->RadioButton2.SetChecked(mode == TransferMode::UsualCopy);
        form->RadioButton3.SetChecked(mode == TransferMode::IntoRoot);
    }
    // Lists the input folder (every file, all levels) and sets the output folder.
    void Prepare(const std::string& input, const std::string& output) {
        List(input, "*.*");
        form->Edit3.SetText(output);
    }
    // The index of the row that reads text; a missing row ends the test as failed.
    int RowOf(const std::string& text) const {
        const auto rows = Rows();
        auto it = std::find(rows.begin(), rows.end(), text);
        if (it == rows.end()) throw std::out_of_range("no row reads: " + text);
        return static_cast<int>(it - rows.begin());
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& c : dialogs.calls) t.push_back(c.text);
        return t;
    }
    // The end of a run that was not stopped by an error.
    void ExpectEnded() const {
        EXPECT_FALSE(form->ProgressBar1.Visible());
        EXPECT_EQ(form->Tag, 0);
        EXPECT_TRUE(form->BatchReady);
        EXPECT_FALSE(TForm::BusyCursor());
    }
    void ExpectStoppedByError(const std::string& kind) const {
        ASSERT_FALSE(dialogs.calls.empty());
        EXPECT_EQ(dialogs.calls.back().text, "An " + kind + " occurred");
        EXPECT_EQ(dialogs.calls.back().kind, MsgKind::Warning);
        EXPECT_TRUE(form->ProgressBar1.Visible());
        EXPECT_EQ(form->Tag, 999);
        EXPECT_FALSE(form->BatchReady);
    }
};

const std::string kPhoto = "photo bytes \x01\x02\x03";

TEST_F(TransferRun, TheThreeModesOfTheWorkedExample) {
    struct Case {
        TransferMode mode;
        std::string destination;
    };
    const std::vector<Case> cases = {
        {TransferMode::AddSubdirNames, "out\\2010_Trip A_img 1.jpg"},
        {TransferMode::UsualCopy, "out\\2010\\Trip A\\img 1.jpg"},
        {TransferMode::IntoRoot, "out\\img 1.jpg"},
    };
    tree->Dir("photo");
    tree->Dir("photo\\2010");
    tree->Dir("photo\\2010\\Trip A");
    Put("photo\\2010\\Trip A\\img 1.jpg", kPhoto);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.destination);
        tree->Dir("out");  // the folder modes 1 and 3 need; UsualCopy makes the rest
        Prepare(P("photo"), P("out"));
        SetMode(c.mode);
        dialogs.calls.clear();
        form->Button2Click();
        EXPECT_TRUE(dialogs.calls.empty());
        EXPECT_EQ(Get(c.destination), kPhoto);
        EXPECT_EQ(Get("photo\\2010\\Trip A\\img 1.jpg"), kPhoto);  // a copy leaves the source
        ASSERT_EQ(Rows().size(), 1u);
        EXPECT_EQ(Rows()[0], P("photo\\2010\\Trip A\\img 1.jpg") + " -> " + P(c.destination));
        EXPECT_FALSE(form->ListBox1.Selected(0));
        ExpectEnded();
        EXPECT_EQ(To1250(form->SourcePath), P("photo\\2010\\Trip A\\img 1.jpg"));
        EXPECT_EQ(To1250(form->TargetPath), P(c.destination));
        DeleteFileW(Widen(P(c.destination)).c_str());
        RemoveDirectoryW(Widen(P("out\\2010\\Trip A")).c_str());
        RemoveDirectoryW(Widen(P("out\\2010")).c_str());
        RemoveDirectoryW(Widen(P("out")).c_str());
    }
}

TEST_F(TransferRun, FolderNamesDecodedAndJoined) {
    tree->Dir("photo");
    tree->Dir("photo\\2010");
    Put("photo\\Artist~Album~01.mp3", "song");
    Put("photo\\2010\\img 1.jpg", kPhoto);
    // DirsDelimiter: folders rebuilt from the name.
    form->Edit_DelimiterDirs.SetText("~");
    Prepare(P("photo"), P("out"));
    form->ListBox1.SetSelected(RowOf(P("photo\\2010\\img 1.jpg")), false);
    form->Button2Click();
    EXPECT_EQ(Get("out\\Artist\\Album\\01.mp3"), "song");
    // AddFolderNames: the folders below the base directory joined into the name.
    form->Edit_DelimiterDirs.SetText("");
    form->CheckBox5_rel.SetChecked(true);
    for (TransferMode mode : {TransferMode::AddSubdirNames, TransferMode::UsualCopy}) {
        Prepare(P("photo"), P("out"));
        SetMode(mode);
        form->ListBox1.SetSelected(RowOf(P("photo\\Artist~Album~01.mp3")), false);
        form->Button2Click();
        EXPECT_EQ(Get("out\\photo_2010_img 1.jpg"), kPhoto);
        DeleteFileW(Widen(P("out\\photo_2010_img 1.jpg")).c_str());
    }
}

TEST_F(TransferRun, RelativeRowsFallBackToTheirWholePath) {
    tree->Dir("photo");
    tree->Dir("photo\\2010");
    Put("photo\\2010\\a.jpg", kPhoto);
    form->CheckBox4_rel.SetChecked(true);
    form->CheckBox4_relClick();
    Prepare(P("photo"), P("out"));
    ASSERT_EQ(form->Edit1.Text1250(), "\\photo");
    ASSERT_EQ(form->Edit3.Text1250(), "\\out");
    ASSERT_EQ(Rows(), std::vector<std::string>{"photo\\2010\\a.jpg"});
    SetCurrentDir(P("photo"));  // the run works from the base directory whatever is current
    form->Button2Click();
    EXPECT_EQ(Get("out\\photo\\2010\\a.jpg"), kPhoto);
    EXPECT_EQ(Rows(), std::vector<std::string>{"photo\\2010\\a.jpg -> out\\photo\\2010\\a.jpg"});
    EXPECT_EQ(GetCurrentDir(), tree->Root());
}

// In relative mode only a whole leading base directory goes: a sibling
// folder that begins with the same letters keeps its full form and gets the files.
TEST_F(TransferRun, RelativeModeKeepsASiblingFolderOfTheSameLetters) {
    tree->Dir("in");
    Put("in\\a.txt", "a");
    const std::string sibling = tree->Root() + "shop";
    ASSERT_TRUE(CreateDirectoryW(Widen(sibling).c_str(), nullptr));
    form->Edit3.SetText(sibling);
    form->CheckBox4_rel.SetChecked(true);
    form->CheckBox4_relClick();
    EXPECT_EQ(form->Edit3.Text1250(), sibling);
    List(P("in"), "*.*");
    SetMode(TransferMode::IntoRoot);
    form->Button2Click();
    EXPECT_EQ(GetFile(sibling + "\\a.txt"), "a");
    EXPECT_FALSE(DirectoryExists(P("shop")));
    EXPECT_EQ(Rows(), std::vector<std::string>{"in\\a.txt -> " + sibling + "\\a.txt"});
    DeleteFileW(Widen(sibling + "\\a.txt").c_str());
    RemoveDirectoryW(Widen(sibling).c_str());
}

// A folder below that bears the output directory's name again is kept whole
// when characters are replaced.
TEST_F(TransferRun, ReplacingKeepsAFolderNamedLikeTheOutput) {
    tree->Dir("in");
    tree->Dir("in\\sub");
    tree->Dir("in\\sub\\out");
    Put("in\\sub\\out\\x y.txt", "xy");
    form->CheckBox4_rel.SetChecked(true);
    form->CheckBox4_relClick();
    List(P("in"), "*.*");
    form->Edit3.SetText("out");
    form->CheckBox_repl.SetChecked(true);
    form->Button2Click();
    EXPECT_EQ(Get("out\\in\\sub\\out\\x_y.txt"), "xy");
    EXPECT_EQ(Rows(), std::vector<std::string>{"in\\sub\\out\\x y.txt -> out\\in\\sub\\out\\x_y.txt"});
}

TEST_F(TransferRun, CzRenamesInPlace) {
    tree->Dir("music");
    const std::string czech = "\xC8" "ech - P\xEDse\xF2.mp3";  // Čech - Píseň.mp3
    Put("music\\" + czech, "song");
    Put("music\\plain.mp3", "plain");
    Prepare(P("music"), P("music"));
    dialogs.answers = {MsgResult::Yes};
    form->Button7Click();
    ASSERT_FALSE(dialogs.calls.empty());
    EXPECT_EQ(dialogs.calls[0].text, "Source and output directory is the same!\rAre you sure you want to continue?");
    EXPECT_EQ(dialogs.calls[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(Get("music\\cech___Pisen.mp3"), "song");
    EXPECT_FALSE(Exists("music\\" + czech));
    const int row = RowOf(P("music\\" + czech) + " -> " + P("music\\cech___Pisen.mp3"));
    EXPECT_FALSE(form->ListBox1.Selected(row));
    // A name with nothing to change is already in place: kept and selected.
    EXPECT_TRUE(form->ListBox1.Selected(RowOf(P("music\\plain.mp3"))));
    EXPECT_FALSE(form->CheckBox_rename.Checked());
    ExpectEnded();
}

TEST_F(TransferRun, ExifDateInFrontOfTheName) {
    TiffLayout s;
    s.data = {Bytes(std::string("2011:04:15 10:20:30") + '\0')};
    s.first = {{0x0132, 2, 20, 0, 0}};
    const auto jpeg = BuildJpeg(s);
    tree->Dir("in");
    tree->Dir("out");
    Put("in\\img 1.jpg", std::string(jpeg.begin(), jpeg.end()));
    Put("in\\noexif.jpg", "plain");
    Put("in\\noext", std::string(jpeg.begin(), jpeg.end()));
    Prepare(P("in"), P("out"));
    form->CheckBox_exif.SetChecked(true);
    form->Button3Click();  // Try reads the dates too, and writes nothing
    RowOf(P("in\\img 1.jpg") + " -> " + P("out\\20110415_img 1.jpg"));
    RowOf(P("in\\noexif.jpg") + " -> " + P("out\\noexif.jpg"));
    RowOf(P("in\\noext") + " -> " + P("out\\noext"));
    EXPECT_FALSE(Exists("out\\20110415_img 1.jpg"));
    EXPECT_FALSE(form->DryRun);
    Prepare(P("in"), P("out"));
    form->Button2Click();
    EXPECT_EQ(Get("out\\20110415_img 1.jpg"), std::string(jpeg.begin(), jpeg.end()));
    EXPECT_EQ(Get("out\\noexif.jpg"), "plain");
}

// The run reads the options again only when a control may have changed; a
// change by the user or by the program must always be seen.
TEST_F(TransferRun, OptionsFollowEveryChangeOfTheControls) {
    struct Change {
        const char* what;
        std::function<void()> make;
        std::function<bool(const TransferOptions&)> seen;
    };
    const std::vector<Change> changes = {
        {"typed delimiter", [&] { SendMessageW(form->Edit_Delimiter.hwnd, WM_CHAR, '+', 0); },
         [](const TransferOptions& o) { return o.Delimiter == u"_+" || o.Delimiter == u"+_"; }},
        {"clicked Move", [&] { SendMessageW(form->CheckBox2.hwnd, BM_CLICK, 0, 0); },
         [](const TransferOptions& o) { return o.MoveFiles; }},
        {"clicked mode", [&] { SendMessageW(form->RadioButton3.hwnd, BM_CLICK, 0, 0); },
         [](const TransferOptions& o) { return o.Mode == TransferMode::IntoRoot; }},
        {"set CZ box", [&] { form->CheckBox_rename.SetChecked(true); },
         [](const TransferOptions& o) { return o.CzRename; }},
        {"set text", [&] { form->Edit_newchar.SetText("#"); },
         [](const TransferOptions& o) { return o.NewChars == u"#"; }},
    };
    form->Edit_Delimiter.SetFocus();
    for (const auto& c : changes) {
        const auto before = ControlChangeCount();
        EXPECT_FALSE(c.seen(form->ReadTransferOptions())) << c.what;
        c.make();
        EXPECT_NE(ControlChangeCount(), before) << c.what;
        EXPECT_TRUE(c.seen(form->ReadTransferOptions())) << c.what;
    }
}

TEST_F(TransferRun, TryChangesNothingOnDisk) {
    tree->Dir("in");
    tree->Dir("in\\sub");
    Put("in\\sub\\a.txt", "a");
    Prepare(P("in"), P("out"));
    form->CheckBox2.SetChecked(true);  // even a Move
    form->Button3Click();
    EXPECT_EQ(Rows(), std::vector<std::string>{P("in\\sub\\a.txt") + " -> " + P("out\\sub\\a.txt")});
    EXPECT_FALSE(DirectoryExists(P("out")));
    EXPECT_EQ(Get("in\\sub\\a.txt"), "a");
    ExpectEnded();
    // Enter on the focused Copy button starts the Copy, as Space does.
    form->CheckBox2.SetChecked(false);
    Prepare(P("in"), P("out"));
    form->Button2.SetFocus();
    PostMessageW(form->Button2.hwnd, WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    EXPECT_EQ(Get("out\\sub\\a.txt"), "a");
}

TEST_F(TransferRun, StartOfTheRun) {
    tree->Dir("in");
    Put("in\\a.txt", "a");
    // No to the same-directory question: nothing but BatchReady and ListCount changes.
    Prepare(P("in"), P("in"));
    form->Edit1.SetText(P("in") + "\\");
    form->Edit3.SetText(P("in") + "\\");
    form->BatchReady = true;
    form->ListCount = 0;
    form->Button2Click();
    ASSERT_EQ(Texts(), std::vector<std::string>{"Source and output directory is the same!\rAre you sure you want to continue?"});
    EXPECT_EQ(form->Edit3.Text1250(), P("in") + "\\");
    EXPECT_FALSE(form->BatchReady);
    EXPECT_EQ(form->ListCount, 1);
    EXPECT_FALSE(form->ProgressBar1.Visible());
    EXPECT_EQ(form->Tag, 0);
    EXPECT_EQ(Rows(), std::vector<std::string>{P("in\\a.txt")});

    // Nothing selected: the information box, then a run that ends normally.
    form->Edit1.SetText(P("in"));
    form->Edit3.SetText(P("out") + "\\\\");
    form->ListBox1.SetAllSelected(false);
    dialogs.calls.clear();
    form->Button2Click();
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].text, "No files selected ...");
    EXPECT_EQ(dialogs.calls[0].kind, MsgKind::Information);
    EXPECT_EQ(form->Edit3.Text1250(), P("out") + "\\");  // only one backslash goes
    EXPECT_EQ(Rows(), std::vector<std::string>{P("in\\a.txt")});
    ExpectEnded();

    // Delete with nothing selected: the DELETE question follows; No ends at once.
    dialogs.calls.clear();
    form->Button5Click();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"No files selected ...", "Do you really want to DELETE the files?"}));
    EXPECT_FALSE(form->DeleteMode);
    EXPECT_EQ(form->Tag, 999);
    EXPECT_FALSE(form->BatchReady);
    EXPECT_FALSE(TForm::BusyCursor());
    EXPECT_TRUE(Exists("in\\a.txt"));
}

TEST_F(TransferRun, OutputDirectoryForms) {
    tree->Dir("in");
    Put("in\\a.txt", "a");
    // A drive root loses its backslash and destinations begin with it again.
    const std::string drive = tree->Root().substr(0, 2);
    Prepare(P("in"), drive + "\\");
    SetMode(TransferMode::IntoRoot);
    form->Button3Click();
    EXPECT_EQ(form->Edit3.Text1250(), drive);
    EXPECT_EQ(Rows(), std::vector<std::string>{P("in\\a.txt") + " -> " + drive + "\\a.txt"});
    // A blank output directory: destinations relative to the current one.
    form->CheckBox4_rel.SetChecked(true);
    form->CheckBox4_relClick();
    Prepare(P("in"), " ");
    form->Button2Click();
    EXPECT_EQ(form->Edit3.Text1250(), " ");
    EXPECT_EQ(Rows(), std::vector<std::string>{"in\\a.txt -> a.txt"});
    EXPECT_EQ(Get("a.txt"), "a");
    // Destinations past 260 characters are no limit for the platform.
    form->CheckBox4_rel.SetChecked(false);
    form->CheckBox4_relClick();
    const std::string deep = std::string(200, 'L') + "\\" + std::string(100, 'M');
    Prepare(P("in"), P(deep));
    SetMode(TransferMode::UsualCopy);
    dialogs.calls.clear();
    form->Button2Click();
    EXPECT_TRUE(dialogs.calls.empty());
    EXPECT_EQ(Get(deep + "\\a.txt"), "a");
    RemoveDirectoryW(Widen(P(deep)).c_str());
}

TEST_F(TransferRun, DeleteRunThenListsAgain) {
    tree->Dir("in");
    Put("in\\a.txt", "a");
    Put("in\\b.txt", "b");
    Put("in\\ro.txt", "r");
    Put("in\\keep.txt", "k");
    tree->SetAttributes("in\\ro.txt", FILE_ATTRIBUTE_READONLY);
    Prepare(P("in"), P("in"));  // the same folder is not asked about when deleting
    form->ListBox1.SetSelected(RowOf(P("in\\keep.txt")), false);
    dialogs.answers = {MsgResult::Yes};
    form->Button5Click();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Do you really want to DELETE the files?",
                                                 "Cannot delete \r" + P("in\\ro.txt")}));
    EXPECT_FALSE(Exists("in\\a.txt"));
    EXPECT_FALSE(Exists("in\\b.txt"));
    EXPECT_TRUE(Exists("in\\ro.txt"));
    EXPECT_TRUE(Exists("in\\keep.txt"));
    // Listed anew afterwards, every row selected.
    auto rows = Rows();
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<std::string>{P("in\\keep.txt"), P("in\\ro.txt")}));
    EXPECT_EQ(form->ListBox1.SelCount(), 2);
    EXPECT_FALSE(form->DeleteMode);
}

TEST_F(TransferRun, EscapeThroughTheQueue) {
    tree->Dir("in");
    tree->Dir("out");
    for (int i = 0; i < 8; ++i) Put("in\\f" + std::to_string(i) + ".txt", "x");
    // Answered No: the run goes on to its end, and the key goes no further
    // (as a Space it would select the list's caret row alone, or type a
    // blank into the output folder).
    for (TControl* focused : {&form->ListBox1, &form->Edit3}) {
        Prepare(P("in"), P("out"));
        SendMessageW(form->ListBox1.hwnd, LB_SETCARETINDEX, 3, FALSE);
        focused->SetFocus();
        SendMessageW(form->Edit3.hwnd, EM_SETSEL, 0, -1);
        PostMessageW(focused->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        dialogs.calls.clear();
        form->Button2Click();
        ASSERT_EQ(dialogs.calls.size(), 1u);
        EXPECT_EQ(dialogs.calls[0].text, "Terminate the process? \r" + To1250(form->Caption()));
        EXPECT_EQ(form->ListBox1.SelCount(), 0);
        EXPECT_EQ(form->Edit3.Text1250(), P("out"));
        for (int i = 0; i < 8; ++i) EXPECT_EQ(Get("out\\f" + std::to_string(i) + ".txt"), "x") << i;
        ExpectEnded();
        for (int i = 0; i < 8; ++i) DeleteFileW(Widen(P("out\\f" + std::to_string(i) + ".txt")).c_str());
    }

    // Answered Yes before the first row, which is not even selected: nothing is done.
    Prepare(P("in"), P("out"));
    form->ListBox1.SetSelected(0, false);
    const auto listed = Rows();
    PostMessageW(form->ListBox1.hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    dialogs.calls.clear();
    dialogs.answers = {MsgResult::Yes};
    form->Button2Click();
    EXPECT_EQ(Rows(), listed);
    ExpectEnded();

    // Yes in the middle of a run: the rows after the question are left alone.
    // The question is posted while the box of the third row is open.
    Prepare(P("in"), P("in"));
    const auto rows = Rows();
    tree->SetAttributes("in\\" + rows[2].substr(rows[2].rfind('\\') + 1), FILE_ATTRIBUTE_READONLY);
    dialogs.calls.clear();
    dialogs.answers = {MsgResult::Yes, MsgResult::Ok, MsgResult::Yes};
    dialogs.whileOpen = nullptr;
    int boxes = 0;
    std::function<void()> postAtCannotDelete = [&] {
        if (++boxes == 2) PostMessageW(form->ListBox1.hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        else dialogs.whileOpen = postAtCannotDelete;
    };
    dialogs.whileOpen = postAtCannotDelete;
    form->Button5Click();
    ASSERT_EQ(Texts().size(), 3u);
    EXPECT_EQ(Texts()[1], "Cannot delete \r" + rows[2]);
    EXPECT_EQ(Texts()[2], "Terminate the process? \r" + To1250(form->Caption()));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(FileExists(rows[i]), i >= 2) << rows[i];
    EXPECT_EQ(form->Tag, 0);
    EXPECT_TRUE(form->BatchReady);
}

// A close request while a run pumps stops the run before its next row, as a
// confirmed Escape does, asks nothing, and closes the window afterwards; a
// Delete does not list again first.
TEST_F(TransferRun, ClosingTheWindowStopsTheRunThenCloses) {
    tree->Dir("in");
    tree->Dir("out");
    const std::vector<std::pair<const char*, std::function<void()>>> closes = {
        {"Close button", [&] { PostMessageW(form->BitBtn1.hwnd, BM_CLICK, 0, 0); }},
        {"close box, Alt+F4", [&] { PostMessageW(form->hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"close message", [&] { PostMessageW(form->hwnd, WM_CLOSE, 0, 0); }},
    };
    for (const auto& [how, postClose] : closes) {
        SCOPED_TRACE(how);
        for (int i = 0; i < 8; ++i) Put("in\\f" + std::to_string(i) + ".txt", "x");
        if (!form->hwnd) {
            form.reset();
            form = std::make_unique<TfrMain>();
            frMain = form.get();
            form->Show();
            Pump();
        }
        // Delete, closed while the box of the third row is open.
        Prepare(P("in"), P("in"));
        const auto rows = Rows();
        tree->SetAttributes("in\\" + rows[2].substr(rows[2].rfind('\\') + 1), FILE_ATTRIBUTE_READONLY);
        dialogs.calls.clear();
        dialogs.answers = {MsgResult::Yes};
        dialogs.whileOpen = [&] { dialogs.whileOpen = postClose; };  // the second box: Cannot delete
        form->Button5Click();
        ASSERT_NE(form->hwnd, nullptr);
        ASSERT_EQ(Texts().size(), 2u);
        EXPECT_EQ(Texts()[1], "Cannot delete \r" + rows[2]);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(FileExists(rows[i]), i >= 2) << rows[i];
        EXPECT_EQ(Rows(), rows);
        EXPECT_EQ(form->Tag, 0);
        EXPECT_FALSE(form->ProgressBar1.Visible());
        Pump();
        EXPECT_EQ(form->hwnd, nullptr);
        MSG quit;
        EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        tree->SetAttributes("in\\" + rows[2].substr(rows[2].rfind('\\') + 1), FILE_ATTRIBUTE_NORMAL);
        for (const auto& row : rows) DeleteFileW(Widen(row).c_str());
    }
    // Copy, closed before its first row: nothing is copied.
    form.reset();
    form = std::make_unique<TfrMain>();
    frMain = form.get();
    form->Show();
    Put("in\\a.txt", "a");
    Prepare(P("in"), P("out"));
    PostMessageW(form->hwnd, WM_CLOSE, 0, 0);
    dialogs.calls.clear();
    form->Button2Click();
    EXPECT_TRUE(dialogs.calls.empty());
    EXPECT_FALSE(Exists("out\\a.txt"));
    EXPECT_EQ(Rows(), std::vector<std::string>{P("in\\a.txt")});
    Pump();
    EXPECT_EQ(form->hwnd, nullptr);
}

TEST_F(TransferRun, NoSecondRunOrListingFromInsideThePump) {
    tree->Dir("in");
    Put("in\\a.txt", "a");
    Prepare(P("in"), P("out"));
    // Pressed while the run pumps: Try, Copy again, List Files, Enter in the mask.
    PostMessageW(form->Button3.hwnd, BM_CLICK, 0, 0);
    PostMessageW(form->Button2.hwnd, BM_CLICK, 0, 0);
    PostMessageW(form->Button1.hwnd, BM_CLICK, 0, 0);
    form->Button2Click();
    Pump();
    EXPECT_EQ(Rows(), std::vector<std::string>{P("in\\a.txt") + " -> " + P("out\\a.txt")});
    EXPECT_FALSE(form->DryRun);
    EXPECT_EQ(Get("out\\a.txt"), "a");
    // Once it has ended the buttons work again.
    PostMessageW(form->Button1.hwnd, BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(Rows(), std::vector<std::string>{P("in\\a.txt")});
}

TEST_F(TransferRun, MoveOnlyDeletesWhatWasTransferred) {
    tree->Dir("in");
    tree->Dir("out");
    Put("in\\new.txt", "new");
    Put("in\\taken.txt", "mine");
    Put("out\\taken.txt", "theirs");
    Prepare(P("in"), P("out"));
    SetMode(TransferMode::IntoRoot);
    form->CheckBox2.SetChecked(true);
    form->Button2Click();
    EXPECT_TRUE(dialogs.calls.empty());  // a failed rename shows no box
    EXPECT_EQ(Get("out\\new.txt"), "new");
    EXPECT_FALSE(Exists("in\\new.txt"));
    EXPECT_FALSE(form->ListBox1.Selected(RowOf(P("in\\new.txt") + " -> " + P("out\\new.txt"))));
    // The destination was taken: both files stay, the row keeps its source and selection.
    EXPECT_EQ(Get("in\\taken.txt"), "mine");
    EXPECT_EQ(Get("out\\taken.txt"), "theirs");
    EXPECT_TRUE(form->ListBox1.Selected(RowOf(P("in\\taken.txt"))));
    ExpectEnded();

    // A missing destination folder: the rename fails the same way.
    Prepare(P("in"), P("nowhere"));
    form->Button2Click();
    EXPECT_TRUE(dialogs.calls.empty());
    EXPECT_EQ(Get("in\\taken.txt"), "mine");
    EXPECT_EQ(Rows(), std::vector<std::string>{P("in\\taken.txt")});
    EXPECT_TRUE(form->ListBox1.Selected(0));

    // Names that differ in letter case only name the same file: it stays.
    Prepare(P("in"), P("IN"));
    form->Button2Click();
    EXPECT_EQ(Get("in\\taken.txt"), "mine");
}

// One run never writes two files to one name. The later row of two that meet
// keeps its source text and its selection, as Try shows beforehand; a name
// that was there before the run is still replaced.
TEST_F(TransferRun, TwoRowsNeverWriteOneName) {
    struct Pair { std::string dir, first, second, name; };
    for (const Pair& p : {Pair{"one", "a\\01.mp3", "b\\01.mp3", "01.mp3"},
                          Pair{"case", "a\\Song.txt", "b\\SONG.TXT", "Song.txt"}}) {
        SCOPED_TRACE(p.second);
        const std::string in = p.dir + "\\in\\", out = p.dir + "\\out";
        for (const std::string& d : {p.dir, in, in + "a", in + "b", out}) tree->Dir(d);
        Put(in + p.first, "first");
        Put(in + p.second, "second");
        std::string triedFirst;
        for (bool dry : {true, false}) {
            Prepare(P(in.substr(0, in.size() - 1)), P(out));
            SetMode(TransferMode::IntoRoot);
            const auto listed = Rows();
            ASSERT_EQ(listed.size(), 2u);
            if (dry) form->Button3Click();
            else form->Button2Click();
            // The row listed first is transferred, the same one as in the
            // Try; the later one is left as it was.
            EXPECT_EQ(Rows(), (std::vector<std::string>{listed[0] + " -> " + P(out + "\\" + FileNameOf(listed[0])),
                                                        listed[1]}));
            EXPECT_FALSE(form->ListBox1.Selected(0));
            EXPECT_TRUE(form->ListBox1.Selected(1));
            if (dry) {
                triedFirst = listed[0];
                EXPECT_FALSE(Exists(out + "\\" + p.name));
                continue;
            }
            EXPECT_EQ(listed[0], triedFirst);
            EXPECT_EQ(Get(out + "\\" + p.name), listed[0] == P(in + p.first) ? "first" : "second");
            EXPECT_EQ(Get(in + p.first), "first");
            EXPECT_EQ(Get(in + p.second), "second");
            ExpectEnded();
        }
        // A second Copy of the same folder replaces what the first one made.
        Put(in + p.first, "first again");
        Put(in + p.second, "second again");
        Prepare(P(in.substr(0, in.size() - 1)), P(out));
        SetMode(TransferMode::IntoRoot);
        form->Button2Click();
        EXPECT_NE(Get(out + "\\" + p.name).find(" again"), std::string::npos);
    }
    // CZ in place: 'Čech.mp3' becomes 'cech.mp3', and so would the 'čech.mp3'
    // of a subfolder. The first is renamed, the second stays where it is.
    tree->Dir("cz");
    tree->Dir("cz\\sub");
    Put("cz\\\xC8" "ech.mp3", "capital");
    Put("cz\\sub\\\xE8" "ech.mp3", "small");
    Prepare(P("cz"), P("cz"));
    SetMode(TransferMode::IntoRoot);
    dialogs.answers = {MsgResult::Yes};
    form->Button7Click();
    EXPECT_EQ(Get("cz\\cech.mp3"), "capital");
    EXPECT_EQ(Get("cz\\sub\\\xE8" "ech.mp3"), "small");
    EXPECT_EQ(Rows()[1], P("cz\\sub\\\xE8" "ech.mp3"));
    EXPECT_EQ(form->ListBox1.SelCount(), 1);
}

TEST_F(TransferRun, CopyReplacesAndRowStates) {
    tree->Dir("in");
    tree->Dir("out");
    Put("in\\a.txt", "new content");
    Put("out\\a.txt", "old");
    Put("in\\gone.txt", "g");
    form->CheckBox4_rel.SetChecked(true);
    form->CheckBox4_relClick();
    Prepare(P("in"), P("out"));
    DeleteFileW(Widen(P("in\\gone.txt")).c_str());  // listed, then removed
    SetMode(TransferMode::IntoRoot);
    form->Button2Click();
    EXPECT_EQ(Get("out\\a.txt"), "new content");
    EXPECT_FALSE(form->ListBox1.Selected(RowOf("in\\a.txt -> out\\a.txt")));
    EXPECT_TRUE(form->ListBox1.Selected(RowOf("in\\gone.txt")));
    EXPECT_TRUE(dialogs.calls.empty());
}

TEST_F(TransferRun, Mp3TagsAtTheDestinationOrInPlace) {
    tree->Dir("Music");
    tree->Dir("Music\\Band");
    tree->Dir("Music\\Band\\Live");
    const std::string audio = "\xFF\xF3\x14\x44 audio: one frame...";  // one whole MPEG frame
    const std::string song = "Music\\Band\\Live\\Track 05 - Intro.mp3";
    Put(song, audio);
    form->CheckBox_tag.SetChecked(true);
    // Copied: the copy gets the tag, from the source's path; the row shows no tag line.
    Prepare(P("Music"), P("out"));
    form->Button2Click();
    TID3v2 copy;
    copy.ReadTag(P("out\\Band\\Live\\Track 05 - Intro.mp3"));
    EXPECT_EQ(copy.Artist, u"Band");
    EXPECT_EQ(copy.Album, u"Live");
    EXPECT_EQ(copy.Track, 5);
    EXPECT_EQ(Get(song), audio);
    EXPECT_EQ(Rows(), std::vector<std::string>{P(song) + " -> " + P("out\\Band\\Live\\Track 05 - Intro.mp3")});
    // In place: Try reads the tag, Copy writes it, and the row shows the line.
    const std::string tagLine = "Track: 5, Title: Track 05 - Intro, Artist: Band, Album: Live, Genre: ";
    for (bool dry : {true, false}) {
        Prepare(P("Music"), P("Music"));
        dialogs.answers = {MsgResult::Yes};
        if (dry) form->Button3Click();
        else form->Button2Click();
        EXPECT_EQ(Rows(), std::vector<std::string>{P(song) + " (" +
                                                   (dry ? "Read TAG: Track: 0, Title: , Artist: , Album: , Genre: "
                                                        : "Written TAG: " + tagLine) + ")"});
        EXPECT_TRUE(form->ListBox1.Selected(0));
        EXPECT_EQ(Get(song) == audio, dry);
    }
    // A title in UTF-16, as most taggers write it, shows as text in a Try.
    tree->Dir("utf16");
    const std::string frame = std::string("TIT2\0\0\0\x0D\0\0\x01\xFF\xFEP\0\xED\0s\0e\0\x48\x01", 23);
    Put("utf16\\song.mp3", std::string("ID3\x03\0\0\0\0\0\x17", 10) + frame + audio);
    Prepare(P("utf16"), P("utf16"));
    dialogs.answers = {MsgResult::Yes};
    form->Button3Click();
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0], P("utf16\\song.mp3") + " (Read TAG: Track: 0, Title: P\xEDse\xF2, Artist: , Album: , Genre: )");
    EXPECT_EQ(Rows()[0].find('\0'), std::string::npos);
    // Only MPEG audio gets a tag: a bitmap is copied as it is. A tag that
    // cannot be written (the file's ID3 header is damaged) is not reported
    // as written. Both rows stay selected.
    tree->Dir("pics");
    tree->Dir("out2");
    const std::string bitmap = std::string("BM\x36\0\0\0", 6) + "pixels";
    Put("pics\\pic.bmp", bitmap);
    const std::string damaged = std::string("ID3\x03\0\0\0\0\x80\0", 10) + audio;  // a size byte of 0x80
    Put("pics\\song.mp3", damaged);
    Prepare(P("pics"), P("out2"));
    SetMode(TransferMode::IntoRoot);
    form->Button2Click();
    EXPECT_EQ(Get("out2\\pic.bmp"), bitmap);
    EXPECT_EQ(Get("out2\\song.mp3"), damaged);
    EXPECT_EQ(form->ListBox1.SelCount(), 2);
    EXPECT_TRUE(form->ListBox1.Selected(RowOf(P("pics\\pic.bmp") + " -> " + P("out2\\pic.bmp"))));
    Prepare(P("pics"), P("pics"));
    form->ListBox1.SetSelected(RowOf(P("pics\\song.mp3")), false);
    dialogs.answers = {MsgResult::Yes};
    form->Button2Click();
    const std::string row = P("pics\\pic.bmp") + " (Tag not written: Track: 0, Title: pic";
    const auto rows = Rows();
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [&](const std::string& r) { return r.rfind(row, 0) == 0; }), 1);
    EXPECT_EQ(Get("pics\\pic.bmp"), bitmap);
}

TEST_F(TransferRun, ListScrollsWithTheRun) {
    tree->Dir("in");
    for (int i = 0; i < 60; ++i) Put("in\\f" + std::to_string(100 + i) + ".txt", "");
    struct Case { int lastSelected, top; };
    for (const Case c : {Case{3, 3}, Case{6, 0}, Case{20, 14}}) {
        Prepare(P("in"), P("in"));
        for (int i = c.lastSelected + 1; i < 60; ++i) form->ListBox1.SetSelected(i, false);
        dialogs.answers = {MsgResult::Yes};
        form->Button3Click();  // every row already in place: all stay selected
        EXPECT_EQ(form->ListBox1.TopIndex(), c.top) << c.lastSelected;
        EXPECT_EQ(form->ListBox1.SelCount(), c.lastSelected + 1);
    }
}

TEST_F(TransferRun, FailuresStopTheRunWithTheirKind) {
    tree->Dir("in");
    Put("in\\a.txt", "a");
    tree->Dir("ro");
    Put("ro\\a.txt", "old");
    tree->SetAttributes("ro\\a.txt", FILE_ATTRIBUTE_READONLY);
    Put("block", "a file where a folder should be");
    struct Case {
        TransferMode mode;
        std::string output, kind;
    };
    const std::vector<Case> cases = {
        {TransferMode::IntoRoot, P("missing"), "EFCreateError"},
        {TransferMode::AddSubdirNames, P("missing"), "EFCreateError"},
        {TransferMode::IntoRoot, P("ro"), "EFCreateError"},
        {TransferMode::UsualCopy, P("block\\x"), "Exception"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output.substr(0, 80));
        Prepare(P("in"), c.output);
        SetMode(c.mode);
        dialogs.calls.clear();
        form->Button2Click();
        ExpectStoppedByError(c.kind);
        EXPECT_EQ(Rows(), std::vector<std::string>{P("in\\a.txt")});
        EXPECT_TRUE(form->ListBox1.Selected(0));
        EXPECT_FALSE(TForm::BusyCursor());
    }
    EXPECT_EQ(Get("ro\\a.txt"), "old");  // a destination that cannot be written is kept

    // A source held by another program without sharing.
    Prepare(P("in"), P("in2"));
    HANDLE held = CreateFileW(Widen(P("in\\a.txt")).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    dialogs.calls.clear();
    form->Button2Click();
    CloseHandle(held);
    ExpectStoppedByError("EFOpenError");
    EXPECT_FALSE(Exists("in2\\a.txt"));
    // A base directory that cannot be entered for relative rows.
    form->CheckBox4_rel.SetChecked(true);
    form->CheckBox4_relClick();
    Prepare(P("in"), P("in2"));
    const std::string base = To1250(form->BaseDir);
    form->BaseDir = From1250(P("gone"));
    dialogs.calls.clear();
    form->Button2Click();
    form->BaseDir = From1250(base);
    ExpectStoppedByError("EInOutError");
    form->CheckBox4_rel.SetChecked(false);
    form->CheckBox4_relClick();
    Prepare(P("in"), P("in2"));
    // After an error the next run starts afresh.
    dialogs.calls.clear();
    form->Button2Click();
    EXPECT_EQ(Get("in2\\a.txt"), "a");
    ExpectEnded();
}

TEST_F(TransferRun, CopyFailingHalfWayLeavesNoPartialFile) {
    // A kernel file says 4096 bytes and ends long before: the copy's read
    // fails after its first part is written.
    const std::string source = "Z:\\sys\\kernel\\mm\\transparent_hugepage\\hpage_pmd_size";
    if (!FileExists(source)) GTEST_SKIP() << "no " << source;
    tree->Dir("out");
    form->Edit1.SetText("Z:\\sys\\kernel\\mm\\transparent_hugepage");
    form->Edit3.SetText(P("out"));
    form->ListBox1.Add(source);
    form->ListBox1.SetSelected(0, true);
    SetMode(TransferMode::IntoRoot);
    form->Button2Click();
    ExpectStoppedByError("EReadError");
    EXPECT_FALSE(Exists("out\\hpage_pmd_size"));
    EXPECT_FALSE(GetFile(source).empty());
}

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    DirEnumerator e(dir + "\\*");
    DirEntry entry;
    while (e.Next(entry))
        // The second name that keeps a replaced file for undo is not the copy's.
        if (entry.name != u"." && entry.name != u".." && !IsKeptName(entry.name)) names.push_back(To1250(entry.name));
    std::sort(names.begin(), names.end());
    return names;
}

// On a disk that fills up, a copy over an existing file leaves that file
// byte for byte, and a new file is not left half-written; no temporary file stays.
TEST_F(TransferRun, FullDiskKeepsTheOldDestination) {
    const std::string mount = "/tmp/kolvar_full_" + std::to_string(GetCurrentProcessId());
    struct Unmount {
        std::string dir;
        ~Unmount() { RunOnHost("umount " + dir + "; rmdir " + dir); }
    } unmount{mount};
    if (!RunOnHost("mkdir -p " + mount + " && mount -t tmpfs -o size=256k kolvar_full " + mount))
        GTEST_SKIP() << "this machine mounts no tmpfs for the test";
    const std::string out = "Z:" + Str_replace_all(mount, "/", "\\", 0);
    const std::string old(100 * 1024, 'o');
    PutFile(out + "\\a.bin", old);
    tree->Dir("in");
    Put("in\\a.bin", std::string(400 * 1024, 'n'));
    Prepare(P("in"), out);
    SetMode(TransferMode::IntoRoot);
    form->Button2Click();
    ExpectStoppedByError("EWriteError");
    EXPECT_TRUE(GetFile(out + "\\a.bin") == old);
    EXPECT_EQ(Entries(out), std::vector<std::string>{"a.bin"});
    EXPECT_TRUE(form->ListBox1.Selected(0));
    // A new destination that does not fit.
    DeleteFileW(Widen(out + "\\a.bin").c_str());
    PutFile(out + "\\filler", std::string(100 * 1024, 'f'));
    Prepare(P("in"), out);
    form->Button2Click();
    ExpectStoppedByError("EWriteError");
    EXPECT_EQ(Entries(out), std::vector<std::string>{"filler"});
    // A move to the other volume is a copy first: one that does not fit keeps
    // the source and leaves nothing behind; one that fits arrives whole, with
    // its time, before its source goes.
    form->CheckBox2.SetChecked(true);
    Prepare(P("in"), out);
    form->Button2Click();
    ExpectStoppedByError("EWriteError");
    EXPECT_EQ(Entries(out), std::vector<std::string>{"filler"});
    EXPECT_EQ(Get("in\\a.bin").size(), 400u * 1024);
    EXPECT_TRUE(form->ListBox1.Selected(0));
    DeleteFileW(Widen(P("in\\a.bin")).c_str());
    Put("in\\small.bin", std::string(10 * 1024, 's'));
    WIN32_FILE_ATTRIBUTE_DATA before{}, after{};
    GetFileAttributesExW(Widen(P("in\\small.bin")).c_str(), GetFileExInfoStandard, &before);
    before.ftLastWriteTime.dwHighDateTime -= 100;  // well in the past
    HANDLE h = CreateFileW(Widen(P("in\\small.bin")).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &before.ftLastWriteTime);
    CloseHandle(h);
    Prepare(P("in"), out);
    form->Button2Click();
    form->CheckBox2.SetChecked(false);
    ExpectEnded();
    EXPECT_FALSE(Exists("in\\small.bin"));
    EXPECT_EQ(GetFile(out + "\\small.bin"), std::string(10 * 1024, 's'));
    GetFileAttributesExW(Widen(out + "\\small.bin").c_str(), GetFileExInfoStandard, &after);
    EXPECT_EQ(CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime), 0);
}

// A destination that would leave the folder it is built in, one that Windows
// would write under another name, and one that is another source of the run
// are refused: Try and Copy leave the row as it was, selected, and write nothing.
TEST_F(TransferRun, RefusedDestinationsLeaveTheRowSelected) {
    struct Case {
        const char* what;
        std::string name, dirsDelimiter, replaced, by;  // Replace in names when replaced is set
        bool inPlace;
    };
    tree->Dir("in");
    tree->Dir("victim");
    for (const Case& c : {Case{"..", "..~victim~thesis.docx", "~", "", "", false},
                          Case{"replaced into ..", "up~victim~thesis.docx", "~", "up", "..", false},
                          Case{"trailing dot", "name.~thesis.docx", "~", "", "", false},
                          Case{"trailing blank", "name ~thesis.docx", "~", "", "", false},
                          Case{"stream", "a b.docx", "", " ", ":", false},
                          Case{"device", "nulx.docx", "", "x", "", false},
                          Case{"another source", "a b.txt", "", " ", "_", true},
                          Case{"a name over 255 letters", std::string(250, 'x') + ".docx", "", "x", "xy", false}}) {
        SCOPED_TRACE(c.what);
        Put("in\\" + c.name, "mine");
        Put("in\\a_b.txt", "listed");
        Put("victim\\thesis.docx", "theirs");
        form->Edit_DelimiterDirs.SetText(c.dirsDelimiter);
        form->CheckBox_repl.SetChecked(!c.replaced.empty());
        form->Edit_chartoreplace.SetText(c.replaced);
        form->Edit_newchar.SetText(c.by);
        const std::string row = P("in\\" + c.name);
        for (bool dry : {true, false}) {
            Prepare(P("in"), P(c.inPlace ? "in" : "out"));
            dialogs.answers = {MsgResult::Yes};  // the same folder twice
            if (dry) form->Button3Click();
            else form->Button2Click();
            EXPECT_TRUE(form->ListBox1.Selected(RowOf(row))) << dry;
            // The run ends by telling why.
            ASSERT_FALSE(dialogs.calls.empty());
            const std::string told = dialogs.calls.back().text;
            EXPECT_EQ(told.rfind("These files were left selected:\r" + row + "\r    (", 0), 0u) << told;
        }
        EXPECT_EQ(Get("in\\" + c.name), "mine");
        EXPECT_EQ(Get("in\\a_b.txt"), "listed");
        EXPECT_EQ(Get("victim\\thesis.docx"), "theirs");
        EXPECT_FALSE(DirectoryExists(P("out\\name")));
        EXPECT_FALSE(DirectoryExists(P("out\\up")));
        EXPECT_FALSE(Exists("out\\a b.docx") || Exists("out\\a"));
        DeleteFileW(Widen(row).c_str());
    }
}

// A relative row is a file of the base directory in every operation, whatever
// folder is current and whether or not the rows are still shown relative.
TEST_F(TransferRun, RelativeRowsMeanTheBaseDirectory) {
    tree->Dir("photos");
    tree->Dir("backup");
    tree->Dir("backup\\photos");
    tree->Dir("out");
    Put("photos\\a.jpg", "base");
    Put("backup\\photos\\a.jpg", "the backup");
    form->CheckBox4_rel.SetChecked(true);
    form->CheckBox4_relClick();
    List(P("photos"), "*.*");
    ASSERT_EQ(Rows(), std::vector<std::string>{"photos\\a.jpg"});
    // Unticked with nothing selected: the rows stay relative.
    form->ListBox1.SetAllSelected(false);
    form->CheckBox4_rel.SetChecked(false);
    form->CheckBox4_relClick();
    ASSERT_EQ(Rows(), std::vector<std::string>{"photos\\a.jpg"});
    SetCurrentDir(P("backup"));  // as a folder chooser leaves it
    form->ListBox1.SetAllSelected(true);
    form->ListBox1Click();
    EXPECT_NE(form->lblNumberFound.Text1250().find(", 4 bytes"), std::string::npos) << form->lblNumberFound.Text1250();
    form->Edit3.SetText(P("out"));
    SetMode(TransferMode::IntoRoot);
    form->Button2Click();
    EXPECT_EQ(Get("out\\a.jpg"), "base");
    form->ListBox1.Clear();
    form->ListBox1.Add("photos\\a.jpg");
    form->ListBox1.SetAllSelected(true);
    SetCurrentDir(P("backup"));
    dialogs.answers = {MsgResult::Yes};
    form->Button5Click();
    EXPECT_FALSE(Exists("photos\\a.jpg"));
    EXPECT_EQ(Get("backup\\photos\\a.jpg"), "the backup");
}

// A run works on the rows selected when it started: Ctrl+A, Mark All, its
// invert and a click while it runs neither add rows to it nor drop any.
TEST_F(TransferRun, TheRunKeepsTheSelectionItStartedWith) {
    tree->Dir("in");
    const std::vector<std::pair<const char*, std::function<void()>>> inputs = {
        {"Ctrl+A",
         [&] {
             BYTE state[256] = {};
             state[VK_CONTROL] = 0x80;
             SetKeyboardState(state);
             PostMessageW(form->ListBox1.hwnd, WM_KEYDOWN, 'A', 0);
         }},
        {"Mark All", [&] { PostMessageW(form->BitBtn4.hwnd, BM_CLICK, 0, 0); }},
        {"invert", [&] { PostMessageW(form->BitBtn4.hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2)); }},
        {"click on a row",
         [&] {
             RECT r{};
             SendMessageW(form->ListBox1.hwnd, LB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&r));
             PostMessageW(form->ListBox1.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 2, r.top + 2));
             PostMessageW(form->ListBox1.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 2, r.top + 2));
         }},
    };
    for (const auto& [what, post] : inputs) {
        SCOPED_TRACE(what);
        for (int i = 0; i < 6; ++i) Put("in\\f" + std::to_string(i) + ".txt", "x");
        Prepare(P("in"), P("in"));
        const auto rows = Rows();
        for (int i = 2; i < 6; ++i) form->ListBox1.SetSelected(i, false);
        post();
        dialogs.answers = {MsgResult::Yes};
        form->Button5Click();
        BYTE none[256] = {};
        SetKeyboardState(none);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(FileExists(rows[i]), i >= 2) << rows[i];
    }
}

// Paths of 400 characters are listed, counted, copied (their folders made),
// moved and deleted like any other; the file calls get them in the "\\?\"
// form that Windows needs beyond 260 characters.
TEST_F(TransferRun, LongPathsAreFilesLikeAnyOther) {
    const std::string level(60, 'd');
    std::string deep = "in";
    tree->Dir(deep);
    while (P(deep).size() < 400) {
        deep += "\\" + level;
        ASSERT_TRUE(CreateDir(P(deep))) << P(deep).size();
    }
    Put(deep + "\\a.txt", "long");
    List(P("in"), "*.*");
    ASSERT_EQ(Rows(), std::vector<std::string>{P(deep + "\\a.txt")});
    EXPECT_EQ(form->lblNumberFound.Text1250(), "1 files found , 4 bytes in selected files");
    form->Edit3.SetText(P("out"));
    form->Button2Click();
    const std::string copy = "out" + deep.substr(2) + "\\a.txt";
    EXPECT_EQ(Get(copy), "long");
    EXPECT_FALSE(form->ListBox1.Selected(0));
    List(P("out"), "*.*");
    form->Edit3.SetText(P("in"));
    form->CheckBox2.SetChecked(true);
    Put(deep + "\\a.txt", "long");
    DeleteFileAt(P(deep + "\\a.txt"));
    form->Button2Click();  // moved back into the emptied folder
    form->CheckBox2.SetChecked(false);
    EXPECT_EQ(Get(deep + "\\a.txt"), "long");
    EXPECT_FALSE(Exists(copy));
    List(P("in"), "*.*");
    dialogs.answers = {MsgResult::Yes};
    form->Button5Click();
    EXPECT_FALSE(Exists(deep + "\\a.txt"));
    // The "\\?\" form is made from the full path.
    const std::string dotted = P(deep) + "\\..\\" + level + "\\.\\a.txt";
    EXPECT_EQ(Narrow(SystemPath(dotted)), "\\\\?\\" + P(deep) + "\\a.txt");
    // Every path goes literally, as the program resolves it: a part keeps its trailing dots and blanks.
    EXPECT_EQ(Narrow(SystemPath("C:\\short.txt")), "\\\\?\\C:\\short.txt");
    EXPECT_EQ(Narrow(SystemPath("C:\\dir\\a.txt. ")), "\\\\?\\C:\\dir\\a.txt. ");
    EXPECT_EQ(Narrow(SystemPath("C:/dir/./x/../a.txt")), "\\\\?\\C:\\dir\\a.txt");
    EXPECT_EQ(Narrow(SystemPath("\\\\srv\\share\\..\\a.txt")), "\\\\?\\UNC\\srv\\share\\a.txt");
}

// Runs until it returns true, every 10 ms, while it is set.
std::function<bool()> g_duringCopy;
void CALLBACK DuringCopy(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (g_duringCopy && !g_duringCopy()) SetTimer(nullptr, 0, 10, DuringCopy);
}

// The copy of one large file pumps between its blocks: Escape answered Yes
// stops it there. What it has written goes (a file it was to replace keeps
// its old content), its row stays selected, and the run ends before the
// next row.
TEST_F(TransferRun, EscapeStopsTheCopyOfALargeFile) {
    tree->Dir("in");
    tree->Dir("out");
    tree->File("in\\big.bin", 256u << 20);
    Put("in\\small.txt", "s");
    SetMode(TransferMode::IntoRoot);
    for (bool over : {false, true}) {
        SCOPED_TRACE(over ? "over an existing file" : "a new file");
        if (over) Put("out\\big.bin", "old");
        form->Edit1.SetText(P("in"));
        form->Edit3.SetText(P("out"));
        form->ListBox1.Clear();
        form->ListBox1.Add(P("in\\big.bin"));
        form->ListBox1.Add(P("in\\small.txt"));
        form->ListBox1.SetAllSelected(true);
        const auto before = Entries(P("out"));
        // Escape is pressed once the part being written is there.
        std::vector<std::string> during;
        g_duringCopy = [&] {
            const auto now = Entries(P("out"));
            if (now.size() == before.size()) return false;
            during = now;
            PostMessageW(form->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
            return true;
        };
        SetTimer(nullptr, 0, 10, DuringCopy);
        dialogs.calls.clear();
        dialogs.answers = {MsgResult::Yes};
        form->Button2Click();
        g_duringCopy = nullptr;
        EXPECT_EQ(Texts(), std::vector<std::string>{"Terminate the process? \r" + To1250(form->Caption())});
        EXPECT_EQ(during.size(), before.size() + 1);  // the part being written
        EXPECT_EQ(Entries(P("out")), before);
        if (over) {
            EXPECT_EQ(Get("out\\big.bin"), "old");
        }
        EXPECT_EQ(Rows(), (std::vector<std::string>{P("in\\big.bin"), P("in\\small.txt")}));
        EXPECT_EQ(form->ListBox1.SelCount(), 2);
        ExpectEnded();
    }
}

TEST_F(TransferRun, CommandModeExpandsInsteadOfCopyingAndMovesNothing) {
    tree->Dir("in");
    tree->Dir("in\\sub");
    Put("in\\sub\\a.wav", "a");
    Put("commands_ini.txt", "HEAD");
    Put("commands_to_process.txt", "cmd %file1% %file2%");
    Prepare(P("in"), P("out"));
    form->CheckBox2.SetChecked(true);
    form->CheckBox_Command.SetChecked(true);
    form->Button2Click();
    form->CheckBox_Command.SetChecked(false);
    EXPECT_EQ(Lines1250(form->Batch), (std::vector<std::string>{
                               "HEAD", "", "cmd " + P("in\\sub\\a.wav") + " " + P("out\\sub\\a.wav"), ""}));
    EXPECT_TRUE(DirectoryExists(P("out\\sub")));  // folders made for the batch
    EXPECT_FALSE(Exists("out\\sub\\a.wav"));
    EXPECT_EQ(Get("in\\sub\\a.wav"), "a");     // the batch still needs its source
    EXPECT_EQ(Rows(), std::vector<std::string>{P("in\\sub\\a.wav") + " -> " + P("out\\sub\\a.wav")});
}

}  // namespace
