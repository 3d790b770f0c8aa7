#pragma once
// The settings window's pages as data: each feature describes its page once (title,
// controls, the key each control writes, its range and texts) and the model reads and
// writes the values through the settings store, one key per change, clamping numbers to
// the control's range and refusing text that is no number. The window only shows what
// the pages describe.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::foundation {

class ConfigStore;

// A text of the language files: section and key, with the built-in text when the file
// lacks it. An empty section means `fallback` is shown as it stands (a name, a sample).
struct TextRef {
    std::wstring section;
    std::wstring key;
    std::wstring fallback;
    [[nodiscard]] bool Empty() const { return key.empty() && fallback.empty(); }
};
[[nodiscard]] TextRef SettingText(std::wstring key, std::wstring fallback); // section "settingUI"
[[nodiscard]] std::wstring Resolve(const ConfigStore& store, const TextRef& text);

// Order: the choices listed in the order the value names them ("|a|b|c|"), the chosen
// one moved up or down a place by the buttons beside the list.
enum class ControlKind : std::uint8_t { Slider, CheckBox, Combo, EditNumber, EditText, Hotkey, Button, Picture, Order };

// What a change asks of the running program.
enum class SettingEffect : std::uint8_t {
    None,        // read where it is used
    Dock,        // the docks take the new values as they stand
    DockRebuild, // the docks are built again (edge, screens)
    MenuBar,     // the bars take the new values (clock patterns)
    MenuBarItems, // the bars are made again with the status items the settings now give
    Hotkeys,     // the hotkeys are registered again
    ScreenCorners, // the screen corners are switched as their settings now say
    StageManager, // the stage manager's strips follow their settings
    Restart,     // only a restart applies it: the page says so and offers one
};

// A choice of a combo box: the text stored and the label shown.
struct Choice {
    std::wstring value;
    TextRef label;
};

// Values kept outside config.ini (the autostart entries): read and write by the feature.
struct CustomValue {
    std::function<std::wstring()> read;
    std::function<bool(const std::wstring&)> write;
};

// When the window reads a custom value: Quick ones with the page and again when the
// window is activated; Slow ones (outside the settings files: the autostart entries) once
// the page has drawn itself, and on activation; Followed ones (cheap reads of the settings
// files) with the page and every second after, as the stored values are.
enum class CustomReading : std::uint8_t { Quick, Slow, Followed };

// The control is enabled only while another control of the page holds one of `values`.
struct EnableWhen {
    std::wstring control;
    std::vector<std::wstring> values;
};

enum class ControlRole : std::uint8_t {
    Setting,       // a value of the settings files (or a custom value)
    MonitorChoice, // picks the monitor whose own section the page's per-monitor keys use
    Action,        // a button that runs something (restart)
    Picture,       // shows what the page's values look like; writes nothing
};

struct ControlDescriptor {
    std::wstring id; // unique within the page; the key it writes where it writes one
    ControlKind kind = ControlKind::CheckBox;
    ControlRole role = ControlRole::Setting;
    std::wstring section;
    std::wstring key;
    // Read from the chosen monitor's section first, then from `section`; written to the
    // monitor's section, and to `section` as well with `alsoGeneral`.
    bool perMonitor = false;
    bool alsoGeneral = false;
    TextRef label;
    TextRef tip; // shown beside the control ("settingtips")
    int minimum = 0;
    int maximum = 0;
    // A number control whose 0 stands for "automatic", kept outside the range.
    bool zeroIsAutomatic = false;
    std::wstring defaultValue; // shown while the key is absent
    std::vector<Choice> choices;
    // Lists that depend on the machine or the files (languages, monitors, presets), made
    // when the page is shown; replace `choices` when set.
    std::function<std::vector<Choice>()> listChoices;
    std::optional<CustomValue> custom;
    CustomReading reading = CustomReading::Quick;
    std::optional<EnableWhen> enableWhen;
    // A choice the rules forbid right now: the tip to show instead of writing it.
    std::function<std::optional<TextRef>(const std::wstring& value)> refuse;
    SettingEffect effect = SettingEffect::None;
    std::wstring action; // Action role: what the button asks for ("restart")
    // Shown on the line below the control while the running program has something to
    // say about its value (a hotkey another program holds); read again with the value.
    std::function<std::optional<TextRef>()> note;
    // Sits on the same line as the control before it, sharing its width, and is named
    // by that control's label.
    bool besidePrevious = false;
    // Picture role: `width` x `height` premultiplied ARGB pixels for a light or dark
    // look, drawn again after every change on the page; empty when there is nothing to show.
    std::function<std::vector<std::uint32_t>(int width, int height, bool dark)> picture;
};

