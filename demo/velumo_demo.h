// The demo's parts: the sample windows and which of them Velumo hid, the output, the scripted
// steps and the final check (velumo_demo.cpp); what the FAR 3 host stand-in does for the user's
// keys (far3_demo.cpp).
#pragma once

#include "window_harness.h"

#include <string>
#include <vector>

namespace demo {

// The folder FAR's left panel shows when the user opens Velumo there.
constexpr char kStartFolder[] = "C:\\Users\\far\\Documents";

void Write(const std::string& text);                         // UTF-8, flushed at once
std::wstring ToWide(const std::string& text, UINT codePage); // CP_UTF8 or CP_ACP

// A sample window: its title (UTF-8), what the introduction says of it, its style, and the title
// of the sample further down the list that owns it, if any. With `program`, the sample is instead
// the window of that program ("notepad.exe"), started on the demo's desktop; its title must be
// `title`.
struct Sample {
    std::string title;
    std::string role;
    DWORD style;
    const char* owner = nullptr;
    const char* program = nullptr;
};

bool IsSample(HWND window);
HWND SampleNamed(const std::string& title);
// The file name of the program a sample window belongs to: the demo's own or the one started.
std::string ProgramOfSample(HWND window);

// Runs `call` and remembers every sample window it took from visible to hidden, for the final
// check.
void WatchHiding(void (*call)(void*), void* context);
template <typename Call> void Watched(Call call) {
    WatchHiding([](void* context) { (*static_cast<Call*>(context))(); }, &call);
}

// A row of the panel picture just drawn: the window and its status text. KeepPicture keeps the
// rows for the steps' checks and says how many listed windows it left out.
struct ShownRow {
    HWND window;
    std::string status;
};
void KeepPicture(const std::vector<ShownRow>& rows, size_t leftOut);

// Writes "   <line>", marked as unexpected (and the run as failed) when `asExpected` is false.
void Check(const std::string& line, bool asExpected);

// What the host does for the user (far3_demo.cpp).
bool OpenFromMenu();                            // F11 in the active panel; false when none opened
void ShowPanel(HWND cursor);                    // rereads and draws the active Velumo panel
void PressF8(const std::vector<HWND>& windows); // F8 on these windows, selected
void PressF3(HWND window);                      // F3 with the cursor on the window
bool HideCommand(const std::string& text);      // hide:<text> typed in the active panel
void ShowConfiguration();
// Enter on "..": what Velumo and the host did to close the panel; empty when they did not.
std::string LeavePanel();
std::string FilePanelText();                       // what the active file panel shows
void CheckListedExactly(const std::string& title); // the listed title is the window's own
// A window titled `title` (UTF-8); null when it cannot be made.
HWND MakeWindow(const std::string& title, DWORD style, HWND owner);

// Makes the samples, listed top down, bottom first: each window made goes on top, so the panel
// lists them in the order given. False (said on stderr) when one cannot be made. RunAndFinish
// ends the programs started for samples.
bool MakeSamples(const std::vector<Sample>& samples);

// A step of the scripted run: a command ("list", "f8 T|U", "f3 T", "hide TEXT", "config" or
// "close", where T and U are sample titles); the window the picture's cursor is put on (empty:
// where FAR keeps it); then what it expects of sample windows, separated by ';': "visible:T",
// "hidden:T", "front:T", "status:T=MARKS", "exact:T" (listed with the window's own title),
// "unlisted:T=U" (neither T nor U listed).
struct Step {
    std::string caption;
    std::string command;
    std::string cursor;
    std::string expects;
};

// `hostLine` and the sample windows with their handles and roles; the steps; then `exitFar`
// closes every panel as FAR does when it exits, and every window Velumo hid must be visible
// again. The exit code: 0 when they are and every step did what it shows.
int RunAndFinish(const std::string& hostLine, const std::string& desktop,
                 const std::vector<Step>& steps, void (*exitFar)());

// Makes the sample windows, loads the DLL at `dllPath` into the FAR 3 host stand-in and runs; 1
// when the windows or the DLL cannot be had.
int RunFar3Demo(const std::string& dllPath, const std::string& desktop);

} // namespace demo
