// The wizard: one dialog (DIALOG 1) whose six pages share its controls and
// differ in which they show and what they put into them. A page is a TPage;
// Navigate leaves one page and enters the next.
#pragma once

#include <stdint.h>
#include <windows.h>

class TPage {
public:
    virtual ~TPage() = default;
    // Returns a navigation code: 9 goes on to the previous page, 10 enters
    // this one again, 11 goes on to the next; anything else ends navigation.
    virtual int32_t Enter() = 0;
    virtual int32_t Leave() = 0;
    // Commands of the controls that belong to the page; 0 when not handled.
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Asked when Next is pressed, before Leave: false keeps the page on show
    // (the page has told the user why). Back and Cancel do not ask.
    virtual bool AcceptNext();

    HWND Wnd = nullptr;  // the wizard dialog, stored before each Enter
};

const int32_t PageCount = 6;
const int32_t ProgressPage = 5;
// The pages in wizard order; page n is Pages[n - 1].
extern TPage* Pages[PageCount];
// The page on show, 1..6.
extern int32_t CurrentPage;
// Set when the cancel question is answered Yes while the install runs: the
// progress page stops after the running item and takes the run back.
extern bool InstallCancelled;
// Set once the install run has taken back an earlier installation.
extern bool EarlierInstallRemoved;
extern HWND WizardWnd;
extern HWND LinkLabel;
// The link's underlined font, which RunWizard owns while the wizard shows.
extern HFONT LinkFont;

INT_PTR CALLBACK WizardDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Leaves the current page and enters the one `delta` (-1, 0 or +1) away;
// returns the last navigation code. A move beyond the first or the last
// page does nothing and returns 0.
int32_t Navigate(int32_t delta);

// Shows the page text (control 256) with the height of the picture times
// numerator / denominator, keeping its place and width.
void ShowTextArea(HWND dialog, int numerator, int denominator);
void ShowControl(HWND dialog, int id, bool show);
