// What the FAR 3 stand-in hands the text renderer (panel_view.h): the host's copies of the
// plug-in's OpenPanelInfo, listed items, key bar and dialog items turned from UTF-16 into the
// renderer's host-neutral, UTF-8 descriptions.
#pragma once

#include "far3_host.h"
#include "panel_view.h"

#include <string>
#include <vector>

namespace far3host {

// UTF-16 as UTF-8 (a surrogate without its partner becomes U+FFFD).
std::string ToUtf8(const Text& text);

// The panel from the latest GetOpenPanelInfoW copy and the items FAR listed: the title, the
// columns of the start view mode (ColumnTypes "N" and "C0".."C9", ColumnWidths with 0 for "the
// rest"; other column types are drawn blank), the ".." line for the ".." item FAR added, and
// the key bar. A start mode outside the modes given shows the names alone.
panelview::Panel DescribePanel(const OpenPanelInfoCopy& info, const std::vector<ListedItem>& items);

// The plain F1..F12 labels, applied in order over FAR's own: a label of VK_F1..VK_F12 without
// Ctrl, Alt or Shift replaces that key's label, blank when its Text is null or empty.
panelview::KeyBar DescribeKeyBar(const std::vector<KeyBarLabelCopy>& labels);

// DI_DOUBLEBOX, DI_SINGLEBOX, DI_TEXT (DIF_SEPARATOR, DIF_SEPARATOR2), DI_CHECKBOX, DI_EDIT,
// DI_FIXEDIT, DI_PSWEDIT and DI_BUTTON (DIF_CENTERGROUP, DIF_DEFAULTBUTTON); items with
// DIF_HIDDEN are left out and other kinds are not drawn.
std::vector<panelview::DialogItem> DescribeDialog(const std::vector<DialogItemCopy>& items);

} // namespace far3host
