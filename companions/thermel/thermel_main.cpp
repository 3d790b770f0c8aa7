// Thermel.exe: the temperature reader. Started by the hook companion when the menu bar's
// temperature item asks; announces its window to the bar, then every two seconds reads
// the thermal zones (a performance counter in kelvin, no driver, no administrator) and
// posts the hottest one as the CPU temperature, with the zones as the sensor list. When
// the bar wants the GPU too, the display adapters' performance data gives it where an
// adapter reports a temperature. A machine without zones gets no values, only the
// announcement. One runs at a time; it ends when the bar tells it to or when no bar is
// left to tell.
//
// It stays a few pages of code: no C++ library (its runtime would be most of the
// process's own memory), fixed tables for the zones and adapters, and the one buffer the
// counter needs taken from the process heap.

#include <windows.h>

#include <pdh.h>
#include <pdhmsg.h>

namespace {

constexpr UINT kMsgValues = 49999;  // to the bar: 999 + our window, or CPU and GPU degrees
constexpr UINT kMsgSensors = 49998; // to the bar: the sensor count, twice
constexpr WPARAM kAnnounce = 999;
constexpr UINT_PTR kTimerRead = 1;
constexpr UINT kReadMs = 2000;
constexpr int kLonelyTicks = 30; // a minute without a bar ends the reader
constexpr wchar_t kBarClass[] = L"VarloApp";
constexpr wchar_t kOwnClass[] = L"ThermelReader";
constexpr long kKelvinZero = 273;
constexpr long kMaxCelsius = 150;
constexpr DWORD kMaxZones = 64;
constexpr ULONG kMaxAdapters = 64;

struct Zone {
    wchar_t name[128];
    long celsius;
};

struct Zones {
    Zone zone[kMaxZones];
    DWORD count = 0;
};

// A block of the process heap that grows as asked and is given back at the end.
class HeapBuffer {
public:
    HeapBuffer() = default;
    ~HeapBuffer() {
        if (m_data) ::HeapFree(::GetProcessHeap(), 0, m_data);
    }
    HeapBuffer(const HeapBuffer&) = delete;
    HeapBuffer& operator=(const HeapBuffer&) = delete;

    void* Room(DWORD bytes) {
        if (bytes <= m_size) return m_data;
        void* grown = m_data ? ::HeapReAlloc(::GetProcessHeap(), 0, m_data, bytes) : ::HeapAlloc(::GetProcessHeap(), 0, bytes);
        if (!grown) return nullptr;
        m_data = grown;
        m_size = bytes;
        return m_data;
    }

private:
    void* m_data = nullptr;
    DWORD m_size = 0;
};

class ThermalZones {
public:
    ThermalZones() {
        if (::PdhOpenQueryW(nullptr, 0, &m_query) != ERROR_SUCCESS) {
            m_query = nullptr;
            return;
        }
        if (::PdhAddEnglishCounterW(m_query, L"\\Thermal Zone Information(*)\\Temperature", 0, &m_counter) != ERROR_SUCCESS)
            m_counter = nullptr;
    }
    ~ThermalZones() {
        if (m_query) ::PdhCloseQuery(m_query);
    }
    ThermalZones(const ThermalZones&) = delete;
    ThermalZones& operator=(const ThermalZones&) = delete;

