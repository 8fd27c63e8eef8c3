// The program's own window and run copying every file below a folder into
// another (or moving them, with "move"), for a test that kills it at some
// moment of the run:
//   copy_child INPUT OUTPUT [move]
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/uMain.h"
#include "platform/text.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 && !(argc == 4 && std::wstring(argv[3]) == L"move")) return 2;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    frMain = new TfrMain;
    frMain->Show();
    frMain->Edit1.SetText(FromW(argv[1]));
    frMain->Edit2.SetText(u"*.*");
    frMain->CheckBox1.SetChecked(true);
    frMain->Button1Click();
    frMain->Edit3.SetText(FromW(argv[2]));
    frMain->CheckBox2.SetChecked(argc == 4);
    frMain->Button2Click();
    delete frMain;
    return 0;
}
