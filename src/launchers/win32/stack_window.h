#pragma once
// A folder stack on screen: one layered pop-up window beside the dock that lists the
// folder on a worker, shows its items in the folder's layout, gets their pictures on
// workers (a placeholder until each arrives), scrolls, opens what is clicked through the
// shell, browses into sub-folders with a back button, and closes when it loses the focus.
// The window carries the property "OndelStack", which points to its stack until the
// window is destroyed.

#include "foundation/job_runner.h"
#include "foundation/config_store.h"
#include "foundation/win32/accessible_host.h"
#include "gfx/image_decoder.h"
#include "gfx/text_renderer.h"
#include "gfx/win32/layered_window_surface.h"
#include "launchers/stack_input.h"
#include "launchers/stack_layout.h"
#include "launchers/stack_picture.h"
#include "launchers/win32/stack_shell.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::launchers::win32 {

inline constexpr wchar_t kStackProperty[] = L"OndelStack";
inline constexpr wchar_t kStackClass[] = L"OndelStackWindow";

struct StackServices {
    foundation::ConfigStore& store;
    foundation::JobRunner& jobs;
    gfx::TextRenderer& text;
    const gfx::ImageDecoder& decoder;
    std::shared_ptr<StackPictureCache> cache;
};

struct StackOpening {
    std::wstring folder;
    std::wstring title;
    StackPlacement placement;
    std::int64_t clickedAtMs = 0; // when the click came, for the first-frame figure
};

class FolderStack {
public:
    // Creates the window (hidden until the listing arrives) and starts listing. Null when
    // no window could be made. User-interface thread.
    [[nodiscard]] static std::unique_ptr<FolderStack> Open(StackServices services, StackOpening opening);
    ~FolderStack();
    FolderStack(const FolderStack&) = delete;
    FolderStack& operator=(const FolderStack&) = delete;

    [[nodiscard]] const std::wstring& Folder() const { return m_rootFolder; }
    // The window is gone (the stack closed).
    [[nodiscard]] bool Finished() const { return m_window == nullptr; }
    // Plays the closing animation, then destroys the window.
    void Close();
    // Destroys the window at once.
    void CloseNow();
    // When the stack closed because another window took the focus; 0 when it did not.
    [[nodiscard]] std::int64_t ClosedByFocusAt() const { return m_closedByFocusAt; }
    // An item is being dragged out: the drag's loop runs inside the stack's window.
    [[nodiscard]] bool Dragging() const { return m_dragging; }

    static void RegisterClass() noexcept;

private:
    // What the workers hand back; the stack takes it in on the user-interface thread.
    struct Inbox {
        std::mutex mutex;
        struct Listing {
            std::uint64_t level = 0;
            std::optional<std::vector<StackItem>> items;
        };
        struct Picture {
            std::uint64_t level = 0;
            std::size_t index = 0;
            std::shared_ptr<const gfx::Bitmap> picture;
        };
        std::vector<Listing> listings;
        std::vector<Picture> pictures;
        std::atomic<bool> posted{false};
        std::atomic<bool> cancelled{false};
        HWND window = nullptr;
        void Post();
    };

    struct Level {
        std::uint64_t id = 0;
        std::wstring folder;
        std::wstring title;
        bool listed = false;
        std::vector<StackItem> items;
        std::vector<std::shared_ptr<const gfx::Bitmap>> pictures;
        float scroll = 0;
    };

    FolderStack(StackServices services, StackOpening opening);
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // A screen reader's question; nothing when it is not about the client area.
    std::optional<LRESULT> AnswerReader(WPARAM wParam, LPARAM lParam);
    // A move with the left button held far enough from its press starts dragging the item.
    void OnPointerMove(POINT at, bool leftHeld);
    void OnPress(POINT at);
    // Arrows, Home and End move the keyboard's selection, Enter and Space open it,
    // Backspace goes back a folder, Escape closes.
    void OnKey(int virtualKey);
    // False when touch input cannot be read here; the message then goes on.
    bool OnTouch(UINT count, HTOUCHINPUT handle);

    void StartListing(Level& level);
    // On a worker: lists and sorts `folder` and hands the items to the stack's level `id`.
    static void ListForLevel(const std::weak_ptr<Inbox>& inbox, std::uint64_t id, const std::wstring& folder,
                             int sortValue, const foundation::JobContext& job);
    void Dropped(std::vector<std::wstring> files);
    void StartDrag();
    void StartPictures(const Level& level);
    void TakeInbox();
    void LevelListed(Level& level);
    void Relayout();
    void Draw();
    void Animate();
    void PointerMoved(POINT p);
    void Released(POINT p);
    void Scroll(float pixels);
    void OpenItem(std::size_t index);
    void Back();
    [[nodiscard]] Level& Top() { return m_levels.back(); }
    [[nodiscard]] int IconPixels() const;

    StackServices m_services;
    StackOpening m_opening;
    std::wstring m_rootFolder;
    HWND m_window = nullptr;
    std::shared_ptr<Inbox> m_inbox = std::make_shared<Inbox>();
    std::vector<Level> m_levels;
    std::uint64_t m_nextLevel = 1;

    StackLayout m_layout = StackLayout::Grid;
    int m_sortValue = 0;
    StackBehaviour m_behaviour;
    StackLook m_look;
    StackGeometry m_geometry;
    StackFrameState m_state;
    StackClickRule m_clicks;
    std::unique_ptr<StackLabels> m_labels;
    gfx::Bitmap m_titleText, m_openText, m_moreText;
    gfx::Bitmap m_frame;
    gfx::LayeredWindowSurface m_surface;

    bool m_shown = false;
    bool m_closing = false;
    std::int64_t m_animationStart = 0;
    float m_animationFrom = 0;
    int m_pressed = -1;
    POINT m_pressedAt{};
    bool m_dragging = false;
    bool m_tracking = false;
    // The element the keyboard is on (an item or a button); the root while none.
    foundation::AccessibleId m_keyFocus = foundation::kAccessibleRoot;
    std::optional<LONG> m_touchY;
    std::int64_t m_closedByFocusAt = 0;
    // Made when a screen reader first asks.
    std::unique_ptr<kestrana::win32::AccessibleHost> m_reader;
};

// The screen edge the dock whose input window is `dock` stands at; the bottom when the
// window is gone.
[[nodiscard]] DockEdge DockEdgeOf(HWND dock) noexcept;

// The stacks of the program: at most one open at a time. A click on the folder whose
// stack is open closes it.
class StackHost {
public:
    // Initialises OLE on the user-interface thread for the stacks' drag and drop.
    explicit StackHost(StackServices services);
    ~StackHost();
    StackHost(const StackHost&) = delete;
    StackHost& operator=(const StackHost&) = delete;
    // A click on a folder item of the dock whose input window is `dock`, the pointer at
    // `pointer`. User-interface thread.
    void Open(const std::wstring& folder, const std::wstring& title, HWND dock, POINT pointer);
    void CloseAll();

private:
    StackServices m_services;
    std::unique_ptr<FolderStack> m_stack;
    bool m_ole = false;
};

} // namespace kestrana::launchers::win32
