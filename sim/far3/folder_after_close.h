// Where FAR's file panel goes when a plug-in panel closes, for both hosts' character types.
#pragma once

#include <string>

namespace farfolder {

template <typename Char> bool IsDriveRoot(const std::basic_string<Char>& folder) {
    return folder.size() == 3 && folder[1] == ':' && folder[2] == '\\';
}

// The folder after a plug-in opened from `folder` closes with `directory`: ".." the parent,
// "X:..." as it is, "\\..." on the same drive, anything else a subfolder, "" the folder itself.
// False for ".." at a drive root, where FAR shows its Change drive menu instead.
template <typename Char>
bool FolderAfterClose(const std::basic_string<Char>& folder,
                      const std::basic_string<Char>& directory,
                      std::basic_string<Char>* destination) {
    const Char dots[] = {'.', '.', 0};
    if (directory == dots) {
        if (IsDriveRoot(folder)) {
            return false;
        }
        size_t slash = folder.find_last_of('\\');
        *destination = slash == std::basic_string<Char>::npos ? folder : folder.substr(0, slash);
        if (destination->size() == 2 && (*destination)[1] == ':') {
            destination->push_back('\\'); // from "C:\\Work" up to the root "C:\\", not "C:"
        }
    } else if (directory.size() >= 2 && directory[1] == ':') {
        *destination = directory;
    } else if (!directory.empty() && directory[0] == '\\') {
        *destination = folder.substr(0, 2) + directory;
    } else {
        *destination = folder;
        if (!directory.empty() && (destination->empty() || destination->back() != '\\')) {
            destination->push_back('\\');
        }
        *destination += directory;
    }
    return true;
}

} // namespace farfolder
