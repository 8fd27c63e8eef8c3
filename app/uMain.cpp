#include "app/uMain.h"

#include <algorithm>
#include <utility>

#include "app/version.h"
#include "platform/dialogs.h"
#include "platform/fs.h"
#include "platform/message_loop.h"
#include "platform/text.h"
#include "transfer/path_names.h"
#include "transfer/text_ops.h"

TfrMain* frMain = nullptr;
const char* const kProgramTitle = "Kolvar specified files from subdirectories  (v" KOLVAR_VERSION ")";

namespace {

constexpr FontSpec kDefault{11};
constexpr FontSpec kBoldNavy12{12, true, false, clNavy};
constexpr FontSpec kGrey9{9, false, false, clGray};
constexpr FontSpec kMaroon11{11, false, false, clMaroon};
constexpr FontSpec kMaroon12{12, false, false, clMaroon};
constexpr FontSpec kRed11{11, false, false, clRed};
constexpr FontSpec kRed12{12, false, false, clRed};
constexpr FontSpec kGreenItalic15{15, false, true, clGreen};
constexpr FontSpec kMaroonBold12{12, true, false, clMaroon};
constexpr FontSpec kPurple12{12, false, false, clPurple};
constexpr FontSpec kGreyItalic11{11, false, true, clGray};
constexpr FontSpec kTealBoldItalic12{12, true, true, clTeal};
constexpr FontSpec kBold15{15, true, false};

using K = ControlKind;
constexpr unsigned T = cfTabStop;

#define MASK_HINT "Search is Case Sensitive unless you check \"Case Insensitive\" and put the mask without * and ? chars"

struct Row {
    TControl TfrMain::*member;
    ControlDef def;
};

// Bounds are left, top, width, height in the client area; a label without a
// size is sized to its caption.
const Row kLayout[] = {
    // Directory and mask area
    {&TfrMain::Label4, {"Label4", K::Label, 8, 8, 0, 0, "Base directory:", kDefault, nullptr, 0}},
    {&TfrMain::LabelHomeDir, {"LabelHomeDir", K::Label, 88, 8, 5, 26, " - ", kBoldNavy12, nullptr, cfWordWrap}},
    {&TfrMain::Label1, {"Label1", K::Label, 8, 24, 0, 0, "In directory", kDefault, nullptr, 0}},
    {&TfrMain::Edit1, {"Edit1", K::Edit, 8, 40, 345, 21, "c:\\", kDefault, "Double click to change the directory", T}},
    {&TfrMain::BitBtn2, {"BitBtn2", K::GlyphButton, 352, 40, 21, 21, "", kDefault, "Change directory", T}},
    {&TfrMain::Label2, {"Label2", K::Label, 16, 72, 0, 0, "File &mask", kDefault, MASK_HINT, 0}},
    {&TfrMain::Edit2, {"Edit2", K::ComboBox, 72, 72, 137, 21, "*.*", kDefault, MASK_HINT ". Can include subdirs.", T,
                       {"*.*", "*.mp3", "*.wav", "*.txt", "*.dbf", "*.xls", "*.doc", "*.jpg", "*.avi"}, 0, 20}},
    {&TfrMain::CheckBox5_case, {"CheckBox5_case", K::CheckBox, 16, 100, 129, 17, "Case Insensitive", kGrey9,
                                "Leave unchecked for Search to be Case Sensitive (for file mask without *,? chars only)", T}},
    {&TfrMain::CheckBox4_rel, {"CheckBox4_rel", K::CheckBox, 16, 116, 129, 17, "Use &relative paths", kGrey9,
                               "Check to list the files without base directory name", T}},
    {&TfrMain::CheckBox1, {"CheckBox1", K::CheckBox, 16, 132, 129, 17, "Include &subdirectories", kDefault, nullptr, T | cfChecked}},
    {&TfrMain::CheckBox5_rel, {"CheckBox5_rel", K::CheckBox, 16, 145, 115, 18, "Add folders names", kGrey9,
                               "Check to add folders names (within the base directory)", T}},
    {&TfrMain::Button1, {"Button1", K::Button, 189, 117, 96, 25, "&List Files (1)", kBoldNavy12, "List files in the directory", T}},
    // Result list area
    {&TfrMain::lblNumberFound, {"lblNumberFound", K::Label, 8, 163, 0, 0, "Files found:", kDefault, nullptr, 0}},
    {&TfrMain::BitBtn4, {"BitBtn4", K::Button, 83, 175, 57, 17, "Mark &All", kDefault,
                         "Select all the listed files. Right click for invert selection.", T}},
    {&TfrMain::BitBtn5, {"BitBtn5", K::Button, 163, 175, 40, 17, "Save", kDefault,
                         "Saves the content to a txt file. Right click to save the SELection only.", T}},
    {&TfrMain::BitBtn8, {"BitBtn8", K::Button, 210, 175, 49, 17, "Notepad", kDefault, "Opens in Notepad (for read only)", T}},
    {&TfrMain::ListBox1, {"ListBox1", K::ListBox, 8, 200, 289, 73, "", kDefault,
                          "Double click for file info. Press Ctrl+A to mark all", T | cfMultiSelect, {}, 13}},
    {&TfrMain::SpeedButton1, {"SpeedButton1", K::FlatButton, 352, 200, 23, 22, "", kDefault, nullptr, 0}},
    // Output and transfer area
    {&TfrMain::Label3, {"Label3", K::Label, 384, 24, 0, 0, "Output directory", kDefault, nullptr, 0}},
    {&TfrMain::Edit3, {"Edit3", K::Edit, 384, 40, 345, 21, "c:\\", kDefault, "Double click to change the directory", T}},
    {&TfrMain::BitBtn3, {"BitBtn3", K::GlyphButton, 728, 40, 21, 21, "", kDefault, "Change directory", T}},
    {&TfrMain::RadioButton1, {"RadioButton1", K::RadioButton, 392, 68, 177, 17, "&Rename files - add subdir names", kDefault,
                              "Copy into the specified folder, all the files, change filenames to include folders names", T}},
    {&TfrMain::RadioButton2, {"RadioButton2", K::RadioButton, 392, 84, 153, 17, "\"Usual\" &Copy - with folders", kDefault,
                              "Create folders from filenames", T | cfChecked}},
    {&TfrMain::RadioButton3, {"RadioButton3", K::RadioButton, 392, 100, 193, 17, "Copy into the same destination (root)", kDefault,
                              "Copy into the specified folder, all the files", T}},
    {&TfrMain::Label5, {"Label5", K::Label, 576, 69, 0, 0, "Delimiter", kDefault,
                        "Delimiter to put between folder names and finenames", 0}},
    {&TfrMain::Edit_Delimiter, {"Edit_Delimiter", K::Edit, 624, 65, 33, 21, "_", kDefault,
                                "Delimiter to put between folder names and finenames", T}},
    {&TfrMain::Label6, {"Label6", K::Label, 552, 85, 0, 0, "Delimiter", kDefault,
                        "Delimiter to separate-decode folders names from finenames", 0}},
    {&TfrMain::Edit_DelimiterDirs, {"Edit_DelimiterDirs", K::Edit, 600, 85, 33, 21, "", kDefault,
                                    "separate-decode folders names from finenames", T}},
    {&TfrMain::CheckBox_repl, {"CheckBox_repl", K::CheckBox, 392, 120, 113, 14, "Replace in names:", kMaroon12,
                               "Replace characters in path and file names", T}},
    {&TfrMain::Edit_chartoreplace, {"Edit_chartoreplace", K::Edit, 504, 116, 25, 21, " ", kDefault, "Replace characters", T}},
    {&TfrMain::Label9, {"Label9", K::Label, 536, 120, 0, 0, "with", kMaroon11, "Replace characters in path and file names", 0}},
    {&TfrMain::Edit_newchar, {"Edit_newchar", K::Edit, 560, 116, 25, 21, "_", kDefault, "New characters", T}},
    {&TfrMain::Button7, {"Button7", K::Button, 605, 117, 26, 18, "CZ", kRed11, "Replaces - put away special Czech letters", T}},
    {&TfrMain::CheckBox_exif, {"CheckBox_exif", K::CheckBox, 659, 120, 177, 17, "&Rename files - add Date of JPG ", kMaroon11,
                               "Reads EXIF information (good with Usual copy and Move the files)", T}},
    {&TfrMain::CheckBox_tag, {"CheckBox_tag", K::CheckBox, 392, 138, 145, 14, "Read/Write MP3_&TAG", kMaroon12,
                              "Reads or Changes MP3_tag according to mp3_tag.txt file (row 1: genre, ...), or: album = directory, artist = 2nd dir", T}},
    {&TfrMain::Button3, {"Button3", K::Button, 392, 160, 33, 25, "&Try", kGreenItalic15,
                         "List the results but do not perform COPY command itself", T}},
    {&TfrMain::Button2, {"Button2", K::Button, 432, 160, 105, 25, "&Copy the files (2)", kMaroonBold12,
                         "Copy selected files to a new destination.", T}},
    {&TfrMain::Button5, {"Button5", K::Button, 544, 164, 57, 18, "&Delete", kRed12, "Deletes the files only", T}},
    {&TfrMain::CheckBox2, {"CheckBox2", K::CheckBox, 432, 186, 97, 14, "&Move the files", kPurple12, "Delete original files after copy", T}},
    // Command area and window controls
    {&TfrMain::Label7, {"Label7", K::Label, 632, 144, 0, 0, "Perform commands (resample MP3):", kDefault,
                        "Executes given commands using input and output files", 0}},
    {&TfrMain::BitBtn7, {"BitBtn7", K::Button, 640, 160, 37, 17, "Init", kGreyItalic11, "Initial settings", T}},
    {&TfrMain::Button6, {"Button6", K::Button, 712, 160, 33, 25, "&Go", kTealBoldItalic12,
                         "Generate and Run batchfile (run CZ button before, to get rid of blank spaces etc.)", T}},
    {&TfrMain::BitBtn6, {"BitBtn6", K::Button, 640, 180, 65, 17, "Commands", kGreyItalic11, "Commands to be executed for each file", T}},
    {&TfrMain::Button4, {"Button4", K::Button, 632, 8, 21, 22, "?", kBold15, "About ...", T}},
    {&TfrMain::BitBtn1, {"BitBtn1", K::CloseButton, 664, 8, 73, 25, "&Close", kDefault, "Close the application", T}},
    {&TfrMain::ProgressBar1, {"ProgressBar1", K::ProgressBar, 0, 578, 932, 13, "", kDefault, nullptr, cfHidden | cfDockBottom}},
    // Hidden controls: never shown, changed only by the program
    {&TfrMain::Edit2_old, {"Edit2_old", K::Edit, 224, 72, 65, 21, "*.*", kDefault, MASK_HINT, cfHidden}},
    {&TfrMain::CheckBox_Command, {"CheckBox_Command", K::CheckBox, 708, 249, 113, 17, "Perform a command", kDefault,
                                  "Executes given command using input and output files", cfHidden}},
    {&TfrMain::MojeMemo, {"MojeMemo", K::Memo, 432, 240, 185, 89, "MojeMemo", kDefault, nullptr, cfHidden}},
    {&TfrMain::CheckBox_rename, {"CheckBox_rename", K::CheckBox, 707, 267, 177, 17, "&Rename files ", kDefault,
                                 "Check the option to ensure unique filenames", cfHidden}},
};

// Windows are created in tab order, which is also the order Tab walks.
// Label2 stands just before Edit2 so that its access key focuses the mask.
const char* const kTabOrder[] = {
    "CheckBox1", "ListBox1", "Edit1", "Button1", "Label2", "Edit2", "Edit2_old", "Edit3", "Button2",
    "BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4", "CheckBox2", "Button3", "Button4", "ProgressBar1",
    "CheckBox4_rel", "Button5", "Edit_Delimiter", "Edit_DelimiterDirs", "RadioButton1",
    "RadioButton2", "RadioButton3", "BitBtn5", "BitBtn6", "CheckBox_Command", "Button6",
    "MojeMemo", "BitBtn7", "BitBtn8", "Edit_chartoreplace", "Edit_newchar", "CheckBox5_case",
    "CheckBox5_rel", "Button7", "CheckBox_rename", "CheckBox_tag", "CheckBox_repl", "CheckBox_exif",
};

// What an event does while an operation of the window's own goes on: the
// options' own controls are read by it, so their handlers run at once, as
// does Close, which stops the operation before it closes the window; a
// control that has changed already (the list's selection, the path mode)
// has its handler run when the operation ends; any other command waits for
// nothing and is refused, as a button of a busy window is.
enum class During { Refused, Now, After };

struct Event {
    TControl TfrMain::*control;
    ControlEvent event;
    void (*handle)(TfrMain&, EventArgs&);
    During during = During::Refused;
};

const Event kEvents[] = {
    {&TfrMain::Button1, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.Button1Click(); }},
    {&TfrMain::Edit1, ControlEvent::Change, [](TfrMain& f, EventArgs&) { f.Edit1Change(); }, During::Now},
    {&TfrMain::Edit3, ControlEvent::Change, [](TfrMain& f, EventArgs&) { f.Edit3Change(); }, During::Now},
    {&TfrMain::Edit2, ControlEvent::KeyDown, [](TfrMain& f, EventArgs& a) { f.Edit2KeyDown(*a.key); }},
    {&TfrMain::Edit2_old, ControlEvent::KeyDown, [](TfrMain& f, EventArgs& a) { f.Edit2KeyDown(*a.key); }},
    {&TfrMain::CheckBox4_rel, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.CheckBox4_relClick(); }, During::After},
    {&TfrMain::CheckBox5_case, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.CheckBox5_caseClick(); }, During::Now},
    {&TfrMain::CheckBox5_rel, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.CheckBox5_caseClick(); }, During::Now},
    {&TfrMain::ListBox1, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.ListBox1Click(); }, During::After},
    {&TfrMain::BitBtn4, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.BitBtn4Click(); }},
    {&TfrMain::BitBtn4, ControlEvent::MouseDown, [](TfrMain& f, EventArgs& a) { f.BitBtn4MouseDown(a.button); }},
    {&TfrMain::BitBtn4, ControlEvent::KeyDown, [](TfrMain& f, EventArgs& a) { f.BitBtn4KeyDown(*a.key); }},
    {&TfrMain::ListBox1, ControlEvent::KeyDown,
     [](TfrMain& f, EventArgs& a) { f.ListBox1KeyDown(*a.key, a.shift, a.ctrl, a.alt); }},
    {&TfrMain::ListBox1, ControlEvent::DblClick, [](TfrMain& f, EventArgs&) { f.ListBox1DblClick(); }},
    {&TfrMain::BitBtn5, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.BitBtn5Click(); }},
    {&TfrMain::BitBtn8, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.BitBtn8Click(); }},
    {&TfrMain::BitBtn5, ControlEvent::MouseDown, [](TfrMain& f, EventArgs& a) { f.BitBtn5MouseDown(a.button); }},
    {&TfrMain::BitBtn8, ControlEvent::MouseDown, [](TfrMain& f, EventArgs& a) { f.BitBtn5MouseDown(a.button); }},
    {&TfrMain::BitBtn6, ControlEvent::MouseDown, [](TfrMain& f, EventArgs& a) { f.BitBtn5MouseDown(a.button); }},
    {&TfrMain::BitBtn7, ControlEvent::MouseDown, [](TfrMain& f, EventArgs& a) { f.BitBtn5MouseDown(a.button); }},
    {&TfrMain::Button2, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.Button2Click(); }},
    {&TfrMain::Button3, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.Button3Click(); }},
    {&TfrMain::Button5, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.Button5Click(); }},
    {&TfrMain::Button7, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.Button7Click(); }},
    {&TfrMain::Button6, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.Button6Click(); }},
    {&TfrMain::BitBtn6, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.BitBtn6Click(); }},
    {&TfrMain::BitBtn7, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.BitBtn7Click(); }},
    {&TfrMain::BitBtn2, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.BitBtn2Click(); }},
    {&TfrMain::BitBtn3, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.BitBtn3Click(); }},
    {&TfrMain::Edit1, ControlEvent::DblClick, [](TfrMain& f, EventArgs&) { f.BitBtn2Click(); }},
    {&TfrMain::Edit3, ControlEvent::DblClick, [](TfrMain& f, EventArgs&) { f.BitBtn3Click(); }},
    // Close: a close request stops the operation, then closes the window.
    {&TfrMain::BitBtn1, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.BitBtn1Click(); }, During::Now},
    {&TfrMain::Button4, ControlEvent::Click, [](TfrMain& f, EventArgs&) { f.Button4Click(); }},
};

}  // namespace

