// The check list box on real list boxes of a shown window: what clicks, double
// clicks and the space bar do to the lines and the events, the procedures and
// properties it installs and gives back, its registry, and the drawn pixels.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/UbrcCheckListBox.h"

namespace {

const int LineHeight = 16;

// What reached the parent's own procedure.
int parentDrawItems = 0;
int parentCommands = 0;

LRESULT CALLBACK TestParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM) ++parentDrawItems;
    if (message == WM_COMMAND) ++parentCommands;
    return DefWindowProcA(window, message, wParam, lParam);
}

struct Events {
    int checkChanges = 0;
    int selChanges = 0;
    TbrcCheckListBox* sender = nullptr;
};

void CountCheckChange(void* owner, TbrcCheckListBox* sender) {
    ++static_cast<Events*>(owner)->checkChanges;
    static_cast<Events*>(owner)->sender = sender;
}

void CountSelChange(void* owner, TbrcCheckListBox*) { ++static_cast<Events*>(owner)->selChanges; }

LPARAM LinePoint(int line) { return MAKELPARAM(20, line * LineHeight + LineHeight / 2); }

void Click(HWND listBox, int line) {
    SendMessageA(listBox, WM_LBUTTONDOWN, MK_LBUTTON, LinePoint(line));
    SendMessageA(listBox, WM_LBUTTONUP, 0, LinePoint(line));
}

LONG_PTR WindowProc(HWND window) { return GetWindowLongPtrA(window, GWLP_WNDPROC); }

class CheckListBox : public testing::Test {
protected:
    static void SetUpTestSuite() {
        InitCheckListBoxes();
        MeasureCheckBoxes();
        WNDCLASSA parentClass = {};
        parentClass.lpfnWndProc = TestParentProc;
        parentClass.hInstance = GetModuleHandleA(nullptr);
        parentClass.lpszClassName = "CheckListBoxTestParent";
        RegisterClassA(&parentClass);
    }
    static void TearDownTestSuite() { DoneCheckListBoxes(); }

