#include "menubar/wifi_key.h"

#include <algorithm>
#include <cwctype>

namespace kestrana::menubar {
namespace {

constexpr std::size_t kLongestKey = 64;

bool AllHex(const std::wstring& text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) {
        return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
    });
}

} // namespace

SecretEntry::~SecretEntry() { Clear(); }

bool SecretEntry::Type(wchar_t c) {
    if (static_cast<std::uint32_t>(c) < 0x20 || c == 0x7F || m_text.size() >= kLongestKey) return false;
    if (m_text.size() == m_text.capacity()) {
        // Grown by hand so no copy of the secret is left behind in freed memory.
        std::wstring bigger;
        bigger.reserve(kLongestKey + 1);
        bigger = m_text;
        Clear();
        m_text.swap(bigger);
    }
    m_text.push_back(c);
    return true;
}

void SecretEntry::Backspace() {
    if (m_text.empty()) return;
    m_text.back() = L'\0';
    m_text.pop_back();
}

void SecretEntry::Clear() {
    volatile wchar_t* p = m_text.data();
    for (std::size_t i = 0; i < m_text.size(); ++i) p[i] = L'\0';
    m_text.clear();
}

std::wstring SecretEntry::Take() {
    std::wstring out;
    out.swap(m_text);
    return out;
}

bool SecretEntry::Acceptable(bool wep) const { return KeyAcceptable(m_text, wep); }

bool KeyAcceptable(const std::wstring& key, bool wep) {
    const std::size_t n = key.size();
    if (wep) return n == 5 || n == 13 || ((n == 10 || n == 26) && AllHex(key));
    return (n >= 8 && n <= 63) || (n == 64 && AllHex(key));
}

} // namespace kestrana::menubar