TfrMain::TfrMain() : TForm(true) {
    CreateFrame(L"TfrMain", "Searching for files", 286, 177, 940, 621, kDefault);
    auto create = [&](const Row& row) { this->*row.member = CreateControl(row.def); };
    for (const char* name : kTabOrder)
        for (const Row& row : kLayout)
            if (std::string(row.def.name) == name) create(row);
    for (const Row& row : kLayout)
        if (!(this->*row.member).hwnd) create(row);
    // A run compares names as the file system does, in every script.
    SetNameUpperCase(SystemUpperCase);
    FormCreate();
    FormResize();
}

TfrMain::~TfrMain() {
    SetApplicationHook(nullptr);
    if (frMain == this) frMain = nullptr;
}

void TfrMain::FormCreate() {
    RelativePaths = CheckBox4_rel.Checked();
    FullPaths = true;
    BaseDir = CurrentDir();
    CaseInsensitive = false;
    SetCaption(kProgramTitle);
    LabelHomeDir.SetText(BaseDir);
    EscapeBusy = false;
    SetApplicationHook([this](MSG& msg) { AppMessage(msg); });
    AllowAbort = true;
    Edit1.SetText(u"");
    Edit1.SetText(Trim(BaseDir));
    Edit3.SetText(u"");
    Edit3.SetText(Trim(BaseDir));
    DryRun = false;
    DeleteMode = false;
    CommandsIniPath = BaseDir + u"\\commands_ini.txt";
    CommandsToProcessPath = BaseDir + u"\\commands_to_process.txt";
    CommandsToRunPath = BaseDir + u"\\commands_to_run.bat";
    TempBatPath = BaseDir + u"\\temp.bat";
    AddSystemMenuItem(kUndoItem, u"Undo the last run...");
    UpdateUndoItem();
}

