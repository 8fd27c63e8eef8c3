#pragma once
// The owner-drawn list box of the forms. It keeps its rows itself and draws
// them, so that a row's text changes in place instead of by a removal and an
// insertion, which move every row behind it. It still answers LB_GETTEXTLEN
// and LB_GETTEXT with whole rows, to this process and to others (screen
// readers, automation tools). TControl's list operations are defined here.
#include <windows.h>

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

struct ListRows {
    std::vector<std::string> rows;
    std::vector<int> levels;  // a directory list's indentation per row
    bool held = false;        // drawing held by BeginUpdate
    // Lengths that LB_GETTEXTLEN told and LB_GETTEXT has not fetched yet.
    std::unordered_map<WPARAM, std::size_t> told;
};

// The window styles of such a list box.
DWORD OwnerListStyle(bool multiSelect);
// LB_GETTEXTLEN and LB_GETTEXT answered from the rows; false for any other message.
// LB_GETTEXT never writes more than the last length told for that row.
bool AnswerTextRequest(ListRows& list, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
// One row painted; a directory list's rows are indented by level behind a folder.
void DrawListRow(const DRAWITEMSTRUCT& di, const ListRows* list, HFONT font, bool indented);
