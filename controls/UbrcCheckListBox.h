// A check list box: an owner-drawn list box from a dialog template, turned
// into a list whose lines each carry a check box by attaching a
// TbrcCheckListBox to it. Each line's state lives in the list box's item
// data (bit 0 checked, bit 2 disabled); the object draws the lines, toggles
// a line on a click, a double click or the space bar, and reports toggles
// and selection changes through two events.
//
// The list box must be LBS_OWNERDRAWFIXED | LBS_HASSTRINGS (and LBS_NOTIFY
// for OnSelChange). The object replaces the window procedures of the list
// box and of its parent, and restores them when it goes; it must go while
// both windows still exist.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "util/UAnsiString.h"

class TbrcCheckListBox;

// A procedure called with the sender, bound to an owner object.
struct TNotifyEvent {
    void (*Handler)(void* owner, TbrcCheckListBox* sender) = nullptr;
    void* Owner = nullptr;
    explicit operator bool() const { return Handler != nullptr; }
    void operator()(TbrcCheckListBox* sender) const { Handler(Owner, sender); }
};

// Item data bits of a line.
const uint32_t clbChecked = 1;
const uint32_t clbDisabled = 4;

class TbrcCheckListBox {
public:
    explicit TbrcCheckListBox(HWND listBox);
    ~TbrcCheckListBox();
    TbrcCheckListBox(const TbrcCheckListBox&) = delete;
    TbrcCheckListBox& operator=(const TbrcCheckListBox&) = delete;

    HWND ListBox() const { return listBox_; }
    void Clear();
    // The new line's index, or the list box's negative error.
    int AddItem(const char* text);
    // The whole text, however long.
    AnsiString GetItemText(int index) const;
    bool GetChecked(int index) const;
    // Changes only the item data: no repaint, no event.
    void SetChecked(int index, bool checked);
    bool GetEnabled(int index) const;
    void SetEnabled(int index, bool enabled);
    int GetCount() const;
    // All bits set when the line does not exist (reads as checked and disabled).
    uint32_t GetItemData(int index) const;
    void SetItemData(int index, uint32_t data);
    int GetItemIndex() const;
    void SetItemIndex(int index);
    // The line's rectangle; one past the last line gives the last line's
    // rectangle moved down by its height; `rect` is left as it was when the
    // list box has no such line.
    void GetItemRect(int index, RECT* rect) const;
    // The user's toggle of the current line: nothing on a disabled line or
    // without a current line; repaints the check area and calls OnCheckChange.
    void ToggleCurrent();
    void DrawItem(HDC dc, int index, UINT state, const RECT& rect);
    void DrawCheck(HDC dc, const RECT& area, bool enabled, bool checked);

    TNotifyEvent OnCheckChange;
    TNotifyEvent OnSelChange;

private:
    friend LRESULT CALLBACK CLBWndProc(HWND, UINT, WPARAM, LPARAM);
    int32_t mouseDownCount_ = 0;
    HWND listBox_;
    WNDPROC previousProc_;
};

// The registry of attached check list boxes, through which the shared parent
// procedure finds the object of a list box. It holds at most 32; a 33rd is
// refused (Add returns -1) and its list box is then drawn by nobody.
class TbrcCLBArray {
public:
    static constexpr int Capacity = 32;
    int Add(TbrcCheckListBox* box);
    void Remove(TbrcCheckListBox* box);
    int IndexOf(TbrcCheckListBox* box) const;
    TbrcCheckListBox* FindByWindow(HWND listBox) const;
    void Clear();
    int Count() const { return count_; }
    TbrcCheckListBox* Get(int index) const;

private:
    TbrcCheckListBox* items_[Capacity] = {};
    int count_ = 0;
};

extern TbrcCLBArray* CLBArray;
// A check box image of the system's OBM_CHECKBOXES bitmap; measured when the
// first check list box is made, so that a program that shows none (the
// extraction mode) never loads the system's bitmaps.
extern int CheckWidth;
extern int CheckHeight;
void MeasureCheckBoxes();

// Program start and end: the registry.
void InitCheckListBoxes();
void DoneCheckListBoxes();

LRESULT CALLBACK CLBWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ParentCLBWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
