// What the two fuzz targets share: the input reader, the simulated desktop that an input
// changes between and during plug-in calls, the checks of the hidden-window table and of a
// listing, and the loop that runs an input's steps.
//
// Desktop events (operands in this order):
//   0 create   title, byte (bit 0 visible, bits 1-7 % 7: the owning program),
//              window owner, window parent, dword style
//   1 destroy  window;  2 retitle  window, title;  3 show/hide  window, byte bit 0 visible;
//   4 restyle  window, dword style
//   5 hook     byte count (% 9) of: byte at (the n-th window reported), byte kind (% 6: destroy
//              that window, destroy the target, hide, show, retitle, create), window target,
//              title; run inside the enumerations of the next plug-in call
//   6 record   entries put into the durable record of hidden windows (SeedHiddenWindowRecord)
//   title:  text (max 1000): ANSI bytes (FAR 1.x) or UTF-16 code units (FAR 3)
//   window: byte: 0xFF a dword handle follows, 0xFE null, 0xFD a known handle plus 1 to 3 (byte
//           follows), else a window created in this input (live or destroyed)
#pragma once

#include "sim_desktop.h"

#include "core/settings.h"
#include "far1_support.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace fuzz {

// Prints what broke and traps, which libFuzzer reports as a crash with the input saved.
void Require(bool holds, const char* what, uint32_t value = 0);

