#include <windows.h>
#include <commctrl.h>

#include "platform/fs.h"
#include "platform/text.h"
#include "tests/app/gui_fixture.h"
#include "tests/text_1250/text_1250.h"

namespace {

using MainWindow = MainWindowTest;

TEST_F(MainWindow, StartsWithTheStateOfCreation) {
    const std::string base = tree->Root();
    EXPECT_EQ(To1250(form->Caption()), "Kolvar specified files from subdirectories  (v1.69)");
    EXPECT_EQ(To1250(form->BaseDir), base);
    EXPECT_EQ(form->LabelHomeDir.Text1250(), base);
    EXPECT_EQ(form->Edit1.Text1250(), base);
    EXPECT_EQ(form->Edit3.Text1250(), base);
    EXPECT_EQ(To1250(form->CommandsIniPath), base + "\\commands_ini.txt");
    EXPECT_EQ(To1250(form->CommandsToProcessPath), base + "\\commands_to_process.txt");
    EXPECT_EQ(To1250(form->CommandsToRunPath), base + "\\commands_to_run.bat");
    EXPECT_EQ(To1250(form->TempBatPath), base + "\\temp.bat");
    EXPECT_EQ(form->Tag, 0);
    EXPECT_TRUE(form->FullPaths);
    EXPECT_FALSE(form->RelativePaths || form->CaseInsensitive || form->DryRun ||
                 form->DeleteMode || form->EscapeBusy || form->BatchReady);
    EXPECT_TRUE(form->AllowAbort);
    EXPECT_EQ(form->WorkList, nullptr);
    EXPECT_TRUE(form->CheckBox1.Checked());
    EXPECT_TRUE(form->RadioButton2.Checked());
    EXPECT_FALSE(form->RadioButton1.Checked() || form->RadioButton3.Checked());
    EXPECT_EQ(form->Edit2.Text1250(), "*.*");
    EXPECT_EQ(form->Edit2.Count(), 9);
    EXPECT_EQ(form->Edit_chartoreplace.Text1250(), " ");
    EXPECT_EQ(form->Edit_newchar.Text1250(), "_");
    EXPECT_EQ(form->Edit_Delimiter.Text1250(), "_");
    EXPECT_EQ(form->lblNumberFound.Text1250(), "Files found:");
    EXPECT_EQ(form->MojeMemo.Text1250(), "MojeMemo");
    EXPECT_EQ(form->RadioButton2.Text1250(), "\"Usual\" &Copy - with folders");
    for (TControl* hidden : {&form->Edit2_old, &form->CheckBox_Command, &form->MojeMemo,
                             &form->CheckBox_rename, &form->ProgressBar1})
        EXPECT_FALSE(hidden->Visible()) << hidden->Name();
    EXPECT_TRUE(form->ListBox1.Visible());
    EXPECT_EQ(GetFocus(), form->CheckBox1.hwnd);
}

TEST_F(MainWindow, ControlsStandAtTheirBoundsWithTheirFonts) {
    struct Case { TControl* c; RECT bounds; int fontHeight; bool bold, italic; };
    const std::vector<Case> cases = {
        {&form->Edit1, {8, 40, 353, 61}, 11, false, false},
        {&form->BitBtn2, {352, 40, 373, 61}, 11, false, false},
        {&form->Button1, {189, 117, 285, 142}, 12, true, false},
        {&form->Button2, {432, 160, 537, 185}, 12, true, false},
        {&form->Button3, {392, 160, 425, 185}, 15, false, true},
        {&form->Button6, {712, 160, 745, 185}, 12, true, true},
        {&form->CheckBox5_case, {16, 100, 145, 117}, 9, false, false},
        {&form->CheckBox_exif, {659, 120, 836, 137}, 11, false, false},
        {&form->Edit3, {384, 40, 729, 61}, 11, false, false},
        {&form->BitBtn1, {664, 8, 737, 33}, 11, false, false},
        {&form->Button4, {632, 8, 653, 30}, 15, true, false},
    };
    for (const auto& c : cases) {
        RECT r = c.c->Bounds();
        EXPECT_EQ(r.left, c.bounds.left) << c.c->Name();
        EXPECT_EQ(r.top, c.bounds.top) << c.c->Name();
        EXPECT_EQ(r.right, c.bounds.right) << c.c->Name();
        EXPECT_EQ(r.bottom, c.bounds.bottom) << c.c->Name();
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(c.c->hwnd, WM_GETFONT, 0, 0)), sizeof lf, &lf);
        EXPECT_EQ(lf.lfHeight, -c.fontHeight) << c.c->Name();
        EXPECT_EQ(lf.lfWeight >= FW_BOLD, c.bold) << c.c->Name();
        EXPECT_EQ(lf.lfItalic != 0, c.italic) << c.c->Name();
        EXPECT_EQ(lf.lfCharSet, EASTEUROPE_CHARSET) << c.c->Name();
    }
    // Labels are real windows, sized to their captions at their place.
    RECT label = form->Label4.Bounds();
    EXPECT_EQ(label.left, 8);
    EXPECT_EQ(label.top, 8);
    EXPECT_GT(label.right - label.left, 20);
    wchar_t cls[32];
    GetClassNameW(form->lblNumberFound.hwnd, cls, 32);
    EXPECT_STREQ(cls, L"Static");
}

