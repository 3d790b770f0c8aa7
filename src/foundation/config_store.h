#pragma once
// The settings store: typed reads and writes of the program's INI files (config.ini,
// ico.ini, the language files, pinyin.ini, theme files) by section, key and file, plus a
// few helpers for Windows' own registry values.
//
// A file argument is resolved against the program folder: none means config.ini, a name
// with ":" is used as it is, anything else is relative to the folder, and ".ini" is added
// when the name has none. Writes create a missing file as UTF-16LE with byte-order mark
// and are on disk when they return; the old or the new file survives a crash, never a
// mix. Reads never create a file; they go through a cache of parsed files that is checked
// against the file's stamp on every read, so another process's change is seen at once.
// All operations may be called from any thread.

#include "foundation/code_page.h"
#include "foundation/file_system.h"
#include "foundation/profile_document.h"
#include "foundation/registry.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrana::foundation {

class ConfigStore {
public:
    // Buffer sizes of the profile reads, in UTF-16 units (a value is cut to one less).
    static constexpr std::size_t kValueUnits = 260;
    static constexpr std::size_t kKeyTestUnits = 200;
    static constexpr std::size_t kSectionNamesUnits = 32767;
    static constexpr std::size_t kSectionUnits = 65535;

    // `baseFolder` is the program folder; a trailing backslash is added when missing.
    // Without a registry the registry helpers fail.
    ConfigStore(FileSystem& files, std::wstring baseFolder, Registry* registry = nullptr,
                const CodePage& codePage = Windows1252());
    ConfigStore(const ConfigStore&) = delete;
    ConfigStore& operator=(const ConfigStore&) = delete;

    [[nodiscard]] const std::wstring& BaseFolder() const { return m_baseFolder; }
    [[nodiscard]] FileSystem& Files() const { return m_files; }
    // The active language's name: the base name of its file in the "lang" folder.
    [[nodiscard]] std::wstring CurrentLanguage() const;
    void SetCurrentLanguage(std::wstring language);

    [[nodiscard]] std::int32_t ReadInt(std::wstring_view section, std::wstring_view key, std::wstring_view file = {}) const;
    [[nodiscard]] std::int64_t ReadInt64(std::wstring_view section, std::wstring_view key, std::wstring_view file = {}) const;
    [[nodiscard]] float ReadFloat(std::wstring_view section, std::wstring_view key, std::wstring_view file = {}) const;
    // False when missing, empty or exactly "0"; true for any other text.
    [[nodiscard]] bool ReadBool(std::wstring_view section, std::wstring_view key, std::wstring_view file = {}) const;
    // The default only when the key is missing; an empty value reads as an empty text.
    [[nodiscard]] std::wstring ReadString(std::wstring_view section, std::wstring_view key,
                                          std::wstring_view defaultText = {}, std::wstring_view file = {}) const;
    // True when the key exists with a non-empty value.
    [[nodiscard]] bool HasKey(std::wstring_view section, std::wstring_view key, std::wstring_view file = {}) const;

    // Each write reports false at once for an empty section or key, and false when the
    // file could not be written.
    bool WriteInt(std::wstring_view section, std::wstring_view key, std::int32_t value, std::wstring_view file = {});
    bool WriteInt64(std::wstring_view section, std::wstring_view key, std::int64_t value, std::wstring_view file = {});
    bool WriteFloat(std::wstring_view section, std::wstring_view key, float value, std::wstring_view file = {});
    bool WriteBool(std::wstring_view section, std::wstring_view key, bool value, std::wstring_view file = {});
    // An empty text deletes the key instead.
    bool WriteString(std::wstring_view section, std::wstring_view key, std::wstring_view text, std::wstring_view file = {});
    bool DeleteKey(std::wstring_view section, std::wstring_view key, std::wstring_view file = {});

