#pragma once
// The file information dialog: name, size, date and short name of one row.
#include "platform/forms.h"

class TfrFileInfo : public TForm {
public:
    explicit TfrFileInfo(HWND owner);
    TControl lblFile, Label3, lblName, Label4, lblSize, Label5, lblModified, Label6, lblShortName,
        BitBtn1;
    void FormCreate() {}

protected:
    void OnControlEvent(HWND control, ControlEvent event, EventArgs& args) override;
};

// The dialog while it is open, for whoever needs to find it.
extern TfrFileInfo* frFileInfo;
