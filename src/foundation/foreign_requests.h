#pragma once
// Decisions about requests that arrive from other processes: whose process may ask at
// all, how big and how many windows one requester may have made for it, which key
// chords the companion may type, and the confirmations that vouch for a posted request.
// Window messages name no sender; the Windows layer gathers what can be learnt about the
// process behind a request and these rules decide.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrana::foundation {

// True when `image` names a file directly inside `folder` (Windows paths, ASCII letters
// compared without case). Anything that could make two spellings name different files,
// or one spelling name a file elsewhere, is refused: "." and ".." parts, device and
// "\\?\" prefixes, short (8.3) names, stream suffixes, trailing dots or blanks.
[[nodiscard]] bool IsImageInFolder(std::wstring_view image, std::wstring_view folder);

// What the Windows layer learnt about the process behind a request.
struct SenderFacts {
    std::uint32_t pid = 0;
    std::wstring image;            // full path; empty when the process could not be opened
    bool sameUser = false;         // its token's user is ours
    bool sameSession = false;      // same logon session as ours
    std::uint32_t integrityRid = 0; // mandatory label (0x2000 medium, 0x3000 high); 0 unknown
};

inline constexpr std::uint32_t kIntegrityMedium = 0x2000;

enum class Refusal {
    None,
    NoProcess,       // no sender could be named
    OwnProcess,      // a request only another process makes came from inside
    OutsideFolder,   // image not in the program folder (or not the expected program)
    OtherUser,
    OtherSession,
    LowIntegrity,
    TooLarge,
    TooMany,
    NotRequested,    // destroy: the window was not made on request
    KeyNotAllowed,
    Unconfirmed,     // sensitive request without a confirmation from the program
    NoWindow,        // the window named is gone, or is not a top-level window
    Posted,          // a question the hook only ever sends came posted
};

[[nodiscard]] std::wstring_view RefusalText(Refusal refusal);

struct SenderRule {
    std::wstring_view programFolder;   // ends in a backslash or not
    std::wstring_view requiredName;    // empty: any program of the folder
    std::uint32_t minIntegrity = 0;    // 0: no integrity requirement (no labels here)
};

[[nodiscard]] Refusal CheckSender(const SenderFacts& sender, const SenderRule& rule);

// "refused <what> from pid N (image ...): reason" for the diagnostic log.
[[nodiscard]] std::wstring DescribeRefusal(std::wstring_view what, const SenderFacts& sender, Refusal refusal);

// A hook module's message about a window (50014): the hook lives inside the window's own
// process and speaks only for that process's top-level windows, so the window's process
// is the sender held to the rules. What the Windows layer saw:
struct HookReportFacts {
    bool windowExists = false;
    bool topLevel = false;
    bool sent = false;         // sent from another thread (not posted)
    SenderFacts owner;         // the process of the window named
    std::uint32_t ownPid = 0;  // this process
};

// `mustBeSent`: the question waits for an answer, so a posted one is no hook's.
// `minIntegrity` as for SenderRule (0 where there are no labels).
[[nodiscard]] Refusal CheckHookReport(const HookReportFacts& facts, bool mustBeSent, std::uint32_t minIntegrity);

// Windows made for other processes: every side at most this (an animation window covers
// one window of one screen), and at most this many alive per requester.
inline constexpr int kMaxRequestedWindowSide = 8192;
inline constexpr std::size_t kMaxWindowsPerRequester = 8;

[[nodiscard]] bool RequestedSizeAcceptable(int width, int height);

// The windows made on request, by requester, so a destroy request can be held to them
// and a requester's count bounded. Handles and requester ids are opaque numbers.
class RequestedWindows {
public:
    using Handle = std::uint64_t;
    // `alive` tells whether a recorded window still exists; dead ones are forgotten.
    explicit RequestedWindows(std::function<bool(Handle)> alive);

    [[nodiscard]] bool MayCreate(std::uint64_t requester);
    void Add(Handle window, std::uint64_t requester);
    // The requester a window was made for, if it was made on request.
    [[nodiscard]] std::optional<std::uint64_t> RequesterOf(Handle window);
    void Forget(Handle window);

private:
    void Prune();
    std::function<bool(Handle)> m_alive;
    std::unordered_map<Handle, std::uint64_t> m_windows;
};

// The key chords the program asks its companion to press: the volume keys, and the
// Start menu, Cortana, desktop and widgets chords of the dock's special items and hot
// corners. Nothing else may be typed on anyone's behalf.
[[nodiscard]] bool IsAllowedKeyChord(std::uint16_t first, std::uint16_t second);

// A sensitive request confirmed over a channel that names its sender (a pipe): kind and
// two arguments. Kept a short while, used once.
enum class ConfirmKind : std::uint32_t {
    Keys = 1,
    InstallSelfUpdate = 2,
    DetachDisk = 3,
    StartTemperatureReader = 4,
    MenuRequest = 5, // a: the request's number
};

struct Confirmation {
    ConfirmKind kind = ConfirmKind::Keys;
    std::uint64_t a = 0;
    std::uint64_t b = 0;
};

// The record on the pipe: magic, kind, a, b; 24 bytes, little-endian.
inline constexpr std::size_t kConfirmationBytes = 24;
[[nodiscard]] std::vector<std::uint8_t> EncodeConfirmation(const Confirmation& c);
[[nodiscard]] std::optional<Confirmation> DecodeConfirmation(const std::uint8_t* bytes, std::size_t size);

// Digest of a disk image path as the confirmation carries it (case-blind for ASCII).
[[nodiscard]] std::uint64_t PathDigest(std::wstring_view path);

class Confirmations {
public:
    static constexpr std::size_t kMaxKept = 16;
    static constexpr std::uint64_t kLifetimeMs = 5000;

    void Add(const Confirmation& c, std::uint64_t nowMs);
    // Takes a matching confirmation that has not expired.
    [[nodiscard]] bool Take(const Confirmation& c, std::uint64_t nowMs);

private:
    struct Entry {
        Confirmation c;
        std::uint64_t at;
    };
    std::deque<Entry> m_entries;
};

} // namespace kestrana::foundation
