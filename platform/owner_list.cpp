#include "platform/owner_list.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>

#include "platform/errors.h"
#include "platform/forms.h"
#include "platform/text.h"

namespace {

bool IsListBox(const TControl& c) {
    return c.def && (c.def->kind == ControlKind::ListBox || c.def->kind == ControlKind::DirectoryList);
}

}  // namespace

DWORD OwnerListStyle(bool multiSelect) {
    // No data: the rows are drawn from the program's own, and a row added
    // costs the control no record; the selection stays the control's.
    return LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_NODATA |
           (multiSelect ? LBS_EXTENDEDSEL : 0);
}

void ShowRowsAsText(HWND list) {
    // Owner-drawn "with strings" tells the platform to fetch a row's text for
    // another process by LB_GETTEXTLEN and LB_GETTEXT, not to hand it the
    // item data. A list box reads its own styles once, when it is made, and
    // the platform reads the window's style each time it passes a message on.
    // Set on the window only, the style leaves the control a no-data list,
    // which cannot be made with strings.
    SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | LBS_HASSTRINGS);
}

bool AnswerTextRequest(ListRows& list, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg != LB_GETTEXTLEN && msg != LB_GETTEXT) return false;
    if (wParam >= list.rows.size()) {
        result = LB_ERR;
        return true;
    }
    const TextView text = list.rows[wParam];
    if (msg == LB_GETTEXTLEN) {
        list.told[wParam] = text.size();
        result = static_cast<LRESULT>(text.size());
        return true;
    }
    // A caller sizes its buffer by the length it was told; a row rewritten
    // since then (a run's "source -> destination") is cut to that length
    // rather than written past the buffer. The platform asks for the length
    // itself right before it fetches a row for another process.
    std::size_t n = text.size();
    const auto told = list.told.find(wParam);
    if (told != list.told.end()) {
        if (told->second < n) n = told->second;
        list.told.erase(told);
    }
    auto* out = reinterpret_cast<wchar_t*>(lParam);
    if (!out) {
        result = LB_ERR;
        return true;
    }
    std::memcpy(out, text.data(), n * sizeof(wchar_t));
    out[n] = L'\0';
    result = static_cast<LRESULT>(n);
    return true;
}

namespace {

// A small closed folder, 13 x 9, its left edge at x and centred on y.
void DrawFolder(HDC dc, int x, int y) {
    HBRUSH yellow = CreateSolidBrush(RGB(255, 224, 96));
    HGDIOBJ oldBrush = SelectObject(dc, yellow);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, x, y - 3, x + 13, y + 5);
    Rectangle(dc, x, y - 5, x + 6, y - 2);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(yellow);
}

}  // namespace

HFONT WideFontLike(HFONT font) {
    static std::unordered_map<HFONT, HFONT> made;
    const auto it = made.find(font);
    if (it != made.end()) return it->second;
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    wcscpy(lf.lfFaceName, L"Tahoma");
    HFONT wide = CreateFontIndirectW(&lf);
    made[font] = wide ? wide : font;
    return made[font];
}

