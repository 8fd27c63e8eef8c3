#include <algorithm>
#include <functional>

#include "app/uFileInfo.h"
#include "platform/file_stream.h"
#include "platform/fs.h"
#include "platform/message_loop.h"
#include "platform/text.h"
#include "tests/app/gui_fixture.h"
#include "tests/text_1250/text_1250.h"

namespace {

using FileSearch = MainWindowTest;

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::size_t IndexOf(const std::vector<std::string>& rows, const std::string& row) {
    auto it = std::find(rows.begin(), rows.end(), row);
    EXPECT_NE(it, rows.end()) << row;
    return static_cast<std::size_t>(it - rows.begin());
}

TEST_F(FileSearch, WildcardMaskListsDepthFirstPreOrder) {
    tree->File("a.mp3");
    tree->File("b.txt");
    tree->File("z.mp3");
    tree->Dir("sub1");
    tree->File("sub1\\c.mp3");
    tree->Dir("sub1\\deep");
    tree->File("sub1\\deep\\d.mp3");
    tree->Dir("sub2");
    tree->File("sub2\\e.mp3");
    List(tree->Root(), "*.mp3");
    const auto rows = Rows();
    const std::string r = tree->Root() + "\\";
    EXPECT_EQ(Sorted(rows), Sorted({r + "a.mp3", r + "z.mp3", r + "sub1\\c.mp3",
                                    r + "sub1\\deep\\d.mp3", r + "sub2\\e.mp3"}));
    // A directory's files first, then each subdirectory's whole listing.
    EXPECT_LT(std::max(IndexOf(rows, r + "a.mp3"), IndexOf(rows, r + "z.mp3")), 2u);
    EXPECT_EQ(IndexOf(rows, r + "sub1\\deep\\d.mp3"), IndexOf(rows, r + "sub1\\c.mp3") + 1);

    List(tree->Root(), "*.mp3", false);
    EXPECT_EQ(Sorted(Rows()), Sorted({r + "a.mp3", r + "z.mp3"}));
}

TEST_F(FileSearch, SubstringMasksAndCase) {
    tree->Dir("abc_dir");
    tree->File("abc_dir\\plain.txt");
    tree->File("xabcx.txt");
    tree->File("other.txt");
    tree->File("\xE8" "ert.txt");  // čert
    const std::string r = tree->Root() + "\\";
    struct Case { std::string mask; bool caseInsensitive; std::vector<std::string> rows; };
    const std::vector<Case> cases = {
        {"abc", false, {r + "abc_dir\\plain.txt", r + "xabcx.txt"}},
        {"ABC", false, {}},
        {"ABC", true, {r + "abc_dir\\plain.txt", r + "xabcx.txt"}},
        {"\xE8" "ert", false, {r + "\xE8" "ert.txt"}},
        {"\xC8" "ERT", true, {}},   // an accented capital never matches its small letter
        {"\xC8" "ert", false, {}},
        {"   ", false, {r + "abc_dir\\plain.txt", r + "xabcx.txt", r + "other.txt", r + "\xE8" "ert.txt"}},
        {"abc_dir\\", false, {r + "abc_dir\\plain.txt"}},  // backslashes are part of the text
        {"q.z", false, {}},
    };
    for (const auto& c : cases) {
        form->CheckBox5_case.SetChecked(c.caseInsensitive);
        form->CheckBox5_caseClick();
        List(tree->Root(), c.mask);
        EXPECT_EQ(Sorted(Rows()), Sorted(c.rows)) << c.mask << " " << c.caseInsensitive;
    }
    // A substring in the input directory's own path matches every file.
    const std::string tail = tree->Root().substr(tree->Root().size() - 6);
    form->CheckBox5_case.SetChecked(false);
    form->CheckBox5_caseClick();
    List(tree->Root(), tail);
    EXPECT_EQ(Rows().size(), 4u);
}

TEST_F(FileSearch, MaskWithAFolderPart) {
    tree->Dir("sub");
    tree->File("sub\\a.txt");
    tree->File("sub\\a.bin");
    tree->Dir("x");
    tree->Dir("x\\sub");
    tree->File("x\\sub\\b.txt");
    tree->File("x\\c.txt");
    List(tree->Root(), "sub\\*.txt");
    const std::string r = tree->Root() + "\\";
    EXPECT_EQ(Sorted(Rows()), Sorted({r + "sub\\a.txt", r + "x\\sub\\b.txt"}));
}

// The system's search matches 8.3 short names too: *.jpg finds
// photo.jpg_old (PHOTO~1.JPG) and *.htm every .html file. A listing shows
// exactly the files whose own names the mask names, so a Delete after it
// deletes no other; a copy cut off before it was whole is no user's file.
TEST_F(FileSearch, WildcardsNameOwnNamesOnly) {
    for (const char* name : {"a.jpg", "photo.jpg_old", "page.html", "page.htm", "noext", "~Kolvar_files-0123abcd.tmp"})
        tree->File(name);
    const std::string r = tree->Root() + "\\";
    struct Case { std::string mask; std::vector<std::string> rows; };
    const std::vector<Case> cases = {
        {"*.jpg", {r + "a.jpg"}},
        {"*.htm", {r + "page.htm"}},
        {"*.JPG_OLD", {r + "photo.jpg_old"}},
        {"*.", {r + "noext"}},
        {"p*.h?m", {r + "page.htm"}},
        {"*.*", {r + "a.jpg", r + "photo.jpg_old", r + "page.html", r + "page.htm", r + "noext"}},
        {"Kolvar", {}},
    };
    for (const auto& c : cases) {
        List(tree->Root(), c.mask);
        EXPECT_EQ(Sorted(Rows()), Sorted(c.rows)) << c.mask;
    }
    List(tree->Root(), "*.jpg");
    dialogs.answers = {MsgResult::Yes};
    form->Button5Click();
    EXPECT_FALSE(FileExists(r + "a.jpg"));
    EXPECT_TRUE(FileExists(r + "photo.jpg_old"));
}

TEST_F(FileSearch, HiddenFoldersAreNotSearchedHiddenFilesAreListed) {
    tree->Dir("hid");
    tree->File("hid\\in_hidden.txt");
    tree->SetAttributes("hid", FILE_ATTRIBUTE_HIDDEN);
    tree->Dir("sys");
    tree->File("sys\\in_system.txt");
    tree->SetAttributes("sys", FILE_ATTRIBUTE_SYSTEM);
    tree->Dir(".dot");  // Wine shows dot-names as hidden
    tree->File(".dot\\in_dot.txt");
    tree->File("secret.txt");
    tree->SetAttributes("secret.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    tree->File("visible.txt");
    List(tree->Root(), "*.txt");
    const std::string r = tree->Root() + "\\";
    EXPECT_EQ(Sorted(Rows()), Sorted({r + "secret.txt", r + "visible.txt"}));
}

TEST_F(FileSearch, RelativeRowsAndThePathModeChange) {
    tree->Dir("photos");
    tree->File("photos\\a.jpg", 10);
    form->Edit1.SetText(tree->Path("photos"));
    form->CheckBox4_rel.SetChecked(true);
    form->CheckBox4_relClick();
    EXPECT_EQ(form->Edit1.Text1250(), "\\photos");
    EXPECT_EQ(form->Edit3.Text1250(), "");  // the base directory itself
    EXPECT_TRUE(form->ListBox1.Count() == 0);
    form->Button1Click();
    EXPECT_EQ(Rows(), std::vector<std::string>{"photos\\a.jpg"});
    EXPECT_EQ(form->lblNumberFound.Text1250(), "1 files found , 10 bytes in selected files");

    // Unticked with rows selected: the rows are listed again in full.
    form->CheckBox4_rel.SetChecked(false);
    form->CheckBox4_relClick();
    EXPECT_EQ(form->Edit1.Text1250(), tree->Path("photos"));
    EXPECT_EQ(Rows(), std::vector<std::string>{tree->Path("photos\\a.jpg")});

    // With no row selected the rows keep their form.
    form->ListBox1.SetAllSelected(false);
    form->CheckBox4_rel.SetChecked(true);
    form->CheckBox4_relClick();
    EXPECT_EQ(Rows(), std::vector<std::string>{tree->Path("photos\\a.jpg")});

    // Relative rows are files of the base directory, whatever is current.
    form->ListBox1.SetAllSelected(false);
    form->Button1Click();
    SetCurrentDir("Z:\\");
    form->ListBox1Click();
    EXPECT_EQ(form->lblNumberFound.Text1250(), "1 files found , 10 bytes in selected files");
}

TEST_F(FileSearch, EditRuleInFullMode) {
    const std::string base = tree->Root();
    struct Case { TControl* edit; std::string typed, shown; };
    const std::vector<Case> cases = {
        {&form->Edit1, "", base},
        {&form->Edit3, "", base},
        {&form->Edit1, "D:", base + "D:"},
        {&form->Edit3, "D:", "D:"},
        {&form->Edit1, "\\sub", base + "\\sub"},
        {&form->Edit3, "C:\\elsewhere", "C:\\elsewhere"},
    };
    for (const auto& c : cases) {
        c.edit->SetText(c.typed);  // WM_SETTEXT raises the change handler as typing does
        EXPECT_EQ(c.edit->Text1250(), c.shown) << c.edit->Name() << " " << c.typed;
    }
}

// Leaves the menu mode, should a test have entered it: Escape, once a
// second, closes a menu and then leaves the menu bar.
void CALLBACK LeaveMenuMode(HWND, UINT, UINT_PTR, DWORD) { PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }

// A key as the keyboard sends it, scan code and the Alt bit included.
void PostKey(HWND target, UINT message, WPARAM key, bool alt) {
    LPARAM data = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16 | 1;
    if (alt) data |= 1 << 29;
    if (message == WM_KEYUP || message == WM_SYSKEYUP) data |= 3u << 30;
    PostMessageW(target, message, key, data);
}

TEST_F(FileSearch, EnterInTheMaskBoxStartsTheListing) {
    tree->File("one.txt");
    HWND edit = FindWindowExW(form->Edit2.hwnd, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    // Enter, and Alt+Enter (which arrives as a system key).
    for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN}) {
        form->ListBox1.Clear();
        SetFocus(edit);
        PostMessageW(edit, message, VK_RETURN, message == WM_SYSKEYDOWN ? (1 << 29) : 0);
        Pump();
        EXPECT_EQ(Rows(), std::vector<std::string>{tree->Path("one.txt")}) << message;
    }
    // Alt held, Enter pressed, Alt released before Enter, then a letter: Alt
    // was not pressed alone, so no menu mode takes the letter; it is typed
    // into the mask box.
    form->ListBox1.Clear();
    form->Edit2.SetText("*.txt");
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 5, 5);
    PostKey(edit, WM_SYSKEYDOWN, VK_MENU, true);
    PostKey(edit, WM_SYSKEYDOWN, VK_RETURN, true);
    PostKey(edit, WM_SYSKEYUP, VK_MENU, false);
    PostKey(edit, WM_KEYUP, VK_RETURN, false);
    PostKey(edit, WM_KEYDOWN, 'Q', false);
    PostKey(edit, WM_KEYUP, 'Q', false);
    const UINT_PTR dog = SetTimer(nullptr, 0, 1000, LeaveMenuMode);
    Pump();
    KillTimer(nullptr, dog);
    EXPECT_EQ(Rows(), std::vector<std::string>{tree->Path("one.txt")});
    EXPECT_EQ(form->Edit2.Text1250(), "*.txtq");
}

