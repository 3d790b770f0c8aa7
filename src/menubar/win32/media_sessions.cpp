#include "menubar/win32/media_sessions.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/system_function.h"
#include "foundation/win32/unique_handle.h"
#include "menubar/runtime_type_id.h"

#include <eventtoken.h>
#include <inspectable.h>
#include <wrl/client.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace kestrana::menubar::win32 {
namespace {

using Microsoft::WRL::ComPtr;

// --- the runtime's entry points, looked up at run time -------------------------------

struct Runtime {
    using GetFactoryFn = HRESULT(WINAPI*)(HSTRING, REFIID, void**);
    using CreateStringFn = HRESULT(WINAPI*)(PCWSTR, UINT32, HSTRING*);
    using DeleteStringFn = HRESULT(WINAPI*)(HSTRING);
    using RawBufferFn = PCWSTR(WINAPI*)(HSTRING, UINT32*);
    GetFactoryFn getFactory = nullptr;
    CreateStringFn createString = nullptr;
    DeleteStringFn deleteString = nullptr;
    RawBufferFn rawBuffer = nullptr;
    [[nodiscard]] bool Complete() const { return getFactory && createString && deleteString && rawBuffer; }
};

const Runtime& Functions() {
    static const Runtime runtime = [] {
        Runtime r;
        // Kept loaded for the life of the process: the runtime's objects live in it.
        HMODULE combase = ::LoadLibraryExW(L"combase.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        r.getFactory = kestrana::win32::FunctionIn<Runtime::GetFactoryFn>(combase, "RoGetActivationFactory");
        r.createString = kestrana::win32::FunctionIn<Runtime::CreateStringFn>(combase, "WindowsCreateString");
        r.deleteString = kestrana::win32::FunctionIn<Runtime::DeleteStringFn>(combase, "WindowsDeleteString");
        r.rawBuffer = kestrana::win32::FunctionIn<Runtime::RawBufferFn>(combase, "WindowsGetStringRawBuffer");
        return r;
    }();
    return runtime;
}

// A runtime string we own.
class RuntimeString {
public:
    RuntimeString() = default;
    explicit RuntimeString(std::wstring_view text) {
        if (Functions().createString(text.data(), static_cast<UINT32>(text.size()), &m_string) != S_OK) m_string = nullptr;
    }
    ~RuntimeString() {
        if (m_string) Functions().deleteString(m_string);
    }
    RuntimeString(const RuntimeString&) = delete;
    RuntimeString& operator=(const RuntimeString&) = delete;
    [[nodiscard]] HSTRING Get() const { return m_string; }
    [[nodiscard]] HSTRING* Put() { return &m_string; }
    [[nodiscard]] std::wstring Text() const {
        if (!m_string) return {};
        UINT32 length = 0;
        const wchar_t* raw = Functions().rawBuffer(m_string, &length);
        return raw ? std::wstring(raw, length) : std::wstring();
    }

private:
    HSTRING m_string = nullptr;
};

// --- the interfaces, declared from their published definitions ---------------------
// Only the methods up to the last one called are needed for the layout; the rest are
// declared so that the order stays visibly the published one.

template <typename Result>
struct IAsyncOp : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE put_Completed(IUnknown* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Completed(IUnknown** handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetResults(Result* results) = 0;
};

struct IPlaybackControls : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_IsPlayEnabled(boolean*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsPauseEnabled(boolean*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsStopEnabled(boolean*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsRecordEnabled(boolean*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsFastForwardEnabled(boolean*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsRewindEnabled(boolean*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsNextEnabled(boolean*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsPreviousEnabled(boolean*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsChannelUpEnabled(boolean*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsChannelDownEnabled(boolean*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsPlayPauseToggleEnabled(boolean*) = 0;
};

struct IPlaybackInfo : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Controls(IPlaybackControls**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PlaybackStatus(INT32*) = 0;
};

struct IMediaProperties : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Title(HSTRING*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Subtitle(HSTRING*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AlbumArtist(HSTRING*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Artist(HSTRING*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AlbumTitle(HSTRING*) = 0;
};

using BoolOp = IAsyncOp<boolean>;

struct ISession : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_SourceAppUserModelId(HSTRING*) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryGetMediaPropertiesAsync(IAsyncOp<IMediaProperties*>**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTimelineProperties(IInspectable**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPlaybackInfo(IPlaybackInfo**) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryPlayAsync(BoolOp**) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryPauseAsync(BoolOp**) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryStopAsync(BoolOp**) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryRecordAsync(BoolOp**) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryFastForwardAsync(BoolOp**) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryRewindAsync(BoolOp**) = 0;
    virtual HRESULT STDMETHODCALLTYPE TrySkipNextAsync(BoolOp**) = 0;
    virtual HRESULT STDMETHODCALLTYPE TrySkipPreviousAsync(BoolOp**) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryChangeChannelUpAsync(BoolOp**) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryChangeChannelDownAsync(BoolOp**) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryTogglePlayPauseAsync(BoolOp**) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryChangeAutoRepeatModeAsync(INT32, BoolOp**) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryChangePlaybackRateAsync(DOUBLE, BoolOp**) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryChangeShuffleActiveAsync(boolean, BoolOp**) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryChangePlaybackPositionAsync(INT64, BoolOp**) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_TimelinePropertiesChanged(IUnknown*, EventRegistrationToken*) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_TimelinePropertiesChanged(EventRegistrationToken) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_PlaybackInfoChanged(IUnknown*, EventRegistrationToken*) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_PlaybackInfoChanged(EventRegistrationToken) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_MediaPropertiesChanged(IUnknown*, EventRegistrationToken*) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_MediaPropertiesChanged(EventRegistrationToken) = 0;
};

struct IManager : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetCurrentSession(ISession**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSessions(IInspectable**) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_CurrentSessionChanged(IUnknown*, EventRegistrationToken*) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_CurrentSessionChanged(EventRegistrationToken) = 0;
};

struct IManagerStatics : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE RequestAsync(IAsyncOp<IManager*>**) = 0;
};

constexpr IID kManagerStatics{0x2050c4ee, 0x11a0, 0x57de, {0xae, 0xd7, 0xc9, 0x7c, 0x70, 0x33, 0x82, 0x45}};
constexpr IID kAgileObject{0x94ea2b94, 0xe9cc, 0x49e0, {0xc0, 0xff, 0xee, 0x64, 0xca, 0x8f, 0x5b, 0x90}};
constexpr wchar_t kManagerClass[] = L"Windows.Media.Control.GlobalSystemMediaTransportControlsSessionManager";

// The signatures of the runtime classes involved, for the ids of the generic handlers.
#define KESTRANA_MEDIA_RC(name, iid) "rc(Windows.Media.Control." name ";{" iid "})"
constexpr char kManagerSig[] = KESTRANA_MEDIA_RC("GlobalSystemMediaTransportControlsSessionManager",
                                                 "cace8eac-e86e-504a-ab31-5ff8ff1bce49");
constexpr char kSessionSig[] = KESTRANA_MEDIA_RC("GlobalSystemMediaTransportControlsSession",
                                                 "7148c835-9b14-5ae2-ab85-dc9b1c14e1a8");
constexpr char kPropertiesSig[] = KESTRANA_MEDIA_RC("GlobalSystemMediaTransportControlsSessionMediaProperties",
                                                    "68856cf6-adb4-54b2-ac16-05837907acb6");
constexpr char kCurrentChangedSig[] = KESTRANA_MEDIA_RC("CurrentSessionChangedEventArgs", "6969cb39-0bfa-5fe0-8d73-09cc5e5408e1");
constexpr char kPlaybackChangedSig[] = KESTRANA_MEDIA_RC("PlaybackInfoChangedEventArgs", "786756c2-bc0d-50a5-8807-054291fef139");
constexpr char kPropertiesChangedSig[] = KESTRANA_MEDIA_RC("MediaPropertiesChangedEventArgs",
                                                           "7d3741cb-adf0-5cef-91ba-cfabcdd77678");
#undef KESTRANA_MEDIA_RC

IID IdOf(const std::string& signature) {
    const TypeId id = ParameterizedTypeId(signature);
    IID iid{id.data1, id.data2, id.data3, {}};
    for (int i = 0; i < 8; ++i) iid.Data4[i] = id.data4[i];
    return iid;
}
IID CompletedId(const char* resultSig) {
    return IdOf(std::string("pinterface({fcdcf02c-e5d8-4478-915a-4d90b74b83a5};") + resultSig + ")");
}
IID TypedHandlerId(const char* senderSig, const char* argsSig) {
    return IdOf(std::string("pinterface({9de1c534-6ae1-11e0-84e1-18a905bcc53f};") + senderSig + ";" + argsSig + ")");
}

// --- our handlers --------------------------------------------------------------------

// A completion handler or a typed event handler: both are an IUnknown with one Invoke of
// two arguments. Agile, so that the system calls it on its own thread; it does nothing
// there but what `m_invoke` does (read a result, queue work, post).
struct IInvoke : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(IInspectable* first, void* second) = 0;
};

class Handler final : public IInvoke {
public:
    using Fn = std::function<void(IInspectable*, void*)>;
    Handler(IID iid, Fn invoke) : m_iid(iid), m_invoke(std::move(invoke)) {}

    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == m_iid || riid == kAgileObject) {
            *out = static_cast<IInvoke*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE Invoke(IInspectable* first, void* second) override {
        try {
            m_invoke(first, second);
        } catch (...) {
            // Nothing may reach the system's thread.
        }
        return S_OK;
    }

private:
    IID m_iid;
    Fn m_invoke;
    std::atomic<ULONG> m_refs{1};
};

ComPtr<IUnknown> MakeHandler(IID iid, Handler::Fn invoke) {
    ComPtr<IUnknown> handler;
    handler.Attach(static_cast<IInvoke*>(new (std::nothrow) Handler(iid, std::move(invoke))));
    return handler;
}

// An async status arrives as the second argument, a 32-bit enumeration.
bool CompletedStatus(void* second) { return static_cast<INT32>(reinterpret_cast<INT_PTR>(second)) == 1; }

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

enum class Job { Start, Manager, Rebind, Playback, Properties, PlayPause, Next, Previous };

} // namespace

struct SystemMediaPort::Shared : std::enable_shared_from_this<Shared> {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> jobs;
    bool stop = false;
    bool available = false;            // the manager answered
    std::optional<MediaSession> snapshot;
    std::uint64_t generation = 0;      // of the current session: late answers for another are dropped
    ComPtr<IManager> arrivedManager;   // from the request's completion, for the worker
    std::atomic<HWND> target{nullptr};
    std::atomic<bool> posted{false};
    std::thread worker;

    // The worker's own: only it calls into these.
    ComPtr<IAsyncOp<IManager*>> request;
    ComPtr<IManager> manager;
    EventRegistrationToken managerToken{};
    ComPtr<ISession> session;
    EventRegistrationToken playbackToken{}, propertiesToken{};

    void Queue(Job job) {
        {
            std::lock_guard lock(mutex);
            if (stop) return;
            jobs.push_back(job);
        }
        wake.notify_one();
    }
    void Post() {
        HWND window = target.load();
        if (window && !posted.exchange(true)) ::PostMessageW(window, kMsgMedia, 0, 0);
    }

    void Run() noexcept;
    void Do(Job job);
    void Start();
    void TakeManager();
    void Rebind();
    void ReadPlayback();
    void AskProperties();
    void Control(Job job);
    void Unbind();
};

void SystemMediaPort::Shared::Run() noexcept {
    // The manager and its sessions are used from this one thread of the multi-threaded
    // apartment; the apartment lives as long as the thread.
    kestrana::win32::ComApartment apartment(COINIT_MULTITHREADED);
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex);
            wake.wait(lock, [this] { return stop || !jobs.empty(); });
            if (stop) break;
            job = jobs.front();
            jobs.pop_front();
        }
        try {
            Do(job);
        } catch (...) {
            foundation::LogFailure("media", "a media session call failed unexpectedly");
        }
    }
    Unbind();
    if (manager) manager->remove_CurrentSessionChanged(managerToken);
    manager.Reset();
    request.Reset();
}

void SystemMediaPort::Shared::Do(Job job) {
    switch (job) {
    case Job::Start: Start(); return;
    case Job::Manager: TakeManager(); return;
    case Job::Rebind: Rebind(); return;
    case Job::Playback: ReadPlayback(); return;
    case Job::Properties: AskProperties(); return;
    case Job::PlayPause:
    case Job::Next:
    case Job::Previous: Control(job); return;
    }
}

void SystemMediaPort::Shared::Start() {
    // Said once per run: the bars are made again on every change of the screens.
    static std::atomic<bool> told{false};
    const auto hidden = [](const std::string& why) {
        if (!told.exchange(true)) foundation::LogFailure("media", why + ": the media item stays hidden");
    };
    if (!Functions().Complete()) return hidden("this system has no Windows Runtime");
    ComPtr<IManagerStatics> statics;
    const RuntimeString name(kManagerClass);
    HRESULT hr = name.Get() ? Functions().getFactory(name.Get(), kManagerStatics, &statics) : E_OUTOFMEMORY;
    if (FAILED(hr) || !statics) return hidden("this system has no media session manager (" + Hex(hr) + ")");
    hr = statics->RequestAsync(&request);
    if (FAILED(hr) || !request) return hidden("the media session manager refused to start (" + Hex(hr) + ")");
    std::weak_ptr<Shared> weak = weak_from_this();
    auto done = MakeHandler(CompletedId(kManagerSig), [weak](IInspectable* op, void* status) {
        auto self = weak.lock();
        if (!self) return;
        ComPtr<IManager> manager;
        if (!CompletedStatus(status) || !op || FAILED(static_cast<IAsyncOp<IManager*>*>(op)->GetResults(&manager)) || !manager) {
            foundation::LogFailure("media", "the media session manager did not come: the media item stays hidden");
            return;
        }
        {
            std::lock_guard lock(self->mutex);
            self->arrivedManager = std::move(manager);
        }
        self->Queue(Job::Manager);
    });
    if (!done || FAILED(hr = request->put_Completed(done.Get())))
        hidden("the media session manager cannot be waited for (" + Hex(hr) + ")");
}

void SystemMediaPort::Shared::TakeManager() {
    {
        std::lock_guard lock(mutex);
        manager = std::move(arrivedManager);
        available = manager != nullptr;
    }
    request.Reset();
    if (!manager) return;
    std::weak_ptr<Shared> weak = weak_from_this();
    auto changed = MakeHandler(TypedHandlerId(kManagerSig, kCurrentChangedSig), [weak](IInspectable*, void*) {
        if (auto self = weak.lock()) self->Queue(Job::Rebind);
    });
    const HRESULT hr = changed ? manager->add_CurrentSessionChanged(changed.Get(), &managerToken) : E_OUTOFMEMORY;
    if (FAILED(hr)) foundation::LogFailure("media", "a change of the current media session cannot be followed (" + Hex(hr) + ")");
    foundation::LogDetail("media", "the media session manager is there");
    Rebind();
}

void SystemMediaPort::Shared::Unbind() {
    if (!session) return;
    session->remove_PlaybackInfoChanged(playbackToken);
    session->remove_MediaPropertiesChanged(propertiesToken);
    session.Reset();
}

void SystemMediaPort::Shared::Rebind() {
    Unbind();
    ComPtr<ISession> current;
    if (manager && FAILED(manager->GetCurrentSession(&current))) current.Reset();
    {
        std::lock_guard lock(mutex);
        ++generation;
        snapshot.reset();
    }
    session = current;
    if (!session) {
        Post();
        return;
    }
    std::weak_ptr<Shared> weak = weak_from_this();
    auto playback = MakeHandler(TypedHandlerId(kSessionSig, kPlaybackChangedSig), [weak](IInspectable*, void*) {
        if (auto self = weak.lock()) self->Queue(Job::Playback);
    });
    auto properties = MakeHandler(TypedHandlerId(kSessionSig, kPropertiesChangedSig), [weak](IInspectable*, void*) {
        if (auto self = weak.lock()) self->Queue(Job::Properties);
    });
    HRESULT hr = playback ? session->add_PlaybackInfoChanged(playback.Get(), &playbackToken) : E_OUTOFMEMORY;
    if (FAILED(hr)) foundation::LogFailure("media", "the session's playback cannot be followed (" + Hex(hr) + ")");
    hr = properties ? session->add_MediaPropertiesChanged(properties.Get(), &propertiesToken) : E_OUTOFMEMORY;
    if (FAILED(hr)) foundation::LogFailure("media", "the session's songs cannot be followed (" + Hex(hr) + ")");
    ReadPlayback();
    AskProperties();
}

void SystemMediaPort::Shared::ReadPlayback() {
    if (!session) return;
    ComPtr<IPlaybackInfo> info;
    INT32 status = 0;
    if (FAILED(session->GetPlaybackInfo(&info)) || !info || FAILED(info->get_PlaybackStatus(&status))) return;
    ComPtr<IPlaybackControls> controls;
    boolean toggle = 0, play = 0, pause = 0, next = 0, previous = 0;
    if (SUCCEEDED(info->get_Controls(&controls)) && controls) {
        controls->get_IsPlayPauseToggleEnabled(&toggle);
        controls->get_IsPlayEnabled(&play);
        controls->get_IsPauseEnabled(&pause);
        controls->get_IsNextEnabled(&next);
        controls->get_IsPreviousEnabled(&previous);
    }
    {
        std::lock_guard lock(mutex);
        MediaSession& s = snapshot ? *snapshot : snapshot.emplace();
        s.playback = status >= 0 && status <= 5 ? static_cast<Playback>(status) : Playback::Closed;
        s.canPlayPause = toggle || play || pause;
        s.canNext = next;
        s.canPrevious = previous;
    }
    Post();
}

void SystemMediaPort::Shared::AskProperties() {
    if (!session) return;
    ComPtr<IAsyncOp<IMediaProperties*>> op;
    if (FAILED(session->TryGetMediaPropertiesAsync(&op)) || !op) return;
    std::uint64_t asked = 0;
    {
        std::lock_guard lock(mutex);
        asked = generation;
    }
    std::weak_ptr<Shared> weak = weak_from_this();
    auto done = MakeHandler(CompletedId(kPropertiesSig), [weak, asked](IInspectable* result, void* status) {
        auto self = weak.lock();
        ComPtr<IMediaProperties> properties;
        if (!self || !CompletedStatus(status) || !result ||
            FAILED(static_cast<IAsyncOp<IMediaProperties*>*>(result)->GetResults(&properties)) || !properties)
            return;
        RuntimeString title, artist, album;
        properties->get_Title(title.Put());
        properties->get_Artist(artist.Put());
        properties->get_AlbumTitle(album.Put());
        {
            std::lock_guard lock(self->mutex);
            if (asked != self->generation) return; // another session by now
            MediaSession& s = self->snapshot ? *self->snapshot : self->snapshot.emplace();
            s.title = title.Text();
            s.artist = artist.Text();
            s.album = album.Text();
        }
        self->Post();
    });
    if (done) op->put_Completed(done.Get());
}

void SystemMediaPort::Shared::Control(Job job) {
    if (!session) return;
    ComPtr<BoolOp> op;
    const char* what = job == Job::Next ? "go to the next track" : job == Job::Previous ? "go to the previous track" : "play or pause";
    const HRESULT hr = job == Job::Next       ? session->TrySkipNextAsync(&op)
                       : job == Job::Previous ? session->TrySkipPreviousAsync(&op)
                                              : session->TryTogglePlayPauseAsync(&op);
    if (FAILED(hr) || !op) {
        foundation::LogFailure("media", std::string("the session refused to ") + what + " (" + Hex(hr) + ")");
        return;
    }
    auto done = MakeHandler(CompletedId("b1"), [what](IInspectable* result, void* status) {
        boolean ok = 0;
        if (!CompletedStatus(status) || !result || FAILED(static_cast<BoolOp*>(result)->GetResults(&ok)) || !ok)
            foundation::LogFailure("media", std::string("the session refused to ") + what);
    });
    if (done) op->put_Completed(done.Get());
}

SystemMediaPort::SystemMediaPort() : m_shared(std::make_shared<Shared>()) {
    m_shared->jobs.push_back(Job::Start);
    try {
        m_shared->worker = std::thread([shared = m_shared] { shared->Run(); });
    } catch (...) {
        foundation::LogFailure("media", "no thread for the media sessions: the media item stays hidden");
    }
}

SystemMediaPort::~SystemMediaPort() {
    m_shared->target = nullptr;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stop = true;
        m_shared->jobs.clear();
    }
    m_shared->wake.notify_one();
    if (m_shared->worker.joinable()) m_shared->worker.join();
}

void SystemMediaPort::SetTarget(HWND target) noexcept {
    m_shared->target = target;
    // What arrived before there was a window to tell.
    if (target) {
        m_shared->posted = false;
        m_shared->Post();
    }
}

std::optional<MediaSession> SystemMediaPort::Current() {
    m_shared->posted = false;
    std::lock_guard lock(m_shared->mutex);
    return m_shared->snapshot;
}

namespace {
bool Ask(SystemMediaPort::Shared& shared, Job job) {
    {
        std::lock_guard lock(shared.mutex);
        if (!shared.available || !shared.snapshot) return false;
    }
    shared.Queue(job);
    return true;
}
} // namespace

bool SystemMediaPort::PlayPause() { return Ask(*m_shared, Job::PlayPause); }
bool SystemMediaPort::Next() { return Ask(*m_shared, Job::Next); }
bool SystemMediaPort::Previous() { return Ask(*m_shared, Job::Previous); }

} // namespace kestrana::menubar::win32
