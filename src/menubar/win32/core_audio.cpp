#include "menubar/win32/core_audio.h"

#include "foundation/diagnostic_log.h"

#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <propidl.h>
#include <propsys.h>
#include <wrl/client.h>

#include <array>

namespace kestrana::menubar::win32 {
namespace {

using Microsoft::WRL::ComPtr;

// The device's friendly name, {a45c254e-df1c-4efd-8020-67d146a850e0} 14.
constexpr PROPERTYKEY kFriendlyName{{0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 14};

// Marks our own volume changes, so their echo is not taken for news.
constexpr GUID kOwnChange{0x6c1d0a4e, 0x8b2f, 0x4f7d, {0x9a, 0x31, 0x52, 0x7e, 0x10, 0xc4, 0x2b, 0x93}};

// The system's policy-configuration interface, which makes an endpoint the default. It
// is not in the SDK headers; declared here from its published definition, and only
// SetDefaultEndpoint is called.
struct WAVEFORMATEX_;
MIDL_INTERFACE("f8679f50-850a-41cf-9c72-430f290290c8")
IPolicyConfig : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetMixFormat(PCWSTR, WAVEFORMATEX_**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceFormat(PCWSTR, INT, WAVEFORMATEX_**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResetDeviceFormat(PCWSTR) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDeviceFormat(PCWSTR, WAVEFORMATEX_*, WAVEFORMATEX_*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProcessingPeriod(PCWSTR, INT, PINT64, PINT64) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProcessingPeriod(PCWSTR, PINT64) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetShareMode(PCWSTR, void*) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetShareMode(PCWSTR, void*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyValue(PCWSTR, const PROPERTYKEY&, PROPVARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPropertyValue(PCWSTR, const PROPERTYKEY&, PROPVARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDefaultEndpoint(PCWSTR deviceId, ERole role) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetEndpointVisibility(PCWSTR, INT) = 0;
};
constexpr CLSID kPolicyConfigClient{0x870af99c, 0x171d, 0x4f9e, {0xaf, 0x0d, 0xe6, 0x3d, 0xf4, 0x0c, 0x2b, 0xc9}};
constexpr IID kPolicyConfig{0xf8679f50, 0x850a, 0x41cf, {0x9c, 0x72, 0x43, 0x0f, 0x29, 0x02, 0x90, 0xc8}};

EDataFlow DataFlow(AudioFlow flow) { return flow == AudioFlow::Output ? eRender : eCapture; }
std::size_t Index(AudioFlow flow) { return flow == AudioFlow::Output ? 0 : 1; }
const char* Where(AudioFlow flow) { return flow == AudioFlow::Output ? "sound" : "microphone"; }

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// Hears device changes, and carries the target window for the volume listeners too;
// it only posts to that window.
class Listener final : public IMMNotificationClient {
public:
    std::atomic<HWND> target{nullptr};

    // IUnknown
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IMMNotificationClient)) {
            *out = static_cast<IMMNotificationClient*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    // IMMNotificationClient: any change of devices is one message; the bar reads again.
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return Post(kMsgAudioDevices, 0, 0); }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return Post(kMsgAudioDevices, 0, 0); }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return Post(kMsgAudioDevices, 0, 0); }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow, ERole role, LPCWSTR) override {
        // One change is reported once per role; the console role stands for all.
        return role == eConsole ? Post(kMsgAudioDevices, 0, 0) : S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

    HRESULT Post(UINT message, WPARAM wParam, LPARAM lParam) const noexcept {
        if (HWND window = target.load()) ::PostMessageW(window, message, wParam, lParam);
        return S_OK;
    }

private:
    std::atomic<ULONG> m_refs{1};
};

class VolumeListener final : public IAudioEndpointVolumeCallback {
public:
    VolumeListener(Listener& owner, AudioFlow flow) : m_owner(&owner), m_flow(flow) { m_owner->AddRef(); }
    ~VolumeListener() { m_owner->Release(); }

    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IAudioEndpointVolumeCallback)) {
            *out = static_cast<IAudioEndpointVolumeCallback*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE OnNotify(PAUDIO_VOLUME_NOTIFICATION_DATA data) override {
        if (!data || data->guidEventContext == kOwnChange) return S_OK;
        const VolumeState state{LevelToPercent(data->fMasterVolume), data->bMuted != FALSE};
        return m_owner->Post(kMsgAudioVolume, m_flow == AudioFlow::Output ? 0 : 1, PackVolume(state));
    }

private:
    Listener* m_owner;
    AudioFlow m_flow;
    std::atomic<ULONG> m_refs{1};
};

} // namespace

struct CoreAudioPort::State {
    ComPtr<IMMDeviceEnumerator> enumerator;
    Listener* listener = nullptr; // our reference; the system holds none of its own
    bool registered = false;
    struct Bound {
        ComPtr<IAudioEndpointVolume> volume;
        ComPtr<IAudioEndpointVolumeCallback> callback;
        bool registered = false;
    };
    std::array<Bound, 2> bound;
    std::array<bool, 2> reportedMissing{};

