#pragma once
// Other programs' windows as the window tracker and the identification see them: an
// in-memory desktop of windows with their classes, titles, processes and shapes.

#include "dock/window_events.h"
#include "dock/window_facts_port.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kestrana::fakes {

using dock::WindowId;

struct FakeWindow {
    FakeWindow() = default;
    FakeWindow(std::wstring cls, std::wstring caption, std::uint32_t process, std::wstring id = L"",
               bool isChild = false, WindowId frame = WindowId::None)
        : className(std::move(cls)), title(std::move(caption)), pid(process), appId(std::move(id)), child(isChild),
          parent(frame) {}
    std::wstring className;
    std::wstring title;
    std::uint32_t pid = 0;
    std::wstring appId;
    bool child = false;
    WindowId parent = WindowId::None;
    dock::WindowShape shape{.visible = true};
};

class FakeFacts final : public dock::WindowFactsPort, public dock::TopLevelWindowList {
public:
    std::map<WindowId, FakeWindow> windows;
    std::map<std::uint32_t, std::wstring> images;
    std::map<std::uint32_t, std::wstring> packages;

    WindowId Add(std::uint64_t n, FakeWindow w) {
        windows[WindowId{n}] = std::move(w);
        return WindowId{n};
    }
    bool IsWindow(WindowId w) const override { return windows.count(w) != 0; }
    std::wstring ClassName(WindowId w) const override { return Of(w).className; }
    std::wstring Title(WindowId w) const override { return Of(w).title; }
    bool ChildStyle(WindowId w) const override { return Of(w).child; }
    WindowId Owner(WindowId) const override { return WindowId::None; }
    bool Cloaked(WindowId) const override { return false; }
    std::uint32_t ProcessId(WindowId w) const override { return Of(w).pid; }
    std::wstring ProcessImagePath(std::uint32_t pid) const override { return images.count(pid) ? images.at(pid) : L""; }
    std::wstring PackageFamilyName(std::uint32_t pid) const override { return packages.count(pid) ? packages.at(pid) : L""; }
    std::wstring ApplicationId(WindowId w) const override { return Of(w).appId; }
    WindowId FindChild(WindowId parent, std::wstring_view cls) const override {
        for (const auto& [id, w] : windows)
            if (w.child && w.parent == parent && w.className == cls) return id;
        return WindowId::None;
    }
    WindowId FindTopLevel(std::wstring_view cls, std::wstring_view title) const override {
        for (const auto& [id, w] : windows)
            if (!w.child && w.className == cls && w.title == title) return id;
        return WindowId::None;
    }
    std::wstring KnownFolderPath(std::wstring_view id) const override {
        return id == L"{6D809377-6AF0-444B-8957-A3773F02200E}" ? L"C:\\Program Files" : L"";
    }
    std::wstring WindowsFolder() const override { return L"C:\\Windows"; }

    std::vector<dock::TopLevelWindow> Enumerate() const override {
        std::vector<dock::TopLevelWindow> all;
        for (const auto& [id, w] : windows)
            if (!w.child) all.push_back({id, w.shape});
        return all;
    }
    dock::WindowShape Shape(WindowId w) const override { return IsWindow(w) ? Of(w).shape : dock::WindowShape{}; }

private:
    // A window that closed answers like no window at all.
    const FakeWindow& Of(WindowId w) const {
        static const FakeWindow none;
        const auto it = windows.find(w);
        return it == windows.end() ? none : it->second;
    }
};

class FakeWebApps final : public dock::WebAppDirectory {
public:
    std::wstring FindByTitle(dock::Browser browser, std::wstring_view title) const override {
        if (browser == dock::Browser::Chrome && title == L"Music") return L"cinhimbnkkaeohfgghhklpknlkffjgod";
        if (browser == dock::Browser::Edge && title == L"Mail") return L"edgemailappid";
        return L"";
    }
};

class FakePause final : public dock::Pause {
public:
    std::vector<int> waits;
    std::function<void(int)> onWait; // told the number of the wait
    void Sleep(int ms) override {
        waits.push_back(ms);
        if (onWait) onWait(static_cast<int>(waits.size()));
    }
};

} // namespace kestrana::fakes
