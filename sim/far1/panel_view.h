// Draws what FAR 1.x shows on its text screen, as UTF-8 text for a terminal: the plug-in's
// panel (from the OpenPluginInfo the plug-in filled and the items it listed) with the key bar
// below it, and a dialog from the FarDialogItems the plug-in handed to the Dialog service.
//
// Panel: double frame with the panel title centred in the top border, the columns of the
// start view mode (ColumnTypes "N" and "C0".."C9", ColumnWidths with 0 for "the rest"), their
// titles centred on the first line, a ".." line when the plug-in asks for OPIF_ADDDOTS, a
// status line with the current item's name, and FAR's key bar laid out as FAR lays it out.
// Dialog: DI_DOUBLEBOX, DI_SINGLEBOX, DI_TEXT (separators included), DI_CHECKBOX, DI_EDIT,
// DI_FIXEDIT and DI_BUTTON (DIF_CENTERGROUP groups, the default button in braces).
//
// The plug-in's texts are in the OEM code page; they are converted for the terminal, and
// control characters are shown as '?' so that no title can send escape sequences.
#pragma once

#include "far_host.h"

#include <string>
#include <vector>

namespace farhost {

// FAR's key bar shows all twelve keys from a screen width of 98 columns on.
constexpr int kDefaultScreenWidth = 100;

struct PanelViewOptions {
    int width = kDefaultScreenWidth; // the panel's width, frame included, and the key bar's
    int minItemLines = 8;            // the item area is never shorter (blank lines fill it)
    int currentItem = 0;             // line under the cursor: 0 is "..", n is items[n - 1]
    bool numbered = false;           // item numbers (1-based) in a margin left of the frame
};

// The OEM code page text (CP437 off Windows; the system's OEM code page on Windows, the one
// CharToOemA converts to) as UTF-8.
std::string OemToUtf8(const std::string& oem);

// The panel and the key bar below it; every line ends with '\n'.
std::string RenderPanel(const OpenPluginInfo& info, const std::vector<ListedItem>& items,
                        const PanelViewOptions& options = PanelViewOptions());

// FAR's key bar for the plain F1..F12 labels: a null label is the host's own, an empty one is
// blank. One line of at most `width` columns, without a line end.
std::string RenderKeyBar(const KeyBarTitles* keyBar, int width);

// The dialog items drawn in a `width` x `height` area (the dialog's size as the plug-in passed
// it); `height` lines, each ending with '\n', trailing blanks removed.
std::string RenderDialog(const std::vector<FarDialogItem>& items, int width, int height);

} // namespace farhost
