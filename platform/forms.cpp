#include "platform/forms.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/glyphs.h"
#include "platform/message_loop.h"
#include "platform/owner_list.h"
#include "platform/text.h"

// Wine's own TrueType "MS Sans Serif" has the Windows-1250 letters; the
// charset asks for them explicitly.
const wchar_t* const kDefaultFontFace = L"MS Sans Serif";

namespace {

// Never destroyed: forms kept until the program ends leave it in their destructors.
std::vector<TForm*>& FormsList() {
    static auto* forms = new std::vector<TForm*>;
    return *forms;
}

int busyDepth = 0;                   // handlers at work, nested ones included
std::vector<HWND> closesKept;        // forms to close when the last handler returns
std::vector<TForm*> modalForms;      // forms in ShowModal, innermost last

bool IsListKind(ControlKind kind) { return kind == ControlKind::ListBox || kind == ControlKind::DirectoryList; }
bool IsPushButton(ControlKind kind) {
    return kind == ControlKind::Button || kind == ControlKind::GlyphButton || kind == ControlKind::FlatButton ||
           kind == ControlKind::CloseButton || kind == ControlKind::DefaultButton;
}

std::wstring GetTextW(HWND h) {
    int n = GetWindowTextLengthW(h);
    std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
    n = GetWindowTextW(h, w.data(), n + 1);
    w.resize(static_cast<std::size_t>(n));
    return w;
}

}  // namespace

bool FontSpec::operator<(const FontSpec& o) const {
    return std::tie(height, bold, italic, color) < std::tie(o.height, o.bold, o.italic, o.color);
}

// ---------------------------------------------------------------- TControl

::Text TControl::Text() const { return FromW(GetTextW(hwnd)); }

namespace {
std::uint64_t controlChanges = 0;
}

std::uint64_t ControlChangeCount() { return controlChanges; }

void TControl::SetText(TextView text) {
    ++controlChanges;
    SetWindowTextW(hwnd, W(::Text(text)));
    if (def && def->kind == ControlKind::Label) {
        auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrW(GetParent(hwnd), GWLP_USERDATA));
        if (form) {
            form->FitFontToText(hwnd);
            form->AutoSizeLabel(*this);
        }
    }
}

bool TControl::Checked() const { return SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void TControl::SetChecked(bool checked) {
    ++controlChanges;
    SendMessageW(hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
bool TControl::Visible() const { return IsWindowVisible(hwnd) != 0; }
void TControl::SetVisible(bool visible) { ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE); }
bool TControl::Enabled() const { return IsWindowEnabled(hwnd) != 0; }
void TControl::SetEnabled(bool enabled) { EnableWindow(hwnd, enabled); }

RECT TControl::Bounds() const {
    RECT r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    MoveWindow(hwnd, left, top, width, height, TRUE);
}

void TControl::SetFocus() { ::SetFocus(hwnd); }

void TControl::ClearChoices() { SendMessageW(hwnd, CB_RESETCONTENT, 0, 0); }
void TControl::AddChoice(TextView text) {
    SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(::Text(text))));
}
int TControl::ChoiceIndex() const { return static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0)); }
void TControl::SetChoiceIndex(int index) { SendMessageW(hwnd, CB_SETCURSEL, index, 0); }

void TControl::SetRange(int min, int max) { SendMessageW(hwnd, PBM_SETRANGE32, min, max); }
void TControl::SetPosition(int position) { SendMessageW(hwnd, PBM_SETPOS, position, 0); }
int TControl::Position() const { return static_cast<int>(SendMessageW(hwnd, PBM_GETPOS, 0, 0)); }
void TControl::SetSmooth(bool smooth) {
    LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    style = smooth ? (style | PBS_SMOOTH) : (style & ~static_cast<LONG_PTR>(PBS_SMOOTH));
    SetWindowLongPtrW(hwnd, GWL_STYLE, style);
    InvalidateRect(hwnd, nullptr, TRUE);
}

