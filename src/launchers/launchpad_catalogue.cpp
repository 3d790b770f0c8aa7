#include "launchers/launchpad_catalogue.h"

#include "foundation/diagnostic_log.h"
#include "foundation/text.h"
#include "launchers/catalogue_arrange.h"
#include "launchers/catalogue_file.h"

#include <algorithm>
#include <memory>
#include <span>
#include <unordered_map>

namespace kestrana::launchers {

using foundation::AsciiLower;
using foundation::FileSystem;

namespace {

std::wstring PadFolder(const foundation::ConfigStore& store) { return store.BaseFolder() + L"launchpad\\"; }

template <typename Entry, typename Pages>
Entry* FindEntry(Pages& pages, const EntryPlace& place) {
    if (place.page >= pages.size() || place.position >= pages[place.page].size()) return nullptr;
    auto& icon = pages[place.page][place.position];
    if (!place.member) return std::get_if<LaunchpadEntry>(&icon);
    auto* group = std::get_if<LaunchpadGroup>(&icon);
    if (!group || *place.member >= group->entries.size()) return nullptr;
    return &group->entries[*place.member];
}

template <typename Pages, typename Visit>
void ForEachEntry(Pages& pages, Visit visit) {
    for (auto& page : pages) {
        for (auto& icon : page) {
            if (auto* entry = std::get_if<LaunchpadEntry>(&icon)) {
                visit(*entry);
            } else {
                for (auto& member : std::get<LaunchpadGroup>(icon).entries) visit(member);
            }
        }
    }
}

} // namespace

bool RemoveTree(FileSystem& files, const std::wstring& folder) {
    if (!files.IsDirectory(folder)) return true;
    std::wstring prefix = folder;
    if (prefix.back() != L'\\') prefix += L'\\';
    for (const auto& entry : files.List(prefix)) {
        if (entry.isDirectory) {
            RemoveTree(files, prefix + entry.name);
        } else {
            files.ResetAttributes(prefix + entry.name);
            files.Remove(prefix + entry.name);
        }
    }
    return files.RemoveFolder(folder) || !files.IsDirectory(folder);
}

bool RecreateFolder(FileSystem& files, const std::wstring& folder) {
    RemoveTree(files, folder);
    return files.CreateFolder(folder);
}

void EmptyIconCaches(FileSystem& files, const std::wstring& baseFolder) {
    RecreateFolder(files, baseFolder + L"launchpad\\cache");
    RecreateFolder(files, baseFolder + L"launchpad\\cache_shell");
}

LaunchpadCatalogue::LaunchpadCatalogue(CatalogueServices services) : m_services(services) {
    // Each ideograph is read from pinyin.ini once per catalogue, not once per entry.
    m_pinyin = [readings = std::make_shared<std::unordered_map<wchar_t, std::wstring>>(),
                &store = m_services.store](wchar_t c) {
        auto it = readings->find(c);
        if (it == readings->end()) it = readings->emplace(c, store.PinyinOf(c)).first;
        return it->second;
    };
}

std::wstring LaunchpadCatalogue::FilePath() const {
    return m_services.store.BaseFolder() + WithXmlExtension(CatalogueFileName(m_choice));
}

bool LaunchpadCatalogue::ImportDroppedShortcuts() {
    FileSystem& files = m_services.store.Files();
    const std::wstring pad = PadFolder(m_services.store);
    std::vector<std::wstring> shortcuts;
    for (const auto& entry : files.List(pad)) {
        if (!entry.isDirectory && foundation::EndsWithIgnoreCase(entry.name, L".lnk")) shortcuts.push_back(entry.name);
    }
    if (shortcuts.empty()) return false;
    // The arrangement starts afresh. The shortcuts move last: should this be cut short,
    // the next start finds them and does it all again. Only the pinned folder's own
    // catalogue file goes: the other choices' arrangements hold the user's work on the
    // applications folder and the desktop, which the shortcuts do not touch.
    RecreateFolder(files, pad + L"png");
    files.Remove(m_services.store.BaseFolder() + L"padconfig.xml");
    EmptyIconCaches(files, m_services.store.BaseFolder());
    files.CreateFolder(pad + L"Pinned");
    for (const auto& name : shortcuts) {
        if (!files.Rename(pad + name, pad + L"Pinned\\" + name, true)) {
            foundation::LogFailure("launchpad import", L"cannot move " + pad + name);
        }
    }
    return true;
}

LoadReport LaunchpadCatalogue::Load() {
    LoadReport report;
    foundation::ConfigStore& store = m_services.store;
    FileSystem& files = store.Files();
    const std::wstring pad = PadFolder(store);
    for (const wchar_t* folder : {L"", L"cache", L"cache_shell"}) files.CreateFolder(pad + folder);
    m_choice = ReadSourceChoice(store);
    report.imported = ImportDroppedShortcuts();

    // The file is read before the scan: the names it gives need not be asked of the shell.
    const std::wstring path = FilePath();
    auto bytes = files.Read(path);
    auto document = bytes ? ParseCatalogue(*bytes) : std::nullopt;
    const KnownNames known = document ? NamesIn(*document) : KnownNames{};
    std::vector<LaunchpadEntry> scanned = ScanSources(m_choice, m_services.shell, store, pad + L"Pinned", m_pinyin, &known);
    report.scanned = scanned.size();

    m_onDisk.clear();
    if (document) {
        m_onDisk = std::move(*bytes);
    } else {
        report.rewritten = true;
        auto fresh = SerializeCatalogue(DocumentFromScan(scanned));
        if (files.Replace(path, fresh)) {
            m_onDisk = fresh;
        } else {
            foundation::LogFailure("launchpad load", L"cannot write " + path);
        }
        document = ParseCatalogue(fresh);
    }
    m_pages = ArrangeCatalogue(document.value_or(CatalogueDocument{}), std::move(scanned), m_pinyin);
    report.saved = Save();
    RequestIcons();
    return report;
}

bool LaunchpadCatalogue::Save() {
    auto bytes = SerializeCatalogue(DocumentOf(m_pages));
    if (bytes == m_onDisk) return true;
    const std::wstring path = FilePath();
    if (!m_services.store.Files().Replace(path, bytes)) {
        foundation::LogFailure("launchpad save", L"cannot write " + path);
        return false;
    }
    m_onDisk = std::move(bytes);
    return true;
}

const LaunchpadEntry* LaunchpadCatalogue::EntryAt(const EntryPlace& place) const {
    return FindEntry<const LaunchpadEntry>(m_pages, place);
}

LaunchpadEntry* LaunchpadCatalogue::MutableEntryAt(const EntryPlace& place) {
    return FindEntry<LaunchpadEntry>(m_pages, place);
}

std::size_t LaunchpadCatalogue::EntryCount() const {
    std::size_t count = 0;
    ForEachEntry(m_pages, [&count](const LaunchpadEntry&) { ++count; });
    return count;
}

bool LaunchpadCatalogue::Rename(const EntryPlace& place, const std::wstring& newName) {
    LaunchpadEntry* entry = MutableEntryAt(place);
    // Blanks around a name are not kept by the file: a name of blanks alone is no name.
    const std::wstring name(foundation::TrimBlanks(newName));
    if (!entry || name.empty()) return false;
    FileSystem& files = m_services.store.Files();
    const std::wstring& base = m_services.store.BaseFolder();
    const IconFiles before = IconFilesOf(base, entry->Key(), entry->path);
    entry->name = name;
    entry->SetKey(name, m_pinyin);
    const IconFiles after = IconFilesOf(base, entry->Key(), entry->path);
    // The icon files are named after the key: they move with it so nothing is extracted again.
    for (const auto member : {&IconFiles::user, &IconFiles::userByKey, &IconFiles::cache, &IconFiles::masked}) {
        if (files.IsFile(before.*member)) files.Rename(before.*member, after.*member, true);
    }
    if (const auto section = OverrideSection(entry->source); !section.empty()) {
        m_services.store.WriteString(section, entry->path, name, kPadSettingsFile);
    }
    return Save();
}

bool LaunchpadCatalogue::RenameGroup(std::size_t page, std::size_t position, const std::wstring& newName) {
    const std::wstring name(foundation::TrimBlanks(newName));
    if (page >= m_pages.size() || position >= m_pages[page].size() || name.empty()) return false;
    auto* group = std::get_if<LaunchpadGroup>(&m_pages[page][position]);
    if (!group) return false;
    group->name = name;
    return Save();
}

bool LaunchpadCatalogue::Delete(const EntryPlace& place) {
    const LaunchpadEntry* entry = MutableEntryAt(place);
    if (!entry) return false;
    foundation::ConfigStore& store = m_services.store;
    FileSystem& files = store.Files();
    const IconFiles icons = IconFilesOf(store.BaseFolder(), entry->Key(), entry->path);
    for (const std::wstring* file : {&icons.user, &icons.userByKey, &icons.cache, &icons.masked}) files.Remove(*file);
    if (entry->source == EntrySource::Pinned) {
        files.ResetAttributes(entry->path);
        if (!files.Remove(entry->path)) foundation::LogFailure("launchpad delete", L"cannot delete " + entry->path);
    } else {
        store.WriteInt(L"delete", entry->path, 1, kPadSettingsFile);
    }

    LaunchpadPage& page = m_pages[place.page];
    if (place.member) {
        auto& members = std::get<LaunchpadGroup>(page[place.position]).entries;
        members.erase(members.begin() + std::ptrdiff_t(*place.member));
        if (members.empty()) page.erase(page.begin() + std::ptrdiff_t(place.position));
    } else {
        page.erase(page.begin() + std::ptrdiff_t(place.position));
    }
    if (page.empty()) m_pages.erase(m_pages.begin() + std::ptrdiff_t(place.page));
    return Save();
}

void LaunchpadCatalogue::RequestIcons(bool all) {
    if (!m_services.icons) return;
    std::vector<IconRequest> requests;
    ForEachEntry(m_pages, [&requests, all](LaunchpadEntry& entry) {
        if (all || !entry.icon) requests.push_back(IconRequest{entry.Key(), entry.path, entry.source});
    });
    m_services.icons->SetMask(m_services.store.ReadBool(L"normal", L"iconmask"));
    m_services.icons->Request(std::move(requests));
}

bool LaunchpadCatalogue::SetIconSize(int pixels) {
    pixels = std::max(0, pixels);
    if (pixels == m_iconSize) return false;
    m_iconSize = pixels;
    if (!m_services.icons) return true;
    m_services.icons->SetDrawSize(pixels);
    RequestIcons(true);
    return true;
}

std::size_t LaunchpadCatalogue::LetIconsGo(std::size_t keepPages) {
    if (!m_services.icons || m_pages.size() <= keepPages) return 0;
    std::size_t released = 0;
    auto later = std::span<LaunchpadPage>(m_pages).subspan(keepPages);
    ForEachEntry(later, [&released](LaunchpadEntry& entry) {
        if (!entry.icon) return;
        entry.icon = nullptr;
        ++released;
    });
    return released;
}

void LaunchpadCatalogue::RequestMissingIcons() {
    bool missing = false;
    ForEachEntry(m_pages, [&missing](const LaunchpadEntry& entry) { missing = missing || !entry.icon; });
    // Nothing missing: a request now would only cancel one still on its way.
    if (missing) RequestIcons(false);
}

std::size_t LaunchpadCatalogue::TakeIcons() {
    if (!m_services.icons) return 0;
    std::unordered_map<std::wstring, IconResult> arrived;
    for (auto& result : m_services.icons->Take()) {
        if (result.picture) arrived[AsciiLower(result.path)] = std::move(result);
    }
    std::size_t changed = 0;
    if (arrived.empty()) return 0;
    ForEachEntry(m_pages, [&](LaunchpadEntry& entry) {
        const auto it = arrived.find(AsciiLower(entry.path));
        // An entry renamed meanwhile keeps waiting: its icon files moved with its key.
        if (it == arrived.end() || it->second.key != entry.Key()) return;
        entry.icon = it->second.picture;
        ++changed;
    });
    return changed;
}

ChoiceOutcome SetSourceChoice(foundation::ConfigStore& store, int choice, const ChoicePrompts& prompts) {
    choice = ClampSourceChoice(choice);
    FileSystem& files = store.Files();
    if (files.IsFile(store.BaseFolder() + CatalogueFileName(choice))) {
        store.WriteInt(L"normal", L"padicotype", choice);
        if (prompts.tell) {
            prompts.tell(store.LanguageText(L"settingtips", L"restarttip", L"Restart Kestrana for the change to take effect."));
        }
        EmptyIconCaches(files, store.BaseFolder());
        return ChoiceOutcome::Switched;
    }
    const std::wstring question = store.LanguageText(
        L"settingtips", L"padicotypetips",
        L"Launchpad will arrange the applications of this source anew. Continue?");
    if (!prompts.confirm || !prompts.confirm(question)) return ChoiceOutcome::Declined;
    store.WriteInt(L"normal", L"padicotype", choice);
    return ChoiceOutcome::Confirmed;
}

} // namespace kestrana::launchers