    // The zones that report a believable temperature, at most kMaxZones.
    void Read(Zones& zones) {
        zones.count = 0;
        if (!m_counter || ::PdhCollectQueryData(m_query) != ERROR_SUCCESS) return;
        DWORD bytes = 0, count = 0;
        if (::PdhGetFormattedCounterArrayW(m_counter, PDH_FMT_LONG, &bytes, &count, nullptr) != static_cast<PDH_STATUS>(PDH_MORE_DATA))
            return;
        auto* items = static_cast<PDH_FMT_COUNTERVALUE_ITEM_W*>(m_buffer.Room(bytes));
        if (!items || ::PdhGetFormattedCounterArrayW(m_counter, PDH_FMT_LONG, &bytes, &count, items) != ERROR_SUCCESS) return;
        for (DWORD i = 0; i < count && zones.count < kMaxZones; ++i) {
            if (items[i].FmtValue.CStatus != PDH_CSTATUS_VALID_DATA) continue;
            const long celsius = items[i].FmtValue.longValue - kKelvinZero;
            // A zone that reports nonsense (0 K, a sensor not fitted) is no reading.
            if (celsius <= 0 || celsius > kMaxCelsius) continue;
            Zone& zone = zones.zone[zones.count++];
            zone.celsius = celsius;
            zone.name[0] = L'\0';
            // A name longer than the table's room is cut, never overrun.
            if (items[i].szName) ::lstrcpynW(zone.name, items[i].szName, static_cast<int>(ARRAYSIZE(zone.name)));
        }
    }

private:
    PDH_HQUERY m_query = nullptr;
    PDH_HCOUNTER m_counter = nullptr;
    HeapBuffer m_buffer;
};

// The display adapters' own temperature, from the kernel graphics interface of gdi32
// (Windows 10 1803 and later, and only where the driver fills it in). The few structures
// are declared here: the compiler's headers do not have them.
namespace kmt {

using Handle = UINT;
using Status = LONG;

struct AdapterInfo {
    Handle adapter;
    LUID luid;
    ULONG sources;
    BOOL precisePresentRegions;
};
struct EnumAdapters2 {
    ULONG count;
    AdapterInfo* adapters;
};
struct QueryAdapterInfo {
    Handle adapter;
    UINT type;
    void* data;
    UINT size;
};
struct CloseAdapter {
    Handle adapter;
};
// The adapter's performance data; the temperature is in tenths of a degree.
struct alignas(8) AdapterPerfData {
    UINT32 physicalAdapterIndex;
    ULONGLONG memoryFrequency, maxMemoryFrequency, maxMemoryFrequencyOc, memoryBandwidth, pcieBandwidth;
    ULONG fanRpm, power, temperature;
    UCHAR powerStateOverride;
};
static_assert(sizeof(AdapterPerfData) == 64, "the system checks the size");
constexpr UINT kAdapterPerfData = 62;

using EnumFn = Status(APIENTRY*)(EnumAdapters2*);
using QueryFn = Status(APIENTRY*)(const QueryAdapterInfo*);
using CloseFn = Status(APIENTRY*)(const CloseAdapter*);

} // namespace kmt

class AdapterTemperatures {
public:
    AdapterTemperatures() = default;
    ~AdapterTemperatures() { Release(); }
    AdapterTemperatures(const AdapterTemperatures&) = delete;
    AdapterTemperatures& operator=(const AdapterTemperatures&) = delete;

    // The hottest adapter's temperature in degrees, or 0 for none. An adapter that never
    // answers is not asked again; when none does, nothing is asked any more.
    long Read() {
        if (m_gaveUp) return 0;
        if (!m_opened) Open();
        long hottest = 0;
        bool anyAnswered = false;
        for (ULONG i = 0; i < m_count; ++i) {
            Adapter& a = m_adapters[i];
            if (a.silent) continue;
            kmt::AdapterPerfData data{};
            const kmt::QueryAdapterInfo query{a.handle, kmt::kAdapterPerfData, &data, sizeof data};
            if (m_query(&query) < 0) {
                a.silent = true;
                continue;
            }
            anyAnswered = true;
            // Tenths of a degree, rounded; 0 is an adapter that has no sensor.
            const long celsius = static_cast<long>((data.temperature + 5) / 10);
            if (celsius > 0 && celsius <= kMaxCelsius && celsius > hottest) hottest = celsius;
        }
        if (!anyAnswered) {
            m_gaveUp = true;
            Release();
        }
        return hottest;
    }

private:
    struct Adapter {
        kmt::Handle handle = 0;
        bool silent = false;
    };

    void Open() {
        m_opened = true;
        // gdi32 is loaded with user32 already; its kernel graphics calls are looked up.
        HMODULE gdi = ::GetModuleHandleW(L"gdi32.dll");
        if (!gdi) gdi = ::LoadLibraryW(L"gdi32.dll");
        const auto find = [gdi](const char* name) {
            return gdi ? reinterpret_cast<void*>(::GetProcAddress(gdi, name)) : nullptr;
        };
        const auto enumerate = reinterpret_cast<kmt::EnumFn>(find("D3DKMTEnumAdapters2"));
        m_query = reinterpret_cast<kmt::QueryFn>(find("D3DKMTQueryAdapterInfo"));
        m_close = reinterpret_cast<kmt::CloseFn>(find("D3DKMTCloseAdapter"));
        if (!enumerate || !m_query || !m_close) return;
        kmt::EnumAdapters2 list{};
        if (enumerate(&list) < 0 || list.count == 0 || list.count > kMaxAdapters) return;
        kmt::AdapterInfo infos[kMaxAdapters]{};
        list.adapters = infos;
        if (enumerate(&list) < 0) return;
        for (ULONG i = 0; i < list.count && i < kMaxAdapters; ++i) m_adapters[m_count++] = {infos[i].adapter, false};
    }