TEST_F(FileSearch, CountsLineAndMarkAll) {
    for (int i = 0; i < 12; ++i) tree->File("f" + std::to_string(i) + ".dat", i < 3 ? 1024 + i : 100);
    List(tree->Root(), "*.dat");
    ASSERT_EQ(form->ListBox1.Count(), 12);
    EXPECT_EQ(form->ListBox1.SelCount(), 12);
    EXPECT_EQ(form->lblNumberFound.Text1250(), "12 files found , 3 975 bytes in selected files");

    form->BitBtn4Click();  // all were selected: none are now
    EXPECT_EQ(form->ListBox1.SelCount(), 0);
    EXPECT_EQ(form->lblNumberFound.Text1250(), "12 files found (0 selected), 0 bytes in selected files");
    form->BitBtn4Click();
    EXPECT_EQ(form->ListBox1.SelCount(), 12);

    // Three selected rows; one file vanished, one is held open exclusively.
    form->ListBox1.SetAllSelected(false);
    std::vector<int> picked;
    for (int i = 0; i < 12 && picked.size() < 3; ++i)
        if (form->ListBox1.Item1250(i).find("\\f0.dat") != std::string::npos ||
            form->ListBox1.Item1250(i).find("\\f1.dat") != std::string::npos ||
            form->ListBox1.Item1250(i).find("\\f2.dat") != std::string::npos)
            picked.push_back(i);
    ASSERT_EQ(picked.size(), 3u);
    for (int i : picked) form->ListBox1.SetSelected(i, true);
    DeleteFileW(Widen(tree->Path("f0.dat")).c_str());
    HANDLE held = CreateFileW(Widen(tree->Path("f1.dat")).c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    form->ListBox1Click();
    CloseHandle(held);
    EXPECT_EQ(form->lblNumberFound.Text1250(), "12 files found (3 selected), 2 051 bytes in selected files");
    EXPECT_TRUE(dialogs.calls.empty());
}

// The long loops of the list outside a run pump like a run, behind its
// guard: an Escape waiting when one starts is met at once (Yes stops it
// there), and a click on Copy meanwhile starts nothing.
TEST_F(FileSearch, LongLoopsOfTheListAnswerEscapeAndStartNoRun) {
    for (const char* dir : {"a", "b"}) {
        tree->Dir(dir);
        for (int i = 0; i < 3; ++i) tree->File(std::string(dir) + "\\f" + std::to_string(i) + ".dat", 100);
    }
    List(tree->Root(), "*.dat");
    ASSERT_EQ(form->ListBox1.Count(), 6);
    const auto listed = Rows();
    form->Edit3.SetText(tree->Path("out"));
    const std::string all = "6 files found , 600 bytes in selected files";
    struct Case {
        const char* name;
        std::function<void()> operation;
        bool answer;
        std::function<void()> check;
    };
    const auto selected = [&] { return form->ListBox1.SelCount(); };
    const std::vector<Case> cases = {
        // The counts line of Mark All: stopped, it ends after the counts.
        {"counts line, No", [&] { form->ListBox1.SetAllSelected(false); form->BitBtn4Click(); }, false,
         [&] { EXPECT_EQ(form->lblNumberFound.Text1250(), all); }},
        {"counts line, Yes", [&] { form->ListBox1.SetAllSelected(false); form->BitBtn4Click(); }, true,
         [&] {
             EXPECT_EQ(selected(), 6);
             EXPECT_EQ(form->lblNumberFound.Text1250(), "6 files found ");
         }},
        // The invert: stopped before its first row, nothing is inverted.
        {"invert, No", [&] { form->ListBox1.SetAllSelected(true); form->BitBtn4MouseDown(MouseButton::Right); }, false,
         [&] { EXPECT_EQ(selected(), 0); }},
        {"invert, Yes", [&] { form->ListBox1.SetAllSelected(true); form->BitBtn4MouseDown(MouseButton::Right); }, true,
         [&] { EXPECT_EQ(selected(), 6); }},
        // A mask other than *.* finds the subfolders by a second enumeration;
        // no .txt file is there, so that enumeration is all the listing reads.
        {"second pass of a listing, Yes", [&] { List(tree->Root(), "*.txt"); }, true,
         [&] { EXPECT_EQ(form->ListBox1.Count(), 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (form->ListBox1.Count() == 0) List(tree->Root(), "*.dat");
        dialogs.calls.clear();
        dialogs.answers = {c.answer ? MsgResult::Yes : MsgResult::No};
        // To the window itself: the Space it becomes would select a row in the list.
        PostMessageW(form->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(form->Button2.hwnd, BM_CLICK, 0, 0);
        c.operation();
        ASSERT_EQ(dialogs.calls.size(), 1u);
        EXPECT_EQ(dialogs.calls[0].text, "Terminate the process? \r" + To1250(form->Caption()));
        c.check();
        EXPECT_EQ(form->Tag, 0);
        EXPECT_FALSE(form->RunInProgress());
        Pump();
        EXPECT_FALSE(DirectoryExists(tree->Path("out")));
        EXPECT_EQ(dialogs.calls.size(), 1u);
        if (form->ListBox1.Count() != 0) {
            EXPECT_EQ(Sorted(Rows()), Sorted(listed));
        }
    }
}

TEST_F(FileSearch, ByteTotalBeyond4GiB) {
    tree->File("big1.bin", 3ULL << 30);
    tree->File("big2.bin", 2ULL << 30);
    List(tree->Root(), "*.bin");
    EXPECT_EQ(form->lblNumberFound.Text1250(), "2 files found , 5 368 709 120 bytes in selected files");
}

TEST_F(FileSearch, BadInputGivesAnEmptyOrPartialList) {
    tree->File("ox.txt", 5);
    // A name beyond Windows-1250 (ø) is listed under its own name and counted.
    HANDLE h = CreateFileW((Widen(tree->Root()) + L"\\\u00F8x.txt").c_str(), GENERIC_WRITE, 0,
                           nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    WriteFile(h, "123", 3, nullptr, nullptr);
    CloseHandle(h);
    List(tree->Root(), "*.txt");
    ASSERT_EQ(form->ListBox1.Count(), 2);
    EXPECT_EQ(Sorted({To1250(form->ListBox1.Item(0)), To1250(form->ListBox1.Item(1))}),
              Sorted({tree->Path("?x.txt"), tree->Path("ox.txt")}));
    EXPECT_TRUE(form->ListBox1.Item(0) == From1250(tree->Root()) + u"\\\u00F8x.txt" ||
                form->ListBox1.Item(1) == From1250(tree->Root()) + u"\\\u00F8x.txt");
    EXPECT_EQ(form->lblNumberFound.Text1250(), "2 files found , 8 bytes in selected files");

    const std::string longDir = tree->Root() + "\\" + std::string(250, 'd');
    const std::vector<std::string> inputs = {tree->Path("missing"), longDir, "Q:\\nowhere"};
    for (const auto& in : inputs) {
        List(in, "*.*");
        EXPECT_EQ(form->ListBox1.Count(), 0) << in;
        EXPECT_EQ(form->lblNumberFound.Text1250(), "0 files found , 0 bytes in selected files");
    }
    EXPECT_TRUE(dialogs.calls.empty());

    // A mask or a folder typed in Cyrillic lists what it names, and only that:
    // no letter of it becomes a wildcard.
    tree->File("abcd1.txt", 1);
    tree->File("abcd2.doc", 1);
    const Text cyrillic = u"\u0444\u043e\u0442\u043e";  // фото
    const Text root = From1250(tree->Root());
    for (const Text& name : {root + u"\\" + cyrillic + u"1.txt", root + u"\\" + cyrillic + u"2.doc",
                             root + u"\\" + cyrillic}) {
        if (name == root + u"\\" + cyrillic) ASSERT_TRUE(CreateDir(name));
        else WriteWholeFile(name, "x");
    }
    WriteWholeFile(root + u"\\" + cyrillic + u"\\inside.txt", "yy");
    struct Case {
        Text folder, mask;
        std::vector<Text> rows;
    } cases[] = {
        {root, cyrillic + u"*.txt", {root + u"\\" + cyrillic + u"1.txt"}},
        {root, cyrillic, {root + u"\\" + cyrillic + u"1.txt", root + u"\\" + cyrillic + u"2.doc",
                          root + u"\\" + cyrillic + u"\\inside.txt"}},  // a substring mask
        {root + u"\\" + cyrillic, u"*.txt", {root + u"\\" + cyrillic + u"\\inside.txt"}},
    };
    for (const Case& c : cases) {
        form->Edit1.SetText(c.folder);
        form->Edit2.SetText(c.mask);
        form->Button1Click();
        std::vector<Text> rows;
        for (int i = 0; i < form->ListBox1.Count(); ++i) rows.push_back(form->ListBox1.Item(i));
        std::sort(rows.begin(), rows.end());
        std::vector<Text> expected = c.rows;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(rows, expected) << To1250(c.folder) << " " << To1250(c.mask);
        EXPECT_EQ(form->Edit2.Text(), c.mask);
    }
    EXPECT_TRUE(dialogs.calls.empty());
}

}  // namespace

namespace {

// A list box that refuses every row after the second, as a full one would,
// whether the rows come one by one or as a count.
WNDPROC g_listProc = nullptr;
int g_added = 0;
LRESULT CALLBACK RefusingList(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == LB_ADDSTRING && ++g_added > 2) return LB_ERRSPACE;
    if (msg == LB_SETCOUNT && wp > 2) return LB_ERRSPACE;
    return CallWindowProcW(g_listProc, h, msg, wp, lp);
}

TEST_F(FileSearch, AFailureDuringTheListingIsShownAndKeepsTheRowsFound) {
    for (int i = 0; i < 5; ++i) tree->File("r" + std::to_string(i) + ".txt");
    g_added = 0;
    g_listProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        form->ListBox1.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefusingList)));
    List(tree->Root(), "*.txt");
    SetWindowLongPtrW(form->ListBox1.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].kind, MsgKind::Warning);
    EXPECT_EQ(dialogs.calls[0].title, "Warning");
    EXPECT_EQ(dialogs.calls[0].text, "An Exception occurred");
    EXPECT_EQ(form->ListBox1.Count(), 2);
    EXPECT_EQ(form->ListBox1.SelCount(), 0);  // Mark All did not run
    EXPECT_EQ(form->lblNumberFound.Text1250(), "Files found:");
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

// The listing pumps like a run, by time, so the events below arrive part-way.
std::function<void()> g_duringListing;
bool g_happened = false;
void CALLBACK DuringListing(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_happened = true;
    if (g_duringListing) g_duringListing();
}

class ListingInProgress : public MainWindowTest {
protected:
    static constexpr int kFolders = 60, kFiles = 50;
    std::vector<std::string> all;
    void SetUp() override {
        MainWindowTest::SetUp();
        for (int d = 0; d < kFolders; ++d) {
            tree->Dir("d" + std::to_string(d));
            for (int f = 0; f < kFiles; ++f) {
                const std::string rel = "d" + std::to_string(d) + "\\f" + std::to_string(f) + ".txt";
                tree->File(rel);
                all.push_back(tree->Path(rel));
            }
        }
        std::sort(all.begin(), all.end());
    }
    // Lists the tree with what arrives 15 ms into the listing.
    void ListWhile(std::function<void()> during) {
        g_duringListing = std::move(during);
        g_happened = false;
        SetTimer(nullptr, 0, 15, DuringListing);
        List(tree->Root(), "*.*");
        EXPECT_TRUE(g_happened);
        g_duringListing = nullptr;
    }
    // The rows are files of the tree, each once, marked and counted as after
    // any listing.
    void ExpectSoundRows() const {
        auto rows = Sorted(Rows());
        EXPECT_EQ(std::adjacent_find(rows.begin(), rows.end()), rows.end());
        for (const auto& row : rows) EXPECT_TRUE(std::binary_search(all.begin(), all.end(), row)) << row;
        EXPECT_EQ(form->ListBox1.SelCount(), form->ListBox1.Count());
        EXPECT_EQ(form->lblNumberFound.Text1250().rfind(std::to_string(rows.size()) + " files found , ", 0), 0u);
        EXPECT_EQ(form->Tag, 0);
        EXPECT_FALSE(form->RunInProgress());
    }
};

// Escape asks the run's question: No lets the listing finish, Yes stops it
// with the rows found so far. A click on Copy meanwhile starts nothing.
TEST_F(ListingInProgress, EscapeStopsItAndCopyWaits) {
    form->Edit3.SetText(tree->Path("out"));
    for (MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        dialogs.calls.clear();
        dialogs.answers = {answer};
        ListWhile([&] {
            PostMessageW(form->ListBox1.hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageW(form->Button2.hwnd, BM_CLICK, 0, 0);
        });
        ASSERT_EQ(dialogs.calls.size(), 1u);
        EXPECT_EQ(dialogs.calls[0].text, "Terminate the process? \r" + To1250(form->Caption()));
        if (answer == MsgResult::No) EXPECT_EQ(Sorted(Rows()), all);
        else EXPECT_LT(Rows().size(), all.size());
        ExpectSoundRows();
        EXPECT_FALSE(DirectoryExists(tree->Path("out")));
    }
}

// A click on the first row, posted as Mark All at the end of the listing
// selects every row: it arrives while the count of all rows pumps.
WNDPROC g_countedListProc = nullptr;
LRESULT CALLBACK ClickWhenAllAreSelected(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == LB_SETSEL && wp == TRUE && lp == -1) {
        RECT r;
        SendMessageW(h, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
        PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(h, WM_LBUTTONUP, 0, at);
    }
    return CallWindowProcW(g_countedListProc, h, msg, wp, lp);
}

// The count begun by that click wins: the listing's own count, begun first
// and ending last, drops its line of every row.
TEST_F(ListingInProgress, ACountBegunDuringTheCountWins) {
    g_countedListProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        form->ListBox1.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ClickWhenAllAreSelected)));
    List(tree->Root(), "*.*");
    SetWindowLongPtrW(form->ListBox1.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_countedListProc));
    EXPECT_EQ(Sorted(Rows()), all);
    EXPECT_EQ(form->ListBox1.SelCount(), 1);
    EXPECT_EQ(form->lblNumberFound.Text1250(), std::to_string(all.size()) + " files found (1 selected), 0 bytes in selected files");
    Pump();
    EXPECT_EQ(form->ListBox1.SelCount(), 1);
}

