#include "chooser/fvybersoub_2.h"

#include <memory>
#include <vector>

#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "transfer/text_ops.h"

Tvybersoubform* vybersoubform = nullptr;

namespace {

constexpr FontSpec kDefault{11};
constexpr FontSpec kBold{11, true};
using K = ControlKind;
constexpr unsigned T = cfTabStop;

struct Row {
    TControl& (*member)(Tvybersoubform&);
    ControlDef def;
};
#define MEMBER(name) [](Tvybersoubform& f) -> TControl& { return f.name; }

// Left, top, width, height in the client area, in tab order; labels without
// a size fit their text.
const Row kLayout[] = {
    {MEMBER(FileListBox1), {"FileListBox1", K::ListBox, 168, 80, 177, 217, "", kDefault, nullptr, cfMultiSelect | cfDisabled, {}, 13}},
    {MEMBER(DirectoryOutline1), {"DirectoryOutline1", K::DirectoryList, 8, 48, 145, 249, "", kDefault, nullptr, T, {}, 16}},
    {MEMBER(Edit1), {"Edit1", K::Edit, 168, 40, 145, 21, "", kDefault, nullptr, T}},
    {MEMBER(FilterComboBox1), {"FilterComboBox1", K::DropDownList, -128, 312, 145, 21, "", kDefault, nullptr, T | cfHidden,
                               {"Text Files     (*.txt, *.prn)", "All Files        (*.*)"}}},
    {MEMBER(BitBtn1), {"BitBtn1", K::Button, 240, 352, 73, 25, "Cancel", kDefault, nullptr, T}},
    {MEMBER(DriveComboBox1), {"DriveComboBox1", K::DropDownList, 8, 24, 145, 19, "", kDefault, nullptr, T}},
    {MEMBER(BitBtn2), {"BitBtn2", K::DefaultButton, 56, 352, 73, 25, "Select", kBold, nullptr, T}},
    {MEMBER(Button1), {"Button1", K::Button, 104, 312, 57, 18, "Make Dir", kDefault, nullptr, T}},
    {MEMBER(Edit2), {"Edit2", K::Edit, 160, 312, 73, 21, "", kDefault, nullptr, T}},
    {MEMBER(Button2), {"Button2", K::Button, 16, 312, 73, 18, "Remove Dir", kDefault, nullptr, T}},
    {MEMBER(Label2), {"Label2", K::Label, 8, 8, 0, 0, "Directory:", kDefault, nullptr, 0}},
    {MEMBER(Label_dir), {"Label_dir", K::Label, 56, 8, 0, 0, "...", kDefault, nullptr, 0}},
    {MEMBER(Label3), {"Label3", K::Label, 168, 24, 0, 0, "Filter", kDefault, nullptr, 0}},
    {MEMBER(Label1), {"Label1", K::Label, 168, 64, 0, 0, "Files of the directory", kDefault, nullptr, 0}},
};
#undef MEMBER

// The filter list of the hidden filter selector; nothing reads it.
[[maybe_unused]] const char* const kFilterList =
    "Text Files     (*.txt, *.prn)|*.txt;*.prn|All Files        (*.*)|*.*";

// Every chooser is kept until the program ends.
std::vector<std::unique_ptr<Tvybersoubform>>& Choosers() {
    static std::vector<std::unique_ptr<Tvybersoubform>> choosers;
    return choosers;
}

}  // namespace

Tvybersoubform::Tvybersoubform() : TForm(true) {
    CreateDialogFrame(L"Tvybersoubform", "Open Files", 461, 219, 361, 393, kDefault, MainFormWindow());
    SetOuterBounds(461, 219, 367, 419);
    for (const Row& row : kLayout) row.member(*this) = CreateControl(row.def);
    FormCreate();
}

void Tvybersoubform::FormCreate() {
    KeyPreview = true;
    DriveComboBox1.DirList = &DirectoryOutline1;
    DirectoryOutline1.OnChange = [this] { DirectoryOutline1Change(); };
    // A fill of either list ends when the chooser closes (a modal result,
    // the main window's close request) or its opening is stopped.
    const auto closing = [this] { return StopAsked() || ModalResult() != mrNone || CloseRequested(); };
    DirectoryOutline1.Stop = closing;
    FileListBox1.Stop = closing;
    DriveComboBox1.Fill();
    FileListBox1.SetMask(u"*.txt; *.prn");
    SetActiveControl(DirectoryOutline1);
}

void Tvybersoubform::DirectoryOutline1Change() {
    // The files the directory list has just read, if it has: the folder is read once.
    FileListBox1.SetDirectory(DirectoryOutline1.Directory(), DirectoryOutline1.TakeFiles());
    Label_dir.SetText(DirectoryOutline1.Directory());
}

void Tvybersoubform::Edit1Change() { FileListBox1.SetMask(Edit1.Text()); }