// Reads the input front to back; past the end every read gives zeros. A text is a 16-bit
// length L followed by L % (max + 1) bytes (or 16-bit code units for Text16), fewer when the
// input ends.
class InputReader {
  public:
    InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool AtEnd() const { return at_ >= size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t Word();
    uint32_t Dword();
    std::string Text(size_t maxLength);
    std::u16string Text16(size_t maxLength);

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

struct HookAction {
    uint8_t at;
    uint8_t kind;
    HWND target;
    std::string title;   // the ANSI title (FAR 1.x target)
    std::u16string wide; // the UTF-16 title (FAR 3 target)
};

// An entry an input put into the record of hidden windows, for a window it made for it.
struct SeededEntry {
    HWND window;
    bool wasVisible;
    bool proves; // well-formed, of a dead hider, naming this very window: it may be adopted
    std::string name;
    std::vector<uint8_t> data;
};

// The desktop as one input made and changed it, and what the plug-in did to it.
struct Desktop {
    bool wideTitles = false;       // titles are read as UTF-16 code units
    std::vector<HWND> windows;     // every window created in this input, live or destroyed
    std::set<HWND> hiddenByPlugin; // hidden by a plug-in call and untouched since
    std::vector<HookAction> hookScript;
    std::set<HWND> touchedByHook; // windows whose visibility the hook changed in this call
    bool hookArmed = false;
    uint64_t hookActionsRun = 0; // grows with every action the hook carries out
    bool tableEmptied = false;   // FAR 3's exit gave the table back: its records went with it
    std::vector<SeededEntry> seededEntries; // not yet judged by CheckRecordAdoption
};

HWND PickWindow(InputReader& in, const Desktop& desktop);

// One desktop event (0 to 6 above).
void DesktopEvent(InputReader& in, Desktop& desktop, uint8_t event);

// Entries of the record of hidden windows: byte count (% 9), each: byte kind, bit 0 clear: any
// value: text name (max 16), dword type, text data (max 600); set: a well-formed entry for a
// new hidden window (bit 1: visible instead) of the desktop's process (bit 2: of a running
// one) with a class of text16 (max 256), hidden by a process that ended (bit 3: still runs; bit
// 4: its object kept), naming a wrong window process id (bit 5), creation time (bit 6) or class
// (bit 7); then byte cut: 0 whole, else that many bytes less (modulo the size, at least one).
void SeedHiddenWindowRecord(InputReader& in, Desktop& desktop);
// What the plug-in made of the seeded entries: a window visible before is still visible; a
// hidden one whose entry proves nothing is neither shown nor taken into the table; one whose
// entry proves it is in the table, or (unless `adoptionDue`) still hidden with its entry
// untouched. Adopted windows join the ones the plug-in hid. Made once, after the start.
void CheckRecordAdoption(Desktop& desktop, bool adoptionDue);

// Runs one plug-in call (or one host action that makes several) with the hook script armed and
// checks what it did to the hidden-window table.
void AroundPluginCall(Desktop& desktop, const std::function<void()>& call);
// A hidden window that the plug-in hid keeps its record until somebody shows it.
void CheckHiddenWindowsRecorded(Desktop& desktop);

// Runs a panel close; `close` says whether it restores (the last open panel closed with
// ShowAllWindowAtExit set). After one that restores, no recorded window is left hidden; after
// any other, no window hidden before it is shown. Windows the hook hid or showed are not judged.
void CheckedClose(const Desktop& desktop, const std::function<bool()>& close);

// One listed window as the host receives it, from its user data and its two column texts (as
// bytes): a window handle in 32 bits, listed once, a status of four characters with a blank
// third, the handle text the user data in hex. With `steady` (nothing changed the desktop during
// the listing) the status marks "H", "O" and "D" must match the window at this moment.
HWND CheckListedWindow(uintptr_t userData, const std::string& status, const std::string& handle,
                       std::set<HWND>* seen, bool steady);
// What the FAR 3 plug-in shows of a window's program (steady desktop): the file name, the
// description (the full path) and the process id, as texts of the window's process.
void CheckProgramTexts(HWND window, const std::u16string& name, const std::u16string& path,
                       const std::u16string& processId);

// A value picked by a byte from `known`; a byte beyond them reads the value itself with `read`.
template <typename Value, size_t Count, typename Read>
Value PickOrRead(InputReader& in, const Value (&known)[Count], Read read) {
    const uint8_t pick = in.Byte();
    return pick < Count ? known[pick] : static_cast<Value>(read());
}

// A stored value's name from its pick byte (% 8): below kSettingCount a setting's name (bit 7:
// lower-cased), kSettingCount a text read by `readText`, else the empty name.
template <typename ReadText>
auto SettingName(uint8_t pick, ReadText readText) -> decltype(readText()) {
    using Name = decltype(readText());
    const int index = pick % 8;
    if (index >= kSettingCount) {
        return index == kSettingCount ? readText() : Name();
    }
    Name name;
    for (const char* c = kSettingFields[index].Name; *c != '\0'; ++c) {
        const bool lower = (pick & 0x80) != 0 && *c >= 'A' && *c <= 'Z';
        name.push_back(static_cast<typename Name::value_type>(lower ? *c - 'A' + 'a' : *c));
    }
    return name;
}

// The check boxes and texts a dialog answer changes: byte count (% 13) of {signed byte item,
// dword state}, byte count (% `maxTexts`) of {signed byte item, text read by `readText`}. A
// negative item becomes a huge index, which the host must refuse.
template <typename Answer, typename ReadText>
void ReadItemChanges(InputReader& in, Answer& answer, size_t maxTexts, ReadText readText) {
    using Check = typename decltype(answer.checks)::value_type;
    using Typed = typename decltype(answer.texts)::value_type;
    for (size_t c = in.Byte() % 13; c > 0; --c) {
        const auto index = static_cast<typename Check::first_type>(static_cast<int8_t>(in.Byte()));
        answer.checks.emplace_back(
            index, static_cast<typename Check::second_type>(static_cast<int32_t>(in.Dword())));
    }
    for (size_t t = in.Byte() % maxTexts; t > 0; --t) {
        const auto index = static_cast<typename Typed::first_type>(static_cast<int8_t>(in.Byte()));
        answer.texts.emplace_back(index, readText());
    }
}

// The host's texts: the English ones (at least kMessageCount of them, or the language file
// was not read), then byte count (% 8) of {byte id (% `ids`), text read by `readText`}.
template <typename Message, typename ReadText>
std::vector<Message> OverrideMessages(InputReader& in, std::vector<Message> messages, size_t ids,
                                      ReadText readText) {
    Require(messages.size() >= kMessageCount, "the English language file was not read");
    for (size_t i = in.Byte() % 8; i > 0; --i) {
        const size_t id = in.Byte() % ids;
        messages.resize(std::max(messages.size(), id + 1));
        messages[id] = readText();
    }
    return messages;
}

// Registry values seeded at the start of an input: byte count (% 17), each: byte place (% 4:
// the plug-in's key `keyPath`, its parent, a key below it, a bare "Velumo"; with a null keyPath
// only the last, the others reading the value and storing nothing), byte name (% 8): as
// SettingName picks it (text: max 64); dword type, text data (max 300).
void SeedRegistry(InputReader& in, const std::string* keyPath);
// What a setting loads from the registry value `name` under keyPath: its bytes over the
// default's low-order bytes when the value exists and holds at most 4 bytes, else the default.
int32_t RegistryValueOver(const std::string& keyPath, const char* name, int32_t defaultValue);

// No registry key left open (unless the input made RegCloseKey fail, when one may stay open),
// and no process handle.
void CheckNoKeyLeftOpen(bool closeMayFail);

// A panel handle: byte 0xFF invalid, 0xFE null, 0xFD one of `closed` (byte follows), else one of
// `open`; null when the list to pick from is empty.
HANDLE PickPanel(InputReader& in, const std::vector<HANDLE>& open,
                 const std::vector<HANDLE>& closed = {});

// The windows of the items a host hands over: byte count (% 33), each: byte bit 0 clear: a byte
// picks one of the last listing's, set: PickWindow.
std::vector<HWND> PickItemWindows(InputReader& in, const std::vector<HWND>& lastListing,
                                  const Desktop& desktop);

constexpr size_t kMaxSteps = 256;
constexpr size_t kDesktopEventCount = 7;

// Runs an input's steps until its end, kMaxSteps or `run.ended`: byte opcode % (Count + 7), below
// Count one of `steps`, else a desktop event. After each: the target's own checks, then no
// registry key left open (unless `run.closeMayFail`) and every window the plug-in hid recorded.
template <typename Run, size_t Count, typename AfterStep>
void RunSteps(InputReader& in, Run& run, void (*const (&steps)[Count])(InputReader&, Run&),
              AfterStep afterStep) {
    for (size_t step = 0; step < kMaxSteps && !in.AtEnd() && !run.ended; ++step) {
        const size_t op = in.Byte() % (Count + kDesktopEventCount);
        if (op < Count) {
            steps[op](in, run);
        } else {
            DesktopEvent(in, run.desktop, static_cast<uint8_t>(op - Count));
        }
        afterStep(run);
        CheckNoKeyLeftOpen(run.closeMayFail);
        CheckHiddenWindowsRecorded(run.desktop);
    }
}

} // namespace fuzz
