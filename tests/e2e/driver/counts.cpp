// What a process holds: kernel handles, windows and GDI objects, read from
// outside the way Wine lets them be read.
#include "tests/e2e/driver/harness.h"

#include <algorithm>
#include <vector>

namespace e2e {

namespace {

struct HandleEntry {
    ULONG ProcessId;
    UCHAR ObjectType;
    UCHAR Flags;
    USHORT Handle;
    PVOID Object;
    ACCESS_MASK Access;
};

// Kernel handles of a process, from the system's handle list.
}  // namespace

int KernelHandles(DWORD processId) {
    using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    static auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) return -1;
    std::vector<unsigned char> buffer(1 << 20);
    for (int attempt = 0; attempt < 6; ++attempt) {
        ULONG needed = 0;
        LONG status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
            auto* entries = reinterpret_cast<HandleEntry*>(buffer.data() + sizeof(void*));
            int mine = 0;
            for (ULONG i = 0; i < count; ++i) mine += entries[i].ProcessId == processId;
            return mine;
        }
        buffer.resize(buffer.size() * 2);
    }
    return -1;
}

int WindowCount(DWORD processId) {
    int count = 0;
    for (const WindowInfo& w : WindowsOf(processId, true)) {
        ++count;
        EnumChildWindows(
            w.Handle,
            [](HWND, LPARAM param) CALLBACK -> BOOL {
                ++*reinterpret_cast<int*>(param);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&count));
    }
    return count;
}

// GDI objects of a process, from its GDI handle table (the PEB's
// GdiSharedHandleTable, 24-byte entries whose type byte is 0 when free):
// GetGuiResources is not implemented in Wine and returns 0. The layout is
// checked once on this process: fifty new pens must count fifty more.
int GdiTableCount(HANDLE process) {
    using QueryFn = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    static auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    if (query == nullptr) return -1;
    struct BasicInformation {
        PVOID Reserved1;
        PVOID PebBaseAddress;
        PVOID Reserved2[2];
        ULONG_PTR UniqueProcessId;
        PVOID Reserved3;
    } info{};
    if (query(process, 0, &info, sizeof(info), nullptr) != 0) return -1;
    constexpr SIZE_T kTableOffset = 0xF8, kEntrySize = 24, kTypeOffset = 14, kEntries = 0x10000;
    BYTE* table = nullptr;
    if (!ReadProcessMemory(process, static_cast<BYTE*>(info.PebBaseAddress) + kTableOffset, &table, sizeof(table),
                           nullptr) ||
        table == nullptr) {
        return -1;
    }
    std::vector<BYTE> entries(kEntries * kEntrySize);
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, table, entries.data(), entries.size(), &read) || read != entries.size()) return -1;
    int live = 0;
    for (SIZE_T i = 0; i < kEntries; ++i) live += entries[i * kEntrySize + kTypeOffset] != 0;
    return live;
}

int GdiObjects(HANDLE process) {
    static const bool layoutHolds = [] {
        const int before = GdiTableCount(GetCurrentProcess());
        std::vector<HPEN> pens;
        for (int i = 0; i < 50; ++i) pens.push_back(CreatePen(PS_SOLID, 1, RGB(i, 0, 0)));
        const int during = GdiTableCount(GetCurrentProcess());
        for (HPEN pen : pens) DeleteObject(pen);
        return before > 0 && during == before + 50 && GdiTableCount(GetCurrentProcess()) == before;
    }();
    return layoutHolds ? GdiTableCount(process) : -1;
}

// Wine makes and frees a few GDI objects of its own around a window that
// moves or repaints (its window surfaces), so one reading may catch some in
// passing: the least of several is what the program holds. A leak only grows.
Counts CountsOf(const Process& process) {
    Counts c;
    for (int reading = 0; reading < 5; ++reading) {
        if (reading > 0) Sleep(100);
        const int handles = KernelHandles(process.Id());
        const int windows = WindowCount(process.Id());
        const int gdi = GdiObjects(process.Handle());
        c.Handles = reading == 0 ? handles : std::min(c.Handles, handles);
        c.Windows = reading == 0 ? windows : std::min(c.Windows, windows);
        c.Gdi = reading == 0 ? gdi : std::min(c.Gdi, gdi);
    }
    return c;
}

std::string Describe(const Counts& c) {
    return "handles " + std::to_string(c.Handles) + ", windows " + std::to_string(c.Windows) + ", GDI " +
           std::to_string(c.Gdi);
}

void CheckSameCounts(const Counts& first, const Counts& later) {
    E2E_CHECK(first.Handles > 0);
    E2E_CHECK(first.Windows > 0);
    E2E_CHECK(first.Gdi > 0);
    E2E_CHECK_EQ(later.Handles, first.Handles);
    E2E_CHECK_EQ(later.Windows, first.Windows);
    E2E_CHECK_EQ(later.Gdi, first.Gdi);
}

}  // namespace e2e
