#include "program_path.h"

namespace {

typedef BOOL(WINAPI* QueryImageName)(HANDLE process, DWORD flags, LPWSTR path, PDWORD size);

// Looked up rather than imported, so that the DLL still loads on Windows XP, which lacks it (and
// the query right it needs): there every program shows as its process id.
QueryImageName FindQueryImageName() {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<QueryImageName>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "QueryFullProcessImageNameW")));
}

} // namespace

size_t ReadProgramPath(DWORD processId, WCHAR* path, size_t capacity) {
    const QueryImageName query = FindQueryImageName();
    if (query == nullptr || capacity < 2 || capacity > kProgramPathCapacity) {
        return 0;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) {
        return 0;
    }
    DWORD length = static_cast<DWORD>(capacity);
    const BOOL read = query(process, 0, path, &length);
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
