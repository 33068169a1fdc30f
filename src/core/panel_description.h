// The panel both front ends show, described once: its label, title, columns, view modes, key
// bar and command prefix as plain data, texts as message ids or ASCII. Each front end only
// translates this into its host's records. Also the rule for a directory change, written once
// over the host's character type: the panel has one level, so a request to change its directory
// either is refused or leaves the panel.
#pragma once

#include "message_ids.h"

#include <cstddef>

// The prefix that opens the panel from the command line ("hide:").
constexpr char kCommandPrefix[] = "hide";
// The panel's directory label.
constexpr char kPanelDirectory[] = "Velumo";
// The panel title is this text with a space on each side; the text itself names the format.
constexpr MessageId kPanelTitleMessage = kMsgPanelTitle;
// Room for " <title> " and the terminator; a longer title is cut.
constexpr size_t kPanelTitleCapacity = 256;

// The host's view modes are numbered 0 to 9; those not described below stay empty.
constexpr int kViewModeCount = 10;
// The columns: the name, then custom column 0 (the status letters) and 1 (the handle). One list
// of titles serves every view mode.
constexpr size_t kColumnCount = 3;
constexpr MessageId kColumnTitleMessages[kColumnCount] = {kMsgNameColumn, kMsgStatusColumn,
                                                          kMsgHandleColumn};

struct ViewModeDescription {
    int mode;
    const char* columnTypes;
    const char* columnWidths; // 0 takes what the other columns leave
    bool fullScreen;
};
constexpr ViewModeDescription kViewModes[] = {
    {2, "N,C0,C1", "0,4,8", false},
    {4, "N,C0", "0,4", false},
    {5, "N,C0,C1", "0,4,0", true},
};
// Column types and widths are short; a front end that widens them needs no more room than this.
constexpr size_t kColumnTextCapacity = 16;
constexpr int kStartViewMode = 2;

enum class KeyModifier { None, Alt, Shift };
// One key-bar label: function key 1 to 12 with its modifier, and its text. A key not listed
// keeps the host's own label.
struct KeyBarLabelDescription {
    int functionKey;
    KeyModifier modifier;
    int messageId; // kBlankLabel: the label is blanked
};
constexpr int kBlankLabel = -1;
// File operations that mean nothing for windows are blanked; F8 toggles whether the window under
// the cursor is shown.
constexpr KeyBarLabelDescription kKeyBarLabels[] = {
    // F4 to F8
    {4, KeyModifier::None, kBlankLabel},
    {5, KeyModifier::None, kBlankLabel},
    {6, KeyModifier::None, kBlankLabel},
    {7, KeyModifier::None, kBlankLabel},
    {8, KeyModifier::None, kMsgToggleKeyLabel},
    // Alt+F4 to Alt+F6
    {4, KeyModifier::Alt, kBlankLabel},
    {5, KeyModifier::Alt, kBlankLabel},
    {6, KeyModifier::Alt, kBlankLabel},
    // Shift+F1 to Shift+F8
    {1, KeyModifier::Shift, kBlankLabel},
    {2, KeyModifier::Shift, kBlankLabel},
    {3, KeyModifier::Shift, kBlankLabel},
    {4, KeyModifier::Shift, kBlankLabel},
    {5, KeyModifier::Shift, kBlankLabel},
    {6, KeyModifier::Shift, kBlankLabel},
    {7, KeyModifier::Shift, kBlankLabel},
    {8, KeyModifier::Shift, kBlankLabel},
};
constexpr size_t kKeyBarLabelCount = sizeof(kKeyBarLabels) / sizeof(kKeyBarLabels[0]);
constexpr int kFunctionKeyCount = 12;

constexpr size_t AsciiLength(const char* text) {
    size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

// Checks that the description fits what the front ends reserve for it.
constexpr bool PanelDescriptionFits() {
    bool startModeDescribed = false;
    for (const ViewModeDescription& view : kViewModes) {
        if (view.mode < 0 || view.mode >= kViewModeCount) {
            return false;
        }
        if (AsciiLength(view.columnTypes) >= kColumnTextCapacity ||
            AsciiLength(view.columnWidths) >= kColumnTextCapacity) {
            return false;
        }
        startModeDescribed = startModeDescribed || view.mode == kStartViewMode;
    }
    for (const KeyBarLabelDescription& label : kKeyBarLabels) {
        if (label.functionKey < 1 || label.functionKey > kFunctionKeyCount) {
            return false;
        }
    }
    return startModeDescribed;
}
static_assert(PanelDescriptionFits(), "a view mode, column text or key outside its room");

// What a directory change asked of the panel does.
enum class DirectoryChange {
    Stay,          // a search across directories, or the root "\": the panel stays as it is
    LeaveInPlace,  // "..": the panel closes and the file panel comes back in the folder it
                   // showed before the panel opened (FAR would go one folder higher, or to the
                   // Change drive menu at a drive root, if ".." were passed on)
    LeaveToFolder, // any other directory: the panel closes and FAR goes to that directory
};

// The decision for `directory`, asked during a search across directories when `searching`.
template <typename Char>
DirectoryChange DecideDirectoryChange(const Char* directory, bool searching) {
    const auto is = [directory](const char* text) {
        size_t i = 0;
        for (; directory[i] != 0 && text[i] != '\0'; ++i) {
            if (directory[i] != static_cast<Char>(text[i])) {
                return false;
            }
        }
        return directory[i] == 0 && text[i] == '\0';
    };
    if (searching || is("\\")) {
        return DirectoryChange::Stay;
    }
    return is("..") ? DirectoryChange::LeaveInPlace : DirectoryChange::LeaveToFolder;
}
