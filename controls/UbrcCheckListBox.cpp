// OBM_CHECKBOXES is declared only with OEMRESOURCE.
#define OEMRESOURCE
#include "controls/UbrcCheckListBox.h"

#include "util/UScoped.h"

namespace {

// The object that serves a list box, on the list box.
const char* const BoxProperty = "brcCLBWndProc";
// On the parent: its procedure before the first check list box replaced it,
// and how many check list boxes it holds.
const char* const ParentProcProperty = "brcParentCLBWndProc";
const char* const RefCountProperty = "brcParentCLBRefCount";

LONG_PTR WindowProc(HWND window) { return GetWindowLongPtrA(window, GWLP_WNDPROC); }

void SetWindowProc(HWND window, LONG_PTR proc) { SetWindowLongPtrA(window, GWLP_WNDPROC, proc); }

intptr_t RefCount(HWND parent) { return reinterpret_cast<intptr_t>(GetPropA(parent, RefCountProperty)); }

void SetRefCount(HWND parent, intptr_t count) {
    SetPropA(parent, RefCountProperty, reinterpret_cast<HANDLE>(count));
}

// The list box's rectangle of a line; false, leaving `rect` as it was, when
// the list box refuses the index.
bool LineRect(HWND listBox, int index, RECT* rect) {
    RECT answer;
    LRESULT result = SendMessageA(listBox, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&answer));
    if (result == LB_ERR) return false;
    *rect = answer;
    return true;
}

}  // namespace

TbrcCLBArray* CLBArray = nullptr;
int CheckWidth = 0;
int CheckHeight = 0;

void InitCheckListBoxes() { CLBArray = new TbrcCLBArray; }

void MeasureCheckBoxes() {
    if (CheckWidth != 0) return;
    // The bitmap holds four columns of images; its height is divided by 4 as
    // well, which gives the usual 13 by 9 from the common 52 by 39 bitmap.
    BITMAP info = {};
    TGdiObject<HBITMAP> checkBoxes(LoadBitmapA(nullptr, MAKEINTRESOURCEA(OBM_CHECKBOXES)));
    GetObjectA(checkBoxes.Get(), sizeof info, &info);
    CheckWidth = info.bmWidth / 4;
    CheckHeight = info.bmHeight / 4;
}

void DoneCheckListBoxes() {
    delete CLBArray;
    CLBArray = nullptr;
}

int TbrcCLBArray::Add(TbrcCheckListBox* box) {
    if (count_ == Capacity) return -1;
    items_[count_] = box;
    return count_++;
}

void TbrcCLBArray::Remove(TbrcCheckListBox* box) {
    int index = IndexOf(box);
    if (index < 0) return;
    for (int i = index + 1; i < count_; ++i) items_[i - 1] = items_[i];
    --count_;
}

int TbrcCLBArray::IndexOf(TbrcCheckListBox* box) const {
    for (int i = 0; i < count_; ++i) {
        if (items_[i] == box) return i;
    }
    return -1;
}

TbrcCheckListBox* TbrcCLBArray::FindByWindow(HWND listBox) const {
    for (int i = 0; i < count_; ++i) {
        if (items_[i]->ListBox() == listBox) return items_[i];
    }
    return nullptr;
}

void TbrcCLBArray::Clear() { count_ = 0; }

TbrcCheckListBox* TbrcCLBArray::Get(int index) const {
    return index >= 0 && index < count_ ? items_[index] : nullptr;
}

TbrcCheckListBox::TbrcCheckListBox(HWND listBox)
    : listBox_(listBox), previousProc_(reinterpret_cast<WNDPROC>(WindowProc(listBox))) {
    MeasureCheckBoxes();
    // The property comes first: the new procedure looks for it at once.
    SetPropA(listBox_, BoxProperty, this);
    SetWindowProc(listBox_, reinterpret_cast<LONG_PTR>(CLBWndProc));

    HWND parent = GetParent(listBox_);
    if (WindowProc(parent) == reinterpret_cast<LONG_PTR>(ParentCLBWndProc)) {
        SetRefCount(parent, RefCount(parent) + 1);
    } else {
        SetPropA(parent, ParentProcProperty, reinterpret_cast<HANDLE>(WindowProc(parent)));
        SetWindowProc(parent, reinterpret_cast<LONG_PTR>(ParentCLBWndProc));
        SetRefCount(parent, 1);
    }
    CLBArray->Add(this);
}

