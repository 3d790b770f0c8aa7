#include "foundation/settings_pages.h"

#include "foundation/config_store.h"

#include <algorithm>
#include <cwctype>

namespace kestrana::foundation {

TextRef SettingText(std::wstring key, std::wstring fallback) {
    return {L"settingUI", std::move(key), std::move(fallback)};
}

std::wstring Resolve(const ConfigStore& store, const TextRef& text) {
    if (text.section.empty()) return text.fallback;
    return store.LanguageText(text.section, text.key, text.fallback);
}

bool SettingsPages::Add(PageDescriptor page) {
    if (page.id.empty() || Find(page.id)) return false;
    m_pages.push_back(std::move(page));
    return true;
}

const PageDescriptor* SettingsPages::Find(std::wstring_view id) const {
    for (const auto& page : m_pages)
        if (page.id == id) return &page;
    return nullptr;
}

std::optional<long long> ParseWholeNumber(std::wstring_view text) {
    while (!text.empty() && std::iswspace(text.front())) text.remove_prefix(1);
    while (!text.empty() && std::iswspace(text.back())) text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    long long value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        // Anything this long is out of every range anyway: hold it at a bound.
        if (value < 1'000'000'000'000LL) value = value * 10 + (c - L'0');
    }
    return negative ? -value : value;
}

std::vector<std::wstring> SplitOrder(std::wstring_view value) {
    std::vector<std::wstring> entries;
    std::size_t start = 0;
    while (start <= value.size()) {
        const auto bar = value.find(L'|', start);
        const auto end = bar == std::wstring_view::npos ? value.size() : bar;
        if (end > start) entries.emplace_back(value.substr(start, end - start));
        if (bar == std::wstring_view::npos) break;
        start = bar + 1;
    }
    return entries;
}

std::wstring JoinOrder(const std::vector<std::wstring>& entries) {
    std::wstring text = L"|";
    for (const auto& entry : entries) text += entry + L"|";
    return text;
}

std::optional<std::wstring> MoveInOrder(std::wstring_view value, std::size_t index, int step) {
    auto entries = SplitOrder(value);
    if (index >= entries.size() || (step < 0 && index < static_cast<std::size_t>(-step)) ||
        (step > 0 && index + static_cast<std::size_t>(step) >= entries.size()) || step == 0)
        return std::nullopt;
    const std::size_t to = step < 0 ? index - static_cast<std::size_t>(-step) : index + static_cast<std::size_t>(step);
    std::swap(entries[index], entries[to]);
    return JoinOrder(entries);
}

namespace {

// Per-monitor keys live in a section named after the device without its "\\.\" prefix.
std::wstring MonitorSection(std::wstring_view deviceName) {
    constexpr std::wstring_view prefix = L"\\\\.\\";
    if (deviceName.substr(0, prefix.size()) == prefix) deviceName.remove_prefix(prefix.size());
    return std::wstring(deviceName);
}

bool IsNumeric(ControlKind kind) {
    return kind == ControlKind::Slider || kind == ControlKind::EditNumber;
}

} // namespace

ControlDescriptor MonitorChoiceControl(std::function<std::vector<Choice>()> monitors) {
    ControlDescriptor screen;
    screen.id = L"monitor";
    screen.kind = ControlKind::Combo;
    screen.role = ControlRole::MonitorChoice;
    screen.label = SettingText(L"screen", L"Screen");
    screen.listChoices = std::move(monitors);
    return screen;
}

ControlDescriptor PictureOf(std::wstring id, TextRef label, std::function<std::vector<std::uint32_t>(int, int, bool)> picture) {
    ControlDescriptor control;
    control.id = std::move(id);
    control.kind = ControlKind::Picture;
    control.role = ControlRole::Picture;
    control.label = std::move(label);
    control.picture = std::move(picture);
    return control;
}

ControlDescriptor ActionButton(std::wstring id, TextRef label, std::wstring action, TextRef tip) {
    ControlDescriptor button;
    button.id = std::move(id);
    button.kind = ControlKind::Button;
    button.role = ControlRole::Action;
    button.label = std::move(label);
    button.tip = std::move(tip);
    button.action = std::move(action);
    return button;
}

ControlDescriptor PickFromList(std::wstring id, TextRef label, std::function<std::vector<std::wstring>()> entries,
                               std::shared_ptr<std::wstring> chosen) {
    ControlDescriptor list;
    list.id = std::move(id);
    list.kind = ControlKind::Combo;
    list.label = std::move(label);
    list.listChoices = [entries = std::move(entries)] {
        std::vector<Choice> choices;
        for (std::wstring& entry : entries()) {
            TextRef shown{L"", L"", entry};
            choices.push_back({std::move(entry), std::move(shown)});
        }
        return choices;
    };
    list.custom = CustomValue{[chosen] { return chosen ? *chosen : std::wstring(); },
                              [chosen](const std::wstring& entry) {
                                  if (chosen) *chosen = entry;
                                  return true;
                              }};
    return list;
}

std::wstring SettingsModel::SectionOf(const ControlDescriptor& control) const {
    if (control.perMonitor) {
        const std::wstring monitor = MonitorSection(m_monitor);
        if (!monitor.empty()) return monitor;
    }
    return control.section;
}

