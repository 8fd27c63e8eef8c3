#include "app/uFileInfo.h"

TfrFileInfo* frFileInfo = nullptr;

namespace {

constexpr FontSpec kDefault{11};
constexpr FontSpec kBold{11, true};
using K = ControlKind;

struct Row {
    TControl TfrFileInfo::*member;
    ControlDef def;
};

// Left, top, width, height in the client area; labels without a size fit their text.
const Row kLayout[] = {
    {&TfrFileInfo::lblFile, {"lblFile", K::Label, 8, 8, 273, 13, "lblFile", kBold, nullptr, 0}},
    {&TfrFileInfo::Label3, {"Label3", K::Label, 8, 40, 0, 0, "Name", kDefault, nullptr, 0}},
    {&TfrFileInfo::lblName, {"lblName", K::Label, 80, 40, 0, 0, "", kDefault, nullptr, 0}},
    {&TfrFileInfo::Label4, {"Label4", K::Label, 8, 64, 0, 0, "Size", kDefault, nullptr, 0}},
    {&TfrFileInfo::lblSize, {"lblSize", K::Label, 80, 64, 0, 0, "", kDefault, nullptr, 0}},
    {&TfrFileInfo::Label5, {"Label5", K::Label, 8, 88, 0, 0, "Modified", kDefault, nullptr, 0}},
    {&TfrFileInfo::lblModified, {"lblModified", K::Label, 80, 88, 0, 0, "", kDefault, nullptr, 0}},
    {&TfrFileInfo::Label6, {"Label6", K::Label, 8, 112, 0, 0, "ShortName", kDefault, nullptr, 0}},
    {&TfrFileInfo::lblShortName, {"lblShortName", K::Label, 80, 112, 0, 0, "", kDefault, nullptr, 0}},
    {&TfrFileInfo::BitBtn1, {"BitBtn1", K::CloseButton, 8, 144, 209, 25, "&Close", kDefault, nullptr, cfTabStop}},
};

}  // namespace

TfrFileInfo::TfrFileInfo(HWND owner) : TForm(false) {
    CreateDialogFrame(L"TfrFileInfo", "frFileInfo", 236, 183, 229, 176, kDefault, owner);
    for (const Row& row : kLayout) this->*row.member = CreateControl(row.def);
    FormCreate();
}

void TfrFileInfo::OnControlEvent(HWND control, ControlEvent event, EventArgs&) {
    if (event == ControlEvent::Click && control == BitBtn1.hwnd) Close();
}