// ---------------------------------------------------------------- TForm

TForm::TForm(bool ownedByApplication) : owned_(ownedByApplication) {
    if (owned_) FormsList().push_back(this);
}

TForm::~TForm() {
    if (owned_) std::erase(FormsList(), this);
    std::erase(modalForms, this);
    if (hwnd) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }
    for (auto& [key, font] : fonts_) DeleteObject(font);
    for (auto& [h, bmp] : glyphs_) DeleteObject(bmp);
}

const std::vector<TForm*>& TForm::ApplicationForms() { return FormsList(); }

::Text TForm::Caption() const { return FromW(GetTextW(hwnd)); }
void TForm::SetCaption(TextView caption) { SetWindowTextW(hwnd, W(Text(caption))); }
void TForm::Show() { ShowWindow(hwnd, SW_SHOW); UpdateWindow(hwnd); }
void TForm::Close() { PostMessageW(hwnd, WM_CLOSE, 0, 0); }

TForm::BusyScope::BusyScope() { ++busyDepth; }

TForm::BusyScope::~BusyScope() {
    if (--busyDepth > 0) return;
    std::vector<HWND> closes;
    closes.swap(closesKept);
    for (HWND h : closes)
        if (IsWindow(h)) PostMessageW(h, WM_CLOSE, 0, 0);
}

bool TForm::CloseRequested() { return !closesKept.empty(); }

void TForm::DeferClose() {
    if (std::find(closesKept.begin(), closesKept.end(), hwnd) == closesKept.end())
        closesKept.push_back(hwnd);
    if (Tag == StopSignal::Stoppable) Tag = StopSignal::Asked;
    for (TForm* modal : modalForms) modal->SetModalResult(mrCancel);
}

int TForm::ShowModal() {
    HWND owner = GetWindow(hwnd, GW_OWNER);
    if (owner) EnableWindow(owner, FALSE);
    modalResult_ = mrNone;
    modalDone_ = false;
    inModal_ = true;
    Show();
    SetForegroundWindow(hwnd);
    modalForms.push_back(this);
    RunModalLoop(hwnd, modalDone_);  // until a modal result is set or the window is gone
    std::erase(modalForms, this);
    inModal_ = false;
    // The owner first, so that it is the window activated when this one hides.
    if (owner) EnableWindow(owner, TRUE);
    if (hwnd) ShowWindow(hwnd, SW_HIDE);
    if (owner) SetActiveWindow(owner);
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    return modalResult_;
}

void TForm::SetModalResult(int result) {
    modalResult_ = result;
    if (result != mrNone) modalDone_ = true;
}

void TForm::SetActiveControl(const TControl& control) {
    lastFocus_ = control.hwnd;
    if (IsWindowVisible(hwnd) && GetActiveWindow() == hwnd) ::SetFocus(control.hwnd);
}

HWND TForm::MainFormWindow() {
    const auto& forms = FormsList();
    return forms.empty() ? nullptr : forms.front()->hwnd;
}

RECT TForm::OuterBounds() const {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r;
}

void TForm::SetOuterBounds(int left, int top, int width, int height) {
    MoveWindow(hwnd, left, top, width, height, TRUE);
}

namespace {
bool busyCursor = false;  // the application's cursor, over every form
}

void TForm::SetBusyCursor(bool busy) {
    busyCursor = busy;
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

bool TForm::BusyCursor() { return busyCursor; }

namespace {

void RegisterFormClass(const wchar_t* className, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &wc)) return;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
}

}  // namespace

void TForm::CreateFrame(const wchar_t* className, const std::string& caption, int left, int top,
                        int width, int height, FontSpec defaultFont) {
    defaultFont_ = defaultFont;
    RegisterFormClass(className, StaticWndProc);
    CreateFrameWindow(className, caption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, left, top,
                      width, height, nullptr);
}

