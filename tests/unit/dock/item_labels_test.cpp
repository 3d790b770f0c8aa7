#include "dock/item_labels.h"

#include "item_list_support.h"

#include <gtest/gtest.h>

namespace kestrana::dock {
namespace {

using namespace testing;

TEST(ItemLabels, SpecialItemsTakeLanguageTextsAndKeysAgainOnEveryLanguageChange) {
    ItemWorld world;
    world.Write(L"lang\\de.ini",
                "[iconame]\r\nexplorer=Explorer DE\r\ntrash=Papierkorb\r\ntimeformat=H.mm 'Uhr'\r\n"
                "[systemicon]\r\nbattery=Akku\r\n");
    world.Write(L"lang\\fr.ini", "[iconame]\r\ntrash=Corbeille\r\n[systemicon]\r\nbattery=Batterie\r\n");
    DockItems row;
    std::vector<ItemRecord> records = {Separator()};
    for (const wchar_t* name : {L"explorer.exe", L"launchpad|", L"trash|", L"cal|", L"systemtime", L"battery", L"notes.exe"}) {
        ItemRecord record;
        record.appname = name;
        record.tag = L"mine";
        records.push_back(record);
    }
    Fill(row, records, world);
    const auto tags = [&] {
        std::vector<std::wstring> out;
        row.ForEachReal([&](std::size_t, const Dockico& item) { out.push_back(item.tag); });
        return out;
    };

    world.store.SetCurrentLanguage(L"de");
    ApplyItemLabels(row, world.store, world.clock);
    EXPECT_EQ(tags(), (std::vector<std::wstring>{L"", L"Explorer DE", L"Launchpad", L"Papierkorb", L"Calendar",
                                                 L"9.07 'Uhr'", L"Akku", L"mine"}));
    EXPECT_EQ(row[4].key, L"explorer");
    EXPECT_EQ(row[5].key, L"launchpad-");
    EXPECT_EQ(row[6].key, L"trash-empty");
    EXPECT_EQ(row[7].key, L"cal|");
    EXPECT_EQ(row[10].key, L"notes");

    world.store.SetCurrentLanguage(L"fr");
    world.clock.now.hour = 17;
    world.clock.rejected.insert(L"HH:mm-bad");
    ApplyItemLabels(row, world.store, world.clock);
    EXPECT_EQ(tags(), (std::vector<std::wstring>{L"", L"File Explorer", L"Launchpad", L"Corbeille", L"Calendar",
                                                 L"17:07", L"Batterie", L"mine"}));

    // A time picture the locale refuses falls back to the built-in one.
    world.Write(L"lang\\fr.ini", "[iconame]\r\ntimeformat=HH:mm-bad\r\n");
    ApplyItemLabels(row, world.store, world.clock);
    EXPECT_EQ(row[8].tag, L"17:07");
}

} // namespace
} // namespace kestrana::dock
