#include "app/uMain.h"
#include "chooser/fvybersoub_2.h"

namespace {

// The chosen directory goes into the edit (its edit rule runs), the filter
// of the chooser into the mask, for either edit.
void ChooseInto(TfrMain& form, TControl& edit) {
    // A chooser moves the current directory, which a run resolves its rows
    // against: none opens during a run, and none starts from the chooser's
    // pump. A close request cancels the chooser and waits for it.
    TfrMain::Operation choosing(form, false);
    if (!choosing.Taken()) return;
    Text mask = form.Edit2.Text();
    Text directory;
    ChooseDirectory(mask, directory);
    edit.SetText(directory);
    form.Edit2.SetText(mask);
}

}  // namespace

void TfrMain::BitBtn2Click() { ChooseInto(*this, Edit1); }
void TfrMain::BitBtn3Click() { ChooseInto(*this, Edit3); }