    struct Setting {
        std::wstring section;
        std::wstring key;
        std::wstring text; // empty deletes the key
    };
    // Several keys of one file in a single replace, as WriteString would store each: on
    // disk they all change or none does. False at once when any name is empty.
    bool WriteStrings(const std::vector<Setting>& settings, std::wstring_view file = {});

    // The number of sections; `names` (when given) receives them in file order.
    int ReadSectionNames(std::wstring_view file, std::vector<std::wstring>* names) const;
    // The number of lines of the section; each is split at its first "=" into `keys` and
    // `values` (each list only when given).
    int ReadSection(std::wstring_view section, std::wstring_view file, std::vector<std::wstring>* keys,
                    std::vector<std::wstring>* values) const;

    // A user-interface text from "lang\<language>.ini" (the current language when none is
    // given); `defaultText` when the key is missing or empty. Every caller names a default
    // so a missing language file still shows something sensible.
    [[nodiscard]] std::wstring LanguageText(std::wstring_view section, std::wstring_view key, std::wstring_view defaultText,
                                            std::wstring_view language = {}) const;
    // The plain pinyin reading of a CJK character (U+4E00..U+9FA5) from pinyin.ini; empty
    // for any other character.
    [[nodiscard]] std::wstring PinyinOf(wchar_t character) const;

    // Registry helpers on full key paths such as "HKEY_CURRENT_USER\Software\...".
    [[nodiscard]] std::wstring RegReadString(std::wstring_view fullKeyPath, std::wstring_view valueName) const;
    bool RegWriteString(std::wstring_view fullKeyPath, std::wstring_view valueName, std::wstring_view text);
    bool RegDeleteValue(std::wstring_view fullKeyPath, std::wstring_view valueName);

    // How an operation turns its file argument into a path (see the header comment):
    // most add ".ini" unconditionally; a few reads only when no file has the bare name,
    // and the section read treats only ":\" as an absolute path.
    enum class PathRule { AppendIni, AppendIniWhenMissing, SectionRead };
    [[nodiscard]] std::wstring ResolvePath(std::wstring_view file, PathRule rule) const;

private:
    enum class FileState { Missing, Unreadable, Present };
    struct Loaded {
        FileState state = FileState::Missing;
        std::shared_ptr<const ProfileDocument> document;
    };
    struct CacheEntry {
        FileStamp stamp;
        std::shared_ptr<const ProfileDocument> document;
        std::uint64_t lastUse = 0;
    };

    // ResolvePath without a copy for the common case of config.ini.
    [[nodiscard]] const std::wstring& Path(std::wstring_view file, PathRule rule, std::wstring& storage) const;
    [[nodiscard]] Loaded Load(const std::wstring& path) const;
    void Remember(const std::wstring& path, const FileStamp& stamp, std::shared_ptr<const ProfileDocument> document) const;
    [[nodiscard]] std::wstring ReadValue(std::wstring_view section, std::wstring_view key, std::wstring_view defaultText,
                                         const std::wstring& path, std::size_t units) const;
    bool WriteValue(std::wstring_view section, std::wstring_view key, std::wstring_view text, std::wstring_view file);
    bool Edit(const std::wstring& path, bool createMissing,
              const std::function<std::optional<std::vector<std::uint8_t>>(const ProfileDocument&)>& edit);

    FileSystem& m_files;
    std::wstring m_baseFolder;
    Registry* m_registry;
    const CodePage& m_codePage;

    mutable std::mutex m_languageMutex;
    std::wstring m_currentLanguage;

    // Paths compare as Windows compares file names (ASCII case folded).
    struct PathHash {
        std::size_t operator()(const std::wstring& path) const noexcept;
    };
    struct PathEqual {
        bool operator()(const std::wstring& a, const std::wstring& b) const noexcept;
    };

    std::wstring m_configPath; // the resolved name of a read without a file argument

    mutable std::mutex m_cacheMutex;
    mutable std::unordered_map<std::wstring, CacheEntry, PathHash, PathEqual> m_cache;
    mutable std::uint64_t m_useClock = 0;
};

} // namespace kestrana::foundation