void TForm::CreateDialogFrame(const wchar_t* className, const std::string& caption, int left,
                              int top, int clientWidth, int clientHeight, FontSpec defaultFont,
                              HWND owner) {
    defaultFont_ = defaultFont;
    RegisterFormClass(className, StaticWndProc);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME);
    CreateFrameWindow(className, caption, style, WS_EX_DLGMODALFRAME, left, top, r.right - r.left,
                      r.bottom - r.top, owner);
}

void TForm::CreateFrameWindow(const wchar_t* className, const std::string& caption, DWORD style,
                              DWORD exStyle, int left, int top, int width, int height, HWND owner) {
    hwnd = CreateWindowExW(WS_EX_CONTROLPARENT | exStyle, className, Widen(caption).c_str(), style,
                           left, top, width, height, owner, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd) throw Exception("The window cannot be created");
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
    SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, 10000);
}

HFONT TForm::FontFor(const FontSpec& wanted) {
    FontSpec key = wanted;
    key.color = kDefaultColor;  // colour is drawn, not part of the font
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    HFONT f = CreateFontW(-wanted.height, 0, 0, 0, wanted.bold ? FW_BOLD : FW_NORMAL, wanted.italic, 0, 0,
                          EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, kDefaultFontFace);
    fonts_[key] = f;
    return f;
}

