#pragma once
// The directory chooser: walks drives and directories, shows the files of
// the directory that match a filter, makes and removes directories, and
// returns the chosen directory with the filter.
#include <string>

#include "platform/file_widgets.h"
#include "platform/forms.h"

class Tvybersoubform : public TForm {
public:
    Tvybersoubform();
    TControl Label2, Label_dir, Label3, Edit1, Label1, FilterComboBox1, Button2, Button1, Edit2,
        BitBtn2, BitBtn1;
    DriveSelector DriveComboBox1;
    DirectoryList DirectoryOutline1;
    FileList FileListBox1;

    void FormCreate();
    // Before showing: the filter set to mask, every list at the process's
    // current directory. Throws EInOutError when that cannot be entered.
    void OpenAtCurrentDir(const Text& mask);
    void DirectoryOutline1Change();
    void Edit1Change();
    void FilterComboBox1Change() {}
    void FormKeyDown(WORD& key, bool shift, bool ctrl, bool alt);
    void BitBtn3Click();  // select-all toggle of the file list
    void Button1Click();  // Make Dir
    void Button2Click();  // Remove Dir

protected:
    void OnControlEvent(HWND control, ControlEvent event, EventArgs& args) override;
    void OnFormKeyDown(EventArgs& args) override { FormKeyDown(*args.key, args.shift, args.ctrl, args.alt); }
};

// The chooser created last.
extern Tvybersoubform* vybersoubform;

// Shows a new chooser at the process's current directory. mask goes in and
// comes back as edited in the filter box; directory is only written: the
// chosen one after OK, the one current at opening after Cancel. Failures
// leave both as they are at that moment, without a message.
void ChooseDirectory(Text& mask, Text& directory);