void DrawListRow(const DRAWITEMSTRUCT& di, const ListRows* list, HFONT font, bool indented) {
    RECT rc = di.rcItem;
    if (di.itemAction == ODA_FOCUS || di.itemID == static_cast<UINT>(-1)) {
        DrawFocusRect(di.hDC, &rc);  // the focus rectangle alone, drawn and taken away alike
        return;
    }
    const bool selected = (di.itemState & ODS_SELECTED) != 0;
    FillRect(di.hDC, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(di.hDC, TRANSPARENT);
    SetTextColor(di.hDC, GetSysColor(selected                          ? COLOR_HIGHLIGHTTEXT
                                     : IsWindowEnabled(di.hwndItem) ? COLOR_WINDOWTEXT
                                                                    : COLOR_GRAYTEXT));
    const TextView text = list && di.itemID < list->rows.size() ? list->rows[di.itemID] : TextView();
    HGDIOBJ old = SelectObject(di.hDC, Fits1250(text) ? font : WideFontLike(font));
    if (list && di.itemID < list->rows.size()) {
        RECT tr = rc;
        tr.left += 2;
        if (indented) {
            const int level = di.itemID < list->levels.size() ? list->levels[di.itemID] : 0;
            tr.left += level * 8;
            DrawFolder(di.hDC, tr.left, (rc.top + rc.bottom) / 2);
            tr.left += 17;
        }
        DrawTextW(di.hDC, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()), &tr,
                  DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    }
    SelectObject(di.hDC, old);
    if (di.itemState & ODS_FOCUS) DrawFocusRect(di.hDC, &rc);
}


// ---------------------------------------------------------------- TControl's list part

ListRows& TControl::List() const {
    return reinterpret_cast<TForm::ControlHook*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))->list;
}
RowTexts& TControl::Rows() const { return List().rows; }
std::vector<int>& TControl::Levels() const { return List().levels; }
bool& TControl::Held() const { return List().held; }

int TControl::Count() const {
    if (IsListBox(*this)) return static_cast<int>(Rows().size());
    return static_cast<int>(SendMessageW(hwnd, CB_GETCOUNT, 0, 0));
}

void TControl::CountRows() const {
    ListRows& list = List();
    const std::size_t n = list.rows.size();
    if (list.counted == n) return;
    // An empty control is given its count in one message: nothing of its
    // state (selection, caret, top row) is there to be lost. Rows are added
    // while the drawing is held, where that costs nothing either way.
    if (list.counted == 0) {
        const LRESULT r = SendMessageW(hwnd, LB_SETCOUNT, n, 0);
        if (r != LB_ERR && r != LB_ERRSPACE) {
            list.counted = n;
            return;
        }
    }
    // One row at a time otherwise, or when the control refuses the whole
    // count: the rows it takes stay, the others go.
    while (list.counted < n) {
        const LRESULT r = SendMessageW(hwnd, LB_ADDSTRING, 0, 0);
        if (r == LB_ERR || r == LB_ERRSPACE) {
            list.rows.truncate(list.counted);
            if (list.levels.size() > list.counted) list.levels.resize(list.counted);
            throw Exception("The list cannot take another row");
        }
        ++list.counted;
    }
}

void TControl::Clear() {
    ListRows& list = List();
    if (list.paintHeld) {
        // The rows to come are counted while the drawing is held: see BeginUpdate.
        list.paintHeld = false;
        SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    }
    SendMessageW(hwnd, LB_RESETCONTENT, 0, 0);
    list.rows.clear();
    list.levels.clear();
    list.told.clear();
    list.counted = 0;
}

void TControl::Add(TextView row) {
    // While the list is held the control learns of the new rows at the end,
    // in one message, not one message a row.
    ListRows& list = List();
    list.rows.push_back(row);
    if (!list.held) CountRows();
}

void TControl::AddIndented(TextView row, int level) {
    auto& levels = Levels();
    levels.resize(Rows().size(), 0);
    Add(row);
    levels.resize(Rows().size(), 0);
    levels.back() = level;
}

int TControl::Level(int index) const {
    const auto& levels = Levels();
    return index >= 0 && static_cast<std::size_t>(index) < levels.size() ? levels[static_cast<std::size_t>(index)] : 0;
}

void TControl::SetItemIndex(int index) {
    CountRows();
    if (GetWindowLongPtrW(hwnd, GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL))
        SendMessageW(hwnd, LB_SETCARETINDEX, index, FALSE);
    else
        SendMessageW(hwnd, LB_SETCURSEL, index, 0);
}

::Text TControl::Item(int index) const {
    const auto& rows = Rows();
    return index >= 0 && static_cast<std::size_t>(index) < rows.size() ? ::Text(rows[static_cast<std::size_t>(index)])
                                                                       : ::Text();
}

