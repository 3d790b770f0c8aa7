// Thermel.exe: the temperature reader. Started by the hook companion when the menu bar's
// temperature item asks; announces its window to the bar, then every two seconds reads
// the thermal zones (a performance counter in kelvin, no driver, no administrator) and
// posts the hottest one as the CPU temperature, with the zones as the sensor list. When
// the bar wants the GPU too, the display adapters' performance data gives it where an
// adapter reports a temperature. A machine without zones gets no values, only the
// announcement. One runs at a time; it ends when the bar tells it to or when no bar is
// left to tell.

#include <windows.h>

#include <pdh.h>
#include <pdhmsg.h>

#include <string>
#include <vector>

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

struct Zone {
    std::wstring name;
    long celsius = 0;
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

    std::vector<Zone> Read() {
        std::vector<Zone> zones;
        if (!m_counter || ::PdhCollectQueryData(m_query) != ERROR_SUCCESS) return zones;
        DWORD bytes = 0, count = 0;
        if (::PdhGetFormattedCounterArrayW(m_counter, PDH_FMT_LONG, &bytes, &count, nullptr) != static_cast<PDH_STATUS>(PDH_MORE_DATA))
            return zones;
        m_buffer.resize(bytes);
        auto* items = reinterpret_cast<PDH_FMT_COUNTERVALUE_ITEM_W*>(m_buffer.data());
        if (::PdhGetFormattedCounterArrayW(m_counter, PDH_FMT_LONG, &bytes, &count, items) != ERROR_SUCCESS) return zones;
        for (DWORD i = 0; i < count && zones.size() < 64; ++i) {
            if (items[i].FmtValue.CStatus != PDH_CSTATUS_VALID_DATA) continue;
            const long celsius = items[i].FmtValue.longValue - kKelvinZero;
            // A zone that reports nonsense (0 K, a sensor not fitted) is no reading.
            if (celsius <= 0 || celsius > kMaxCelsius) continue;
            zones.push_back({items[i].szName ? items[i].szName : L"", celsius});
        }
        return zones;
    }

private:
    PDH_HQUERY m_query = nullptr;
    PDH_HCOUNTER m_counter = nullptr;
    std::vector<unsigned char> m_buffer;
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
        for (Adapter& a : m_adapters) {
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
        if (enumerate(&list) < 0 || list.count == 0 || list.count > 64) return;
        std::vector<kmt::AdapterInfo> infos(list.count);
        list.adapters = infos.data();
        if (enumerate(&list) < 0) return;
        for (ULONG i = 0; i < list.count && i < infos.size(); ++i) m_adapters.push_back({infos[i].adapter, false});
    }

    void Release() {
        for (const Adapter& a : m_adapters) {
            const kmt::CloseAdapter close{a.handle};
            if (m_close) m_close(&close);
        }
        m_adapters.clear();
    }

    bool m_opened = false;
    bool m_gaveUp = false;
    kmt::QueryFn m_query = nullptr;
    kmt::CloseFn m_close = nullptr;
    std::vector<Adapter> m_adapters;
};

struct Reader {
    HWND window = nullptr;
    HWND bar = nullptr;
    bool gpuWanted = false;
    int lonely = 0;
    ThermalZones zones;
    AdapterTemperatures adapters;

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
        const std::vector<Zone> read = zones.Read();
        // The GPU is read only when the bar wants it; 0 says "none".
        const long gpu = gpuWanted ? adapters.Read() : 0;
        if (read.empty()) {
            // No zone: no CPU value (0 is none), but a GPU one is still worth telling.
            if (gpu > 0) ::PostMessageW(bar, kMsgValues, 0, gpu);
            return;
        }
        ::PostMessageW(bar, kMsgSensors, read.size(), static_cast<LPARAM>(read.size()));
        long hottest = 0;
        for (std::size_t i = 0; i < read.size(); ++i) {
            hottest = read[i].celsius > hottest ? read[i].celsius : hottest;
            std::wstring name = read[i].name;
            COPYDATASTRUCT data{};
            data.dwData = static_cast<ULONG_PTR>(read[i].celsius);
            data.cbData = static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t));
            data.lpData = name.data();
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
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = kOwnClass;
    if (!::RegisterClassExW(&wc)) return 1;
    // A hidden top-level window rather than a message-only one, so it can be looked up.
    HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, kOwnClass, L"Thermel", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                                    nullptr);
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
