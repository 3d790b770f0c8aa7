#include "menubar/win32/hotspot_control.h"

#include "foundation/diagnostic_log.h"
#include "menubar/win32/runtime_abi.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace kestrana::menubar::win32 {
namespace {

using abi::ComPtr;
using abi::HString;

std::wstring Hex(HRESULT hr) {
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// --- Declarations from the published definitions ---------------------------------------

struct INetworkInformationStatics : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetConnectionProfiles(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInternetConnectionProfile(IInspectable** value) = 0;
};
struct ITetheringAccessPointConfiguration : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Ssid(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Ssid(HSTRING value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Passphrase(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Passphrase(HSTRING value) = 0;
};
struct ITetheringOperationResult : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Status(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AdditionalErrorMessage(HSTRING* value) = 0;
};
enum class TetheringState : int { Unknown = 0, On = 1, Off = 2, InTransition = 3 };
struct ITetheringManager : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_MaxClientCount(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ClientCount(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TetheringOperationalState(TetheringState* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentAccessPointConfiguration(ITetheringAccessPointConfiguration** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConfigureAccessPointAsync(ITetheringAccessPointConfiguration* value, IInspectable** action) = 0;
    virtual HRESULT STDMETHODCALLTYPE StartTetheringAsync(abi::IAsyncOperation<ITetheringOperationResult*>** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE StopTetheringAsync(abi::IAsyncOperation<ITetheringOperationResult*>** operation) = 0;
};
struct ITetheringManagerStatics2 : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetTetheringCapabilityFromConnectionProfile(IInspectable* profile, int* capability) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateFromConnectionProfile(IInspectable* profile, ITetheringManager** manager) = 0;
};
constexpr const char* kNetworkInformationStaticsId = "{5074f851-950d-4165-9c15-365619481eea}";
constexpr const char* kTetheringStatics2Id = "{5b235412-35f0-49e7-9b08-16d278fbaa42}";
constexpr int kTetheringEnabled = 0;

ComPtr<ITetheringManager> Manager(std::wstring& why) {
    ComPtr<INetworkInformationStatics> network;
    HRESULT hr = abi::Factory(L"Windows.Networking.Connectivity.NetworkInformation", abi::GuidOf(kNetworkInformationStaticsId),
                              reinterpret_cast<void**>(network.GetAddressOf()));
    if (FAILED(hr)) {
        why = L"the network information interface is missing (" + Hex(hr) + L")";
        return nullptr;
    }
    ComPtr<ITetheringManagerStatics2> statics;
    hr = abi::Factory(L"Windows.Networking.NetworkOperators.NetworkOperatorTetheringManager", abi::GuidOf(kTetheringStatics2Id),
                      reinterpret_cast<void**>(statics.GetAddressOf()));
    if (FAILED(hr)) {
        why = L"the tethering manager is missing (" + Hex(hr) + L")";
        return nullptr;
    }
    ComPtr<IInspectable> profile;
    if (FAILED(hr = network->GetInternetConnectionProfile(profile.GetAddressOf())) || !profile) {
        why = L"no connection to the internet to share (" + Hex(hr) + L")";
        return nullptr;
    }
    int capability = -1;
    if (SUCCEEDED(statics->GetTetheringCapabilityFromConnectionProfile(profile.Get(), &capability)) &&
        capability != kTetheringEnabled) {
        why = L"this connection cannot be shared (capability " + std::to_wstring(capability) + L")";
        return nullptr;
    }
    ComPtr<ITetheringManager> manager;
    if (FAILED(hr = statics->CreateFromConnectionProfile(profile.Get(), manager.GetAddressOf())) || !manager) {
        why = L"no tethering manager for the connection (" + Hex(hr) + L")";
        return nullptr;
    }
    return manager;
}

HotspotFacts Facts(ITetheringManager* manager, std::wstring why) {
    HotspotFacts facts;
    facts.why = std::move(why);
    if (!manager) return facts;
    TetheringState state = TetheringState::Unknown;
    if (FAILED(manager->get_TetheringOperationalState(&state))) {
        facts.why = L"the hotspot's state cannot be read";
        return facts;
    }
    facts.state = state == TetheringState::On    ? HotspotState::On
                  : state == TetheringState::Off ? HotspotState::Off
                                                 : HotspotState::Changing;
    ComPtr<ITetheringAccessPointConfiguration> config;
    if (SUCCEEDED(manager->GetCurrentAccessPointConfiguration(config.GetAddressOf())) && config) {
        HString ssid, passphrase;
        if (SUCCEEDED(config->get_Ssid(ssid.Put()))) facts.ssid = ssid.Text();
        if (SUCCEEDED(config->get_Passphrase(passphrase.Put()))) facts.passphrase = passphrase.Text();
    }
    return facts;
}

} // namespace

struct HotspotControl::Shared {
    std::mutex lock;
    bool running = false;
    std::optional<Answer> answer;
    std::thread worker;
};

HotspotControl::HotspotControl() : m_shared(std::make_shared<Shared>()) {}

HotspotControl::~HotspotControl() {
    if (m_shared->worker.joinable()) m_shared->worker.join();
}

bool HotspotControl::Read(HWND target) { return Start(std::nullopt, target); }
bool HotspotControl::Switch(bool on, HWND target) { return Start(on, target); }

bool HotspotControl::Start(std::optional<bool> turnOn, HWND target) {
    {
        std::lock_guard guard(m_shared->lock);
        if (m_shared->running) return false;
        m_shared->running = true;
    }
    if (m_shared->worker.joinable()) m_shared->worker.join(); // the last one has ended
    try {
        m_shared->worker = std::thread([shared = m_shared, turnOn, target] {
            Answer answer;
            answer.switched = turnOn.has_value();
            try {
                abi::RuntimeApartment apartment;
                std::wstring why;
                ComPtr<ITetheringManager> manager;
                if (FAILED(apartment.Result())) why = L"no runtime here (" + Hex(apartment.Result()) + L")";
                else manager = Manager(why);
                if (manager && turnOn) {
                    ComPtr<abi::IAsyncOperation<ITetheringOperationResult*>> operation;
                    HRESULT hr = *turnOn ? manager->StartTetheringAsync(operation.GetAddressOf())
                                         : manager->StopTetheringAsync(operation.GetAddressOf());
                    if (SUCCEEDED(hr)) hr = abi::Wait(operation.Get(), 15000);
                    ComPtr<ITetheringOperationResult> result;
                    int status = -1;
                    if (SUCCEEDED(hr)) hr = operation->GetResults(result.GetAddressOf());
                    if (SUCCEEDED(hr) && result) result->get_Status(&status);
                    if (FAILED(hr) || status != 0) {
                        HString more;
                        if (result) result->get_AdditionalErrorMessage(more.Put());
                        why = std::wstring(L"the hotspot was not switched ") + (*turnOn ? L"on" : L"off") + L" (" + Hex(hr) +
                              L", status " + std::to_wstring(status) + L") " + more.Text();
                    }
                }
                answer.facts = Facts(manager.Get(), why);
            } catch (...) {
                answer.facts.why = L"the hotspot could not be asked";
            }
            {
                std::lock_guard guard(shared->lock);
                shared->answer = std::move(answer);
                shared->running = false;
            }
            if (target) ::PostMessageW(target, kMsgHotspot, 0, 0);
        });
    } catch (...) {
        std::lock_guard guard(m_shared->lock);
        m_shared->running = false;
        foundation::LogFailure("wifi", L"no worker for the hotspot");
        return false;
    }
    return true;
}

std::optional<HotspotControl::Answer> HotspotControl::Take() {
    std::lock_guard guard(m_shared->lock);
    auto answer = std::move(m_shared->answer);
    m_shared->answer.reset();
    return answer;
}

} // namespace kestrana::menubar::win32