    void Unbind(Bound& b) noexcept {
        if (b.registered && b.volume) b.volume->UnregisterControlChangeNotify(b.callback.Get());
        b = {};
    }

    ComPtr<IAudioEndpointVolume> Endpoint(AudioFlow flow) noexcept {
        Bound& b = bound[Index(flow)];
        if (b.volume || !enumerator) return b.volume;
        ComPtr<IMMDevice> device;
        const HRESULT hr = enumerator->GetDefaultAudioEndpoint(DataFlow(flow), eConsole, &device);
        if (FAILED(hr)) {
            // No device of the kind (0x80070490) is a normal state; said once.
            if (!reportedMissing[Index(flow)])
                foundation::LogDetail(Where(flow), "no default device (" + Hex(hr) + ")");
            reportedMissing[Index(flow)] = true;
            return nullptr;
        }
        reportedMissing[Index(flow)] = false;
        if (FAILED(device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                                    reinterpret_cast<void**>(b.volume.GetAddressOf())))) {
            foundation::LogFailure(Where(flow), "the default device has no volume control");
            return nullptr;
        }
        b.callback.Attach(new VolumeListener(*listener, flow));
        const HRESULT notify = b.volume->RegisterControlChangeNotify(b.callback.Get());
        b.registered = SUCCEEDED(notify);
        if (!b.registered) foundation::LogFailure(Where(flow), "volume changes cannot be followed (" + Hex(notify) + ")");
        return b.volume;
    }
};

CoreAudioPort::CoreAudioPort() : m_state(std::make_unique<State>()) {
    m_state->listener = new Listener();
    const HRESULT hr = ::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                          IID_PPV_ARGS(m_state->enumerator.GetAddressOf()));
    if (FAILED(hr)) {
        foundation::LogFailure("sound", "the audio devices cannot be listed (" + Hex(hr) + ")");
        return;
    }
    const HRESULT reg = m_state->enumerator->RegisterEndpointNotificationCallback(m_state->listener);
    m_state->registered = SUCCEEDED(reg);
    if (!m_state->registered) foundation::LogFailure("sound", "device changes cannot be followed (" + Hex(reg) + ")");
}

CoreAudioPort::~CoreAudioPort() {
    m_state->listener->target = nullptr;
    for (auto& b : m_state->bound) m_state->Unbind(b);
    if (m_state->registered) m_state->enumerator->UnregisterEndpointNotificationCallback(m_state->listener);
    m_state->enumerator.Reset();
    m_state->listener->Release();
}

void CoreAudioPort::SetTarget(HWND target) noexcept { m_state->listener->target = target; }

void CoreAudioPort::Rebind() noexcept {
    for (auto& b : m_state->bound) m_state->Unbind(b);
}