// The page's choice of the monitor whose own section its per-monitor controls use.
[[nodiscard]] ControlDescriptor MonitorChoiceControl(std::function<std::vector<Choice>()> monitors);

// A button that asks the window for `action`; `tip` shown beside it.
[[nodiscard]] ControlDescriptor ActionButton(std::wstring id, TextRef label, std::wstring action, TextRef tip = {});

// A picture of the page's values (a skin's look), `label` naming it for screen readers.
[[nodiscard]] ControlDescriptor PictureOf(std::wstring id, TextRef label,
                                          std::function<std::vector<std::uint32_t>(int, int, bool)> picture);

// A list to pick one entry of (each shown as it stands) for an action of the page to act
// on: the pick is kept in `chosen`, nothing is written.
[[nodiscard]] ControlDescriptor PickFromList(std::wstring id, TextRef label,
                                             std::function<std::vector<std::wstring>()> entries,
                                             std::shared_ptr<std::wstring> chosen);

struct PageDescriptor {
    std::wstring id;
    TextRef title;
    std::vector<ControlDescriptor> controls;
    // Other features fill this page later; it shows a line saying so until then.
    [[nodiscard]] bool Empty() const { return controls.empty(); }
};

// The pages in the order the window lists them. Ids are unique: adding a page under an
// id that is taken replaces nothing and reports false.
class SettingsPages {
public:
    bool Add(PageDescriptor page);
    [[nodiscard]] const std::vector<PageDescriptor>& Pages() const { return m_pages; }
    [[nodiscard]] const PageDescriptor* Find(std::wstring_view id) const;

private:
    std::vector<PageDescriptor> m_pages;
};

enum class WriteStatus : std::uint8_t {
    Written,   // the value as given
    Clamped,   // a number out of range: its nearest limit was written
    Refused,   // not a number, not one of the choices, or forbidden by the page's rules
    Failed,    // the settings file could not be written; nothing was lost
    Unchanged, // the stored value already was this one
};

struct WriteOutcome {
    WriteStatus status = WriteStatus::Refused;
    std::wstring shown;      // what the control shows afterwards: the stored value
    std::optional<TextRef> tip; // a refusal's explanation, when the page gives one
    SettingEffect effect = SettingEffect::None; // for Written and Clamped
};

// Reads and writes the values of the pages' controls. No cache: each read goes to the
// store, so changes made elsewhere (the dock menu's lock) show when the page is read again.
class SettingsModel {
public:
    explicit SettingsModel(ConfigStore& store) : m_store(store) {}

    // The monitor the per-monitor keys use, by device name ("\\.\DISPLAY1").
    void SetMonitor(std::wstring deviceName) { m_monitor = std::move(deviceName); }
    [[nodiscard]] const std::wstring& Monitor() const { return m_monitor; }

    [[nodiscard]] std::wstring Read(const ControlDescriptor& control) const;
    [[nodiscard]] std::vector<Choice> Choices(const ControlDescriptor& control) const;
    // Whether the control can be used with the page's values as they stand.
    [[nodiscard]] bool Enabled(const PageDescriptor& page, const ControlDescriptor& control) const;

    // The user's value for the control: typed text, "1"/"0" for a check box, a choice's
    // value for a combo box, the position of a slider.
    WriteOutcome Write(const ControlDescriptor& control, std::wstring_view value);

private:
    [[nodiscard]] std::wstring SectionOf(const ControlDescriptor& control) const;

    ConfigStore& m_store;
    std::wstring m_monitor;
};

// An Order control's value: the entries between bars, as sets of words are kept.
[[nodiscard]] std::vector<std::wstring> SplitOrder(std::wstring_view value);
[[nodiscard]] std::wstring JoinOrder(const std::vector<std::wstring>& entries);
// The order with entry `index` moved `step` places (-1 up, +1 down); nothing when it
// cannot move that way.
[[nodiscard]] std::optional<std::wstring> MoveInOrder(std::wstring_view value, std::size_t index, int step);

// A whole decimal number with an optional sign and blanks around it; nothing else.
[[nodiscard]] std::optional<long long> ParseWholeNumber(std::wstring_view text);

} // namespace kestrana::foundation
