// What the demo's two runs share: the sample windows and which of them Velumo hid, the output,
// the numbered steps of the scripted run with their checks, the command loop of the interactive
// run, and the final check. Each front end (far1_demo.cpp, far3_demo.cpp) drives its own host
// stand-in and hands these helpers what the user would see.
#pragma once

#include "window_harness.h"

#include <string>
#include <vector>

namespace demo {

// The folder FAR's left panel shows when the user opens Velumo there.
constexpr char kStartFolder[] = "C:\\Users\\far\\Documents";

// The program's output, UTF-8, flushed at once.
void Write(const std::string& text);

// UTF-8 as UTF-16; false for bytes that are not UTF-8.
bool Utf8ToWide(const std::string& utf8, std::wstring* wide);

// ---- The sample windows ---------------------------------------------------------------------

struct SampleWindow {
    std::string title; // UTF-8
    std::string role;
    HWND handle;
};

// Registers a window the demo made (in the order the introduction lists them); false when it
// could not be made.
bool AddSample(const std::string& title, const std::string& role, HWND handle);
const SampleWindow* SampleOf(HWND window); // null for a window the demo did not make
HWND SampleNamed(const std::string& title);

// `hostLine`, then the sample windows with their handles and roles.
void WriteIntroduction(const std::string& hostLine, const std::string& desktop);

// Which sample windows are visible now; after a plug-in call, NoteHiddenSince remembers every
// one it took from visible to hidden, for the final check.
std::vector<bool> VisibilitySnapshot();
void NoteHiddenSince(const std::vector<bool>& before);

// ---- The last picture -----------------------------------------------------------------------

// A row of the last panel picture: the window and the status text shown for it.
struct ShownRow {
    HWND window;
    std::string status;
};

// Keeps the rows of the picture just drawn (numbers 1.. in the interactive run) and says how
// many listed windows the picture left out.
void KeepPicture(const std::vector<ShownRow>& rows, size_t leftOut);
const std::vector<ShownRow>& PictureRows();
int RowNumber(const std::string& title); // 1-based; 0 when not in the last picture

// ---- Checks ---------------------------------------------------------------------------------

// Writes "   <line>", marked as unexpected (and the run as failed) when `asExpected` is false.
void Check(const std::string& line, bool asExpected);
void CheckVisible(const std::string& title, bool expected);
void CheckStatus(const std::string& title, const std::string& expected);
void CheckForeground(const std::string& title);
bool SawUnexpected();

// ---- The scripted run -----------------------------------------------------------------------

struct Step {
    std::string caption;
    bool (*run)(); // false: the run cannot go on
};

// "== Step i of n: caption", then the step; stops at the first step that cannot go on. True when
// every step ran and nothing unexpected was seen.
bool RunSteps(const std::vector<Step>& steps);

// ---- The interactive run --------------------------------------------------------------------

// What the user's commands do in one front end's host.
struct Commands {
    bool (*velumoActive)(); // the active panel shows a Velumo instance
    bool (*open)();         // F11 in the active panel; false when no panel opened
    void (*show)(HWND);     // draws the active Velumo panel, numbered, the cursor on the window
    void (*toggle)(const std::vector<HWND>&); // F8 on these windows, selected
    void (*activate)(HWND, bool alt);         // F3 (Alt+F3) with the cursor on the window
    void (*hide)(const std::string& text);    // hide:<text> typed in the active panel
    void (*tab)();
    void (*configure)();
    void (*leave)();                // Enter on ".."
    std::string (*filePanelText)(); // what the active file panel shows
    const char* hideNote;           // how TEXT reaches Velumo
};

// Help, Velumo opened in the active panel, then commands from standard input until quit or
// its end. Commands are UTF-8: read as typed from a pipe, or as UTF-16 from a Windows console
// and converted.
void RunInteractive(const Commands& commands);

// ---- The end --------------------------------------------------------------------------------

// After the last panel closed: every window Velumo hid must be visible again. Gives the exit
// code: 0 when they are and, in the scripted run, every step did what it shows.
int Finish(bool interactive, bool scriptOk);

// ---- The two front ends ---------------------------------------------------------------------

// Each makes its sample windows, loads the DLL at `dllPath` into its host stand-in and runs;
// the exit code as Finish gives it (1 when the windows or the DLL cannot be had).
int RunFar1Demo(const std::string& dllPath, bool interactive, const std::string& desktop);
int RunFar3Demo(const std::string& dllPath, bool interactive, const std::string& desktop);

} // namespace demo