TEST_F(MainWindow, TabWalksTheControlsInOrder) {
    const std::vector<TControl*> order = {
        &form->CheckBox1, &form->ListBox1, &form->Edit1, &form->Button1, &form->Edit2,
        &form->Edit3, &form->Button2, &form->BitBtn1, &form->BitBtn2, &form->BitBtn3,
        &form->BitBtn4, &form->CheckBox2, &form->Button3, &form->Button4, &form->CheckBox4_rel,
        &form->Button5, &form->Edit_Delimiter, &form->Edit_DelimiterDirs, &form->RadioButton1,
        &form->RadioButton2, &form->RadioButton3, &form->BitBtn5, &form->BitBtn6, &form->Button6,
        &form->BitBtn7, &form->BitBtn8, &form->Edit_chartoreplace, &form->Edit_newchar,
        &form->CheckBox5_case, &form->CheckBox5_rel, &form->Button7, &form->CheckBox_tag,
        &form->CheckBox_repl, &form->CheckBox_exif,
    };
    HWND h = order.front()->hwnd;
    for (std::size_t i = 1; i < order.size(); ++i) {
        h = GetNextDlgTabItem(form->hwnd, h, FALSE);
        // A drop-down list takes the focus in its edit; the walk names the list.
        EXPECT_EQ(h, order[i]->hwnd) << "after " << order[i - 1]->Name();
        h = order[i]->hwnd;
    }
    EXPECT_EQ(GetNextDlgTabItem(form->hwnd, h, FALSE), order.front()->hwnd);
}

std::string HintOf(HWND tooltip, HWND owner, HWND control) {
    wchar_t buf[512] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = owner;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = buf;
    SendMessageW(tooltip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&ti));
    return Narrow(buf);
}

struct TooltipSearch {
    HWND owner, found;
};

// The tooltip window of the form (controls may have tooltips of their own).
BOOL CALLBACK FindTooltip(HWND h, LPARAM p) {
    auto* search = reinterpret_cast<TooltipSearch*>(p);
    wchar_t cls[64];
    GetClassNameW(h, cls, 64);
    if (std::wstring(cls) == TOOLTIPS_CLASSW && GetWindow(h, GW_OWNER) == search->owner) search->found = h;
    return TRUE;
}

TEST_F(MainWindow, HintsAreTooltips) {
    TooltipSearch search{form->hwnd, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&search));
    HWND tooltip = search.found;
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(HintOf(tooltip, form->hwnd, form->Button1.hwnd), "List files in the directory");
    EXPECT_EQ(HintOf(tooltip, form->hwnd, form->ListBox1.hwnd),
              "Double click for file info. Press Ctrl+A to mark all");
    EXPECT_EQ(HintOf(tooltip, form->hwnd, form->Label2.hwnd),
              "Search is Case Sensitive unless you check \"Case Insensitive\" and put the mask "
              "without * and ? chars");
    EXPECT_EQ(HintOf(tooltip, form->hwnd, form->CheckBox1.hwnd), "");
}

TEST_F(MainWindow, ResizeRuleSizesTheListOnly) {
    struct Case { int width, height; int listWidth, listHeight; };
    const std::vector<Case> cases = {
        {940, 621, 940 - 8 - 20, 621 - 200 - 13 - 35},
        {800, 500, 772, 252},
        {600, 240, 572, 0},  // below the list's top edge plus 48: no height left
    };
    for (const auto& c : cases) {
        form->SetOuterBounds(286, 177, c.width, c.height);
        RECT r = form->ListBox1.Bounds();
        EXPECT_EQ(r.left, 8);
        EXPECT_EQ(r.top, 200);
        EXPECT_EQ(r.right - r.left, c.listWidth) << c.width;
        EXPECT_EQ(r.bottom - r.top, c.listHeight) << c.height;
        RECT client, bar = form->ProgressBar1.Bounds();
        GetClientRect(form->hwnd, &client);
        EXPECT_EQ(bar.bottom, client.bottom);
        EXPECT_EQ(bar.right - bar.left, client.right);
        RECT edit = form->Edit3.Bounds();
        EXPECT_EQ(edit.left, 384);
    }
}

