#include "fakes/fake_registry.h"

#include "foundation/text.h"

namespace kestrana::fakes {

using foundation::AsciiLower;
using foundation::RegistryRoot;

namespace {

std::wstring KeyPath(std::wstring_view subKey) {
    std::wstring path = AsciiLower(subKey);
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

} // namespace

FakeRegistry::Key* FakeRegistry::Open(RegistryRoot root, std::wstring_view subKey) {
    if (m_failAll || m_denied[root]) return nullptr;
    return &m_keys[KeyId{root, KeyPath(subKey)}];
}

void FakeRegistry::SetDword(RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName, unsigned value) {
    std::lock_guard lock(m_mutex);
    m_keys[KeyId{root, KeyPath(subKey)}][AsciiLower(valueName)] = Value{false, {}, value};
}

bool FakeRegistry::KeyExists(RegistryRoot root, std::wstring_view subKey) const {
    std::lock_guard lock(m_mutex);
    return m_keys.count(KeyId{root, KeyPath(subKey)}) != 0;
}

bool FakeRegistry::HasValue(RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName) const {
    std::lock_guard lock(m_mutex);
    const auto key = m_keys.find(KeyId{root, KeyPath(subKey)});
    return key != m_keys.end() && key->second.count(AsciiLower(valueName)) != 0;
}

void FakeRegistry::DenyRoot(RegistryRoot root, bool deny) {
    std::lock_guard lock(m_mutex);
    m_denied[root] = deny;
}

void FakeRegistry::FailAll(bool fail) {
    std::lock_guard lock(m_mutex);
    m_failAll = fail;
}

std::optional<std::wstring> FakeRegistry::ReadString(RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName) {
    std::lock_guard lock(m_mutex);
    Key* key = Open(root, subKey);
    if (!key) return std::nullopt;
    const auto value = key->find(AsciiLower(valueName));
    if (value == key->end() || !value->second.isString) return std::nullopt;
    return value->second.text;
}

bool FakeRegistry::WriteString(RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName, std::wstring_view text) {
    std::lock_guard lock(m_mutex);
    Key* key = Open(root, subKey);
    if (!key) return false;
    (*key)[AsciiLower(valueName)] = Value{true, std::wstring(text), 0};
    return true;
}

bool FakeRegistry::DeleteValue(RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName) {
    std::lock_guard lock(m_mutex);
    Key* key = Open(root, subKey);
    return key && key->erase(AsciiLower(valueName)) != 0;
}

} // namespace kestrana::fakes