    void Release() {
        for (ULONG i = 0; i < m_count; ++i) {
            const kmt::CloseAdapter close{m_adapters[i].handle};
            if (m_close) m_close(&close);
        }
        m_count = 0;
    }

    bool m_opened = false;
    bool m_gaveUp = false;
    kmt::QueryFn m_query = nullptr;
    kmt::CloseFn m_close = nullptr;
    Adapter m_adapters[kMaxAdapters];
    ULONG m_count = 0;
};

struct Reader {
    HWND window = nullptr;
    HWND bar = nullptr;
    bool gpuWanted = false;
    int lonely = 0;
    ThermalZones zones;
    AdapterTemperatures adapters;
    Zones read; // the last reading

    void FindBar() {
        HWND found = ::FindWindowW(kBarClass, nullptr);
        if (found && found != bar) ::PostMessageW(found, kMsgValues, kAnnounce, reinterpret_cast<LPARAM>(window));
        bar = found;
    }

    void Tick() {
        if (!bar || !::IsWindow(bar)) FindBar();
        if (!bar) {
            if (++lonely >= kLonelyTicks) ::PostQuitMessage(0);
            return;
        }
        lonely = 0;
        zones.Read(read);
        // The GPU is read only when the bar wants it; 0 says "none".
        const long gpu = gpuWanted ? adapters.Read() : 0;
        if (read.count == 0) {
            // No zone: no CPU value (0 is none), but a GPU one is still worth telling.
            if (gpu > 0) ::PostMessageW(bar, kMsgValues, 0, gpu);
            return;
        }
        ::PostMessageW(bar, kMsgSensors, read.count, static_cast<LPARAM>(read.count));
        long hottest = 0;
        for (DWORD i = 0; i < read.count; ++i) {
            Zone& zone = read.zone[i];
            hottest = zone.celsius > hottest ? zone.celsius : hottest;
            COPYDATASTRUCT data{};
            data.dwData = static_cast<ULONG_PTR>(zone.celsius);
            data.cbData = static_cast<DWORD>((::lstrlenW(zone.name) + 1) * sizeof(wchar_t));
            data.lpData = zone.name;
            DWORD_PTR answer = 0;
            // Sent with a deadline: a hung bar must not hang the reader.
            ::SendMessageTimeoutW(bar, WM_COPYDATA, i, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 500, &answer);
        }
        ::PostMessageW(bar, kMsgValues, static_cast<WPARAM>(hottest), gpu);
    }
};

Reader* g_reader = nullptr;

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (g_reader && wParam == kTimerRead) g_reader->Tick();
        return 0;
    case kMsgValues:
        // Only the two requests the bar makes; anything else is ignored.
        if (wParam == 0 && lParam == 0) ::PostQuitMessage(0);
        else if (wParam == 1 && (lParam == 0 || lParam == 1) && g_reader) g_reader->gpuWanted = lParam == 1;
        return 0;
    case WM_CLOSE: ::PostQuitMessage(0); return 0;
    default: return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // One reader per session: the hook companion may be asked twice.
    HANDLE single = ::CreateMutexW(nullptr, TRUE, L"Local\\KestranaThermel");
    if (!single || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        if (single) ::CloseHandle(single);
        return 0;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = kOwnClass;
    if (!::RegisterClassExW(&wc)) return 1;
    // Message-only: the bar learns the handle from the announcement, and a top-level
    // window, hidden or not, would be one more for every window list of the desktop.
    HWND window = ::CreateWindowExW(0, kOwnClass, L"Thermel", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (!window) return 1;
    ::ChangeWindowMessageFilterEx(window, kMsgValues, MSGFLT_ALLOW, nullptr);
    Reader reader;
    reader.window = window;
    g_reader = &reader;
    reader.FindBar();
    reader.Tick();
    ::SetTimer(window, kTimerRead, kReadMs, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    g_reader = nullptr;
    ::DestroyWindow(window);
    ::CloseHandle(single);
    return 0;
}