    // A box with the lines "zero", "one" (disabled) and "two", counting its events.
    void SetUp() override {
        parent_ = CreateWindowExA(0, "CheckListBoxTestParent", "Check list box test",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
        list_ = NewListBox();
        box_ = NewBox(list_);
        for (const char* text : {"zero", "one", "two"}) box_->AddItem(text);
        box_->SetEnabled(1, false);
        parentDrawItems = parentCommands = 0;
    }
    void TearDown() override {
        box_.reset();
        DestroyWindow(parent_);
    }

    HWND NewListBox() {
        HWND listBox = CreateWindowExA(0, "LISTBOX", "",
                                       WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                                           LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                       0, 0, 200, 100, parent_, nullptr, nullptr, nullptr);
        SendMessageA(listBox, LB_SETITEMHEIGHT, 0, LineHeight);
        return listBox;
    }
    std::unique_ptr<TbrcCheckListBox> NewBox(HWND listBox) {
        auto box = std::make_unique<TbrcCheckListBox>(listBox);
        box->OnCheckChange = {CountCheckChange, &events_};
        box->OnSelChange = {CountSelChange, &events_};
        return box;
    }

    HWND parent_ = nullptr;
    HWND list_ = nullptr;
    std::unique_ptr<TbrcCheckListBox> box_;
    Events events_;
};

// Toggling

TEST_F(CheckListBox, AClickOnAnEnabledLineTogglesItOnceWithOneEvent) {
    Click(list_, 2);
    EXPECT_EQ(box_->GetItemIndex(), 2);
    EXPECT_TRUE(box_->GetChecked(2));
    EXPECT_EQ(events_.checkChanges, 1);
    EXPECT_EQ(events_.sender, box_.get());
    Click(list_, 2);
    EXPECT_FALSE(box_->GetChecked(2));
    EXPECT_EQ(events_.checkChanges, 2);
}

// The clip box of each WM_DRAWITEM, seen before any procedure gets it.
std::vector<RECT> drawClips;

LRESULT CALLBACK RecordDrawClip(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (call->message == WM_DRAWITEM) {
        RECT clip;
        GetClipBox(reinterpret_cast<const DRAWITEMSTRUCT*>(call->lParam)->hDC, &clip);
        drawClips.push_back(clip);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(CheckListBox, AToggleRepaintsOnlyTheCheckAreaOfItsLine) {
    SetFocus(list_);
    box_->SetItemIndex(2);
    UpdateWindow(parent_);
    SendMessageA(list_, WM_LBUTTONDOWN, MK_LBUTTON, LinePoint(2));
    drawClips.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordDrawClip, nullptr, GetCurrentThreadId());
    SendMessageA(list_, WM_LBUTTONUP, 0, LinePoint(2));
    UnhookWindowsHookEx(hook);

    ASSERT_FALSE(drawClips.empty());
    RECT painted = {};
    for (const RECT& clip : drawClips) UnionRect(&painted, &painted, &clip);
    RECT checkArea = {0, 2 * LineHeight, CheckWidth + 2, 3 * LineHeight};
    EXPECT_TRUE(EqualRect(&painted, &checkArea)) << painted.left << "," << painted.top << " "
                                                 << painted.right << "," << painted.bottom;
}

TEST_F(CheckListBox, AClickOnADisabledLineOnlyMakesItCurrent) {
    Click(list_, 1);
    EXPECT_EQ(box_->GetItemIndex(), 1);
    EXPECT_FALSE(box_->GetChecked(1));
    EXPECT_EQ(events_.checkChanges, 0);
}

TEST_F(CheckListBox, TheSpaceBarTogglesTheCurrentLineUnlessItIsDisabled) {
    box_->SetItemIndex(0);
    SendMessageA(list_, WM_CHAR, 'x', 0);
    EXPECT_FALSE(box_->GetChecked(0));
    SendMessageA(list_, WM_CHAR, ' ', 0);
    EXPECT_TRUE(box_->GetChecked(0));
    box_->SetItemIndex(1);
    SendMessageA(list_, WM_CHAR, ' ', 0);
    EXPECT_FALSE(box_->GetChecked(1));
    EXPECT_EQ(events_.checkChanges, 1);
}

TEST_F(CheckListBox, ADoubleClickLeavesTheLineAsItWasWithTwoEvents) {
    Click(list_, 0);
    SendMessageA(list_, WM_LBUTTONDBLCLK, MK_LBUTTON, LinePoint(0));
    SendMessageA(list_, WM_LBUTTONUP, 0, LinePoint(0));
    EXPECT_FALSE(box_->GetChecked(0));
    EXPECT_EQ(events_.checkChanges, 2);
    // The next press starts a click again.
    Click(list_, 0);
    EXPECT_TRUE(box_->GetChecked(0));
}

TEST_F(CheckListBox, AReleaseOverTheListAfterAPressElsewhereDoesNotToggle) {
    box_->SetItemIndex(0);
    SendMessageA(list_, WM_LBUTTONUP, 0, LinePoint(0));
    EXPECT_FALSE(box_->GetChecked(0));
    Click(list_, 0);
    SendMessageA(list_, WM_LBUTTONUP, 0, LinePoint(0));
    EXPECT_TRUE(box_->GetChecked(0));
    EXPECT_EQ(events_.checkChanges, 1);
}

TEST_F(CheckListBox, NoCurrentLineMeansNoToggle) {
    box_->SetItemIndex(-1);
    box_->ToggleCurrent();
    EXPECT_EQ(events_.checkChanges, 0);
}

// Line state

TEST_F(CheckListBox, SetCheckedAndSetEnabledChangeOnlyTheirBitWithoutAnEvent) {
    box_->SetChecked(1, true);
    EXPECT_TRUE(box_->GetChecked(1));
    EXPECT_EQ(box_->GetItemData(1), clbChecked | clbDisabled);
    box_->SetItemData(0, 0x100);
    box_->SetEnabled(0, false);
    box_->SetChecked(0, true);
    EXPECT_EQ(box_->GetItemData(0), 0x105u);
    box_->SetEnabled(0, true);
    box_->SetChecked(0, false);
    EXPECT_EQ(box_->GetItemData(0), 0x100u);
    EXPECT_EQ(events_.checkChanges, 0);
}

TEST_F(CheckListBox, AMissingLineReadsAsCheckedAndDisabled) {
    EXPECT_EQ(box_->GetItemData(3), 0xFFFFFFFFu);
    EXPECT_TRUE(box_->GetChecked(3));
    EXPECT_FALSE(box_->GetEnabled(3));
}

TEST_F(CheckListBox, GetItemTextReturnsALongLineWhole) {
    std::string text;
    for (int i = 0; i < 10000; ++i) text += char('a' + i % 26);
    int index = box_->AddItem(text.c_str());
    EXPECT_EQ(box_->GetItemText(index).CStr(), text);
    EXPECT_STREQ(box_->GetItemText(1).CStr(), "one");
    EXPECT_EQ(box_->GetItemText(99).Length(), 0u);
}

TEST_F(CheckListBox, GetItemRectExtendsOneLinePastTheEnd) {
    RECT rect;
    box_->GetItemRect(3, &rect);
    EXPECT_EQ(rect.top, 3 * LineHeight);
    EXPECT_EQ(rect.bottom, 4 * LineHeight);
    box_->GetItemRect(4, &rect);
    EXPECT_TRUE(IsRectEmpty(&rect) && rect.left == 0 && rect.top == 0);
}

// Parent messages

TEST_F(CheckListBox, SelectionChangesCallOnSelChangeAndOtherNotificationsReachTheParent) {
    SendMessageA(parent_, WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list_));
    EXPECT_EQ(events_.selChanges, 1);
    EXPECT_EQ(parentCommands, 0);
    SendMessageA(parent_, WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK), reinterpret_cast<LPARAM>(list_));
    EXPECT_EQ(parentCommands, 1);
    Click(list_, 2);
    EXPECT_GT(events_.selChanges, 1);
}