TbrcCheckListBox::~TbrcCheckListBox() {
    CLBArray->Remove(this);

    // The last check list box of the parent gives it back its own procedure.
    HWND parent = GetParent(listBox_);
    intptr_t count = RefCount(parent);
    if (count - 1 > 0) {
        SetRefCount(parent, count - 1);
    } else {
        SetWindowProc(parent, reinterpret_cast<LONG_PTR>(GetPropA(parent, ParentProcProperty)));
        RemovePropA(parent, ParentProcProperty);
        RemovePropA(parent, RefCountProperty);
    }

    SetWindowProc(listBox_, reinterpret_cast<LONG_PTR>(previousProc_));
    RemovePropA(listBox_, BoxProperty);
}

void TbrcCheckListBox::Clear() { SendMessageA(listBox_, LB_RESETCONTENT, 0, 0); }

int TbrcCheckListBox::AddItem(const char* text) {
    return static_cast<int>(SendMessageA(listBox_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

AnsiString TbrcCheckListBox::GetItemText(int index) const {
    AnsiString text;
    LRESULT length = SendMessageA(listBox_, LB_GETTEXTLEN, index, 0);
    if (length <= 0) return text;
    text.SetLength(static_cast<size_t>(length));
    LRESULT copied = SendMessageA(listBox_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.Data()));
    // The length asked first may exceed the characters copied (double-byte
    // texts), never fall short of them.
    text.SetLength(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

bool TbrcCheckListBox::GetChecked(int index) const { return (GetItemData(index) & clbChecked) != 0; }

void TbrcCheckListBox::SetChecked(int index, bool checked) {
    uint32_t data = GetItemData(index);
    SetItemData(index, checked ? data | clbChecked : data & ~clbChecked);
}

bool TbrcCheckListBox::GetEnabled(int index) const { return (GetItemData(index) & clbDisabled) == 0; }

void TbrcCheckListBox::SetEnabled(int index, bool enabled) {
    uint32_t data = GetItemData(index);
    SetItemData(index, enabled ? data & ~clbDisabled : data | clbDisabled);
}

int TbrcCheckListBox::GetCount() const {
    return static_cast<int>(SendMessageA(listBox_, LB_GETCOUNT, 0, 0));
}

uint32_t TbrcCheckListBox::GetItemData(int index) const {
    // LB_ERR (-1) for a missing line: all bits set.
    return static_cast<uint32_t>(SendMessageA(listBox_, LB_GETITEMDATA, index, 0));
}

void TbrcCheckListBox::SetItemData(int index, uint32_t data) {
    SendMessageA(listBox_, LB_SETITEMDATA, index, static_cast<LPARAM>(data));
}

int TbrcCheckListBox::GetItemIndex() const {
    return static_cast<int>(SendMessageA(listBox_, LB_GETCURSEL, 0, 0));
}

void TbrcCheckListBox::SetItemIndex(int index) { SendMessageA(listBox_, LB_SETCURSEL, index, 0); }

void TbrcCheckListBox::GetItemRect(int index, RECT* rect) const {
    int count = GetCount();
    if (index < count || index == 0) {
        LineRect(listBox_, index, rect);
    } else if (index == count) {
        if (LineRect(listBox_, index - 1, rect)) OffsetRect(rect, 0, rect->bottom - rect->top);
    } else {
        SetRectEmpty(rect);
    }
}

void TbrcCheckListBox::ToggleCurrent() {
    // A missing line reads as disabled, so no current line stops here too.
    int index = GetItemIndex();
    if (!GetEnabled(index)) return;
    SetChecked(index, !GetChecked(index));

    // Only the check area is repainted, at once, so the mark follows the
    // click without the text flickering.
    RECT area = {};
    GetItemRect(index, &area);
    area.right = area.left + CheckWidth + 2;
    InvalidateRect(listBox_, &area, TRUE);
    UpdateWindow(listBox_);

    if (OnCheckChange) OnCheckChange(this);
}

void TbrcCheckListBox::DrawItem(HDC dc, int index, UINT state, const RECT& rect) {
    bool selected = index >= 0 && (state & ODS_SELECTED);
    COLORREF background = selected ? GetSysColor(COLOR_HIGHLIGHT) : GetBkColor(dc);
    COLORREF text = selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetTextColor(dc);
    TGdiObject<HBRUSH> brush(CreateSolidBrush(background));
    TGdiObject<HPEN> pen(CreatePen(PS_SOLID, 0, text));
    TSelectedObject brushSelected(dc, brush.Get());
    TSelectedObject penSelected(dc, pen.Get());
    COLORREF oldBackground = SetBkColor(dc, background);
    COLORREF oldText = SetTextColor(dc, text);

    RECT checkArea = rect;
    checkArea.right = rect.left + CheckWidth + 2;
    RECT textArea = rect;
    textArea.left = checkArea.right;

    if (index < 0) {
        // An empty list with the focus: only its focus rectangle shows.
        FillRect(dc, &textArea, brush.Get());
    } else {
        bool enabled = GetEnabled(index);
        DrawCheck(dc, checkArea, enabled, GetChecked(index));
        if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        FillRect(dc, &textArea, brush.Get());
        AnsiString line = GetItemText(index);
        DrawTextA(dc, line.CStr(), static_cast<int>(line.Length()), &textArea,
                  DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        if (!enabled) SetTextColor(dc, text);
    }
    // The text area was filled first, so an earlier focus rectangle is gone.
    if (state & ODS_FOCUS) DrawFocusRect(dc, &textArea);

    SetBkColor(dc, oldBackground);
    SetTextColor(dc, oldText);
}

void TbrcCheckListBox::DrawCheck(HDC dc, const RECT& area, bool enabled, bool checked) {
    // The box is square, so its width places it in both directions.
    int x0 = area.left + (area.right - area.left - CheckWidth) / 2;
    int y0 = area.top + (area.bottom - area.top - CheckWidth) / 2;
    int x1 = x0 + CheckWidth;
    int y1 = y0 + CheckHeight + 4;
    UINT frameState = DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0) | (enabled ? 0 : DFCS_INACTIVE);

    // A flat frame, filled with the line's background by the brush DrawItem selected.
    {
        TGdiObject<HPEN> pen(CreatePen(PS_SOLID, 0, GetSysColor(COLOR_BTNSHADOW)));
        TSelectedObject selected(dc, pen.Get());
        Rectangle(dc, x0 + 1, y0 + 1, x1 - 1, y1 - 1);
    }

    // The clip cuts away the system box's own sunken border, leaving its
    // interior and mark inside the flat frame.
    int saved = SaveDC(dc);
    IntersectClipRect(dc, x0 + 2, y0 + 2, x1 - 2, y1 - 2);
    RECT box = {x0, y0, x1, y1};
    DrawFrameControl(dc, &box, DFC_BUTTON, frameState);
    RestoreDC(dc, saved);
}

LRESULT CALLBACK CLBWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TbrcCheckListBox* box = static_cast<TbrcCheckListBox*>(GetPropA(window, BoxProperty));
    // Taken first: an OnCheckChange handler may free the object.
    WNDPROC previous = box->previousProc_;
    // The toggle happens before the list box sees the release, but the press
    // has already made the pressed line current, so a click anywhere on a
    // line toggles that line. A double click toggles twice (release, then
    // double click) and its second release brings the count below 0.
    switch (message) {
    case WM_CHAR:
        if (wParam == ' ') box->ToggleCurrent();
        break;
    case WM_LBUTTONDOWN: box->mouseDownCount_ = 1; break;
    case WM_LBUTTONUP:
        if (--box->mouseDownCount_ == 0) box->ToggleCurrent();
        break;
    case WM_LBUTTONDBLCLK: box->ToggleCurrent(); break;
    }
    return CallWindowProcA(previous, window, message, wParam, lParam);
}

LRESULT CALLBACK ParentCLBWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Drawing and selection changes of our list boxes stop here; the
    // parent's own procedure sees everything else.
    if (message == WM_DRAWITEM) {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        TbrcCheckListBox* box = CLBArray->FindByWindow(item->hwndItem);
        if (item->CtlType == ODT_LISTBOX && box) {
            box->DrawItem(item->hDC, static_cast<int>(item->itemID), item->itemState, item->rcItem);
            return 1;
        }
    } else if (message == WM_COMMAND && HIWORD(wParam) == LBN_SELCHANGE) {
        TbrcCheckListBox* box = CLBArray->FindByWindow(reinterpret_cast<HWND>(lParam));
        if (box) {
            if (box->OnSelChange) box->OnSelChange(box);
            return 1;
        }
    }
    WNDPROC previous = reinterpret_cast<WNDPROC>(GetPropA(window, ParentProcProperty));
    return CallWindowProcA(previous, window, message, wParam, lParam);
}
