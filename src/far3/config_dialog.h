// The FAR 3 configuration dialog: the FAR 1.x dialog's texts and layout without the disks-menu
// digit row, run through DialogInit/DialogRun/DialogFree with its own GUID.
#pragma once

namespace far3 {

// Shows the dialog; on confirmation (the OK button, or Enter on a check box) stores the new
// settings in memory and in FAR's store and gives 1, otherwise changes nothing and gives 0.
int RunConfigDialog();

} // namespace far3
