// What the demo's two runs share: the sample windows and which of them Velumo hid, the output,
// the numbered steps of the scripted run with their checks, the command loop of the interactive
// run, and the final check. Each front end (far1_demo.cpp, far3_demo.cpp) drives its own host
// stand-in and hands these helpers what the user would see.
#pragma once

#include "window_harness.h"

#include <string>
#include <utility>
#include <vector>

namespace demo {

// The folder FAR's left panel shows when the user opens Velumo there.
constexpr char kStartFolder[] = "C:\\Users\\far\\Documents";

// The program's output, UTF-8, flushed at once.
void Write(const std::string& text);

// UTF-8 as UTF-16; false for bytes that are not UTF-8.
bool Utf8ToWide(const std::string& utf8, std::wstring* wide);
// Text in the ANSI code page as UTF-16.
std::wstring AnsiToWide(const std::string& ansi);

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
// one it took from visible to hidden, for the final check. Watched does both around a call.
std::vector<bool> VisibilitySnapshot();
void NoteHiddenSince(const std::vector<bool>& before);
template <typename Call> void Watched(Call call) {
    const std::vector<bool> before = VisibilitySnapshot();
    call();
    NoteHiddenSince(before);
}

// ---- The last picture -----------------------------------------------------------------------

// A row of the last panel picture: the window and the status text shown for it.
struct ShownRow {
    HWND window;
    std::string status;
};

// Keeps the rows of the picture just drawn (numbers 1.. in the interactive run) and says how
// many listed windows the picture left out.
void KeepPicture(const std::vector<ShownRow>& rows, size_t leftOut);
int RowNumber(const std::string& title); // 1-based; 0 when not in the last picture

// ---- Checks ---------------------------------------------------------------------------------

// Writes "   <line>", marked as unexpected (and the run as failed) when `asExpected` is false.
void Check(const std::string& line, bool asExpected);

// ---- What the user does ----------------------------------------------------------------------

// What the user's keys do in one front end's host; the scripted and the interactive run both
// go through it.
struct FrontEnd {
    bool (*velumoActive)();                   // the active panel shows a Velumo instance
    bool (*open)();                           // F11 in the active panel; false when none opened
    void (*show)(HWND cursor, bool numbered); // draws the active Velumo panel (see ShowStep)
    void (*toggle)(const std::vector<HWND>&); // F8 on these windows, selected
    void (*activate)(HWND, bool alt);         // F3 (Alt+F3) with the cursor on the window
    bool (*hide)(const std::string& text);    // hide:<text> typed in the active panel
    void (*tab)();
    void (*configure)();
    bool (*leave)();                // Enter on ".."; false when Velumo did not close the panel
    std::string (*filePanelText)(); // what the active file panel shows
    void (*checkExactTitle)(const std::string& title); // the listed title is the window's own
    const char* hideNote;                              // how TEXT reaches Velumo
};

// ---- The scripted run -----------------------------------------------------------------------

enum class Action { kOpen, kHide, kToggle, kActivate, kConfigure, kLeave };

// What a step expects afterwards of a sample window (`title`).
struct Expect {
    enum Kind { kVisible, kHidden, kFront, kStatus, kExactTitle, kNotListed };
    Expect(Kind kind, std::string title, std::string detail = std::string())
        : kind(kind), title(std::move(title)), detail(std::move(detail)) {}
    Kind kind;
    std::string title;
    std::string detail; // kStatus: the status marks; kNotListed: a second window left out
};

struct Step {
    std::string caption;
    Action action;
    std::vector<std::string> operands; // kHide: the text; kToggle, kActivate: window titles
    std::string cursor; // the window the picture's cursor is put on; empty: where FAR keeps it
    std::vector<Expect> expects;
};

// "== Step i of n: caption", the action (and the panel drawn again after it), then the checks;
// stops at the first step that cannot go on. True when every step ran and nothing unexpected
// was seen. After the last step the file panel must show kStartFolder again.
bool RunScript(const FrontEnd& frontEnd, const std::vector<Step>& steps);

// ---- The end --------------------------------------------------------------------------------

// The scripted run (or the interactive one), then `exitFar` closes every panel as FAR does when
// it exits, or a script cut short. Then every window Velumo hid must be visible again. Gives the
// exit code: 0 when they are and, in the scripted run, every step did what it shows.
int RunAndFinish(const FrontEnd& frontEnd, bool interactive, bool (*script)(), void (*exitFar)());

// ---- The two front ends ---------------------------------------------------------------------

// Each makes its sample windows, loads the DLL at `dllPath` into its host stand-in and runs;
// the exit code as Finish gives it (1 when the windows or the DLL cannot be had).
int RunFar1Demo(const std::string& dllPath, bool interactive, const std::string& desktop);
int RunFar3Demo(const std::string& dllPath, bool interactive, const std::string& desktop);

} // namespace demo
