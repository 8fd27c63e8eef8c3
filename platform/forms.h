#pragma once
// Forms and their controls, built from layout tables. This is the only place
// that spells the standard controls' messages; the windows above it speak in
// controls, captions, selections and handlers.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/owner_list.h"
#include "transfer/stop_signal.h"

enum class ControlKind {
    Label, Edit, ComboBox, CheckBox, RadioButton, ListBox,
    Button, GlyphButton, FlatButton, CloseButton, ProgressBar, Memo,
    DropDownList,   // a drop-down list that cannot be typed into
    DirectoryList,  // a list box whose rows are indented folders
    DefaultButton   // the push button that Enter means
};

// How a modal form was closed.
constexpr int mrNone = 0, mrOk = 1, mrCancel = 2;

// Colours as the layout names them (COLORREF is 0x00BBGGRR).
constexpr COLORREF kDefaultColor = CLR_INVALID;
constexpr COLORREF clNavy = RGB(0, 0, 128), clMaroon = RGB(128, 0, 0), clRed = RGB(255, 0, 0),
                   clGreen = RGB(0, 128, 0), clPurple = RGB(128, 0, 128),
                   clTeal = RGB(0, 128, 128), clGray = RGB(128, 128, 128);

struct FontSpec {
    int height = 11;  // character height in pixels
    bool bold = false;
    bool italic = false;
    COLORREF color = kDefaultColor;
    bool operator<(const FontSpec& o) const;
};

enum ControlFlag : unsigned {
    cfHidden = 1u << 0,
    cfChecked = 1u << 1,
    cfWordWrap = 1u << 2,
    cfDisabled = 1u << 3,
    cfTabStop = 1u << 4,   // reached with Tab
    cfDockBottom = 1u << 5,
    cfMultiSelect = 1u << 6,
    cfScrollBars = 1u << 7,
};

// One row of a layout table. Width and height 0 on a label: sized to its text.
struct ControlDef {
    const char* name;
    ControlKind kind;
    int left, top, width, height;
    const char* text;        // caption or start text; a memo's lines are separated by "\r\n"
    FontSpec font;
    const char* hint;        // shown as a tooltip; nullptr for none
    unsigned flags;
    std::vector<const char*> items = {};  // drop-down list items
    int itemHeight = 0;      // list box row height
    int dropDownCount = 0;   // lines a drop-down list shows
};

enum class MouseButton { Left, Right, Middle };
enum class ControlEvent { Click, Change, DblClick, MouseDown, KeyDown };

struct EventArgs {
    MouseButton button = MouseButton::Left;
    WORD* key = nullptr;        // KeyDown: may be set to 0 to swallow the key
    bool shift = false, ctrl = false, alt = false;
};

class TForm;

// A thin handle on one child window of a form.
class TControl {
public:
    HWND hwnd = nullptr;
    const ControlDef* def = nullptr;

    const char* Name() const { return def ? def->name : ""; }
    ::Text Text() const;
    void SetText(TextView text);
    bool Checked() const;
    void SetChecked(bool checked);
    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    RECT Bounds() const;  // left, top, right, bottom in the form's client area
    void SetBounds(int left, int top, int width, int height);
    void SetFocus();

    // List box
    int Count() const;
    void Clear();
    void Add(TextView row);
    ::Text Item(int index) const;
    void SetItem(int index, TextView row);
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    void SetAllSelected(bool selected);
    void SetRangeSelected(int first, int last, bool selected);  // rows first to last; caret and view stay
    int SelCount() const;
    std::vector<int> SelectedIndices() const;
    int ItemIndex() const;
    int TopIndex() const;
    void SetTopIndex(int index);
    void AddIndented(TextView row, int level);  // a directory list's row
    int Level(int index) const;
    void SetItemIndex(int index);  // the caret row; the selected row of a single-selection list
    void BeginUpdate();  // no repaint while rows are added; the control learns of them at the end
    void EndUpdate();
    void Repaint();      // paints what is invalid now, without waiting for the queue
    // Gives back the memory that rewritten rows left unused: once a listing
    // or a run has ended, never in its course.
    void CompactRows();

    // Drop-down list
    void ClearChoices();
    void AddChoice(TextView text);
    int ChoiceIndex() const;  // -1 for none
    void SetChoiceIndex(int index);

    // Progress bar
    void SetRange(int min, int max);
    void SetPosition(int position);
    int Position() const;
    void SetSmooth(bool smooth);

    // Windows-1250 forms: the program's own fixed texts, and the tests' byte literals.
    std::string Text1250() const { return To1250(Text()); }
    std::string Item1250(int index) const { return To1250(Item(index)); }
    void SetText(const std::string& text) { SetText(From1250(text)); }
    void SetText(const char* text) { SetText(From1250(text)); }
    void Add(const std::string& row) { Add(From1250(row)); }
    void SetItem(int index, const std::string& row) { SetItem(index, From1250(row)); }
    void AddIndented(const std::string& row, int level) { AddIndented(From1250(row), level); }
    void AddChoice(const std::string& text) { AddChoice(From1250(text)); }

private:
    ListRows& List() const;
    RowTexts& Rows() const;
    std::vector<int>& Levels() const;
    bool& Held() const;
    // Tells the control of the rows added since it last counted them.
    void CountRows() const;
};