void TControl::SetItem(int index, TextView row) {
    auto& rows = Rows();
    if (index < 0 || static_cast<std::size_t>(index) >= rows.size()) return;
    rows.set(static_cast<std::size_t>(index), row);
    RECT r;
    if (!Held() && static_cast<std::size_t>(index) < List().counted &&
        SendMessageW(hwnd, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) != LB_ERR)
        InvalidateRect(hwnd, &r, TRUE);
}

// The selection is the control's: it learns of the rows added first.
bool TControl::Selected(int index) const {
    CountRows();
    return SendMessageW(hwnd, LB_GETSEL, index, 0) > 0;
}
void TControl::SetSelected(int index, bool selected) {
    CountRows();
    // LB_SETSEL with TRUE also moves the caret there, which scrolls the list
    // to it; a range of one row selects it and leaves caret and view alone.
    if (selected) SendMessageW(hwnd, LB_SELITEMRANGEEX, index, index);
    else SendMessageW(hwnd, LB_SETSEL, FALSE, index);
}
void TControl::SetAllSelected(bool selected) {
    CountRows();
    SendMessageW(hwnd, LB_SETSEL, selected, -1);
}
void TControl::SetRangeSelected(int first, int last, bool selected) {
    CountRows();
    // A range given backwards is deselected; a single row so would be selected.
    if (selected) SendMessageW(hwnd, LB_SELITEMRANGEEX, first, last);
    else if (first == last) SendMessageW(hwnd, LB_SETSEL, FALSE, first);
    else SendMessageW(hwnd, LB_SELITEMRANGEEX, last, first);
}
int TControl::SelCount() const {
    CountRows();
    LRESULT n = SendMessageW(hwnd, LB_GETSELCOUNT, 0, 0);
    return n == LB_ERR ? 0 : static_cast<int>(n);
}

std::vector<int> TControl::SelectedIndices() const {
    std::vector<int> idx(static_cast<std::size_t>(SelCount()));
    if (!idx.empty()) {
        LRESULT n = SendMessageW(hwnd, LB_GETSELITEMS, idx.size(), reinterpret_cast<LPARAM>(idx.data()));
        idx.resize(n == LB_ERR ? 0 : static_cast<std::size_t>(n));
    }
    return idx;
}

int TControl::ItemIndex() const {
    CountRows();
    return static_cast<int>(SendMessageW(hwnd, LB_GETCARETINDEX, 0, 0));
}
int TControl::TopIndex() const {
    CountRows();
    return static_cast<int>(SendMessageW(hwnd, LB_GETTOPINDEX, 0, 0));
}
void TControl::SetTopIndex(int index) {
    CountRows();
    SendMessageW(hwnd, LB_SETTOPINDEX, index, 0);
}
void TControl::BeginUpdate() {
    if (IsListBox(*this)) {
        ListRows& list = List();
        if (list.held) return;
        list.held = true;
        // A list with rows (a run's, the invert's) only leaves its painting
        // for later. Under Wine, drawing let go by WM_SETREDRAW costs tens of
        // milliseconds each time (the window shown again, its scroll bar
        // drawn), which a run does ten times a second. Rows are added
        // with the drawing held, where their count costs nothing.
        if (list.counted > 0) {
            list.paintHeld = true;
            return;
        }
    }
    SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
}
void TControl::EndUpdate() {
    if (IsListBox(*this) && List().paintHeld) {
        ListRows& list = List();
        list.paintHeld = list.held = false;
        CountRows();
        InvalidateRect(hwnd, nullptr, TRUE);
        return;
    }
    // The drawing is let go however the count ends; a refused row is the
    // listing's failure, not the window's.
    struct LetGo {
        const TControl& c;
        ~LetGo() {
            if (IsListBox(c)) c.Held() = false;
            SendMessageW(c.hwnd, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(c.hwnd, nullptr, TRUE);
        }
    } letGo{*this};
    if (IsListBox(*this)) CountRows();
}

void TControl::Repaint() { UpdateWindow(hwnd); }
void TControl::CompactRows() { Rows().Compact(); }

