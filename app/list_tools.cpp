// The tools on the result list: invert, Ctrl+A, the list files, Notepad and
// the file information dialog.
#include <memory>

#include "app/uFileInfo.h"
#include "app/uMain.h"
#include "platform/date_text.h"
#include "platform/dialogs.h"
#include "platform/file_stream.h"
#include "platform/fs.h"

namespace {

// One row a line, each ended by CR LF: in Windows-1250 while every row fits
// it, else in UTF-8 behind a byte-order mark, which Notepad reads as such.
// true when written so.
bool WriteRows(const Text& path, const std::vector<Text>& rows) {
    bool fits = true;
    for (const Text& row : rows) fits = fits && Fits1250(row);
    std::string bytes = fits ? std::string() : std::string("\xEF\xBB\xBF");
    for (const Text& row : rows) bytes += (fits ? To1250(row) : ToUtf8(row)) + "\r\n";
    WriteWholeFile(path, bytes);
    return !fits;
}

// The line the "Saved to" boxes add when the file is UTF-8.
const char16_t kSavedAsUtf8[] = u"\rSaved as UTF-8: some names hold letters that Windows-1250 lacks.";

}  // namespace

std::vector<Text> TfrMain::AllRows() const {
    std::vector<Text> rows;
    const int n = ListBox1.Count();
    rows.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) rows.push_back(ListBox1.Item(i));
    return rows;
}

// Invert: neither this nor Ctrl+A raises the list's click, so the counts
// line keeps its numbers. Each run of rows alike flips in one message. It
// pumps like a run, behind the same guard (the selection of a run or a
// listing is theirs); Escape answered Yes stops it, the rows before that
// inverted.
void TfrMain::BitBtn4MouseDown(MouseButton button) {
    if (button != MouseButton::Right) return;
    Operation inverting(*this, AllowAbort);
    if (!inverting.Taken()) return;
    ListCount = ListBox1.Count();
    const std::vector<int> selected = ListBox1.SelectedIndices();  // ascending
    std::size_t next = 0;  // the first selected row not passed yet
    TimedPump pump;
    ListBox1.BeginUpdate();
    for (int first = 0; first < ListCount;) {
        if (AllowAbort) pump.WhenDue();
        if (StopAsked()) break;
        const bool wasSelected = next < selected.size() && selected[next] == first;
        int end = first;
        if (wasSelected) {
            while (next < selected.size() && selected[next] == end) {
                ++next;
                ++end;
            }
        } else {
            end = next < selected.size() ? selected[next] : ListCount;
        }
        ListBox1.SetRangeSelected(first, end - 1, !wasSelected);
        first = end;
    }
    ListBox1.EndUpdate();
}

void TfrMain::BitBtn4KeyDown(WORD&) {}

void TfrMain::ListBox1KeyDown(WORD& key, bool shift, bool ctrl, bool alt) {
    if (key == 'A' && ctrl && !shift && !alt) ListBox1.SetAllSelected(true);
}

void TfrMain::BitBtn5Click() {
    const bool utf8 = WriteRows(BaseDir + u"\\content.txt", AllRows());
    ShowPlainMessage(u"Saved to: \r" + BaseDir + u"\\" + u"\r" + u"content.txt" + (utf8 ? kSavedAsUtf8 : u""));
}

void TfrMain::BitBtn8Click() {
    const Text path = BaseDir + u"\\content.txt";
    WriteRows(path, AllRows());
    StartNotepad(path);
}

// Shared by "Save", "Notepad", "Commands" and "Init": the right button
// saves the selected rows and does nothing else.
void TfrMain::BitBtn5MouseDown(MouseButton button) {
    if (button != MouseButton::Right) return;
    std::vector<Text> rows;
    for (int i : ListBox1.SelectedIndices()) {
        CurrentPath = ListBox1.Item(i);
        rows.push_back(CurrentPath);
    }
    const bool utf8 = WriteRows(BaseDir + u"\\sel_content.txt", rows);
    ShowPlainMessage(u"Selection saved to: \r" + BaseDir + u"\\" + u"\r" + u"sel_content.txt" +
                     (utf8 ? kSavedAsUtf8 : u""));
}

// The current row is the one with the focus rectangle; a relative row is a
// file of the base directory.
void TfrMain::ListBox1DblClick() {
    const int current = ListBox1.ItemIndex();
    if (current < 0 || current >= ListBox1.Count()) return;
    const Text row = ListBox1.Item(current);
    // The row is looked up as a name, never as a pattern.
    if (row.find_first_of(u"?*<>\"") != Text::npos) return;
    DirEnumerator found(RowPath(row), true);
    DirEntry entry;
    if (!found.Next(entry)) return;
    BusyScope busy;
    TfrFileInfo dialog(hwnd);
    frFileInfo = &dialog;
    struct Release {
        ~Release() { frFileInfo = nullptr; }
    } release;
    dialog.lblFile.SetText(row);
    dialog.lblName.SetText(entry.name);
    dialog.lblSize.SetText(std::to_string(entry.size) + " bytes");
    dialog.lblModified.SetText(ShortLocalDate(entry.lastWrite));
    dialog.lblShortName.SetText(entry.shortName.substr(0, 14));
    dialog.ShowModal();
}