// Grows whenever a control may have changed: a notification from any
// control, or a text or check state set through TControl. Readers of many
// options read them again only when it has moved.
std::uint64_t ControlChangeCount();

// A top-level window with controls from a layout table. Forms owned by the
// application are listed in Application order (the Escape hook walks them).
class TForm {
public:
    explicit TForm(bool ownedByApplication);
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    HWND hwnd = nullptr;
    int Tag = StopSignal::Idle;  // the state of the form's long operation (transfer/stop_signal.h)
    // The one stop test of every long loop: the user has asked to stop.
    bool StopAsked() const { return Tag == StopSignal::Asked; }

    ::Text Caption() const;
    void SetCaption(TextView caption);
    void SetCaption(const std::string& caption) { SetCaption(From1250(caption)); }
    void Show();
    void Close();
    RECT OuterBounds() const;
    void SetOuterBounds(int left, int top, int width, int height);
    // Shows the form with its owner disabled until it is closed or given a
    // modal result; returns that result (mrCancel when it was closed). The
    // window is hidden afterwards, not destroyed.
    int ShowModal();
    void SetModalResult(int result);
    int ModalResult() const { return modalResult_; }
    // The key handler of the form sees every key before its controls do.
    bool KeyPreview = false;
    // Gives the focus to control now or, while the form is hidden, when it is shown.
    void SetActiveControl(const TControl& control);
    // The window of the application's first form (the main window), or none.
    static HWND MainFormWindow();
    // The hourglass over every form until it is turned off again.
    static void SetBusyCursor(bool busy);
    static bool BusyCursor();

    // The forms owned by the application, first created first.
    static const std::vector<TForm*>& ApplicationForms();

    // Held by every handler while it works. A close request that arrives
    // meanwhile (the Close button, the close box, Alt+F4) does not destroy
    // the window under the handler: it stops a run as a confirmed Escape
    // does (a stoppable Tag becomes Asked), cancels the modal forms, and the window
    // closes when the last handler has returned.
    class BusyScope {
    public:
        BusyScope();
        ~BusyScope();
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;
    };
    // A close request is waiting for the handlers to return.
    static bool CloseRequested();

protected:
    // Outer bounds; a dialog frame takes its client size instead and is owned by owner.
    void CreateFrame(const wchar_t* className, const std::string& caption, int left, int top,
                     int width, int height, FontSpec defaultFont);
    void CreateDialogFrame(const wchar_t* className, const std::string& caption, int left, int top,
                           int clientWidth, int clientHeight, FontSpec defaultFont, HWND owner);
    TControl CreateControl(const ControlDef& def);
    virtual void OnControlEvent(HWND control, ControlEvent event, EventArgs& args);
    // With KeyPreview: a key-down for any control; key set to 0 swallows it.
    virtual void OnFormKeyDown(EventArgs&) {}
    virtual void OnResize() {}
    virtual void OnClosed() {}
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // An item of the window's system menu (the menu of its caption icon),
    // below a separator: id is a multiple of 16 below 0xF000.
    void AddSystemMenuItem(int id, TextView caption);
    void SetSystemMenuItemEnabled(int id, bool enabled);
    virtual void OnSystemMenuItem(int /*id*/) {}
    // The system menu is about to open: its items' state is brought up to date.
    virtual void OnSystemMenuOpening() {}

private:
    void CreateFrameWindow(const wchar_t* className, const std::string& caption, DWORD style,
                           DWORD exStyle, int left, int top, int width, int height, HWND owner);
    static LRESULT CALLBACK StaticWndProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ControlProc(HWND, UINT, WPARAM, LPARAM);
    void HookControl(HWND control, HWND eventTarget);
    struct ControlHook {
        TForm* form;
        WNDPROC old;
        HWND target;
        ListRows list;  // a list box's rows (platform/owner_list.h)
    };
    std::deque<ControlHook> hooks_;
    void RaiseEvent(HWND control, ControlEvent event, EventArgs& args);
    void PreviewKey(EventArgs& args);
    HFONT FontFor(const FontSpec& wanted);
    void AddHint(HWND control, const char* hint);
    void AutoSizeLabel(TControl& label);
    // An edit's or a label's text with letters beyond Windows-1250 is shown
    // in the TrueType face of its font's size, any other in its own font.
    void FitFontToText(HWND control);
    friend class TControl;

    void DeferClose();
    std::vector<int> systemItems_;
    bool owned_;
    int modalResult_ = mrNone;
    bool inModal_ = false;
    bool modalDone_ = false;
    int nextId_ = 100;
    ControlKind lastKind_ = ControlKind::Label;
    HWND tooltip_ = nullptr;
    HWND lastFocus_ = nullptr;
    FontSpec defaultFont_;
    std::map<FontSpec, HFONT> fonts_;
    std::map<HWND, COLORREF> textColors_;
    std::map<HWND, const ControlDef*> defs_;
    std::map<HWND, HBITMAP> glyphs_;
};

// The default face of every form.
extern const wchar_t* const kDefaultFontFace;
