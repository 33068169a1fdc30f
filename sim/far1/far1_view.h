// What the FAR 1.x host stand-in hands the text renderer (panel_view.h): the plug-in's panel,
// key bar and dialog items turned from FAR 1.x records and the OEM code page into the
// renderer's host-neutral descriptions.
#pragma once

#include "far1_host.h"
#include "panel_view.h"

#include <string>
#include <vector>

namespace far1host {

// The OEM code page text (CP437, the simulation's OEM code page) as UTF-8.
std::string OemToUtf8(const std::string& oem);

// The panel from the OpenPluginInfo the plug-in filled and the items it listed: the title, the
// columns of the start view mode (ColumnTypes "N" and "C0".."C9", ColumnWidths with 0 for "the
// rest"; other column types are drawn blank), the ".." line of OPIF_ADDDOTS and the key bar.
panelview::Panel DescribePanel(const far1::OpenPluginInfo& info,
                               const std::vector<ListedItem>& items);

// The plain F1..F12 labels: a null record or label is the host's own, an empty one is blank.
panelview::KeyBar DescribeKeyBar(const far1::KeyBarTitles* keyBar);

// DI_DOUBLEBOX, DI_SINGLEBOX, DI_TEXT (DIF_SEPARATOR), DI_CHECKBOX, DI_EDIT, DI_FIXEDIT,
// DI_PSWEDIT and DI_BUTTON (DIF_CENTERGROUP, DefaultButton); other kinds are not drawn.
std::vector<panelview::DialogItem> DescribeDialog(const std::vector<far1::FarDialogItem>& items);

} // namespace far1host