TEST_F(CheckListBox, DrawingForAListBoxThatNoBoxServesReachesTheParent) {
    HWND other = NewListBox();
    HDC dc = GetDC(list_);
    DRAWITEMSTRUCT item = {ODT_LISTBOX, 0, 0, ODA_DRAWENTIRE, 0, list_, dc, {0, 0, 200, 16}, 0};
    EXPECT_EQ(SendMessageA(parent_, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item)), 1);
    EXPECT_EQ(parentDrawItems, 0);
    item.hwndItem = other;
    SendMessageA(parent_, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(parentDrawItems, 1);
    ReleaseDC(list_, dc);
}

// Procedures, properties and the registry

TEST_F(CheckListBox, TheLastBoxOnAParentGivesBackItsProcedureAndProperties) {
    HWND secondList = NewListBox();
    LONG_PTR secondListProc = WindowProc(secondList);
    auto second = NewBox(secondList);
    EXPECT_EQ(WindowProc(secondList), reinterpret_cast<LONG_PTR>(CLBWndProc));
    EXPECT_EQ(GetPropA(secondList, "brcCLBWndProc"), second.get());
    EXPECT_EQ(GetPropA(parent_, "brcParentCLBRefCount"), reinterpret_cast<HANDLE>(2));

    box_.reset();
    EXPECT_EQ(WindowProc(parent_), reinterpret_cast<LONG_PTR>(ParentCLBWndProc));
    EXPECT_EQ(GetPropA(parent_, "brcParentCLBRefCount"), reinterpret_cast<HANDLE>(1));
    EXPECT_EQ(GetPropA(parent_, "brcParentCLBWndProc"), reinterpret_cast<HANDLE>(TestParentProc));

    second.reset();
    EXPECT_EQ(WindowProc(parent_), reinterpret_cast<LONG_PTR>(TestParentProc));
    EXPECT_EQ(GetPropA(parent_, "brcParentCLBRefCount"), nullptr);
    EXPECT_EQ(GetPropA(parent_, "brcParentCLBWndProc"), nullptr);
    EXPECT_EQ(WindowProc(secondList), secondListProc);
    EXPECT_EQ(GetPropA(secondList, "brcCLBWndProc"), nullptr);
}

TEST_F(CheckListBox, RemovingTheFirstOfThreeKeepsTheOthersInOrder) {
    auto second = NewBox(NewListBox());
    auto third = NewBox(NewListBox());
    ASSERT_EQ(CLBArray->Count(), 3);
    box_.reset();
    EXPECT_EQ(CLBArray->Count(), 2);
    EXPECT_EQ(CLBArray->Get(0), second.get());
    EXPECT_EQ(CLBArray->Get(1), third.get());
    EXPECT_EQ(CLBArray->IndexOf(third.get()), 1);
}

