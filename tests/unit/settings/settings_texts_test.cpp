// Every text the settings pages show is in both shipped language files, translated.
#include "settings/settings_catalogue.h"

#include "fakes/fake_file_system.h"
#include "foundation/config_store.h"
#include "foundation/text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace kestrana::settings {
namespace {

void CopyShipped(fakes::FakeFileSystem& files, const std::wstring& base, const char* language) {
    std::ifstream in(std::string(KESTRANA_SOURCE_DIR) + "/assets/lang/" + language + ".ini", std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty()) << language;
    files.AddFile(base + L"lang\\" + foundation::FromUtf8(language) + L".ini", std::move(bytes));
}

TEST(SettingsTexts, AreInBothLanguageFiles) {
    fakes::FakeFileSystem files;
    const std::wstring base = L"C:\\Kestrana\\";
    files.AddDirectory(base);
    CopyShipped(files, base, "English");
    CopyShipped(files, base, "Chinese");
    foundation::ConfigStore store(files, base);
    store.WriteBool(L"normal", L"border", true); // so that the auto-hide refusal shows its tip
    const auto pages = AllSettingsPages(store, {});

    std::vector<foundation::TextRef> texts{{L"settingUI", L"title", L""}, {L"settingUI", L"pageempty", L""},
                                           {L"settingUI", L"notanumber", L""}, {L"settingUI", L"savefailed", L""},
                                           {L"menu", L"preference", L""}, {L"settingUI", L"moveup", L""},
                                           {L"settingUI", L"movedown", L""}};
    for (const auto& page : pages.Pages()) {
        texts.push_back(page.title);
        for (const auto& control : page.controls) {
            texts.push_back(control.label);
            texts.push_back(control.tip);
            for (const auto& choice : control.choices) texts.push_back(choice.label);
            // The order list names the items a first start shows.
            if (control.kind == foundation::ControlKind::Order)
                for (const auto& choice : control.listChoices()) texts.push_back(choice.label);
            if (control.refuse) {
                for (const wchar_t* value : {L"3", L"4", L"6"})
                    if (auto tip = control.refuse(value)) texts.push_back(*tip);
            }
        }
    }
    int checked = 0;
    for (const auto& text : texts) {
        if (text.section.empty()) continue;
        const std::string name = foundation::ToUtf8(text.section + L"/" + text.key);
        EXPECT_NE(store.LanguageText(text.section, text.key, L"", L"English"), L"") << name;
        const std::wstring chinese = store.LanguageText(text.section, text.key, L"", L"Chinese");
        EXPECT_TRUE(std::any_of(chinese.begin(), chinese.end(), [](wchar_t c) { return c >= 0x4E00 && c <= 0x9FFF; }))
            << name << " is not translated";
        ++checked;
    }
    EXPECT_GT(checked, 60);
}

} // namespace
} // namespace kestrana::settings
