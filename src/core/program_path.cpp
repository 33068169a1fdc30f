#include "program_path.h"

size_t ReadProgramPath(DWORD processId, WCHAR* path, size_t capacity) {
    if (capacity < 2 || capacity > kProgramPathCapacity) {
        return 0;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) {
        return 0;
    }
    DWORD length = static_cast<DWORD>(capacity);
    const BOOL read = QueryFullProcessImageNameW(process, 0, path, &length);
    CloseHandle(process);
    if (!read || length == 0 || length >= capacity) {
        return 0;
    }
    path[length] = 0;
    return length;
}

size_t FileNameOffset(const WCHAR* path, size_t length) {
    size_t start = 0;
    for (size_t i = 0; i < length; ++i) {
        if (path[i] == '\\' || path[i] == '/') {
            start = i + 1;
        }
    }
    return start;
}
