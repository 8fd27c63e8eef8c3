#pragma once
// The owner-drawn list box of the forms. It keeps its rows itself and draws
// them, so that a row's text changes in place instead of by a removal and an
// insertion, which move every row behind it. The control holds no data of a
// row (LBS_NODATA): only its count and, in a multiple-selection list, the
// rows' selection, a byte a row under Wine. It still answers LB_GETTEXTLEN
// and LB_GETTEXT with whole rows, to this process and to others (screen
// readers, automation tools). TControl's list operations are defined here.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "text/row_texts.h"
#include "text/text.h"

struct ListRows {
    RowTexts rows;
    std::vector<int> levels;  // a directory list's indentation per row
    bool held = false;        // drawing held by BeginUpdate
    bool paintHeld = false;   // held by leaving its painting for later, not by WM_SETREDRAW
    std::size_t counted = 0;  // the rows the control knows of
    // Lengths that LB_GETTEXTLEN told and LB_GETTEXT has not fetched yet.
    std::unordered_map<WPARAM, std::size_t> told;
};

// The window styles such a list box is made with.
DWORD OwnerListStyle(bool multiSelect);
// Called once the list box is made: its rows go to other processes as text.
void ShowRowsAsText(HWND list);
// LB_GETTEXTLEN and LB_GETTEXT answered from the rows; false for any other message.
// LB_GETTEXT never writes more than the last length told for that row.
bool AnswerTextRequest(ListRows& list, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
// The font for a text with letters beyond Windows-1250: the forms' font is a
// bitmap font of that code page, which draws other letters as blocks. A
// TrueType face of the same size has them, and Windows links it to further
// faces for scripts it lacks. Made once per font.
HFONT WideFontLike(HFONT font);
// One row painted; a directory list's rows are indented by level behind a folder.
void DrawListRow(const DRAWITEMSTRUCT& di, const ListRows* list, HFONT font, bool indented);