void TForm::AddHint(HWND control, const char* hint) {
    if (!hint || !*hint) return;
    std::wstring text = Widen(hint);
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND;  // mouse messages are relayed by ControlProc
    ti.hwnd = hwnd;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = text.data();  // the tooltip keeps its own copy
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    if (HWND inner = FindWindowExW(control, nullptr, L"Edit", nullptr)) {
        ti.uId = reinterpret_cast<UINT_PTR>(inner);
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void TForm::FitFontToText(HWND control) {
    const auto def = defs_.find(control);
    if (def == defs_.end()) return;
    const HFONT own = FontFor(def->second->font);
    const HFONT wanted = Fits1250(FromW(GetTextW(control))) ? own : WideFontLike(own);
    // A combo box's own font sets its height too: only its edit changes face.
    HWND target = def->second->kind == ControlKind::ComboBox ? FindWindowExW(control, nullptr, L"Edit", nullptr) : control;
    if (!target) return;
    if (reinterpret_cast<HFONT>(SendMessageW(target, WM_GETFONT, 0, 0)) != wanted)
        SendMessageW(target, WM_SETFONT, reinterpret_cast<WPARAM>(wanted), TRUE);
}

void TForm::AutoSizeLabel(TControl& label) {
    const ControlDef& d = *label.def;
    if (d.height != 0 && !(d.flags & cfWordWrap)) return;
    HDC dc = GetDC(label.hwnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label.hwnd, WM_GETFONT, 0, 0)));
    std::wstring text = GetTextW(label.hwnd);
    RECT rc{0, 0, d.width, 0};
    UINT fmt = DT_CALCRECT | ((d.flags & cfWordWrap) ? DT_WORDBREAK : DT_SINGLELINE);
    if (GetWindowLongPtrW(label.hwnd, GWL_STYLE) & SS_NOPREFIX) fmt |= DT_NOPREFIX;
    DrawTextW(dc, text.empty() ? L" " : text.c_str(), -1, &rc, fmt);
    SelectObject(dc, old);
    ReleaseDC(label.hwnd, dc);
    SetWindowPos(label.hwnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TControl TForm::CreateControl(const ControlDef& d) {
    const wchar_t* cls = L"STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD ex = 0;
    const bool coloured = d.font.color != kDefaultColor;
    switch (d.kind) {
        case ControlKind::Label:
            style |= SS_NOTIFY | ((d.flags & cfWordWrap) ? SS_LEFT : SS_LEFTNOWORDWRAP);
            if (!d.text || !std::strchr(d.text, '&')) style |= SS_NOPREFIX;
            break;
        case ControlKind::Edit:
            cls = L"EDIT"; style |= ES_AUTOHSCROLL; ex = WS_EX_CLIENTEDGE; break;
        case ControlKind::Memo:
            cls = L"EDIT";
            style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL;
            ex = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::ComboBox:
            cls = L"COMBOBOX"; style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL; break;
        case ControlKind::CheckBox: cls = L"BUTTON"; style |= BS_AUTOCHECKBOX; break;
        case ControlKind::RadioButton: cls = L"BUTTON"; style |= BS_AUTORADIOBUTTON; break;
        case ControlKind::DropDownList:
            cls = L"COMBOBOX"; style |= CBS_DROPDOWNLIST | WS_VSCROLL; break;
        case ControlKind::ListBox:
        case ControlKind::DirectoryList:
            cls = L"LISTBOX";
            style |= OwnerListStyle((d.flags & cfMultiSelect) != 0);
            ex = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::Button:
        case ControlKind::CloseButton:
            cls = L"BUTTON"; style |= coloured ? BS_OWNERDRAW : BS_PUSHBUTTON; break;
        case ControlKind::DefaultButton:
            cls = L"BUTTON"; style |= coloured ? BS_OWNERDRAW : BS_DEFPUSHBUTTON; break;
        case ControlKind::GlyphButton: cls = L"BUTTON"; style |= BS_PUSHBUTTON | BS_BITMAP; break;
        case ControlKind::FlatButton: cls = L"BUTTON"; style |= BS_PUSHBUTTON | BS_FLAT; break;
        case ControlKind::ProgressBar: cls = PROGRESS_CLASSW; break;
    }
    if (!(d.flags & cfHidden)) style |= WS_VISIBLE;
    if (d.flags & cfDisabled) style |= WS_DISABLED;
    if (d.flags & cfTabStop) style |= WS_TABSTOP;
    // Radio buttons that follow one another form one group.
    if (!(d.kind == ControlKind::RadioButton && lastKind_ == ControlKind::RadioButton)) style |= WS_GROUP;
    lastKind_ = d.kind;

    int height = d.height;
    if (d.kind == ControlKind::ComboBox || d.kind == ControlKind::DropDownList)
        height = d.height + (d.dropDownCount ? d.dropDownCount : 8) * 13;
    HWND h = CreateWindowExW(ex, cls, Widen(d.text ? d.text : "").c_str(), style, d.left, d.top,
                             d.width, height, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId_++)),
                             GetModuleHandleW(nullptr), nullptr);
    if (!h) throw Exception(std::string("The control cannot be created: ") + d.name);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(d.font)), FALSE);
    defs_[h] = &d;
    if (coloured) textColors_[h] = d.font.color;

    TControl c;
    c.hwnd = h;
    c.def = &d;
    switch (d.kind) {
        case ControlKind::Label: AutoSizeLabel(c); break;
        case ControlKind::ComboBox:
            for (const char* item : d.items)
                SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
            SendMessageW(h, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), d.height - 6);
            SetWindowTextW(h, Widen(d.text ? d.text : "").c_str());
            break;
        case ControlKind::DropDownList:
            for (const char* item : d.items) c.AddChoice(item);
            SendMessageW(h, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), d.height - 6);
            if (!d.items.empty()) c.SetChoiceIndex(0);
            break;
        case ControlKind::ListBox:
        case ControlKind::DirectoryList:
            if (d.itemHeight) SendMessageW(h, LB_SETITEMHEIGHT, 0, d.itemHeight);
            ShowRowsAsText(h);
            break;
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
            if (d.flags & cfChecked) c.SetChecked(true);
            break;
        case ControlKind::GlyphButton: {
            HBITMAP bmp = CreateFolderGlyph();
            glyphs_[h] = bmp;
            SendMessageW(h, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bmp));
            break;
        }
        default: break;
    }
    HookControl(h, h);
    if (d.kind == ControlKind::ComboBox)
        if (HWND inner = FindWindowExW(h, nullptr, L"Edit", nullptr)) HookControl(inner, h);
    AddHint(h, d.hint);
    return c;
}