// What the window saw while an operation went on: each box and the file
// information, with whether an operation was going on when it opened.
std::vector<std::pair<std::string, bool>> g_opened;
TfrMain* g_form = nullptr;
void CALLBACK CloseFileInfo(HWND, UINT, UINT_PTR, DWORD) {
    if (!frFileInfo || !g_form) return;
    g_opened.push_back({"file information", g_form->RunInProgress()});
    PostMessageW(frFileInfo->BitBtn1.hwnd, WM_KEYDOWN, VK_RETURN, 0);
}

// A double click on a row, a click on a button and a key that presses one,
// arriving while the counts line, a listing or a run goes on: each is handled
// after it or refused, never in the middle of it.
TEST_F(ListingInProgress, NoHandlerRunsInsideAnother) {
    form->Edit3.SetText(tree->Path("out"));
    const HWND list = form->ListBox1.hwnd, about = form->Button4.hwnd;
    const auto postInput = [&] {
        RECT r;
        SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
        PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2));
        PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2));
        GetClientRect(about, &r);
        PostMessageW(about, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right / 2, r.bottom / 2));
        PostMessageW(about, WM_LBUTTONUP, 0, MAKELPARAM(r.right / 2, r.bottom / 2));
        PostMessageW(about, WM_KEYDOWN, VK_SPACE, 0x00390001);
        PostMessageW(about, WM_KEYUP, VK_SPACE, 0xC0390001);
    };
    struct Operation {
        const char* name;
        std::function<void()> run;
    };
    const std::vector<Operation> operations = {
        {"counts line", [&] { form->ListBox1Click(); }},
        {"listing", [&] { List(tree->Root(), "*.*"); }},
        {"Try", [&] { form->Button3Click(); }},
    };
    g_form = form.get();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseFileInfo);
    std::function<void()> record = [&] {
        g_opened.push_back({dialogs.calls.back().text.substr(0, 16), form->RunInProgress()});
        dialogs.whileOpen = record;
    };
    for (const Operation& op : operations) {
        SCOPED_TRACE(op.name);
        List(tree->Root(), "*.*");
        Pump();
        g_opened.clear();
        dialogs.calls.clear();
        dialogs.whileOpen = record;
        postInput();
        op.run();
        Pump();
        Sleep(50);
        Pump();
        for (const auto& [what, busy] : g_opened) EXPECT_FALSE(busy) << what << " opened inside the " << op.name;
    }
    KillTimer(nullptr, timer);
    dialogs.whileOpen = nullptr;
    g_form = nullptr;
}

// A folder removed while the listing runs: the rows found, no error, no hang.
TEST_F(ListingInProgress, AFolderRemovedPartWay) {
    ListWhile([&] {
        for (int d = kFolders / 2; d < kFolders; ++d) {
            for (int f = 0; f < kFiles; ++f)
                DeleteFileW(Widen(tree->Path("d" + std::to_string(d) + "\\f" + std::to_string(f) + ".txt")).c_str());
            RemoveDirectoryW(Widen(tree->Path("d" + std::to_string(d))).c_str());
        }
    });
    ExpectSoundRows();
    EXPECT_TRUE(dialogs.calls.empty());
    // The folders that stayed are listed whole.
    const auto rows = Rows();
    for (int d = 0; d < kFolders / 2; ++d)
        EXPECT_NE(std::find(rows.begin(), rows.end(), tree->Path("d" + std::to_string(d) + "\\f0.txt")), rows.end()) << d;
}

}  // namespace