TEST_F(CheckListBox, AThirtyThirdBoxIsRefusedWithoutHarm) {
    const int capacity = TbrcCLBArray::Capacity;
    std::vector<std::unique_ptr<TbrcCheckListBox>> more;
    for (int i = 1; i <= capacity; ++i) more.push_back(NewBox(NewListBox()));
    TbrcCheckListBox* refused = more.back().get();
    EXPECT_EQ(CLBArray->Count(), capacity);
    EXPECT_EQ(CLBArray->IndexOf(refused), -1);
    EXPECT_EQ(CLBArray->Get(capacity - 1), more[capacity - 2].get());
    EXPECT_EQ(CLBArray->FindByWindow(refused->ListBox()), nullptr);
    EXPECT_EQ(CLBArray->Add(refused), -1);

    more.clear();
    EXPECT_EQ(CLBArray->Count(), 1);
    EXPECT_EQ(GetPropA(parent_, "brcParentCLBRefCount"), reinterpret_cast<HANDLE>(1));
}

// Drawing on a 32-bit bitmap: the line is drawn at (0, 0), 64 by 16 pixels.

class CheckListBoxDrawing : public CheckListBox {
protected:
    void SetUp() override {
        CheckListBox::SetUp();
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 64, -LineHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc_ = CreateCompatibleDC(nullptr);
        oldBitmap_ = SelectObject(dc_, bitmap_);
        HBRUSH canvas = CreateSolidBrush(Canvas);
        FillRect(dc_, &line_, canvas);
        DeleteObject(canvas);
        SetBkColor(dc_, Background);
        SetTextColor(dc_, Text);
    }
    void TearDown() override {
        SelectObject(dc_, oldBitmap_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
        CheckListBox::TearDown();
    }
    COLORREF Pixel(int x, int y) { return GetPixel(dc_, x, y); }
    bool AnyPixel(int left, int right, COLORREF colour) {
        for (int x = left; x < right; ++x) {
            for (int y = 0; y < LineHeight; ++y) {
                if (Pixel(x, y) == colour) return true;
            }
        }
        return false;
    }

    const COLORREF Canvas = RGB(1, 2, 3);
    const COLORREF Background = RGB(10, 20, 30);
    const COLORREF Text = RGB(200, 0, 100);
    const RECT line_ = {0, 0, 64, LineHeight};
    // The box square: 1..14 both ways with the common 13 by 9 metrics; Wine's
    // 56 by 39 bitmap gives 14 by 9, a square 14 wide and 13 high.
    const int x0_ = 1;
    const int y0_ = (LineHeight - CheckWidth) / 2;
    const int x1_ = x0_ + CheckWidth;
    const int y1_ = y0_ + CheckHeight + 4;
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};

TEST_F(CheckListBoxDrawing, TheMetricsAreOneCheckBoxImageOfTheSystemBitmap) {
    BITMAP info = {};
    HBITMAP checkBoxes = LoadBitmapA(nullptr, MAKEINTRESOURCEA(32759));  // OBM_CHECKBOXES
    GetObjectA(checkBoxes, sizeof info, &info);
    DeleteObject(checkBoxes);
    EXPECT_EQ(CheckWidth, info.bmWidth / 4);
    EXPECT_EQ(CheckHeight, info.bmHeight / 4);
    EXPECT_GT(CheckHeight, 0);
}

TEST_F(CheckListBoxDrawing, ALineIsAFlatBoxOnTheLeftAndItsTextOnTheBackground) {
    HGDIOBJ brush = GetCurrentObject(dc_, OBJ_BRUSH);
    HGDIOBJ pen = GetCurrentObject(dc_, OBJ_PEN);
    box_->DrawItem(dc_, 0, 0, line_);

    // Around the box square nothing is painted; its outer ring stays blank,
    // the next one is the frame, and everything inside that is painted.
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    for (int x = x0_; x < x1_; ++x) {
        for (int y = y0_; y < y1_; ++y) {
            bool outer = x == x0_ || x == x1_ - 1 || y == y0_ || y == y1_ - 1;
            bool frame = x == x0_ + 1 || x == x1_ - 2 || y == y0_ + 1 || y == y1_ - 2;
            if (outer) {
                EXPECT_EQ(Pixel(x, y), Canvas) << x << "," << y;
            } else if (frame) {
                EXPECT_EQ(Pixel(x, y), shadow) << x << "," << y;
            } else {
                EXPECT_NE(Pixel(x, y), Canvas) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(Pixel(0, 0), Canvas);
    EXPECT_EQ(Pixel((x0_ + x1_) / 2, (y0_ + y1_) / 2), GetSysColor(COLOR_WINDOW));
    // The text area, filled with the background, holds the text in the text colour.
    EXPECT_EQ(Pixel(CheckWidth + 1, 0), Canvas);
    EXPECT_EQ(Pixel(CheckWidth + 2, 0), Background);
    EXPECT_TRUE(AnyPixel(CheckWidth + 2, 64, Text));

    EXPECT_EQ(GetBkColor(dc_), Background);
    EXPECT_EQ(GetTextColor(dc_), Text);
    EXPECT_EQ(GetCurrentObject(dc_, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc_, OBJ_PEN), pen);
}

// The brush and pen selected into the drawing's DC while it reads the text.
HDC drawingDc = nullptr;
HGDIOBJ drawingBrush = nullptr;
HGDIOBJ drawingPen = nullptr;

LRESULT CALLBACK RecordDrawingObjects(int code, WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<const CWPSTRUCT*>(lParam)->message == LB_GETTEXT) {
        drawingBrush = GetCurrentObject(drawingDc, OBJ_BRUSH);
        drawingPen = GetCurrentObject(drawingDc, OBJ_PEN);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(CheckListBoxDrawing, TheBrushAndPenOfALineAreDeletedWhenItIsDrawn) {
    drawingDc = dc_;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordDrawingObjects, nullptr, GetCurrentThreadId());
    box_->DrawItem(dc_, 0, 0, line_);
    UnhookWindowsHookEx(hook);
    ASSERT_NE(drawingBrush, GetCurrentObject(dc_, OBJ_BRUSH));
    ASSERT_NE(drawingPen, GetCurrentObject(dc_, OBJ_PEN));
    EXPECT_EQ(GetObjectType(drawingBrush), 0u);
    EXPECT_EQ(GetObjectType(drawingPen), 0u);
}

TEST_F(CheckListBoxDrawing, ACheckedLineShowsAMarkInTheBox) {
    box_->SetChecked(0, true);
    box_->DrawItem(dc_, 0, 0, line_);
    EXPECT_EQ(Pixel(x0_ + 1, y0_ + 1), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_TRUE(AnyPixel(x0_ + 2, x1_ - 2, GetSysColor(COLOR_WINDOWTEXT)));
}

TEST_F(CheckListBoxDrawing, ADisabledLineIsGrey) {
    box_->DrawItem(dc_, 1, 0, line_);
    EXPECT_NE(Pixel((x0_ + x1_) / 2, (y0_ + y1_) / 2), GetSysColor(COLOR_WINDOW));
    EXPECT_TRUE(AnyPixel(CheckWidth + 2, 64, GetSysColor(COLOR_GRAYTEXT)));
    EXPECT_FALSE(AnyPixel(CheckWidth + 2, 64, Text));
    EXPECT_EQ(GetTextColor(dc_), Text);
}

TEST_F(CheckListBoxDrawing, ASelectedLineHasTheHighlightColoursInItsTextAreaOnly) {
    box_->DrawItem(dc_, 2, ODS_SELECTED, line_);
    EXPECT_EQ(Pixel(CheckWidth + 1, 0), Canvas);
    EXPECT_EQ(Pixel(CheckWidth + 2, 0), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_TRUE(AnyPixel(CheckWidth + 2, 64, GetSysColor(COLOR_HIGHLIGHTTEXT)));
}

TEST_F(CheckListBoxDrawing, AnEmptyListWithTheFocusGetsOnlyAFocusRectangle) {
    box_->DrawItem(dc_, -1, ODS_FOCUS | ODS_SELECTED, line_);
    EXPECT_EQ(Pixel((x0_ + x1_) / 2, (y0_ + y1_) / 2), Canvas);
    EXPECT_EQ(Pixel(30, 8), Background);
    bool dotted = false;
    for (int x = CheckWidth + 2; x < 64; ++x) dotted = dotted || Pixel(x, 0) != Background;
    EXPECT_TRUE(dotted);
}

}  // namespace