void TForm::OnControlEvent(HWND, ControlEvent, EventArgs&) {}

namespace {

// A failure that no handler catches is shown in the error box, and the
// program goes on.
template <class Handler>
void Guarded(Handler&& handle) {
    try {
        handle();
    } catch (const Exception& e) {
        ShowError(e.Message());
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
}

}  // namespace

void TForm::RaiseEvent(HWND control, ControlEvent event, EventArgs& args) {
    BusyScope busy;
    Guarded([&] { OnControlEvent(control, event, args); });
}

void TForm::PreviewKey(EventArgs& args) {
    BusyScope busy;
    Guarded([&] { OnFormKeyDown(args); });
}

LRESULT CALLBACK TForm::StaticWndProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* form = static_cast<TForm*>(cs->lpCreateParams);
        form->hwnd = h;
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!form) return DefWindowProcW(h, msg, wParam, lParam);
    return form->WndProc(msg, wParam, lParam);
}

void TForm::AddSystemMenuItem(int id, TextView caption) {
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (!menu) return;
    if (systemItems_.empty()) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    const std::wstring text(caption.begin(), caption.end());
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), text.c_str());
    systemItems_.push_back(id);
}

void TForm::SetSystemMenuItemEnabled(int id, bool enabled) {
    if (HMENU menu = GetSystemMenu(hwnd, FALSE))
        EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_SYSCOMMAND: {
            const int id = static_cast<int>(wParam & 0xFFF0);
            if (std::find(systemItems_.begin(), systemItems_.end(), id) == systemItems_.end()) break;
            OnSystemMenuItem(id);
            return 0;
        }
        case WM_INITMENUPOPUP:
            if (HIWORD(lParam) && !systemItems_.empty()) OnSystemMenuOpening();
            break;
        case WM_COMMAND: {
            ++controlChanges;  // typed, clicked, or set by a message
            HWND ctl = reinterpret_cast<HWND>(lParam);
            if (!ctl || !defs_.count(ctl)) break;
            const int code = HIWORD(wParam);
            const ControlKind kind = defs_[ctl]->kind;
            EventArgs args;
            if (IsListKind(kind)) {
                if (code == LBN_SELCHANGE) RaiseEvent(ctl, ControlEvent::Click, args);
                else if (code == LBN_DBLCLK) RaiseEvent(ctl, ControlEvent::DblClick, args);
            } else if (kind == ControlKind::Edit || kind == ControlKind::Memo) {
                if (code == EN_CHANGE) {
                    FitFontToText(ctl);
                    RaiseEvent(ctl, ControlEvent::Change, args);
                }
            } else if (kind == ControlKind::ComboBox || kind == ControlKind::DropDownList) {
                if (code == CBN_EDITCHANGE) FitFontToText(ctl);
                if (code == CBN_EDITCHANGE || code == CBN_SELCHANGE)
                    RaiseEvent(ctl, ControlEvent::Change, args);
            } else if (code == BN_CLICKED || code == BN_DOUBLECLICKED) {
                RaiseEvent(ctl, ControlEvent::Click, args);
            }
            return 0;
        }
        case WM_SETCURSOR:
            // Children ask their form first, so this covers every control.
            if (!busyCursor) break;
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            auto it = textColors_.find(reinterpret_cast<HWND>(lParam));
            if (it != textColors_.end()) SetTextColor(dc, it->second);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_DRAWITEM: {
            auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (di->CtlType == ODT_LISTBOX && defs_.count(di->hwndItem)) {
                const auto* hook = reinterpret_cast<ControlHook*>(GetWindowLongPtrW(di->hwndItem, GWLP_USERDATA));
                DrawListRow(*di, hook ? &hook->list : nullptr, FontFor(defs_[di->hwndItem]->font),
                            defs_[di->hwndItem]->kind == ControlKind::DirectoryList);
                return TRUE;
            }
            if (di->CtlType != ODT_BUTTON) break;
            RECT rc = di->rcItem;
            const bool pushed = (di->itemState & ODS_SELECTED) != 0;
            DrawFrameControl(di->hDC, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
            auto it = textColors_.find(di->hwndItem);
            const bool disabled = (di->itemState & ODS_DISABLED) != 0;
            SetTextColor(di->hDC, disabled ? GetSysColor(COLOR_GRAYTEXT)
                                           : (it != textColors_.end() ? it->second : GetSysColor(COLOR_BTNTEXT)));
            SetBkMode(di->hDC, TRANSPARENT);
            HGDIOBJ old = SelectObject(di->hDC, FontFor(defs_[di->hwndItem]->font));
            std::wstring text = GetTextW(di->hwndItem);
            RECT tr = rc;
            if (pushed) OffsetRect(&tr, 1, 1);
            DrawTextW(di->hDC, text.c_str(), -1, &tr,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE |
                          ((di->itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0));
            SelectObject(di->hDC, old);
            if (di->itemState & ODS_FOCUS) {
                InflateRect(&rc, -3, -3);
                DrawFocusRect(di->hDC, &rc);
            }
            return TRUE;
        }
        case WM_SIZE:
            for (auto& [h, d] : defs_)
                if (d->flags & cfDockBottom) {
                    RECT cr;
                    GetClientRect(hwnd, &cr);
                    MoveWindow(h, 0, cr.bottom - d->height, cr.right, d->height, TRUE);
                }
            OnResize();
            return 0;
        case WM_NEXTDLGCTL: {
            // What the dialog manager sends for Tab and for a label's access key;
            // a plain window has to act on it itself.
            HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                         : GetNextDlgTabItem(hwnd, GetFocus(), wParam != 0);
            if (target) {
                ::SetFocus(target);
                wchar_t cls[16];
                GetClassNameW(target, cls, 16);
                if (lstrcmpiW(cls, L"Edit") == 0) SendMessageW(target, EM_SETSEL, 0, -1);
            }
            return 0;
        }
        case WM_ACTIVATE:
            // Keep the focused control across deactivation, as dialogs do.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND f = GetFocus();
                if (f && IsChild(hwnd, f)) lastFocus_ = f;
            }
            break;
        case WM_SETFOCUS: {
            HWND target = lastFocus_ && IsWindow(lastFocus_) ? lastFocus_
                                                             : GetNextDlgTabItem(hwnd, nullptr, FALSE);
            if (target) ::SetFocus(target);
            return 0;
        }
        case WM_NCDESTROY: {
            HWND window = hwnd;
            hwnd = nullptr;  // closed: the form may outlive its window
            return DefWindowProcW(window, msg, wParam, lParam);
        }
        case WM_CLOSE:
            if (inModal_) {
                if (modalResult_ == mrNone) SetModalResult(mrCancel);  // hidden by ShowModal
                return 0;
            }
            if (busyDepth > 0) {
                DeferClose();
                return 0;
            }
            break;
        case WM_DESTROY:
            OnClosed();
            return 0;
        default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK TForm::ControlProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* hook = reinterpret_cast<ControlHook*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    TForm* form = hook->form;
    const HWND ctl = hook->target;  // an edit inside a drop-down list speaks for it
    const WNDPROC old = hook->old;
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && form->tooltip_) {
        MSG m{h, msg, wParam, lParam, 0, {}};
        SendMessageW(form->tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
    }
    const ControlKind kind = form->defs_[ctl]->kind;
    EventArgs args;
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDBLCLK:  // a quick second right or middle click is a press as well
        case WM_MBUTTONDBLCLK:
            args.button = msg == WM_LBUTTONDOWN                              ? MouseButton::Left
                          : msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK ? MouseButton::Right
                                                                             : MouseButton::Middle;
            args.shift = (wParam & MK_SHIFT) != 0;
            args.ctrl = (wParam & MK_CONTROL) != 0;
            form->RaiseEvent(ctl, ControlEvent::MouseDown, args);
            break;
        case WM_LBUTTONDBLCLK: {
            if (kind != ControlKind::Edit && kind != ControlKind::ComboBox) break;
            // The edit selects a word and captures the mouse for the button-up,
            // which a modal window opened by the handler would take instead.
            const LRESULT r = CallWindowProcW(old, h, msg, wParam, lParam);
            if (GetCapture() == h) ReleaseCapture();
            form->RaiseEvent(ctl, ControlEvent::DblClick, args);
            return r;
        }
        case WM_SYSKEYDOWN:
            // Alt+Enter is Enter with a modifier; other Alt keys are the menu's.
            if (wParam != VK_RETURN) break;
            {
                // Both before any handler runs, as one that pumps (a listing)
                // would meet the key's followers first: its WM_SYSCHAR goes,
                // which would only beep, and the default handling sees the
                // key-down, which tells it that Alt was not pressed alone.
                // Otherwise releasing Alt enters the menu mode, whose loop
                // holds everything until it is left.
                MSG typed;
                PeekMessageW(&typed, h, WM_SYSCHAR, WM_SYSCHAR, PM_REMOVE);
                CallWindowProcW(old, h, msg, wParam, lParam);
            }
            [[fallthrough]];
        case WM_KEYDOWN: {
            WORD key = static_cast<WORD>(wParam);
            args.key = &key;
            args.shift = GetKeyState(VK_SHIFT) < 0;
            args.ctrl = GetKeyState(VK_CONTROL) < 0;
            args.alt = GetKeyState(VK_MENU) < 0;
            if (form->KeyPreview) {
                form->PreviewKey(args);
                if (key == 0) {
                    // Swallowed: the character that TranslateMessage queued for it goes too.
                    MSG typed;
                    PeekMessageW(&typed, h, WM_CHAR, WM_CHAR, PM_REMOVE);
                    return 0;
                }
            }
            form->RaiseEvent(ctl, ControlEvent::KeyDown, args);
            if (key == 0) return 0;
            if (key == VK_RETURN && IsPushButton(kind)) {
                // Enter clicks the focused push button, as Space does.
                SendMessageW(h, BM_CLICK, 0, 0);
                return 0;
            }
            if (msg == WM_SYSKEYDOWN) return 0;  // its default handling is done
            wParam = key;
            break;
        }
        case WM_PAINT:
            // A list held while it has rows is painted when it is let go.
            if (IsListKind(kind) && hook->list.paintHeld) {
                ValidateRect(h, nullptr);
                return 0;
            }
            break;
        case LB_GETTEXTLEN:
        case LB_GETTEXT: {
            // The rows live here, not in the control: readers such as screen
            // readers still ask the control for them.
            LRESULT result = 0;
            if (IsListKind(kind) && AnswerTextRequest(hook->list, msg, wParam, lParam, result)) return result;
            break;
        }
        case WM_NCDESTROY:
            SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
            SetWindowLongPtrW(h, GWLP_USERDATA, 0);
            break;
        default: break;
    }
    return CallWindowProcW(old, h, msg, wParam, lParam);
}

// Classic subclassing: comctl32's SetWindowSubclass keeps its data in a
// window property, and under Wine every property lookup is a server call,
// which made each list message cost about 100 us.
void TForm::HookControl(HWND h, HWND target) {
    hooks_.push_back(ControlHook{this, nullptr, target, {}});
    ControlHook& hook = hooks_.back();
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&hook));
    hook.old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc)));
}
