#include "platform/input_box.h"

#include "platform/forms.h"

namespace {

using K = ControlKind;
constexpr FontSpec kFont{11};

const ControlDef kPrompt{"Prompt", K::Label, 8, 8, 0, 0, "", kFont, nullptr, 0};
const ControlDef kValue{"Value", K::Edit, 8, 26, 256, 21, "", kFont, nullptr, cfTabStop};
const ControlDef kOk{"OK", K::DefaultButton, 108, 60, 75, 25, "OK", kFont, nullptr, cfTabStop};
const ControlDef kCancel{"Cancel", K::Button, 189, 60, 75, 25, "Cancel", kFont, nullptr, cfTabStop};

class TInputBox : public TForm {
public:
    TInputBox(const ::Text& caption, const ::Text& prompt, const ::Text& value)
        : TForm(false) {
        HWND owner = GetActiveWindow();
        RECT at{200, 200, 0, 0};
        if (owner) GetWindowRect(owner, &at);
        CreateDialogFrame(L"TInputBox", To1250(caption), at.left + 40, at.top + 60, 272, 93, kFont, owner);
        Prompt = CreateControl(kPrompt);
        Value = CreateControl(kValue);
        Ok = CreateControl(kOk);
        Cancel = CreateControl(kCancel);
        Prompt.SetText(prompt);
        Value.SetText(value);
        SendMessageW(Value.hwnd, EM_SETSEL, 0, -1);
        SetActiveControl(Value);
    }
    TControl Prompt, Value, Ok, Cancel;

protected:
    void OnControlEvent(HWND control, ControlEvent event, EventArgs& args) override {
        if (event == ControlEvent::Click && control == Ok.hwnd) SetModalResult(mrOk);
        if (event == ControlEvent::Click && control == Cancel.hwnd) SetModalResult(mrCancel);
        // Enter reaches the focused control: the focused button, else OK.
        if (event == ControlEvent::KeyDown && *args.key == VK_RETURN) {
            *args.key = 0;
            SetModalResult(control == Cancel.hwnd ? mrCancel : mrOk);
        }
    }
};

}  // namespace

bool ShowInputBox(const Text& caption, const Text& prompt, Text& value) {
    TInputBox box(caption, prompt, value);
    if (box.ShowModal() != mrOk) return false;
    value = box.Value.Text();
    return true;
}
