#include "foundation/config_store.h"

#include "foundation/text.h"

#include <algorithm>
#include <utility>

namespace kestrana::foundation {

namespace {

// Writers of one file take turns within the process, whichever store they use, so that
// no read-modify-write cycle overwrites another's change.
std::shared_ptr<std::mutex> WriteLockFor(const std::wstring& key) {
    static std::mutex tableMutex;
    static std::unordered_map<std::wstring, std::shared_ptr<std::mutex>> table;
    std::lock_guard lock(tableMutex);
    auto& slot = table[key];
    if (!slot) slot = std::make_shared<std::mutex>();
    return slot;
}

// Parsed files kept per store; large files are read again each time rather than held.
constexpr std::size_t kCacheEntries = 48;
constexpr std::size_t kCacheableBytes = 16u * 1024u * 1024u;

bool SameFile(const FileStamp& a, const FileStamp& b) {
    return a.size == b.size && a.writeTime == b.writeTime && a.fileId == b.fileId;
}

} // namespace

ConfigStore::ConfigStore(FileSystem& files, std::wstring baseFolder, Registry* registry, const CodePage& codePage)
    : m_files(files), m_baseFolder(std::move(baseFolder)), m_registry(registry), m_codePage(codePage) {
    if (!m_baseFolder.empty() && m_baseFolder.back() != L'\\' && m_baseFolder.back() != L'/') m_baseFolder += L'\\';
    m_configPath = m_baseFolder + L"config.ini";
}

std::size_t ConfigStore::PathHash::operator()(const std::wstring& path) const noexcept {
    std::size_t hash = 1469598103934665603ull;
    for (wchar_t c : path) {
        hash ^= static_cast<std::size_t>((c >= L'A' && c <= L'Z') ? c + 32 : c);
        hash *= 1099511628211ull;
    }
    return hash;
}

bool ConfigStore::PathEqual::operator()(const std::wstring& a, const std::wstring& b) const noexcept {
    return EqualsIgnoreCase(a, b);
}

std::wstring ConfigStore::CurrentLanguage() const {
    std::lock_guard lock(m_languageMutex);
    return m_currentLanguage;
}

void ConfigStore::SetCurrentLanguage(std::wstring language) {
    std::lock_guard lock(m_languageMutex);
    m_currentLanguage = std::move(language);
}

std::wstring ConfigStore::ResolvePath(std::wstring_view file, PathRule rule) const {
    std::wstring path;
    if (file.empty()) {
        return m_configPath;
    } else if (rule == PathRule::SectionRead ? file.find(L":\\") != std::wstring_view::npos
                                             : file.find(L':') != std::wstring_view::npos) {
        path = file;
    } else {
        path = m_baseFolder;
        path += file;
    }
    if (!ContainsIgnoreCase(path, L".ini")) {
        if (rule == PathRule::AppendIni || !m_files.IsFile(path)) path += L".ini";
    }
    return path;
}

const std::wstring& ConfigStore::Path(std::wstring_view file, PathRule rule, std::wstring& storage) const {
    if (file.empty()) return m_configPath;
    storage = ResolvePath(file, rule);
    return storage;
}

ConfigStore::Loaded ConfigStore::Load(const std::wstring& path) const {
    const auto stamp = m_files.Stat(path);
    if (!stamp) return Loaded{m_files.IsFile(path) ? FileState::Unreadable : FileState::Missing, nullptr};
    std::shared_ptr<const ProfileDocument> cached;
    bool verify = false;
    {
        std::lock_guard lock(m_cacheMutex);
        const auto it = m_cache.find(path);
        if (it != m_cache.end() && SameFile(it->second.stamp, *stamp)) {
            it->second.lastUse = ++m_useClock;
            cached = it->second.document;
            verify = it->second.stamp.recent || stamp->recent;
            if (!verify) return Loaded{FileState::Present, cached};
        }
    }
    auto bytes = m_files.Read(path);
    if (!bytes) return Loaded{m_files.IsFile(path) ? FileState::Unreadable : FileState::Missing, nullptr};
    if (verify && *bytes == cached->Bytes()) {
        // The stamp could not tell; the bytes can. Remember the newer stamp so the check
        // stops once the file has aged.
        Remember(path, *stamp, cached);
        return Loaded{FileState::Present, cached};
    }
    const auto after = m_files.Stat(path);
    auto parsed = ProfileDocument::Parse(std::move(*bytes), m_codePage);
    if (!parsed) return Loaded{FileState::Unreadable, nullptr};
    auto document = std::make_shared<const ProfileDocument>(std::move(*parsed));
    // Only a file that held still while it was read may be cached under its stamp.
    if (after && *after == *stamp) Remember(path, *after, document);
    return Loaded{FileState::Present, std::move(document)};
}

void ConfigStore::Remember(const std::wstring& path, const FileStamp& stamp,
                           std::shared_ptr<const ProfileDocument> document) const {
    std::lock_guard lock(m_cacheMutex);
    if (document->Bytes().size() > kCacheableBytes) {
        m_cache.erase(path);
        return;
    }
    if (m_cache.size() >= kCacheEntries && m_cache.find(path) == m_cache.end()) {
        const auto oldest = std::min_element(m_cache.begin(), m_cache.end(), [](const auto& a, const auto& b) {
            return a.second.lastUse < b.second.lastUse;
        });
        m_cache.erase(oldest);
    }
    m_cache[path] = CacheEntry{stamp, std::move(document), ++m_useClock};
}

namespace {

// UTF-16 units of a short name without touching the heap, as every read converts its
// section, key and default.
class Units {
public:
    explicit Units(std::wstring_view text) {
        if constexpr (sizeof(wchar_t) == 2) {
            if (text.size() <= kInline) {
                for (std::size_t i = 0; i < text.size(); ++i) m_inline[i] = static_cast<char16_t>(text[i]);
                m_view = std::u16string_view(m_inline, text.size());
                return;
            }
        }
        m_heap = ToUtf16(text);
        m_view = m_heap;
    }
    Units(const Units&) = delete;
    Units& operator=(const Units&) = delete;
    [[nodiscard]] std::u16string_view View() const { return m_view; }

private:
    static constexpr std::size_t kInline = 64;
    char16_t m_inline[kInline];
    std::u16string m_heap;
    std::u16string_view m_view;
};

} // namespace

std::wstring ConfigStore::ReadValue(std::wstring_view section, std::wstring_view key, std::wstring_view defaultText,
                                    const std::wstring& path, std::size_t units) const {
    const auto loaded = Load(path);
    const Units section16(section);
    const Units key16(key);
    const Units default16(defaultText);
    if (loaded.document) return FromUtf16(loaded.document->ReadView(section16.View(), key16.View(), default16.View(), units));
    // A missing or unreadable file answers like an empty one.
    static const ProfileDocument empty;
    return FromUtf16(empty.ReadView(section16.View(), key16.View(), default16.View(), units));
}

std::int32_t ConfigStore::ReadInt(std::wstring_view section, std::wstring_view key, std::wstring_view file) const {
    std::wstring storage;
    return ParseInt32(ReadValue(section, key, {}, Path(file, PathRule::AppendIniWhenMissing, storage), kValueUnits));
}

std::int64_t ConfigStore::ReadInt64(std::wstring_view section, std::wstring_view key, std::wstring_view file) const {
    std::wstring storage;
    return ParseInt64(ReadValue(section, key, {}, Path(file, PathRule::AppendIni, storage), kValueUnits));
}

float ConfigStore::ReadFloat(std::wstring_view section, std::wstring_view key, std::wstring_view file) const {
    std::wstring storage;
    return ParseFloat(ReadValue(section, key, {}, Path(file, PathRule::AppendIni, storage), kValueUnits));
}

bool ConfigStore::ReadBool(std::wstring_view section, std::wstring_view key, std::wstring_view file) const {
    std::wstring storage;
    const auto text = ReadValue(section, key, {}, Path(file, PathRule::AppendIni, storage), kValueUnits);
    return !text.empty() && text != L"0";
}

std::wstring ConfigStore::ReadString(std::wstring_view section, std::wstring_view key, std::wstring_view defaultText,
                                     std::wstring_view file) const {
    std::wstring storage;
    return ReadValue(section, key, defaultText, Path(file, PathRule::AppendIniWhenMissing, storage), kValueUnits);
}

bool ConfigStore::HasKey(std::wstring_view section, std::wstring_view key, std::wstring_view file) const {
    std::wstring storage;
    return !ReadValue(section, key, {}, Path(file, PathRule::AppendIniWhenMissing, storage), kKeyTestUnits).empty();
}

bool ConfigStore::Edit(const std::wstring& path, bool createMissing,
                       const std::function<std::optional<std::vector<std::uint8_t>>(const ProfileDocument&)>& edit) {
    const auto writeLock = WriteLockFor(AsciiLower(path));
    std::lock_guard lock(*writeLock);
    const auto loaded = Load(path);
    if (loaded.state == FileState::Unreadable) return false;
    const ProfileDocument fresh(m_codePage);
    const ProfileDocument& current = loaded.document ? *loaded.document : fresh;
    auto bytes = edit(current);
    if (!bytes) {
        if (loaded.state == FileState::Present || !createMissing) return true;
        bytes = current.Bytes(); // an empty UTF-16LE file with its byte-order mark
    }
    if (!m_files.Replace(path, *bytes)) return false;
    if (bytes->size() > kCacheableBytes) return true;
    if (const auto stamp = m_files.Stat(path)) {
        if (auto parsed = ProfileDocument::Parse(std::move(*bytes), m_codePage)) {
            Remember(path, *stamp, std::make_shared<const ProfileDocument>(std::move(*parsed)));
        }
    }
    return true;
}

bool ConfigStore::WriteValue(std::wstring_view section, std::wstring_view key, std::wstring_view text, std::wstring_view file) {
    if (section.empty() || key.empty()) return false;
    const auto section16 = ToUtf16(section);
    const auto key16 = ToUtf16(key);
    const auto text16 = ToUtf16(text);
    return Edit(ResolvePath(file, PathRule::AppendIni), true,
                [&](const ProfileDocument& document) { return document.WithString(section16, key16, text16); });
}

bool ConfigStore::WriteInt(std::wstring_view section, std::wstring_view key, std::int32_t value, std::wstring_view file) {
    return WriteValue(section, key, std::to_wstring(value), file);
}

bool ConfigStore::WriteInt64(std::wstring_view section, std::wstring_view key, std::int64_t value, std::wstring_view file) {
    return WriteValue(section, key, std::to_wstring(value), file);
}

bool ConfigStore::WriteFloat(std::wstring_view section, std::wstring_view key, float value, std::wstring_view file) {
    return WriteValue(section, key, FormatFloat(value), file);
}

bool ConfigStore::WriteBool(std::wstring_view section, std::wstring_view key, bool value, std::wstring_view file) {
    return WriteValue(section, key, value ? L"1" : L"0", file);
}

bool ConfigStore::WriteString(std::wstring_view section, std::wstring_view key, std::wstring_view text, std::wstring_view file) {
    if (section.empty() || key.empty()) return false;
    if (text.empty()) return DeleteKey(section, key, file);
    return WriteValue(section, key, text, file);
}

bool ConfigStore::DeleteKey(std::wstring_view section, std::wstring_view key, std::wstring_view file) {
    const auto section16 = ToUtf16(section);
    const auto key16 = ToUtf16(key);
    return Edit(ResolvePath(file, PathRule::AppendIni), false,
                [&](const ProfileDocument& document) { return document.WithoutKey(section16, key16); });
}

bool ConfigStore::WriteStrings(const std::vector<Setting>& settings, std::wstring_view file) {
    for (const auto& setting : settings) {
        if (setting.section.empty() || setting.key.empty()) return false;
    }
    return Edit(ResolvePath(file, PathRule::AppendIni), true,
                [&](const ProfileDocument& document) -> std::optional<std::vector<std::uint8_t>> {
                    std::optional<ProfileDocument> current;
                    std::optional<std::vector<std::uint8_t>> bytes;
                    for (const auto& setting : settings) {
                        const ProfileDocument& latest = current ? *current : document;
                        const auto section = ToUtf16(setting.section);
                        const auto key = ToUtf16(setting.key);
                        auto next = setting.text.empty() ? latest.WithoutKey(section, key)
                                                         : latest.WithString(section, key, ToUtf16(setting.text));
                        if (!next) continue;
                        bytes = std::move(next);
                        current = ProfileDocument::Parse(*bytes, m_codePage);
                        if (!current) return std::nullopt;
                    }
                    return bytes;
                });
}

int ConfigStore::ReadSectionNames(std::wstring_view file, std::vector<std::wstring>* names) const {
    const auto loaded = Load(ResolvePath(file, PathRule::AppendIni));
    std::vector<std::u16string> found;
    if (loaded.document) found = loaded.document->ReadSectionNames(kSectionNamesUnits);
    if (names) {
        names->clear();
        for (const auto& name : found) names->push_back(FromUtf16(name));
    }
    return static_cast<int>(found.size());
}

int ConfigStore::ReadSection(std::wstring_view section, std::wstring_view file, std::vector<std::wstring>* keys,
                             std::vector<std::wstring>* values) const {
    const auto loaded = Load(ResolvePath(file, PathRule::SectionRead));
    std::vector<std::u16string> lines;
    if (loaded.document) lines = loaded.document->ReadSection(ToUtf16(section), kSectionUnits);
    if (keys) keys->clear();
    if (values) values->clear();
    for (const auto& line : lines) {
        const auto equals = line.find(u'=');
        const std::u16string_view view(line);
        if (keys) keys->push_back(FromUtf16(view.substr(0, equals)));
        if (values) values->push_back(equals == std::u16string::npos ? std::wstring() : FromUtf16(view.substr(equals + 1)));
    }
    return static_cast<int>(lines.size());
}

std::wstring ConfigStore::LanguageText(std::wstring_view section, std::wstring_view key, std::wstring_view defaultText,
                                       std::wstring_view language) const {
    std::wstring file = L"lang\\";
    file += language.empty() ? CurrentLanguage() : std::wstring(language);
    file += L".ini";
    auto text = ReadString(section, key, {}, file);
    if (text.empty()) return std::wstring(defaultText);
    return text;
}

std::wstring ConfigStore::PinyinOf(wchar_t character) const {
    if (character < 0x4E00 || character > 0x9FA5) return {};
    return ReadString(L"pinyin", std::wstring_view(&character, 1), {}, L"pinyin.ini");
}

std::wstring ConfigStore::RegReadString(std::wstring_view fullKeyPath, std::wstring_view valueName) const {
    const auto split = SplitRegistryPath(fullKeyPath);
    if (!m_registry || !split) return {};
    return m_registry->ReadString(split->first, split->second, valueName).value_or(std::wstring());
}

bool ConfigStore::RegWriteString(std::wstring_view fullKeyPath, std::wstring_view valueName, std::wstring_view text) {
    const auto split = SplitRegistryPath(fullKeyPath);
    return m_registry && split && m_registry->WriteString(split->first, split->second, valueName, text);
}

bool ConfigStore::RegDeleteValue(std::wstring_view fullKeyPath, std::wstring_view valueName) {
    const auto split = SplitRegistryPath(fullKeyPath);
    return m_registry && split && m_registry->DeleteValue(split->first, split->second, valueName);
}

} // namespace kestrana::foundation
