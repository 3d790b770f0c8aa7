// Thermel.exe: the temperature reader. Started by the hook companion when the menu bar's
// temperature item asks; announces its window to the bar, then every two seconds reads
// the thermal zones (a performance counter in kelvin, no driver, no administrator) and
// posts the hottest one as the CPU temperature, with the zones as the sensor list. A
// machine without zones gets no values, only the announcement. One runs at a time; it
// ends when the bar tells it to or when no bar is left to tell.

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

struct Reader {
    HWND window = nullptr;
    HWND bar = nullptr;
    bool gpuWanted = false;
    int lonely = 0;
    ThermalZones zones;

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
        if (read.empty()) return;
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
        // No GPU source is read yet: 0 says "none".
        ::PostMessageW(bar, kMsgValues, static_cast<WPARAM>(hottest), 0);
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
