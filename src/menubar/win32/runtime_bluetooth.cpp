#include "menubar/win32/runtime_bluetooth.h"

#include "foundation/diagnostic_log.h"
#include "menubar/win32/runtime_abi.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>

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

enum class RadioKind : int { Other = 0, WiFi = 1, MobileBroadband = 2, Bluetooth = 3, FM = 4 };
enum class RadioState : int { Unknown = 0, On = 1, Off = 2, Disabled = 3 };
enum class RadioAccess : int { Unspecified = 0, Allowed = 1, DeniedByUser = 2, DeniedBySystem = 3 };

struct IRadio : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE SetStateAsync(RadioState value, abi::IAsyncOperation<RadioAccess>** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_StateChanged(IUnknown* handler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_StateChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_State(RadioState* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Kind(RadioKind* value) = 0;
};
struct IRadioStatics : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetRadiosAsync(abi::IAsyncOperation<abi::IVectorView<IRadio*>*>** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceSelector(HSTRING* selector) = 0;
    virtual HRESULT STDMETHODCALLTYPE FromIdAsync(HSTRING id, IInspectable** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE RequestAccessAsync(abi::IAsyncOperation<RadioAccess>** operation) = 0;
};
constexpr const char* kRadioId = "{252118df-b33e-416a-875f-1cf38ae2d83e}";
constexpr const char* kRadioStaticsId = "{5fb6a12e-67cb-46ae-aae9-65919f86eff4}";

struct IDeviceInformation : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Id(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsDefault(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_EnclosureLocation(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Properties(abi::IMapView** value) = 0;
};
struct IDeviceInformationUpdate : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Id(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Properties(abi::IMapView** value) = 0;
};
struct IDeviceWatcher : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE add_Added(IUnknown* handler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_Added(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_Updated(IUnknown* handler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_Updated(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_Removed(IUnknown* handler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_Removed(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_EnumerationCompleted(IUnknown* handler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_EnumerationCompleted(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_Stopped(IUnknown* handler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_Stopped(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Status(int* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE Start() = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
};
struct IDeviceInformationStatics2 : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetAqsFilterFromDeviceClass(int deviceClass, HSTRING* filter) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateFromIdAsyncWithKindAndAdditionalProperties(HSTRING id, IInspectable* properties,
                                                                                       int kind, IInspectable** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAllAsyncWithKindAqsFilterAndAdditionalProperties(HSTRING filter, IInspectable* properties,
                                                                                           int kind, IInspectable** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateWatcherWithKindAqsFilterAndAdditionalProperties(HSTRING filter, IInspectable* properties,
                                                                                            int kind, IDeviceWatcher** watcher) = 0;
};
constexpr const char* kDeviceWatcherId = "{c9eab97d-8f6b-4f96-a9f4-abc814e22271}";
constexpr const char* kDeviceInformationId = "{aba0fb95-4398-489d-8e44-e6130927011f}";
constexpr const char* kDeviceInformationUpdateId = "{8f315305-d972-44b7-a37e-9e822c78213b}";
constexpr const char* kDeviceInformationStatics2Id = "{493b4f34-a84f-45fd-9167-15d1cb1bd1f9}";
constexpr int kAssociationEndpoint = 5;

struct IBluetoothLEManufacturerData : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_CompanyId(UINT16* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_CompanyId(UINT16 value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Data(abi::IBuffer** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Data(abi::IBuffer* value) = 0;
};
struct IBluetoothLEAdvertisement : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Flags(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Flags(IInspectable* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LocalName(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_LocalName(HSTRING value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ServiceUuids(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ManufacturerData(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DataSections(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetManufacturerDataByCompanyId(UINT16 id,
                                                                     abi::IVectorView<IBluetoothLEManufacturerData*>** value) = 0;
};
struct IBluetoothLEAdvertisementReceivedEventArgs : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_RawSignalStrengthInDBm(INT16* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BluetoothAddress(UINT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AdvertisementType(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Timestamp(INT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Advertisement(IBluetoothLEAdvertisement** value) = 0;
};
struct IBluetoothLEAdvertisementWatcher : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_MinSamplingInterval(INT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MaxSamplingInterval(INT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MinOutOfRangeTimeout(INT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MaxOutOfRangeTimeout(INT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Status(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ScanningMode(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ScanningMode(int value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SignalStrengthFilter(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_SignalStrengthFilter(IInspectable* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AdvertisementFilter(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AdvertisementFilter(IInspectable* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Start() = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
    virtual HRESULT STDMETHODCALLTYPE add_Received(IUnknown* handler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_Received(EventRegistrationToken token) = 0;
};
constexpr const char* kAdvertisementWatcherId = "{a6ac336f-f3d3-4297-8d6c-c81ea6623f40}";
constexpr const char* kAdvertisementReceivedId = "{27987ddf-e596-41be-8d43-9e6731d4a913}";

std::string Class(const char* name, const char* id) { return ClassSignature(name, id); }

template <typename T>
T** Out(ComPtr<T>& p) {
    return p.ReleaseAndGetAddressOf();
}

} // namespace

struct RuntimeBluetooth::Shared {
    std::mutex lock;
    std::condition_variable wake;
    HWND target = nullptr;
    bool posted = false;
    bool stop = false;
    std::atomic<bool> stopping{false};
    std::optional<bool> wantRadio;
    RuntimeRadio radio;
    bool radioKnown = false;
    RuntimeNews news;

    // Any thread: keeps what came and asks the bar to take it, once until it has.
    template <typename Fn>
    void Record(Fn&& fn) {
        std::lock_guard guard(lock);
        fn(news);
        if (!posted && target && ::PostMessageW(target, kMsgBluetoothChanged, 0, 0)) posted = true;
    }
};

namespace {

std::optional<WatchReport> ReadEndpoint(BluetoothProtocol protocol, WatchChange change, IInspectable* args) {
    if (!args) return std::nullopt;
    WatchReport report;
    report.protocol = protocol;
    report.change = change;
    ComPtr<abi::IMapView> properties;
    if (change == WatchChange::Added) {
        ComPtr<IDeviceInformation> info;
        if (FAILED(args->QueryInterface(abi::GuidOf(kDeviceInformationId), reinterpret_cast<void**>(Out(info))))) return std::nullopt;
        HString id, name;
        if (FAILED(info->get_Id(id.Put()))) return std::nullopt;
        report.endpointId = id.Text();
        if (SUCCEEDED(info->get_Name(name.Put()))) report.name = name.Text();
        info->get_Properties(Out(properties));
    } else {
        ComPtr<IDeviceInformationUpdate> update;
        if (FAILED(args->QueryInterface(abi::GuidOf(kDeviceInformationUpdateId), reinterpret_cast<void**>(Out(update)))))
            return std::nullopt;
        HString id;
        if (FAILED(update->get_Id(id.Put()))) return std::nullopt;
        report.endpointId = id.Text();
        update->get_Properties(Out(properties));
    }
    if (properties && change != WatchChange::Removed) {
        report.address = abi::StringProperty(properties.Get(), kAddressProperty);
        report.paired = abi::BoolProperty(properties.Get(), kPairedProperty);
        report.connected = abi::BoolProperty(properties.Get(), kConnectedProperty);
        report.majorClass = abi::UnsignedProperty(properties.Get(), kMajorClassProperty);
        if (auto name = abi::StringProperty(properties.Get(), L"System.ItemNameDisplay"); name && !name->empty())
            report.name = name;
    }
    return report;
}

std::optional<HeardBattery> ReadAdvertisement(IInspectable* args) {
    if (!args) return std::nullopt;
    ComPtr<IBluetoothLEAdvertisementReceivedEventArgs> received;
    if (FAILED(args->QueryInterface(abi::GuidOf(kAdvertisementReceivedId), reinterpret_cast<void**>(Out(received)))))
        return std::nullopt;
    INT16 signal = -127;
    ComPtr<IBluetoothLEAdvertisement> advertisement;
    ComPtr<abi::IVectorView<IBluetoothLEManufacturerData*>> sections;
    if (FAILED(received->get_RawSignalStrengthInDBm(&signal)) || FAILED(received->get_Advertisement(Out(advertisement))) ||
        !advertisement || FAILED(advertisement->GetManufacturerDataByCompanyId(kEarbudCompany, Out(sections))) || !sections)
        return std::nullopt;
    UINT32 count = 0;
    sections->get_Size(&count);
    for (UINT32 i = 0; i < count; ++i) {
        ComPtr<IBluetoothLEManufacturerData> section;
        ComPtr<abi::IBuffer> buffer;
        ComPtr<abi::IBufferByteAccess> bytes;
        UINT32 length = 0;
        BYTE* data = nullptr;
        if (FAILED(sections->GetAt(i, Out(section))) || !section || FAILED(section->get_Data(Out(buffer))) || !buffer ||
            FAILED(buffer->get_Length(&length)) ||
            FAILED(buffer->QueryInterface(abi::kBufferByteAccessId, reinterpret_cast<void**>(Out(bytes)))) ||
            FAILED(bytes->Buffer(&data)) || !data)
            continue;
        if (auto battery = DecodeEarbudFrame(kEarbudCompany, std::span<const std::uint8_t>(data, length)))
            return HeardBattery{*battery, signal};
    }
    return std::nullopt;
}

// The worker's objects; released on the worker, in its apartment.
struct Watching {
    ComPtr<IRadio> radio;
    EventRegistrationToken radioToken{};
    struct Watcher {
        ComPtr<IDeviceWatcher> watcher;
        EventRegistrationToken added{}, updated{}, removed{};
    };
    std::vector<Watcher> watchers;
    ComPtr<IBluetoothLEAdvertisementWatcher> advertisements;
    EventRegistrationToken heard{};

    void StopWatchers() {
        for (auto& w : watchers) {
            w.watcher->Stop();
            w.watcher->remove_Added(w.added);
            w.watcher->remove_Updated(w.updated);
            w.watcher->remove_Removed(w.removed);
        }
        watchers.clear();
    }

    ~Watching() {
        StopWatchers();
        if (advertisements) {
            advertisements->Stop();
            advertisements->remove_Received(heard);
        }
        if (radio) radio->remove_StateChanged(radioToken);
    }
};

ComPtr<IRadio> FindRadio(const std::atomic<bool>& stop, HRESULT& why) {
    ComPtr<IRadioStatics> statics;
    why = abi::Factory(L"Windows.Devices.Radios.Radio", abi::GuidOf(kRadioStaticsId), reinterpret_cast<void**>(Out(statics)));
    if (FAILED(why)) return nullptr;
    ComPtr<abi::IAsyncOperation<RadioAccess>> access;
    if (SUCCEEDED(statics->RequestAccessAsync(Out(access))) && SUCCEEDED(abi::Wait(access.Get(), 5000, &stop))) {
        RadioAccess answer = RadioAccess::Unspecified;
        access->GetResults(&answer);
        if (answer != RadioAccess::Allowed)
            foundation::LogFailure("bluetooth", L"switching the radio is not allowed (" + std::to_wstring(static_cast<int>(answer)) + L")");
    }
    ComPtr<abi::IAsyncOperation<abi::IVectorView<IRadio*>*>> listing;
    if (FAILED(why = statics->GetRadiosAsync(Out(listing))) || FAILED(why = abi::Wait(listing.Get(), 10000, &stop)))
        return nullptr;
    ComPtr<abi::IVectorView<IRadio*>> radios;
    if (FAILED(why = listing->GetResults(Out(radios))) || !radios) return nullptr;
    UINT32 count = 0;
    radios->get_Size(&count);
    for (UINT32 i = 0; i < count; ++i) {
        ComPtr<IRadio> radio;
        RadioKind kind = RadioKind::Other;
        if (SUCCEEDED(radios->GetAt(i, Out(radio))) && radio && SUCCEEDED(radio->get_Kind(&kind)) && kind == RadioKind::Bluetooth)
            return radio;
    }
    why = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    return nullptr;
}

RuntimeRadio RadioFacts(IRadio* radio, bool watching) {
    RuntimeRadio facts;
    facts.found = radio != nullptr;
    RadioState state = RadioState::Unknown;
    facts.on = radio && SUCCEEDED(radio->get_State(&state)) && state == RadioState::On;
    facts.watching = watching;
    return facts;
}

using SharedPtr = std::shared_ptr<RuntimeBluetooth::Shared>;

void FollowRadio(const SharedPtr& shared, Watching& w) {
    const std::string radioClass = Class("Windows.Devices.Radios.Radio", kRadioId);
    abi::Delegate* changed = abi::Delegate::Make(abi::TypedHandlerId(radioClass, std::string(kInspectableSignature)),
                                                 [shared, radio = w.radio](IInspectable*, IInspectable*) {
                                                     // The radio is agile: read here, kept for the bar.
                                                     const bool on = RadioFacts(radio.Get(), false).on;
                                                     shared->Record([&](RuntimeNews& news) { news.radioOn = on; });
                                                 });
    if (FAILED(w.radio->add_StateChanged(changed, &w.radioToken)))
        foundation::LogFailure("bluetooth", L"the radio's changes cannot be followed");
    changed->Release();
}

// One device watcher per protocol; without both, the classic calls list the devices.
void StartDeviceWatchers(const SharedPtr& shared, Watching& w) {
    ComPtr<IDeviceInformationStatics2> devices;
    HRESULT why = abi::Factory(L"Windows.Devices.Enumeration.DeviceInformation", abi::GuidOf(kDeviceInformationStatics2Id),
                               reinterpret_cast<void**>(Out(devices)));
    const std::string watcherClass = Class("Windows.Devices.Enumeration.DeviceWatcher", kDeviceWatcherId);
    const GUID addedId = abi::TypedHandlerId(watcherClass, Class("Windows.Devices.Enumeration.DeviceInformation", kDeviceInformationId));
    const GUID updatedId =
        abi::TypedHandlerId(watcherClass, Class("Windows.Devices.Enumeration.DeviceInformationUpdate", kDeviceInformationUpdateId));
    for (BluetoothProtocol protocol : {BluetoothProtocol::Classic, BluetoothProtocol::LowEnergy}) {
        if (!devices) break;
        Watching::Watcher watcher;
        HString selector(WatcherSelector(protocol));
        const auto properties = abi::StringList({kAddressProperty, kPairedProperty, kConnectedProperty, kMajorClassProperty});
        if (FAILED(why = devices->CreateWatcherWithKindAqsFilterAndAdditionalProperties(selector.Get(), properties.Get(),
                                                                                        kAssociationEndpoint, Out(watcher.watcher))) ||
            !watcher.watcher)
            break;
        const auto handler = [shared, protocol](WatchChange change) {
            return [shared, protocol, change](IInspectable*, IInspectable* args) {
                auto report = ReadEndpoint(protocol, change, args);
                if (report) shared->Record([&](RuntimeNews& news) { news.reports.push_back(std::move(*report)); });
            };
        };
        abi::Delegate* added = abi::Delegate::Make(addedId, handler(WatchChange::Added));
        abi::Delegate* updated = abi::Delegate::Make(updatedId, handler(WatchChange::Updated));
        abi::Delegate* removed = abi::Delegate::Make(updatedId, handler(WatchChange::Removed));
        const bool ok = SUCCEEDED(why = watcher.watcher->add_Added(added, &watcher.added)) &&
                        SUCCEEDED(why = watcher.watcher->add_Updated(updated, &watcher.updated)) &&
                        SUCCEEDED(why = watcher.watcher->add_Removed(removed, &watcher.removed));
        added->Release();
        updated->Release();
        removed->Release();
        if (!ok) break;
        w.watchers.push_back(std::move(watcher));
        if (FAILED(why = w.watchers.back().watcher->Start())) break;
    }
    if (w.watchers.size() != 2) {
        foundation::LogFailure("bluetooth", L"the device watchers did not start (" + Hex(why) + L"): the classic calls list the devices");
        w.StopWatchers();
    }
}

// Earbud batteries come only in low-energy advertisements.
void HearAdvertisements(const SharedPtr& shared, Watching& w) {
    ComPtr<IInspectable> instance;
    HString cls(L"Windows.Devices.Bluetooth.Advertisement.BluetoothLEAdvertisementWatcher");
    HRESULT why = abi::TheRuntime().activate(cls.Get(), Out(instance));
    if (SUCCEEDED(why))
        why = instance->QueryInterface(abi::GuidOf(kAdvertisementWatcherId), reinterpret_cast<void**>(Out(w.advertisements)));
    if (SUCCEEDED(why)) {
        const GUID heardId = abi::TypedHandlerId(
            Class("Windows.Devices.Bluetooth.Advertisement.BluetoothLEAdvertisementWatcher", kAdvertisementWatcherId),
            Class("Windows.Devices.Bluetooth.Advertisement.BluetoothLEAdvertisementReceivedEventArgs", kAdvertisementReceivedId));
        abi::Delegate* heard = abi::Delegate::Make(heardId, [shared](IInspectable*, IInspectable* args) {
            if (auto battery = ReadAdvertisement(args))
                shared->Record([&](RuntimeNews& news) { news.heard.push_back(*battery); });
        });
        why = w.advertisements->add_Received(heard, &w.heard);
        heard->Release();
        if (SUCCEEDED(why)) why = w.advertisements->Start();
    }
    if (FAILED(why)) {
        foundation::LogFailure("bluetooth", L"advertisements cannot be heard (" + Hex(why) + L"): no earbud batteries");
        w.advertisements.Reset();
    }
}

void ReportRadio(const SharedPtr& shared, const Watching& w) {
    shared->Record([&](RuntimeNews& news) {
        // Read just now: fresher than a state report waiting beside it.
        news.radio = RadioFacts(w.radio.Get(), !w.watchers.empty());
        news.radioOn.reset();
    });
}

void SwitchRadio(const SharedPtr& shared, const Watching& w, bool on) {
    ComPtr<abi::IAsyncOperation<RadioAccess>> switching;
    RadioAccess answer = RadioAccess::Unspecified;
    HRESULT hr = w.radio->SetStateAsync(on ? RadioState::On : RadioState::Off, Out(switching));
    if (SUCCEEDED(hr)) hr = abi::Wait(switching.Get(), 10000, &shared->stopping);
    if (SUCCEEDED(hr)) hr = switching->GetResults(&answer);
    if (FAILED(hr) || answer != RadioAccess::Allowed)
        foundation::LogFailure("bluetooth", std::wstring(L"the radio was not switched ") + (on ? L"on" : L"off") + L" (" + Hex(hr) +
                                                L", " + std::to_wstring(static_cast<int>(answer)) + L")");
}

// Waits for switch requests until the port goes.
void ServeSwitchRequests(const SharedPtr& shared, const Watching& w) {
    for (;;) {
        bool want = false;
        {
            std::unique_lock guard(shared->lock);
            shared->wake.wait(guard, [&] { return shared->stop || shared->wantRadio; });
            if (shared->stop) break;
            want = *shared->wantRadio;
            shared->wantRadio.reset();
        }
        SwitchRadio(shared, w, want);
        ReportRadio(shared, w);
    }
}

void Work(const SharedPtr& shared, bool batteries) {
    abi::RuntimeApartment apartment;
    if (FAILED(apartment.Result())) {
        foundation::LogFailure("bluetooth", L"no runtime here (" + Hex(apartment.Result()) + L"): the classic calls serve Bluetooth");
        return;
    }
    Watching w;
    HRESULT why = S_OK;
    w.radio = FindRadio(shared->stopping, why);
    if (!w.radio) {
        foundation::LogFailure("bluetooth", L"no Bluetooth radio through the runtime (" + Hex(why) +
                                                L"): the classic calls serve Bluetooth");
        return;
    }
    FollowRadio(shared, w);
    StartDeviceWatchers(shared, w);
    if (batteries) HearAdvertisements(shared, w);
    ReportRadio(shared, w);
    ServeSwitchRequests(shared, w);
}

} // namespace

RuntimeBluetooth::RuntimeBluetooth(HWND target, bool batteries) : m_shared(std::make_shared<Shared>()) {
    m_shared->target = target;
    try {
        m_worker = std::thread([shared = m_shared, batteries] {
            try {
                Work(shared, batteries);
            } catch (...) {
                foundation::LogCaught("runtime bluetooth");
            }
        });
    } catch (...) {
        foundation::LogFailure("bluetooth", L"no worker for the runtime Bluetooth interfaces");
    }
}

RuntimeBluetooth::~RuntimeBluetooth() {
    {
        std::lock_guard guard(m_shared->lock);
        m_shared->stop = true;
        m_shared->target = nullptr;
    }
    m_shared->stopping = true;
    m_shared->wake.notify_all();
    if (m_worker.joinable()) m_worker.join();
}

void RuntimeBluetooth::SetTarget(HWND target) noexcept {
    std::lock_guard guard(m_shared->lock);
    m_shared->target = target;
    m_shared->posted = false;
}

RuntimeNews RuntimeBluetooth::Take() {
    std::lock_guard guard(m_shared->lock);
    RuntimeNews news = std::move(m_shared->news);
    m_shared->news = {};
    m_shared->posted = false;
    if (news.radio) {
        m_shared->radio = *news.radio;
        m_shared->radioKnown = true;
    }
    return news;
}

bool RuntimeBluetooth::SetRadio(bool on) {
    {
        std::lock_guard guard(m_shared->lock);
        if (!m_shared->radioKnown || !m_shared->radio.found) return false;
        m_shared->wantRadio = on;
    }
    m_shared->wake.notify_all();
    return true;
}

} // namespace kestrana::menubar::win32
