// The wizard: one dialog (DIALOG 1) whose six pages share its controls and
// differ in which they show and what they put into them. A page is a TPage;
// Navigate leaves one page and enters the next.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "util/URunState.h"

// What a page's Enter asks of the navigation: the previous page, this one
// again, or the next. The values are consecutive: the code minus
// NavigateAgain is the step to take.
const int32_t NavigateBack = 9;
const int32_t NavigateAgain = 10;
const int32_t NavigateForward = 11;

class TPage {
public:
    virtual ~TPage() = default;
    // Returns a navigation code (NavigateBack, NavigateAgain, NavigateForward);
    // anything else ends navigation.
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
// CurrentPage, InstallCancelled and EarlierInstallRemoved are the run's state.
extern HWND WizardWnd;
extern HWND LinkLabel;
// The link's underlined font, which RunWizard owns while the wizard shows.
extern HFONT LinkFont;

// Its creation parameter is why the command line's choice was refused (an
// AnsiString that outlives the dialog), said in a box once the wizard shows;
// null or empty when it was not.
INT_PTR CALLBACK WizardDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Leaves the current page and enters the one `delta` (-1, 0 or +1) away;
// returns the last navigation code. A move beyond the first or the last
// page does nothing and returns 0.
int32_t Navigate(int32_t delta);

// Shows the page text (control 256) with the height of the picture times
// numerator / denominator, keeping its place and width.
void ShowTextArea(HWND dialog, int numerator, int denominator);
void ShowControl(HWND dialog, int id, bool show);
