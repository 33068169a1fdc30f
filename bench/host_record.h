// A FAR 3 record as the host hands it to the plug-in: zeroed, its StructSize set. Both
// benchmarks call the FAR 3 entry points the way FAR does.
#pragma once

#include <cstring>

template <typename Record> Record HostRecord() {
    Record record;
    memset(&record, 0, sizeof(record));
    record.StructSize = sizeof(record);
    return record;
}