std::vector<AudioDevice> CoreAudioPort::Devices(AudioFlow flow) {
    std::vector<AudioDevice> devices;
    auto& e = m_state->enumerator;
    if (!e) return devices;
    std::wstring defaultId;
    ComPtr<IMMDevice> byDefault;
    if (SUCCEEDED(e->GetDefaultAudioEndpoint(DataFlow(flow), eConsole, &byDefault))) {
        LPWSTR id = nullptr;
        if (SUCCEEDED(byDefault->GetId(&id)) && id) defaultId = id;
        ::CoTaskMemFree(id);
    }
    ComPtr<IMMDeviceCollection> all;
    UINT count = 0;
    if (FAILED(e->EnumAudioEndpoints(DataFlow(flow), DEVICE_STATE_ACTIVE, &all)) || FAILED(all->GetCount(&count))) {
        foundation::LogFailure(Where(flow), "the devices could not be listed");
        return devices;
    }
    for (UINT i = 0; i < count; ++i) {
        ComPtr<IMMDevice> device;
        LPWSTR id = nullptr;
        // A device may go between the count and the look: it is simply left out.
        if (FAILED(all->Item(i, &device)) || FAILED(device->GetId(&id)) || !id) continue;
        AudioDevice entry;
        entry.id = id;
        ::CoTaskMemFree(id);
        ComPtr<IPropertyStore> properties;
        PROPVARIANT name;
        ::PropVariantInit(&name);
        if (SUCCEEDED(device->OpenPropertyStore(STGM_READ, &properties)) &&
            SUCCEEDED(properties->GetValue(kFriendlyName, &name)) && name.vt == VT_LPWSTR && name.pwszVal)
            entry.name = name.pwszVal;
        ::PropVariantClear(&name);
        if (entry.name.empty()) entry.name = entry.id;
        entry.isDefault = entry.id == defaultId;
        devices.push_back(std::move(entry));
    }
    return devices;
}

std::optional<VolumeState> CoreAudioPort::Volume(AudioFlow flow) {
    const ComPtr<IAudioEndpointVolume> volume = m_state->Endpoint(flow);
    if (!volume) return std::nullopt;
    float level = 0;
    BOOL muted = FALSE;
    if (FAILED(volume->GetMasterVolumeLevelScalar(&level)) || FAILED(volume->GetMute(&muted))) {
        // The device went while we asked: the next look binds to whatever is default then.
        m_state->Unbind(m_state->bound[Index(flow)]);
        return std::nullopt;
    }
    return VolumeState{LevelToPercent(level), muted != FALSE};
}

bool CoreAudioPort::SetVolume(AudioFlow flow, int percent) {
    const ComPtr<IAudioEndpointVolume> volume = m_state->Endpoint(flow);
    if (!volume) return false;
    const HRESULT hr = volume->SetMasterVolumeLevelScalar(PercentToLevel(percent), &kOwnChange);
    if (FAILED(hr)) foundation::LogDetail(Where(flow), "setting the volume gave " + Hex(hr));
    return SUCCEEDED(hr);
}

bool CoreAudioPort::SetMute(AudioFlow flow, bool muted) {
    const ComPtr<IAudioEndpointVolume> volume = m_state->Endpoint(flow);
    if (!volume) return false;
    const HRESULT hr = volume->SetMute(muted ? TRUE : FALSE, &kOwnChange);
    if (FAILED(hr)) foundation::LogDetail(Where(flow), "setting the mute gave " + Hex(hr));
    return SUCCEEDED(hr);
}

bool CoreAudioPort::MakeDefault(AudioFlow flow, const std::wstring& deviceId) {
    ComPtr<IPolicyConfig> policy;
    const HRESULT hr = ::CoCreateInstance(kPolicyConfigClient, nullptr, CLSCTX_ALL, kPolicyConfig,
                                          reinterpret_cast<void**>(policy.GetAddressOf()));
    if (FAILED(hr)) {
        foundation::LogFailure(Where(flow), "the default device cannot be changed here (" + Hex(hr) + ")");
        return false;
    }
    bool ok = true;
    for (ERole role : {eConsole, eMultimedia, eCommunications}) {
        const HRESULT set = policy->SetDefaultEndpoint(deviceId.c_str(), role);
        if (FAILED(set)) {
            foundation::LogFailure(Where(flow), "role " + std::to_string(role) + " refused the device (" + Hex(set) + ")");
            ok = false;
        }
    }
    if (ok) Rebind();
    return ok;
}

} // namespace kestrana::menubar::win32