void TfrMain::FormResize() {
    if (!ListBox1.hwnd) return;  // sizes arrive while the frame is being made
    const RECT outer = OuterBounds();
    const RECT list = ListBox1.Bounds();
    const RECT bar = ProgressBar1.Bounds();
    const int width = (outer.right - outer.left) - list.left - 20;
    const int height = (outer.bottom - outer.top) - list.top - (bar.bottom - bar.top) - 35;
    ListBox1.SetBounds(list.left, list.top, std::max(width, 0), std::max(height, 0));
}

Text TfrMain::RowPath(const Text& row) const { return ResolvedAgainst(BaseDir, row); }

Text TfrMain::TypedFolder(const Text& text) const {
    if (IsBlank(text)) return BaseDir;
    if (text.find(u":\\") == Text::npos && text[0] == u'\\') return BaseDir + text;
    return RowPath(text);
}

TfrMain::Operation::Operation(TfrMain& form, bool stoppable)
    : form_(form), taken_(!form.runInProgress_), keepsTag_(false), tag_(form.Tag) {
    if (!taken_) return;
    form_.runInProgress_ = true;
    if (stoppable) form_.Tag = StopSignal::Stoppable;
}

TfrMain::Operation::Operation(TfrMain& form, Rows)
    : form_(form), taken_(!form.runInProgress_), keepsTag_(true), tag_(form.Tag) {
    if (taken_) form_.runInProgress_ = form_.rowsRunning_ = true;
}

