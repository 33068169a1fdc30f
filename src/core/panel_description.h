// What both front ends' panels share, written once over the host's character type: the panel
// has one level, so a request to change its directory either is refused or leaves the panel.
#pragma once

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
