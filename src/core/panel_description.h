// The panel both front ends show, described once: its label, title, columns, view modes, key
// bar and command prefix as plain data, texts as message ids or ASCII. Each front end only
// translates this into its host's records. Also the rule for a directory change, written once
// over the host's character type: the panel has one level, so a request to change its directory
// either is refused or leaves the panel.
#pragma once

#include "front_ends.h"
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
// The columns a view shows, by the host's column types: N the item's name (the title), Cn its
// custom column n. Both front ends' items carry custom columns 0 (the status letters) and 1 (the
// handle); FAR 3's also 2 (the program's file name) and 3 (the process id).
constexpr size_t kMaxViewColumns = 5;

struct ViewModeDescription {
    int mode;
    unsigned frontEnds; // kFar1, kFar3 or both
    const char* columnTypes;
    const char* columnWidths; // 0 takes what the other columns leave
    bool fullScreen;
    MessageId columnTitles[kMaxViewColumns]; // one for each column, in the same order
};
// The start view shows what tells windows apart at a glance; the full-screen view shows
// everything; the wide view, title and status. FAR 3's start view keeps the title readable in a
// half of an 80-column FAR: 38 columns, of which the title has 20.
constexpr ViewModeDescription kViewModes[] = {
    {2, kFar1, "N,C0,C1", "0,4,8", false, {kMsgNameColumn, kMsgStatusColumn, kMsgHandleColumn}},
    {2, kFar3, "N,C2,C0", "0,12,4", false, {kMsgNameColumn, kMsgProgramColumn, kMsgStatusColumn}},
    {4, kBothFars, "N,C0", "0,4", false, {kMsgNameColumn, kMsgStatusColumn}},
    {5, kFar1, "N,C0,C1", "0,4,0", true, {kMsgNameColumn, kMsgStatusColumn, kMsgHandleColumn}},
    {5,
     kFar3,
     "N,C2,C3,C0,C1",
     "0,16,7,4,8",
     true,
     {kMsgNameColumn, kMsgProgramColumn, kMsgProcessIdColumn, kMsgStatusColumn, kMsgHandleColumn}},
};
// Column types and widths are short; a front end that widens them needs no more room than this.
constexpr size_t kColumnTextCapacity = 16;
constexpr int kStartViewMode = 2;

// How many columns a view's type list names.
constexpr size_t ViewColumnCount(const ViewModeDescription& view) {
    size_t count = 1;
    for (size_t i = 0; view.columnTypes[i] != '\0'; ++i) {
        count += view.columnTypes[i] == ',' ? 1 : 0;
    }
    return count;
}

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

// Checks that the description fits what the front ends reserve for it: each front end has its
// start view and at most one description of a mode, and every column its title.
constexpr bool PanelDescriptionFits() {
    unsigned startModeDescribed = 0;
    for (size_t i = 0; i < sizeof(kViewModes) / sizeof(kViewModes[0]); ++i) {
        const ViewModeDescription& view = kViewModes[i];
        if (view.mode < 0 || view.mode >= kViewModeCount) {
            return false;
        }
        if (AsciiLength(view.columnTypes) >= kColumnTextCapacity ||
            AsciiLength(view.columnWidths) >= kColumnTextCapacity ||
            ViewColumnCount(view) > kMaxViewColumns) {
            return false;
        }
        for (size_t column = 1; column < ViewColumnCount(view); ++column) {
            if (view.columnTitles[column] == kMsgOk) {
                return false; // a title left out: the array's zero
            }
        }
        for (size_t j = 0; j < i; ++j) {
            if (kViewModes[j].mode == view.mode &&
                (kViewModes[j].frontEnds & view.frontEnds) != 0) {
                return false;
            }
        }
        if (view.mode == kStartViewMode) {
            startModeDescribed |= view.frontEnds;
        }
    }
    for (const KeyBarLabelDescription& label : kKeyBarLabels) {
        if (label.functionKey < 1 || label.functionKey > kFunctionKeyCount) {
            return false;
        }
    }
    return startModeDescribed == kBothFars;
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