TfrMain::Operation::~Operation() {
    if (!taken_) return;
    form_.runInProgress_ = form_.rowsRunning_ = false;
    if (!keepsTag_) form_.Tag = tag_;
    // What changed meanwhile: the path mode, the list's selection (its counts line).
    const bool pathMode = std::exchange(form_.pathModeAgain_, false), count = std::exchange(form_.countAgain_, false);
    if (CloseRequested()) return;
    if (pathMode) form_.PathModeChanged();
    if (count) form_.ListBox1Click();
}

void TfrMain::BitBtn1Click() { Close(); }

void TfrMain::Button4Click() {
    ShowInformation("About Application:\r"
                    "Kolvar_files, version " KOLVAR_VERSION "\r"
                    "Lists, copies, moves and renames files from subdirectories.\r"
                    "Made by Tamrelovinska.");
}

void TfrMain::OnClosed() { PostQuitMessage(0); }

// No handler runs inside another: while an operation goes on, an event is
// handled as its table row says (During).
void TfrMain::OnControlEvent(HWND control, ControlEvent event, EventArgs& args) {
    for (const Event& e : kEvents) {
        if (e.event != event || (this->*e.control).hwnd != control) continue;
        if (!runInProgress_ || e.during == During::Now) e.handle(*this, args);
        else if (e.during == During::After) (e.control == &TfrMain::ListBox1 ? countAgain_ : pathModeAgain_) = true;
    }
}