void Tvybersoubform::FormKeyDown(WORD& key, bool shift, bool ctrl, bool alt) {
    if (key == 'A' && ctrl && !shift && !alt) {
        BitBtn3Click();
    } else if (key == VK_ESCAPE || key == VK_SPACE) {
        key = 0;
        SetModalResult(mrCancel);
    } else if (key == VK_RETURN) {
        key = 0;
        SetModalResult(mrOk);
    }
}

// Every file takes the opposite of the last file's selection as it is at
// that moment, the last file last: that selection changes only at the last
// file's turn, so every file takes the opposite of where it starts, in one
// message for all.
void Tvybersoubform::BitBtn3Click() {
    const int n = FileListBox1.Count();
    if (n > 0) FileListBox1.SetAllSelected(!FileListBox1.Selected(n - 1));
}

namespace {

void WarnOnFailure(void (*step)(Tvybersoubform&), Tvybersoubform& form) {
    try {
        step(form);
    } catch (const Exception& e) {
        ShowWarning(FailureText(e));
    }
}

}  // namespace

void Tvybersoubform::Button1Click() {
    WarnOnFailure([](Tvybersoubform& f) {
        if (IsBlank(f.Edit2.Text())) {
            Text value;
            if (InputQuery(u"Input Box", u"Input New Directory Name:", value)) f.Edit2.SetText(value);
        }
        // The name as typed; a relative one lands in the directory the list shows.
        const Text name = f.Edit2.Text();
        if (!IsBlank(name) && !CreateDir(name))
            throw EInOutError("Cannot create the directory " + To1250(name));
    }, *this);
    // Read again whatever happened above.
    WarnOnFailure([](Tvybersoubform& f) { f.DirectoryOutline1.Update(); }, *this);
}

void Tvybersoubform::Button2Click() {
    WarnOnFailure([](Tvybersoubform& f) {
        const Text old = f.DirectoryOutline1.Directory();
        if (!SetCurrentDir(u"..")) throw EInOutError("Cannot enter the parent of " + To1250(old));
        f.DirectoryOutline1.SetDirectory(CurrentDir());
        // A drive's root is its own parent and is never removed.
        if (PathLevels(old).size() <= 1 || !RemoveDir(old))
            throw EInOutError("Cannot remove the directory " + To1250(old));
        f.DirectoryOutline1.Update();
    }, *this);
}

void Tvybersoubform::OnControlEvent(HWND control, ControlEvent event, EventArgs&) {
    const bool click = event == ControlEvent::Click, change = event == ControlEvent::Change;
    if (control == DriveComboBox1.hwnd && change) DriveComboBox1.Changed();
    else if (control == DirectoryOutline1.hwnd && event == ControlEvent::DblClick)
        DirectoryOutline1.OpenRow(DirectoryOutline1.ItemIndex());
    else if (control == DirectoryOutline1.hwnd && click) DirectoryOutline1Change();
    else if (control == Edit1.hwnd && change) Edit1Change();
    else if (control == FilterComboBox1.hwnd && change) FilterComboBox1Change();
    else if (control == Button1.hwnd && click) Button1Click();
    else if (control == Button2.hwnd && click) Button2Click();
    else if (control == BitBtn2.hwnd && click) SetModalResult(mrOk);
    else if (control == BitBtn1.hwnd && click) SetModalResult(mrCancel);
}

void Tvybersoubform::OpenAtCurrentDir(const Text& mask) {
    // Setting the text it already has is no change: an empty mask keeps the
    // file list's design mask.
    if (Edit1.Text() != mask) Edit1.SetText(mask);
    const Text current = CurrentDir();
    DirectoryOutline1.SetDirectory(current);
    DriveComboBox1.SetDrive(DriveOf(current));
    // Moving the list has just filled the file list there; a large directory
    // is not read a second time.
    if (FileListBox1.Directory() != DirectoryOutline1.Directory()) FileListBox1.SetDirectory(current);
}

void ChooseDirectory(Text& mask, Text& directory) {
    try {
        directory = CurrentDir();
        Choosers().push_back(std::make_unique<Tvybersoubform>());
        Tvybersoubform& f = *Choosers().back();
        vybersoubform = &f;
        // Filling the lists of a large directory takes a while before the
        // chooser shows: Escape asks to stop it meanwhile, and a stopped
        // opening, or one that a close request has met, is a Cancel.
        f.Tag = StopSignal::Stoppable;
        f.OpenAtCurrentDir(mask);
        const bool stopped = f.StopAsked() || TForm::CloseRequested();
        f.Tag = StopSignal::Idle;
        if (!stopped && f.ShowModal() == mrOk) {
            directory = f.DirectoryOutline1.Directory();
            SetCurrentDir(directory);
            directory = CurrentDir();
        }
        mask = f.Edit1.Text();
    } catch (...) {
        // Nothing is reported; the caller keeps what the arguments hold now.
    }
}
