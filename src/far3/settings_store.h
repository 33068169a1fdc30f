// The settings of the FAR 3 plug-in in FAR's own settings store (the roaming profile, under the
// plug-in's GUID), with the names, defaults and truth-value rules of the settings table. Only the
// settings the table gives FAR 3 are read and written here (not the FAR 1.x disks-menu digit).
#pragma once

namespace far3 {

// The registry key where the FAR 1.x plug-in kept its settings under FAR 3; read once, never
// written, when FAR's store holds none of Velumo's values yet.
constexpr char kOldRegistryKeyPath[] = "Software\\Far Manager\\Plugins\\Velumo";

// Loads the settings from FAR's store, each falling back to its default; a store that cannot
// be opened gives the defaults. With nothing of Velumo's in the store, takes the values over
// from kOldRegistryKeyPath when that key exists and writes them to the store.
void LoadFarSettings();
// Writes the settings FAR 3 has; a store that cannot be opened is left as it was.
void SaveFarSettings();

} // namespace far3
