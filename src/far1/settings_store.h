// Where the FAR 1.x plug-in keeps its settings: the key "<host's root key>\Velumo" below
// HKEY_CURRENT_USER, the root key being the one the host gives its plug-ins.
#pragma once

namespace far1 {

// Forms "<rootKey>\Velumo" and loads the settings from it. A null root key leaves no key:
// every setting keeps its default and nothing is read or written.
void LoadSettingsBelowRootKey(const char* rootKey);

} // namespace far1
