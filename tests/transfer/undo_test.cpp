// Undo of the last run in the real window: each kind of run on real files,
// then "Undo the last run..." from the system menu, and the tree must be as
// it was before the run, byte for byte, hidden files too.
#include <windows.h>

#include <functional>
#include <map>

#include "platform/fs.h"
#include "platform/journal_file.h"
#include "platform/text.h"
#include "tests/app/gui_fixture.h"
#include "tests/text_1250/text_1250.h"
#include "transfer/run_engine.h"
#include "transfer/run_record.h"

namespace {

// Every entry below root: a folder as "<dir>", a file as its bytes.
using Snapshot = std::map<std::string, std::string>;

void Take(const std::string& root, const std::string& rel, Snapshot& s) {
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW(Widen(root + (rel.empty() ? "" : "\\" + rel) + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = To1250(reinterpret_cast<const char16_t*>(d.cFileName));
        if (name == "." || name == "..") continue;
        const std::string path = rel.empty() ? name : rel + "\\" + name;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            s[path] = "<dir>";
            Take(root, path, s);
        } else {
            s[path] = GetFile(root + "\\" + path) + (d.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN ? " <hidden>" : "");
        }
    } while (FindNextFileW(h, &d));
    FindClose(h);
}

Snapshot Take(const std::string& root) {
    Snapshot s;
    Take(root, "", s);
    return s;
}

std::string Describe(const Snapshot& s) {
    std::string text;
    for (const auto& [path, bytes] : s) text += "  " + path + " = " + bytes.substr(0, 40) + "\n";
    return text;
}

class Undo : public MainWindowTest {
public:
    // The table's steps reach the fixture through it.
    using MainWindowTest::form;
    using MainWindowTest::List;
    using MainWindowTest::tree;
    void SetUp() override {
        MainWindowTest::SetUp();
        // Undo takes the newest run of this profile: the runs of other tests go.
        ForgetAllRuns();
    }
    std::string P(const std::string& rel) const { return tree->Path(rel); }
    void Put(const std::string& rel, const std::string& bytes) const { PutFile(P(rel), bytes); }
    bool UndoEnabled() const {
        const UINT state = GetMenuState(GetSystemMenu(form->hwnd, FALSE), TfrMain::kUndoItem, MF_BYCOMMAND);
        return state != ~0u && !(state & (MF_GRAYED | MF_DISABLED));
    }
};

const std::string kAudio = "\xFF\xF3\x14\x44 audio: one frame...";

TEST_F(Undo, EachKindOfRunUndoneFromTheSystemMenuLeavesTheTreeAsItWas) {
    struct Case {
        const char* what;
        std::function<void(Undo&)> setUp;  // files, the list and the options
        std::function<void(TfrMain&)> run;
        std::vector<MsgResult> runAnswers;  // the run's own questions
        std::function<void(Undo&)> afterRun;  // what changes between the run and the undo
        std::string question;  // how the question names the run, before its time
        std::string left;      // the box at the end of the undo
    };
    const auto inOut = [](Undo& t) {
        t.tree->Dir("in");
        t.tree->Dir("in\\sub");
        t.Put("in\\a.txt", "A bytes");
        t.Put("in\\sub\\b.txt", "B");
        t.List(t.P("in"), "*.*");
        t.form->Edit3.SetText(t.P("out"));
    };
    // A volume of its own: a move onto it is a copy, and so is its undo.
    const std::string mount = "/tmp/kolvar_undo_" + std::to_string(GetCurrentProcessId());
    struct Unmount {
        std::string dir;
        ~Unmount() { RunOnHost("umount " + dir + "; rmdir " + dir); }
    } unmount{mount};
    const bool mounted = RunOnHost("mkdir -p " + mount + " && mount -t tmpfs -o size=1m kolvar_undo " + mount);
    const std::string volume = "Z:" + Str_replace_all(mount, "/", "\\", 0);
    std::vector<Case> cases = {
        {"Copy into new folders", inOut, [](TfrMain& f) { f.Button2Click(); }, {}, nullptr, "Copy", ""},
        {"Copy over existing files", [&](Undo& t) {
             t.tree->Dir("out");
             t.Put("out\\a.txt", "the old a, longer than the new one");
             SetAttributesOf(From1250(t.P("out\\a.txt")), kAttrHidden);
             inOut(t);
             t.form->RadioButton3.SetChecked(true);
             t.form->RadioButton2.SetChecked(false);
         }, [](TfrMain& f) { f.Button2Click(); }, {}, nullptr, "Copy", ""},
        {"Move", [&](Undo& t) { inOut(t); t.form->CheckBox2.SetChecked(true); }, [](TfrMain& f) { f.Button2Click(); }, {},
         nullptr, "Move", ""},
        {"CZ", [&](Undo& t) {
             t.tree->Dir("cz");
             t.Put("cz\\\xC8" "esk\xFD.txt", "diacritics");
             t.List(t.P("cz"), "*.*");
             t.form->Edit3.SetText(t.P("cz"));
         }, [](TfrMain& f) { f.Button7Click(); }, {MsgResult::Yes}, nullptr, "CZ", ""},
        {"Delete", [&](Undo& t) {
             inOut(t);
             t.Put("in\\hidden.txt", "H");
             SetAttributesOf(From1250(t.P("in\\hidden.txt")), kAttrHidden);
             t.List(t.P("in"), "*.*");
         }, [](TfrMain& f) { f.Button5Click(); }, {MsgResult::Yes}, nullptr, "Delete", ""},
        {"Tag fill in place", [](Undo& t) {
             t.tree->Dir("Band");
             t.tree->Dir("Band\\Live");
             t.Put("Band\\Live\\Track 05 - Intro.mp3", kAudio);
             t.List(t.P("Band"), "*.*");
             t.form->Edit3.SetText(t.P("Band"));
             t.form->CheckBox_tag.SetChecked(true);
         }, [](TfrMain& f) { f.Button2Click(); }, {MsgResult::Yes}, nullptr, "Copy", ""},
        {"a copy changed after the run is left and named", inOut, [](TfrMain& f) { f.Button2Click(); }, {},
         [](Undo& t) { t.Put("out\\a.txt", "edited since"); }, "Copy",
         "These files were left as they are:\r<out\\a.txt>\r    (it changed since the run)"},
        {"a deleted file whose name is taken again is left kept and named", inOut, [](TfrMain& f) { f.Button5Click(); },
         {MsgResult::Yes}, [](Undo& t) { t.Put("in\\a.txt", "a new a"); }, "Delete",
         "These files were left as they are:\r<in\\a.txt>\r    (its old name is taken now)"},
    };
    if (mounted)
        cases.push_back({"Move to another volume", [&](Undo& t) {
                             inOut(t);
                             t.form->Edit3.SetText(volume + "\\out");
                             t.form->CheckBox2.SetChecked(true);
                         }, [](TfrMain& f) { f.Button2Click(); }, {}, nullptr, "Move", ""});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        c.setUp(*this);
        const Snapshot before = Take(tree->Root());
        dialogs.calls.clear();
        dialogs.answers.assign(c.runAnswers.begin(), c.runAnswers.end());
        c.run(*form);
        const Snapshot run = Take(tree->Root());
        ASSERT_NE(run, before) << "the run changed nothing";
        // What the run keeps, Explorer does not show either: the kept file,
        // or the folder that a Delete keeps its files in, is hidden.
        for (const auto& entry : run) {
            const std::size_t at = entry.first.find("~Kolvar_files-");
            if (at == std::string::npos) continue;
            const std::string outer = entry.first.substr(0, entry.first.find('\\', at));
            EXPECT_TRUE(AttributesOf(P(outer)) & kAttrHidden) << outer;
        }
        EXPECT_TRUE(UndoEnabled());
        if (c.afterRun) c.afterRun(*this);
        Snapshot expected = before;
        if (c.afterRun) {  // what changed since stays as it is now
            const Snapshot now = Take(tree->Root());
            for (const auto& [path, bytes] : now)
                if (path.find("~Kolvar_files-") == std::string::npos && (!before.count(path) || before.at(path) != bytes) &&
                    c.left.find("<" + path + ">") != std::string::npos) {
                    expected[path] = bytes;
                    for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1))
                        expected[path.substr(0, at)] = "<dir>";
                }
        }
        dialogs.calls.clear();
        dialogs.answers = {MsgResult::Yes};
        SendMessageW(form->hwnd, WM_SYSCOMMAND, TfrMain::kUndoItem, 0);
        ASSERT_GE(dialogs.calls.size(), 1u);
        EXPECT_EQ(dialogs.calls[0].kind, MsgKind::Confirmation);
        EXPECT_EQ(dialogs.calls[0].text.rfind(std::string("Undo the last run?\r\r") + c.question + ", started ", 0), 0u)
            << dialogs.calls[0].text;
        Snapshot after = Take(tree->Root());
        std::string left = c.left;
        for (std::size_t at; (at = left.find('<')) != std::string::npos;) {
            const std::size_t end = left.find('>', at);
            left.replace(at, end - at + 1, P(left.substr(at + 1, end - at - 1)));
        }
        if (left.empty()) {
            EXPECT_EQ(dialogs.calls.size(), 1u);
            EXPECT_EQ(after, expected) << "before:\n" << Describe(expected) << "after the undo:\n" << Describe(after);
        } else {
            ASSERT_EQ(dialogs.calls.size(), 2u);
            EXPECT_EQ(dialogs.calls[1].text, left);
            // The file kept for the one left stays hidden until the run is forgotten.
            for (auto it = after.begin(); it != after.end();)
                it = it->first.find("~Kolvar_files-") != std::string::npos ? after.erase(it) : std::next(it);
            EXPECT_EQ(after, expected) << "expected:\n" << Describe(expected) << "after the undo:\n" << Describe(after);
        }
        EXPECT_FALSE(UndoEnabled());
        if (mounted) EXPECT_EQ(Describe(Take(volume)), "") << "left on the other volume";
    }
}

