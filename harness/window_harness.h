// The window harness of the Windows builds (the Wine suite, the demo, the Wine benchmark and its
// window owner): real top-level windows on a desktop of the process's own, the message pump that
// lets their state settle, the windows in z-order, the handle text the panel shows, and
// Velumo.dll of this build loaded as FAR loads it, with its English messages.
#pragma once

#include "far1_host.h"
#include "handle_text.h"

#include <string>
#include <vector>

namespace harness {

// ---- the desktop -------------------------------------------------------------------------------

// `prefix` and this process's id, "VelumoBench-1234": a desktop name no other run uses.
std::string ProcessDesktopName(const char* prefix);

// Gives the calling thread a new desktop of this name (CreateDesktopA + SetThreadDesktop), so
// that EnumWindows, and so the plug-in, sees only the windows made on it and the hidden helper
// windows Wine puts on every desktop. SetThreadDesktop only succeeds while the thread has no
// window yet. Empty when done, else which call failed and its error code.
std::string UseOwnDesktop(const std::string& name);

// ---- windows -----------------------------------------------------------------------------------

// A top-level window of the harness's window class (DefWindowProcA; registered on first use),
// placed at `slot` of a cascade. Null when it cannot be made (GetLastError says why). Its
// messages wait for PumpMessages.
HWND MakeWindow(const std::string& title, DWORD style, HWND owner = nullptr, DWORD exStyle = 0,
                int slot = 0);

// The same top-level window titled in UTF-16, exactly as given (a window class of its own with
// DefWindowProcW, so that the title never passes through the ANSI code page).
HWND MakeWindowW(const std::wstring& title, DWORD style, HWND owner = nullptr);

// Visible, unowned "Document 00042.txt - Editor" windows, numbered from *made on, until the
// thread has made `count` of them; the messages are handled every 64 windows and at the end.
// False when one cannot be made: *made is then its number.
bool GrowDocumentWindows(int count, int* made);

// Handles every message waiting for the thread's windows, as a host's message loop would.
void PumpMessages();

// The top-level windows of the thread's desktop in z-order, topmost first, as EnumWindows
// reports them.
std::vector<HWND> TopLevelWindows();

using ::HandleText;

// ---- the plug-in -------------------------------------------------------------------------------

// `relative` ("/" or "\" separators) from this program's own folder.
std::string BesideProgram(const std::string& relative);

// Velumo.dll at `dllPath` (far1host::LoadPlugin) and the messages of VelumoEng.lng beside it, as
// FAR finds them. False, with what failed in `error`, when either cannot be had.
bool LoadVelumo(const std::string& dllPath, far1host::PluginExports* exports,
                std::vector<std::string>* messages, std::string* error);

} // namespace harness
