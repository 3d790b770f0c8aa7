#include "menubar/win32/monitor_brightness.h"

#include "foundation/diagnostic_log.h"

#include <oleauto.h>
#include <highlevelmonitorconfigurationapi.h>
#include <physicalmonitorenumerationapi.h>
#include <wbemidl.h>
#include <wrl/client.h>

namespace kestrana::menubar::win32 {
namespace {

using Microsoft::WRL::ComPtr;

class BusLink final : public MonitorLink {
public:
    explicit BusLink(HANDLE monitor) : m_monitor(monitor) {}
    ~BusLink() override { ::DestroyPhysicalMonitor(m_monitor); }
    BusLink(const BusLink&) = delete;
    BusLink& operator=(const BusLink&) = delete;

    std::optional<BrightnessRange> Read() override {
        DWORD minimum = 0, current = 0, maximum = 0;
        if (!::GetMonitorBrightness(m_monitor, &minimum, &current, &maximum)) return std::nullopt;
        return BrightnessRange{static_cast<int>(minimum), static_cast<int>(current), static_cast<int>(maximum)};
    }
    bool Write(int value) override { return ::SetMonitorBrightness(m_monitor, static_cast<DWORD>(value)) != FALSE; }

private:
    HANDLE m_monitor;
};

// A built-in panel: "WmiMonitorBrightness" to read, "WmiSetBrightness" to set.
class PanelLink final : public MonitorLink {
public:
    PanelLink(ComPtr<IWbemServices> services, std::wstring path)
        : m_services(std::move(services)), m_path(std::move(path)) {}

    std::optional<BrightnessRange> Read() override {
        ComPtr<IEnumWbemClassObject> rows;
        if (FAILED(m_services->ExecQuery(Bstr(L"WQL"), Bstr(L"Select * from WmiMonitorBrightness"),
                                         WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr, &rows)))
            return std::nullopt;
        ComPtr<IWbemClassObject> row;
        ULONG got = 0;
        if (FAILED(rows->Next(2000, 1, &row, &got)) || got == 0) return std::nullopt;
        VARIANT value;
        ::VariantInit(&value);
        std::optional<BrightnessRange> range;
        if (SUCCEEDED(row->Get(L"CurrentBrightness", 0, &value, nullptr, nullptr)) && value.vt == VT_UI1)
            range = BrightnessRange{0, value.bVal, 100};
        ::VariantClear(&value);
        return range;
    }

    bool Write(int value) override {
        ComPtr<IWbemClassObject> type, method, input;
        if (FAILED(m_services->GetObject(Bstr(L"WmiMonitorBrightnessMethods"), 0, nullptr, &type, nullptr)) ||
            FAILED(type->GetMethod(L"WmiSetBrightness", 0, &method, nullptr)) || !method ||
            FAILED(method->SpawnInstance(0, &input)))
            return false;
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = 0; // at once
        input->Put(L"Timeout", 0, &v, 0);
        v.vt = VT_UI1;
        v.bVal = static_cast<BYTE>(value);
        input->Put(L"Brightness", 0, &v, 0);
        return SUCCEEDED(m_services->ExecMethod(Bstr(m_path.c_str()), Bstr(L"WmiSetBrightness"), 0, nullptr,
                                                input.Get(), nullptr, nullptr));
    }

private:
    // A BSTR that lives for the call it is made for.
    struct Bstr {
        explicit Bstr(const wchar_t* text) : value(::SysAllocString(text)) {}
        ~Bstr() { ::SysFreeString(value); }
        operator BSTR() const { return value; }
        BSTR value;
    };

    ComPtr<IWbemServices> m_services;
    std::wstring m_path; // the instance of WmiMonitorBrightnessMethods
};

std::unique_ptr<MonitorLink> FindPanel() {
    ComPtr<IWbemLocator> locator;
    if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&locator))))
        return nullptr;
    ComPtr<IWbemServices> services;
    BSTR space = ::SysAllocString(L"ROOT\\WMI");
    const HRESULT hr = locator->ConnectServer(space, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services);
    ::SysFreeString(space);
    if (FAILED(hr)) return nullptr;
    ::CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                        RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    ComPtr<IEnumWbemClassObject> rows;
    BSTR language = ::SysAllocString(L"WQL");
    BSTR query = ::SysAllocString(L"Select * from WmiMonitorBrightnessMethods");
    const HRESULT queried = services->ExecQuery(language, query, WBEM_FLAG_FORWARD_ONLY, nullptr, &rows);
    ::SysFreeString(language);
    ::SysFreeString(query);
    if (FAILED(queried)) return nullptr;
    ComPtr<IWbemClassObject> row;
    ULONG got = 0;
    if (FAILED(rows->Next(2000, 1, &row, &got)) || got == 0) return nullptr; // no built-in panel
    VARIANT path;
    ::VariantInit(&path);
    std::unique_ptr<MonitorLink> link;
    if (SUCCEEDED(row->Get(L"__PATH", 0, &path, nullptr, nullptr)) && path.vt == VT_BSTR && path.bstrVal)
        link = std::make_unique<PanelLink>(services, path.bstrVal);
    ::VariantClear(&path);
    return link;
}

} // namespace

std::vector<std::vector<std::unique_ptr<MonitorLink>>> MonitorLinks(const std::vector<HMONITOR>& screens) {
    std::vector<std::vector<std::unique_ptr<MonitorLink>>> all(screens.size());
    bool panelTried = false;
    for (std::size_t i = 0; i < screens.size(); ++i) {
        DWORD count = 0;
        if (::GetNumberOfPhysicalMonitorsFromHMONITOR(screens[i], &count) && count > 0 && count < 16) {
            std::vector<PHYSICAL_MONITOR> monitors(count);
            if (::GetPhysicalMonitorsFromHMONITOR(screens[i], count, monitors.data()))
                for (const PHYSICAL_MONITOR& m : monitors) all[i].push_back(std::make_unique<BusLink>(m.hPhysicalMonitor));
        }
        // A screen no bus answers for may be the built-in panel (there is one at most).
        if (!panelTried) {
            bool busAnswers = false;
            for (auto& link : all[i]) busAnswers = busAnswers || link->Read().has_value();
            if (!busAnswers) {
                panelTried = true;
                if (auto panel = FindPanel()) all[i].push_back(std::move(panel));
            }
        }
    }
    return all;
}

} // namespace kestrana::menubar::win32