std::wstring SettingsModel::Read(const ControlDescriptor& control) const {
    if (control.role == ControlRole::MonitorChoice) return m_monitor;
    if (control.role == ControlRole::Action || control.role == ControlRole::Picture) return {};
    if (control.custom) return control.custom->read ? control.custom->read() : std::wstring();
    // The section that holds the value: the monitor's own (where a 0 counts as absent,
    // as the features read it), then the general one.
    const std::wstring own = SectionOf(control);
    std::wstring from;
    if (m_store.HasKey(own, control.key) && !(control.perMonitor && m_store.ReadInt(own, control.key) == 0))
        from = own;
    else if (control.perMonitor && m_store.HasKey(control.section, control.key))
        from = control.section;
    if (from.empty()) return control.defaultValue;
    if (control.kind == ControlKind::CheckBox) return m_store.ReadBool(from, control.key) ? L"1" : L"0";
    if (IsNumeric(control.kind)) {
        // The stored text as the features read it ("12px" is 12), within the control's range.
        const long long number = m_store.ReadInt(from, control.key);
        if (number == 0 && control.zeroIsAutomatic) return L"0";
        return std::to_wstring(std::clamp<long long>(number, control.minimum, control.maximum));
    }
    return m_store.ReadString(from, control.key);
}

std::vector<Choice> SettingsModel::Choices(const ControlDescriptor& control) const {
    auto choices = control.listChoices ? control.listChoices() : control.choices;
    if (control.kind == ControlKind::Order) {
        // As the value orders them; any the value does not name stay at the end.
        const auto order = SplitOrder(Read(control));
        const auto rank = [&order](const Choice& choice) {
            return static_cast<std::size_t>(std::find(order.begin(), order.end(), choice.value) - order.begin());
        };
        std::stable_sort(choices.begin(), choices.end(),
                         [&rank](const Choice& a, const Choice& b) { return rank(a) < rank(b); });
    }
    return choices;
}

bool SettingsModel::Enabled(const PageDescriptor& page, const ControlDescriptor& control) const {
    if (!control.enableWhen) return true;
    for (const auto& other : page.controls) {
        if (other.id != control.enableWhen->control) continue;
        const std::wstring value = Read(other);
        const auto& allowed = control.enableWhen->values;
        return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
    }
    return true;
}

WriteOutcome SettingsModel::Write(const ControlDescriptor& control, std::wstring_view value) {
    WriteOutcome outcome;
    outcome.shown = Read(control);
    if (control.role == ControlRole::Action || control.role == ControlRole::Picture) return outcome;
    std::wstring text(value);
    if (control.role == ControlRole::MonitorChoice) {
        m_monitor = text;
        outcome.status = WriteStatus::Written;
        outcome.shown = m_monitor;
        return outcome;
    }
    if (IsNumeric(control.kind)) {
        const auto number = ParseWholeNumber(value);
        if (!number) return outcome; // refused: the field keeps the stored value
        const long long clamped = *number == 0 && control.zeroIsAutomatic
                                      ? 0
                                      : std::clamp<long long>(*number, control.minimum, control.maximum);
        outcome.status = clamped == *number ? WriteStatus::Written : WriteStatus::Clamped;
        text = std::to_wstring(clamped);
    } else if (control.kind == ControlKind::CheckBox) {
        if (text != L"0" && text != L"1") return outcome;
        outcome.status = WriteStatus::Written;
    } else if (control.kind == ControlKind::Combo) {
        const auto choices = Choices(control);
        if (std::none_of(choices.begin(), choices.end(), [&](const Choice& c) { return c.value == text; })) return outcome;
        outcome.status = WriteStatus::Written;
    } else if (control.kind == ControlKind::Order) {
        // Another arrangement of the very entries listed now: none left out, none added.
        auto wanted = SplitOrder(text);
        std::vector<std::wstring> listed;
        for (const auto& choice : Choices(control)) listed.push_back(choice.value);
        std::sort(wanted.begin(), wanted.end());
        std::sort(listed.begin(), listed.end());
        if (wanted != listed) return outcome;
        text = JoinOrder(SplitOrder(text));
        outcome.status = WriteStatus::Written;
    } else {
        outcome.status = WriteStatus::Written;
    }
    if (control.refuse) {
        if (auto tip = control.refuse(text)) {
            outcome.status = WriteStatus::Refused;
            outcome.tip = std::move(tip);
            return outcome;
        }
    }
    const WriteStatus wanted = outcome.status;
    if (text == outcome.shown && wanted == WriteStatus::Written && !control.custom) {
        outcome.status = WriteStatus::Unchanged;
        return outcome;
    }
    bool written = false;
    if (control.custom) {
        written = control.custom->write && control.custom->write(text);
    } else if (control.perMonitor && control.alsoGeneral && SectionOf(control) != control.section) {
        // Both keys change together or neither does.
        written = m_store.WriteStrings({{control.section, control.key, text}, {SectionOf(control), control.key, text}});
    } else {
        written = m_store.WriteString(SectionOf(control), control.key, text);
    }
    if (!written) {
        outcome.status = WriteStatus::Failed;
        outcome.shown = Read(control);
        return outcome;
    }
    outcome.status = wanted;
    outcome.effect = control.effect;
    outcome.shown = Read(control);
    return outcome;
}

} // namespace kestrana::foundation