TEST_F(MainWindow, AboutNamesTheProgramAndItsMaker) {
    form->Button4Click();
    ASSERT_EQ(dialogs.calls.size(), 1u);
    const DialogCall& c = dialogs.calls[0];
    EXPECT_EQ(c.kind, MsgKind::Information);
    EXPECT_EQ(c.title, "Information");
    EXPECT_EQ(c.buttons, MsgButtons::Ok);
    EXPECT_EQ(c.text.rfind("About Application:\r", 0), 0u);
    EXPECT_NE(c.text.find("Kolvar_files"), std::string::npos);
    EXPECT_NE(c.text.find("Tamrelovinska"), std::string::npos);
}

TEST_F(MainWindow, CloseEndsTheLoopWithoutAQuestion) {
    form->BitBtn1Click();
    MSG m;
    bool quit = false;
    for (int i = 0; i < 50 && !quit; ++i) {
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) { quit = true; break; }
            DispatchMessageW(&m);
        }
        Sleep(5);
    }
    EXPECT_TRUE(quit);
    EXPECT_FALSE(IsWindow(form->hwnd));
    EXPECT_TRUE(dialogs.calls.empty());
}

TEST_F(MainWindow, DriveRootAsBaseDirKeepsItsBackslash) {
    form.reset();
    SetCurrentDir("Z:\\");
    form = std::make_unique<TfrMain>();
    EXPECT_EQ(To1250(form->BaseDir), "Z:\\");
    EXPECT_EQ(To1250(form->CommandsIniPath), "Z:\\\\commands_ini.txt");
    EXPECT_EQ(form->Edit1.Text1250(), "Z:\\");
}

}  // namespace

namespace {

void PressAlt(HWND target, char letter) {
    PostMessageW(target, WM_SYSKEYDOWN, static_cast<WPARAM>(letter), 1 | (1 << 29));
    PostMessageW(target, WM_SYSKEYUP, static_cast<WPARAM>(letter), 1 | (1 << 29) | (3u << 30));
    Pump();
}

TEST_F(MainWindow, AccessKeysOfTheCaptions) {
    tree->File("found.txt");
    form->Edit1.SetFocus();
    PressAlt(form->Edit1.hwnd, 'L');  // "&List Files (1)", an owner-drawn button
    ASSERT_EQ(form->ListBox1.Count(), 1);

    PressAlt(GetFocus(), 'M');  // the label "File &mask" focuses the mask box
    EXPECT_EQ(GetAncestor(GetFocus(), GA_PARENT), form->Edit2.hwnd);

    PressAlt(GetFocus(), 'S');  // "Include &subdirectories"
    EXPECT_EQ(GetFocus(), form->CheckBox1.hwnd);

    // Tab and Shift+Tab walk the tab order.
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    Pump();
    EXPECT_EQ(GetFocus(), form->ListBox1.hwnd);
}

}  // namespace

namespace {

TEST_F(MainWindow, CaptionColours) {
    struct Case { TControl* c; COLORREF colour; };
    const std::vector<Case> cases = {
        {&form->CheckBox_repl, RGB(128, 0, 0)},   {&form->Label9, RGB(128, 0, 0)},
        {&form->CheckBox2, RGB(128, 0, 128)},     {&form->CheckBox5_case, RGB(128, 128, 128)},
        {&form->LabelHomeDir, RGB(0, 0, 128)},    {&form->CheckBox_tag, RGB(128, 0, 0)},
        {&form->CheckBox1, GetSysColor(COLOR_WINDOWTEXT)},
    };
    HDC dc = CreateCompatibleDC(nullptr);
    for (const auto& c : cases) {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SendMessageW(form->hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(c.c->hwnd));
        EXPECT_EQ(GetTextColor(dc), c.colour) << c.c->Name();
    }
    DeleteDC(dc);
    // Coloured push buttons draw their own caption.
    for (TControl* b : {&form->Button2, &form->Button3, &form->Button5, &form->Button6,
                        &form->Button7, &form->BitBtn6, &form->BitBtn7, &form->Button1})
        EXPECT_EQ(GetWindowLongPtrW(b->hwnd, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << b->Name();
    EXPECT_EQ(GetWindowLongPtrW(form->BitBtn4.hwnd, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
}

}  // namespace