// The sixth run forgets the first, and what the first kept goes in the
// background: a file kept for a Delete with its folders, and a second name
// of a file that a copy cut off never replaced, whose data the file still
// shows.
TEST_F(Undo, AForgottenRunRemovesOnlyWhatItAloneKept) {
    const Text folder = JournalFolder();
    tree->Dir("in");
    tree->Dir("out");
    Put("out\\a.txt", "the user's a");
    tree->Dir("in\\~Kolvar_files-00000001.kept");
    tree->Dir("in\\~Kolvar_files-00000001.kept\\00000000");
    const std::string deletedKept = "in\\~Kolvar_files-00000001.kept\\00000000\\~Kolvar_files-00000001-00000001.kept";
    Put(deletedKept, "a deleted file");
    tree->Dir("out\\~Kolvar_files-00000001.kept");
    tree->Dir("out\\~Kolvar_files-00000001.kept\\00000000");
    const std::string link = "out\\~Kolvar_files-00000001.kept\\00000000\\~Kolvar_files-00000001-00000000.kept";
    ASSERT_TRUE(SecondName(From1250(P("out\\a.txt")), From1250(P(link))));
    for (std::uint32_t id = 1; id <= 5; ++id) {
        const std::string name = "\\run-0000000" + std::to_string(id) + ".journal";
        JournalFile file(folder + From1250(name));
        ASSERT_TRUE(file.Opened());
        JournalWriter writer(file, id);
        writer.Head(RunKind::Copy, u"2026-12-10 00:00:00", 2);
        if (id != 1) continue;
        writer.Intent(JournalOp::Replace, From1250(P("in\\a.txt")), From1250(P("out\\a.txt")), FileStamp{5, 1});
        const FileStamp deleted{14, 2};
        writer.Done(writer.Intent(JournalOp::Delete, From1250(P("in\\b.txt")), Text(), deleted).seq, deleted);
        writer.Flush();
    }
    Put("in\\c.txt", "C");
    List(P("in"), "c.txt");
    dialogs.answers = {MsgResult::Yes};
    form->Button5Click();
    StoredRun last;
    ASSERT_TRUE(LastUndoableRun(folder, last));
    EXPECT_EQ(last.id, 6u);
    for (int waited = 0; waited < 200 && AttributesOf(folder + u"\\run-00000001.forgotten") != ~0u; ++waited) Sleep(50);
    EXPECT_EQ(StoredRuns(folder).size(), 5u);
    EXPECT_EQ(GetFile(P("out\\a.txt")), "the user's a");
    EXPECT_EQ(AttributesOf(P("out\\~Kolvar_files-00000001.kept")), ~0u);
    EXPECT_EQ(AttributesOf(P(deletedKept)), ~0u);
    EXPECT_EQ(AttributesOf(P("in\\~Kolvar_files-00000001.kept")), ~0u) << "the folder that kept it stays";
    EXPECT_NE(AttributesOf(P("out")), ~0u);
    EXPECT_NE(AttributesOf(P("in")), ~0u);
}

}  // namespace
