// Drives the installation wizard of this test program as a user would: the
// wizard runs on a thread of its own (as in setup.exe, a modal dialog), and
// the test reads its controls and presses its buttons from outside.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Moves the pointer to the top left corner of the screen, where no window of
// the tests opens. Left over the wizard's check list, it would have the
// display report a mouse move whenever a window opens or closes under it, and
// a move that comes between a click's press and release selects the line
// under the pointer instead of the one clicked. Called once, before any
// window of the program opens.
void ParkPointer();

class WizardDriver {
public:
    // Starts the wizard of this program on a thread of its own and waits for
    // its dialog.
    WizardDriver();
    // Starts a program that shows the wizard (setup.exe) and waits for its dialog.
    WizardDriver(const std::string& commandLine, const std::string& currentDir);
    // Ends a wizard that is still open (Cancel, Yes) and waits for its end.
    ~WizardDriver();
    WizardDriver(const WizardDriver&) = delete;
    WizardDriver& operator=(const WizardDriver&) = delete;

    HWND Dialog() const { return dialog_; }
    HWND Control(int id) const { return GetDlgItem(dialog_, id); }
    // The control's text; empty when the wizard does not answer within a minute.
    std::string Text(int id) const;
    bool Visible(int id) const { return IsWindowVisible(Control(id)) != 0; }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != 0; }
    // Whether the control has the keyboard focus, or gets it within `waitMs`.
    bool HasFocus(int id, DWORD waitMs = 0) const;

    // A click on a button, handled before this returns; false, and nothing
    // sent, when the button is disabled or hidden, as a user could not click it.
    // Also false when the click is not handled within a minute (a box that
    // nobody answers), so that a test fails rather than hangs.
    bool Press(int id);
    // Returns once the wizard has handled what it was sent before.
    void Sync() const;
    // A click on a button, posted: for Start, which runs the whole install.
    void PressLater(int id);
    // A mouse click on the button, posted as press and release: the install
    // loop serves such input between two items.
    void PostMouseClick(int id);
    void SetFolder(const std::string& folder);
    // Types over the text of the control that has the keyboard focus, as an
    // input method does: one WM_CHAR per UTF-16 character. True once the
    // control shows the text.
    bool Type(const std::wstring& text);
    // A key pressed and released where the system delivers it: to the
    // window of the wizard's thread that has the keyboard focus. False when
    // none has it (the key goes nowhere).
    bool PressKey(UINT key);

    // Check list rows: item data of each line, and the user's toggles.
    std::vector<unsigned> RowStates() const;
    // A mouse click on a line, with the pointer taken there; true when the
    // line's check mark then toggled (or stayed, for a disabled line).
    bool ClickRow(int row);
    void SpaceOnRow(int row);

    // A message box of the wizard's thread with this caption; null on timeout.
    HWND WaitForBox(const char* caption, DWORD timeoutMs) const;
    // Whether no box with this caption shows: once the wizard has handled
    // what it was sent, and for a grace period after, in which one would.
    bool ShowsNoBox(const char* caption) const;
    // Another dialog of the wizard's thread (the folder dialog, Customize).
    HWND WaitForWindow(const char* caption, DWORD timeoutMs) const;
    static void Answer(HWND box, int button);
    // Answers and waits until the box is gone, so that the next one can be told apart.
    void AnswerAndWait(HWND box, int button) const;
    // Waits until the page is on show, answering nothing (this program's
    // wizard only).
    bool WaitForPage(int page, DWORD timeoutMs) const;
    // Waits until the finish page is on show: Cancel reads "Finish".
    bool WaitForFinishPage(DWORD timeoutMs) const;
    // Waits until the wizard has ended; for a program, its exit code.
    bool WaitForEnd(DWORD timeoutMs);
    // Whether the wizard stays open: handled what it was sent, and still
    // there after the grace period.
    bool StaysOpen();
    DWORD ExitCode() const;
    // Ends the program at once, as a crash or a power cut would.
    void Kill();

    // Saves the screen under the dialog as a BMP file below the build's
    // "screenshots" folder, or the folder chosen with SaveScreenshotsIn.
    // The dialog is painted again first; Wine copies what the dialog's
    // thread paints to the screen a little later, so the screen is read
    // until two reads 100 ms apart agree, for at most `settleMs`. With 0 the
    // screen is taken as it is, for a page that changes all the time.
    void Screenshot(const std::string& name, DWORD settleMs = 2000) const;
    void SaveScreenshotsIn(const std::string& folder) { screenshotFolder_ = folder; }

private:
    void FindDialog(DWORD processId);

    HANDLE running_ = nullptr;  // the wizard's thread, or its process
    bool inProcess_ = true;
    DWORD threadId_ = 0;        // the thread that owns the dialog
    HWND dialog_ = nullptr;
    std::string screenshotFolder_;  // empty for the build's folder
};
