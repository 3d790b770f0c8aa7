// The tray's rules: the notify-icon records other programs send (both layouts, and the
// records that must be refused), the icon list they drive, the cache file, the clicks
// replayed to an owner and the choice of source.
#include "menubar/tray/tray_cache.h"
#include "menubar/tray/tray_click.h"
#include "menubar/tray/tray_list.h"
#include "menubar/tray/tray_record.h"
#include "menubar/tray/tray_source.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrana::menubar::tray {
namespace {

TrayCommand Command(TrayVerb verb, std::uint32_t owner, std::uint32_t id, std::uint32_t fields = 0) {
    TrayCommand c;
    c.verb = verb;
    c.owner = owner;
    c.id = id;
    c.fields = fields;
    return c;
}

TrayDecoded Decode(const std::vector<std::uint8_t>& bytes, std::uint32_t kind = kTrayCopyDataKind) {
    return DecodeTrayRecord(kind, bytes);
}

void PutU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(TrayRecord, BothLayoutsCarryTheirFields) {
    TrayCommand add = Command(TrayVerb::Add, 0x00120ABCu, 7, kFieldMessage | kFieldIcon | kFieldTip | kFieldInfo);
    add.callback = 0x8001;
    add.icon = 0xFFFF0042u; // a 32-bit handle field keeps all 32 bits
    add.tip = L"Sync — up to date";
    add.info = L"Files synced";
    add.infoTitle = L"Cloud";
    const auto later = Decode(EncodeTrayRecord(add, kIconDataFullSize));
    ASSERT_TRUE(later.command) << TrayRecordErrorText(later.error);
    EXPECT_EQ(later.command->verb, TrayVerb::Add);
    EXPECT_EQ(later.command->owner, 0x00120ABCu);
    EXPECT_EQ(later.command->id, 7u);
    EXPECT_EQ(later.command->callback, 0x8001u);
    EXPECT_EQ(later.command->icon, 0xFFFF0042u);
    EXPECT_EQ(later.command->tip, add.tip);
    EXPECT_EQ(later.command->info, L"Files synced");
    EXPECT_EQ(later.command->infoTitle, L"Cloud");

    // The first layout: a tooltip of at most 63 units, and no balloon even when flagged.
    add.tip = std::wstring(70, L'x');
    const auto first = Decode(EncodeTrayRecord(add, kIconDataFirstSize));
    ASSERT_TRUE(first.command);
    EXPECT_EQ(first.command->tip, std::wstring(63, L'x'));
    EXPECT_TRUE(first.command->info.empty());
    EXPECT_FALSE(first.command->fields & kFieldInfo);

    TrayCommand version = Command(TrayVerb::SetVersion, 5, 1);
    version.version = 4;
    const auto v = Decode(EncodeTrayRecord(version, kIconDataSecondSize));
    ASSERT_TRUE(v.command);
    EXPECT_EQ(v.command->verb, TrayVerb::SetVersion);
    EXPECT_EQ(v.command->version, 4u);

    // The item id is read only from layouts that have one.
    TrayCommand guid = Command(TrayVerb::Modify, 5, 1, kFieldGuid);
    guid.guid[0] = 0xAB;
    guid.guid[15] = 0xCD;
    EXPECT_EQ(Decode(EncodeTrayRecord(guid, kIconDataThirdSize)).command->guid, guid.guid);
    EXPECT_EQ(Decode(EncodeTrayRecord(guid, kIconDataSecondSize)).command->guid[0], 0);
}

TEST(TrayRecord, MalformedRecordsAreRefused) {
    const auto good = EncodeTrayRecord(Command(TrayVerb::Add, 9, 1, kFieldTip));
    ASSERT_TRUE(Decode(good).command);
    EXPECT_EQ(Decode(good, 0).error, TrayRecordError::WrongKind); // an app-bar message

    auto truncated = good;
    truncated.resize(kTrayHeaderSize + kIconDataFirstSize - 1);
    EXPECT_EQ(Decode(truncated).error, TrayRecordError::TooShort);

    auto oversized = good;
    oversized.resize(kTrayRecordMax + 1);
    EXPECT_EQ(Decode(oversized).error, TrayRecordError::TooLong);

    auto signature = good;
    signature[0] ^= 1;
    EXPECT_EQ(Decode(signature).error, TrayRecordError::BadSignature);

    auto verb = good;
    PutU32(verb, 4, 5);
    EXPECT_EQ(Decode(verb).error, TrayRecordError::UnknownVerb);

    // A size field claiming more than was sent, or a size between the layouts.
    auto lying = EncodeTrayRecord(Command(TrayVerb::Add, 9, 1), kIconDataSecondSize);
    PutU32(lying, kTrayHeaderSize, kIconDataFullSize);
    EXPECT_EQ(Decode(lying).error, TrayRecordError::BadLength);
    auto between = good;
    PutU32(between, kTrayHeaderSize, 500);
    EXPECT_EQ(Decode(between).error, TrayRecordError::BadLength);

    // A tooltip that fills its field without a terminator; unflagged, it is not read.
    auto unterminated = good;
    for (std::size_t i = 0; i < 128; ++i) unterminated[kTrayHeaderSize + 24 + 2 * i] = 'A';
    EXPECT_EQ(Decode(unterminated).error, TrayRecordError::UnterminatedText);
    PutU32(unterminated, kTrayHeaderSize + 12, 0);
    EXPECT_TRUE(Decode(unterminated).command);
}

TEST(TrayList, RecordsAddChangeAndRemoveIconsInOrder) {
    TrayList list;
    TrayCommand a = Command(TrayVerb::Add, 100, 1, kFieldTip | kFieldMessage);
    a.tip = L"first";
    a.callback = 0x8001;
    EXPECT_EQ(list.Apply(a).outcome, TrayOutcome::Changed);
    EXPECT_EQ(list.Apply(a).outcome, TrayOutcome::Unknown); // already there
    TrayCommand b = Command(TrayVerb::Add, 200, 1, kFieldTip);
    b.tip = L"second";
    list.Apply(b);
    ASSERT_EQ(list.Icons().size(), 2u);
    EXPECT_EQ(list.Icons()[0].tip, L"first");
    EXPECT_EQ(list.Icons()[1].tip, L"second");

    // A modify changes only the fields it carries.
    TrayCommand m = Command(TrayVerb::Modify, 100, 1, kFieldTip);
    m.tip = L"renamed";
    m.callback = 0x9999;
    EXPECT_EQ(list.Apply(m).outcome, TrayOutcome::Changed);
    EXPECT_EQ(list.Icons()[0].tip, L"renamed");
    EXPECT_EQ(list.Icons()[0].callback, 0x8001u);
    EXPECT_EQ(list.Apply(m).outcome, TrayOutcome::Unchanged);

    TrayCommand hide = Command(TrayVerb::Modify, 200, 1, kFieldState);
    hide.state = hide.stateMask = kStateHidden;
    list.Apply(hide);
    ASSERT_EQ(list.Shown().size(), 1u);
    EXPECT_EQ(list.Shown()[0]->owner, 100u);

    TrayCommand version = Command(TrayVerb::SetVersion, 100, 1);
    version.version = 9;
    EXPECT_TRUE(list.Apply(version).Accepted());
    EXPECT_EQ(list.Icons()[0].version, 4u);

    EXPECT_EQ(list.Apply(Command(TrayVerb::Modify, 100, 2)).outcome, TrayOutcome::Unknown);
    EXPECT_EQ(list.Apply(Command(TrayVerb::Add, 0, 2)).outcome, TrayOutcome::Refused);
    EXPECT_EQ(list.Apply(Command(TrayVerb::Delete, 100, 1)).outcome, TrayOutcome::Changed);
    ASSERT_EQ(list.Icons().size(), 1u);
    EXPECT_EQ(list.Icons()[0].owner, 200u);

    // A balloon comes out of a record that carries one.
    TrayCommand balloon = Command(TrayVerb::Modify, 200, 1, kFieldInfo);
    balloon.info = L"Done";
    balloon.infoTitle = L"Backup";
    const auto applied = list.Apply(balloon);
    ASSERT_TRUE(applied.balloon);
    EXPECT_EQ(applied.balloon->text, L"Done");
}

TEST(TrayList, OneProgramIsCappedAndGoneOwnersAreDropped) {
    TrayList list;
    int changed = 0;
    for (std::uint32_t id = 0; id < 1000; ++id)
        if (list.Apply(Command(TrayVerb::Add, 77, id), 1234).outcome == TrayOutcome::Changed) ++changed;
    EXPECT_EQ(changed, static_cast<int>(kMaxIconsPerProgram));
    // The same program from another window counts too; another program does not.
    EXPECT_EQ(list.Apply(Command(TrayVerb::Add, 78, 0), 1234).outcome, TrayOutcome::Capped);
    EXPECT_EQ(list.Apply(Command(TrayVerb::Add, 79, 0), 999).outcome, TrayOutcome::Changed);

    EXPECT_EQ(list.Prune([](std::uint64_t owner) { return owner != 77; }), kMaxIconsPerProgram);
    ASSERT_EQ(list.Icons().size(), 1u);
    EXPECT_EQ(list.Icons()[0].owner, 79u);
}

TEST(TrayList, AnIconNamedByItsItemIdIsFoundFromAnyWindow) {
    TrayList list;
    TrayCommand add = Command(TrayVerb::Add, 100, 1, kFieldGuid | kFieldTip);
    add.guid[3] = 0x42;
    add.tip = L"first";
    ASSERT_EQ(list.Apply(add).outcome, TrayOutcome::Changed);
    // The same owner and id without the item id is another icon.
    EXPECT_EQ(list.Apply(Command(TrayVerb::Add, 100, 1)).outcome, TrayOutcome::Changed);
    // A program restarted with a new window still reaches its icon by the item id.
    TrayCommand modify = Command(TrayVerb::Modify, 0, 9, kFieldGuid | kFieldTip);
    modify.guid = add.guid;
    modify.tip = L"renamed";
    EXPECT_EQ(list.Apply(modify).outcome, TrayOutcome::Changed);
    EXPECT_EQ(list.Icons()[0].tip, L"renamed");
    EXPECT_EQ(list.Apply(Command(TrayVerb::Add, 0, 9, kFieldGuid)).outcome, TrayOutcome::Refused); // no item id, no owner
    TrayCommand remove = Command(TrayVerb::Delete, 555, 0, kFieldGuid);
    remove.guid = add.guid;
    EXPECT_EQ(list.Apply(remove).outcome, TrayOutcome::Changed);
    ASSERT_EQ(list.Icons().size(), 1u);
    EXPECT_EQ(list.Icons()[0].owner, 100u);
}

TEST(TrayList, TheWholeTrayIsCapped) {
    TrayList list;
    std::size_t taken = 0;
    for (std::uint32_t owner = 1; owner <= 300; ++owner)
        if (list.Apply(Command(TrayVerb::Add, owner, 0), owner).outcome == TrayOutcome::Changed) ++taken;
    EXPECT_EQ(taken, kMaxTrayIcons);
    std::vector<TrayIcon> many(kMaxTrayIcons + 5);
    for (std::size_t i = 0; i < many.size(); ++i) many[i].owner = i + 1;
    list.Replace(many);
    EXPECT_EQ(list.Icons().size(), kMaxTrayIcons);
}

TEST(TrayList, TheOwnersProgramIsKeptAndChatProgramsKnown) {
    TrayList list;
    list.Apply(Command(TrayVerb::Add, 5, 1), 42, L"C:\\Program Files\\Chat\\WeChat.exe");
    EXPECT_EQ(list.Icons()[0].path, L"c:\\program files\\chat\\wechat.exe");
    EXPECT_EQ(MessengerPopupClass(list.Icons()[0].path), std::optional<std::wstring_view>(L"TrayNotifyWnd"));
    EXPECT_EQ(MessengerPopupClass(L"d:/apps/DingTalk.EXE"), std::optional<std::wstring_view>(L"DingtalkMsgComming"));
    EXPECT_EQ(MessengerPopupClass(L"qq.exe"), std::optional<std::wstring_view>(L"TXGuiFoundation"));
    EXPECT_FALSE(MessengerPopupClass(L"c:\\wechat\\updater.exe")); // the folder's name is not the program's
    EXPECT_FALSE(MessengerPopupClass(L""));
}

TEST(TrayList, AFreshReadingKeepsWhatRecordsTaught) {
    TrayList list;
    list.Apply(Command(TrayVerb::Add, 5, 1));
    TrayCommand v = Command(TrayVerb::SetVersion, 5, 1);
    v.version = 4;
    list.Apply(v);
    TrayIcon a, b;
    a.owner = 6;
    b.owner = 5;
    b.id = 1;
    list.Replace({a, b});
    ASSERT_EQ(list.Icons().size(), 2u);
    EXPECT_EQ(list.Icons()[0].owner, 6u); // the reading's order
    EXPECT_EQ(list.Icons()[1].version, 4u);
}

TEST(TrayCache, RoundTripAndRefusals) {
    TrayIcon a;
    a.owner = 0x1234567890ull;
    a.id = 7;
    a.callback = 0x8010;
    a.version = 4;
    a.icon = 0xABCDEFull;
    a.tip = L"Mail — 3 unread";
    a.path = L"c:\\program files\\mail\\mail.exe";
    a.process = 4242;
    TrayIcon b;
    b.owner = 99;
    b.hidden = true;
    const auto bytes = WriteTrayCache({a, b});
    EXPECT_EQ(bytes.size(), 3 * 5 + 4 + 6 + 7 + 4 + 4 + 2 * kCacheRecordSize);
    const auto read = ReadTrayCache(bytes);
    ASSERT_EQ(read.error, TrayCacheError::None);
    ASSERT_EQ(read.icons.size(), 2u);
    EXPECT_EQ(read.icons[0], a);
    EXPECT_EQ(read.icons[1], b);
    EXPECT_TRUE(ReadTrayCache(WriteTrayCache({})).icons.empty());

    // Records of another size (800), a count that does not match, a cut file.
    auto other = bytes;
    other[1 + 4 + 4 + 4 + 1 + 6 + 4] = 800 & 0xFF;
    other[1 + 4 + 4 + 4 + 1 + 6 + 4 + 1] = 800 >> 8;
    EXPECT_EQ(ReadTrayCache(other).error, TrayCacheError::WrongRecordSize);
    auto count = bytes;
    count[1 + 4 + 4] = 3;
    EXPECT_EQ(ReadTrayCache(count).error, TrayCacheError::WrongCount);
    for (std::size_t cut : {std::size_t{3}, bytes.size() - 1}) {
        const auto r = ReadTrayCache(std::span(bytes).first(cut));
        EXPECT_NE(r.error, TrayCacheError::None) << cut;
        EXPECT_TRUE(r.icons.empty());
    }
    EXPECT_EQ(ReadTrayCache({}).error, TrayCacheError::MissingValue);
    // A tooltip that runs into the path without a terminator.
    auto open = bytes;
    const std::size_t records = bytes.size() - 2 * kCacheRecordSize;
    for (std::size_t i = 40; i < 296; ++i) open[records + i] = 'x';
    EXPECT_EQ(ReadTrayCache(open).error, TrayCacheError::BadRecord);
}

TEST(TrayCache, OnlyAFileFromThisSessionIsUsed) {
    const std::uint64_t now = 134'000'000'000'000'000ull;
    const std::uint64_t hour = 36'000'000'000ull;
    EXPECT_TRUE(CacheFromThisSession(now - hour, now, 2 * 3'600'000));  // written an hour ago, up two
    EXPECT_FALSE(CacheFromThisSession(now - 3 * hour, now, 2 * 3'600'000)); // before the restart
    EXPECT_FALSE(CacheFromThisSession(now + hour, now, 2 * 3'600'000));    // from the future
}

TEST(TrayClick, SequencesPerKindAndVersion) {
    TrayIcon four;
    four.id = 7;
    four.version = 4;
    four.callback = 0x8123;
    const auto right = ClickSequence(four, TrayClick::Right, {100, 12});
    ASSERT_EQ(right.size(), 4u);
    const std::uint64_t point = 100 + 12 * 65536;
    const std::uint32_t expected[] = {512, 516, 517, 123};
    for (std::size_t i = 0; i < right.size(); ++i) {
        EXPECT_EQ(right[i].message, 0x8123u);
        EXPECT_EQ(right[i].wParam, point);
        EXPECT_EQ(right[i].lParam, expected[i] + 7 * 65536);
    }
    EXPECT_TRUE(right[0].send); // the move expects an answer; the rest are posted
    EXPECT_FALSE(right[1].send || right[2].send || right[3].send);
    EXPECT_EQ(right[2].pauseMs, 50);

    TrayIcon old;
    old.id = 3; // no callback given
    const auto dbl = ClickSequence(old, TrayClick::Double, {5, 5});
    std::vector<std::uint64_t> messages;
    for (const auto& s : dbl) {
        EXPECT_EQ(s.message, kDefaultCallback);
        EXPECT_EQ(s.wParam, 3u);
        messages.push_back(s.lParam);
    }
    EXPECT_EQ(messages, (std::vector<std::uint64_t>{513, 514, 515, 514, 1024}));
    EXPECT_EQ(dbl[2].pauseMs, 50);

    const auto left = ClickSequence(old, TrayClick::Left, {});
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left[2].lParam, 1024u);
    // Negative points on a screen left of the primary keep to their 16 bits.
    EXPECT_EQ(ClickSequence(four, TrayClick::Hover, {-1, 2})[0].wParam, 0xFFFFu + (2u << 16));
}

TEST(TrayClick, TheCompanionReplaysTheSameSequence) {
    TrayIcon icon;
    icon.owner = 0x1F0042;
    icon.id = 7;
    icon.version = 4;
    icon.callback = 0x8123;
    for (TrayClick kind : {TrayClick::Left, TrayClick::Right, TrayClick::Double}) {
        for (TrayPoint point : {TrayPoint{100, 12}, TrayPoint{-20, 5}}) {
            CompanionClick click{icon.owner, icon.callback, kind, icon.version, point, icon.id};
            const auto parsed = ParseCompanionArgument(CompanionArgument(click));
            ASSERT_TRUE(parsed);
            EXPECT_EQ(parsed->owner, icon.owner);
            EXPECT_EQ(ClickSequence(CompanionIcon(*parsed), parsed->click, parsed->point), ClickSequence(icon, kind, point));
        }
    }
    // The point is one pair of 16-bit values.
    EXPECT_EQ(CompanionArgument({5, 1120, TrayClick::Right, 0, {100, 12}, 3}),
              L"5|" + std::to_wstring(1120 + (1 << 16)) + L"|" + std::to_wstring(100 + 12 * 65536) + L"|3");
    for (const wchar_t* bad : {L"", L"1|2|3", L"1|2|3|4|5", L"1|x|3|4", L"0|2|3|4", L"1|2||4", L"1|5242880|3|4",
                               L"1|262144|3|4", L"1|2|4294967296|4"})
        EXPECT_FALSE(ParseCompanionArgument(bad)) << bad;
}

TEST(TraySource, ChosenByWhatTheMachineHasAndToolbarDataDecoded) {
    EXPECT_EQ(ChooseTraySource({true, true}), TraySourceKind::Scrape);
    EXPECT_EQ(ChooseTraySource({true, false}), TraySourceKind::Host); // a taskbar without the toolbar
    EXPECT_EQ(ChooseTraySource({false, false}), TraySourceKind::Host);

    std::vector<std::uint8_t> button(kToolbarButtonSize, 0);
    button[8] = 0x08;
    button[16] = 0x10;
    button[21] = 0x7F;
    const auto b = DecodeToolbarButton(button);
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->hidden);
    EXPECT_EQ(b->data, 0x00007F0000000010ull);
    EXPECT_FALSE(DecodeToolbarButton(std::span(button).first(31)));

    std::vector<std::uint8_t> data(kTrayDataSize, 0);
    data[0] = 0x42;
    data[4] = 0x01;
    data[8] = 9;
    data[12] = 0x01;
    data[13] = 0x80;
    data[24] = 0x55;
    const auto icon = DecodeTrayData(data);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->owner, 0x100000042ull);
    EXPECT_EQ(icon->id, 9u);
    EXPECT_EQ(icon->callback, 0x8001u);
    EXPECT_EQ(icon->icon, 0x55u);
    data[0] = data[4] = 0;
    EXPECT_FALSE(DecodeTrayData(data)); // no owner
}

TEST(TraySource, TheHostedTrayTakesItsPlaceBackOncePerCauseInTheLog) {
    TrayTopmost keeper;
    // Still first and topmost, or our own announcement coming back: nothing to do.
    for (auto cause : {TopmostCause::TaskbarBack, TopmostCause::DisplayChange, TopmostCause::WorkArea, TopmostCause::Demoted}) {
        const TopmostStep held = keeper.After(cause, true);
        EXPECT_FALSE(held.reassert || held.log || held.announce);
    }
    const TopmostStep own = keeper.After(TopmostCause::TaskbarBack, false, true);
    EXPECT_FALSE(own.reassert || own.log || own.announce);

    // A returning taskbar: back on top, logged, and the programs asked again.
    TopmostStep step = keeper.After(TopmostCause::TaskbarBack, false);
    EXPECT_TRUE(step.reassert && step.log && step.announce);
    step = keeper.After(TopmostCause::TaskbarBack, false);
    EXPECT_TRUE(step.reassert && step.announce);
    EXPECT_FALSE(step.log) << "logged once per cause";
    // Other causes put it back without asking for the icons; each is logged once.
    step = keeper.After(TopmostCause::DisplayChange, false);
    EXPECT_TRUE(step.reassert && step.log);
    EXPECT_FALSE(step.announce);
    EXPECT_FALSE(keeper.After(TopmostCause::DisplayChange, false).log);
    EXPECT_TRUE(keeper.After(TopmostCause::Demoted, false).log);
    EXPECT_TRUE(keeper.After(TopmostCause::WorkArea, false).log);
}

TEST(TraySource, BothTaskbarBitnessesDecodedWithinBounds) {
    // A 32-bit taskbar: 20-byte buttons with the data pointer at 12, 24-byte tray data.
    std::vector<std::uint8_t> button(ToolbarButtonSize(TaskbarBits::Bits32), 0);
    ASSERT_EQ(button.size(), 20u);
    button[8] = 0x08;
    button[12] = 0x34;
    button[15] = 0x12;
    auto b = DecodeToolbarButton(button, TaskbarBits::Bits32);
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->hidden);
    EXPECT_EQ(b->data, 0x12000034u);
    EXPECT_FALSE(DecodeToolbarButton(std::span(button).first(19), TaskbarBits::Bits32));
    // Twenty bytes are too few for a 64-bit button.
    EXPECT_FALSE(DecodeToolbarButton(button, TaskbarBits::Bits64));

    std::vector<std::uint8_t> data(TrayDataSize(TaskbarBits::Bits32), 0);
    ASSERT_EQ(data.size(), 24u);
    data[0] = 0x42;
    data[3] = 0x80; // a handle with its top bit set stays 32 bits wide
    data[4] = 9;
    data[8] = 0x01;
    data[9] = 0x80;
    data[20] = 0x55;
    const auto icon = DecodeTrayData(data, TaskbarBits::Bits32);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->owner, 0x80000042u);
    EXPECT_EQ(icon->id, 9u);
    EXPECT_EQ(icon->callback, 0x8001u);
    EXPECT_EQ(icon->icon, 0x55u);
    EXPECT_FALSE(DecodeTrayData(std::span(data).first(23), TaskbarBits::Bits32));

    // A 64-bit button pointing outside the taskbar's own memory points at nothing.
    std::vector<std::uint8_t> wide(ToolbarButtonSize(TaskbarBits::Bits64), 0);
    wide[23] = 0x80;
    wide[16] = 0x10;
    const auto beyond = DecodeToolbarButton(wide, TaskbarBits::Bits64);
    ASSERT_TRUE(beyond);
    EXPECT_EQ(beyond->data, 0u);

    // A 32-bit process cannot read a 64-bit taskbar: the bar hosts the tray then, and says why.
    EXPECT_TRUE(ToolbarReadable(true, TaskbarBits::Bits32));
    EXPECT_TRUE(ToolbarReadable(false, TaskbarBits::Bits32));
    EXPECT_FALSE(ToolbarReadable(false, TaskbarBits::Bits64));
    const TrayMachine unreadable{true, true, false};
    EXPECT_EQ(ChooseTraySource(unreadable), TraySourceKind::Host);
    std::vector<std::wstring> reasons;
    for (const TrayMachine& m : {TrayMachine{false, false}, TrayMachine{true, false}, unreadable, TrayMachine{true, true}})
        reasons.emplace_back(TraySourceReason(m));
    std::sort(reasons.begin(), reasons.end());
    EXPECT_EQ(std::unique(reasons.begin(), reasons.end()), reasons.end()) << "each case says its own reason";
}

TEST(TraySource, AutoTrayDecidesWhetherTheOverflowIsListed) {
    EXPECT_TRUE(AutoTrayOn(std::nullopt)); // the taskbar's default
    EXPECT_TRUE(AutoTrayOn(1u));
    EXPECT_FALSE(AutoTrayOn(0u));

    const auto icon = [](std::uint64_t owner, std::uint32_t id) {
        TrayIcon i;
        i.owner = owner;
        i.id = id;
        return i;
    };
    const std::vector<TrayIcon> visible{icon(1, 1), icon(2, 1)};
    const std::vector<TrayIcon> overflow{icon(3, 1), icon(2, 1), icon(2, 2)};
    const auto owners = [](const std::vector<TrayIcon>& list) {
        std::vector<std::pair<std::uint64_t, std::uint32_t>> keys;
        for (const auto& i : list) keys.emplace_back(i.owner, i.id);
        return keys;
    };
    using Keys = std::vector<std::pair<std::uint64_t, std::uint32_t>>;
    // On: the overflow's icons follow the visible ones, one already listed counts once.
    EXPECT_EQ(owners(JoinTrayAreas(visible, overflow, true)), (Keys{{1, 1}, {2, 1}, {3, 1}, {2, 2}}));
    // Off: the overflow holds nothing the taskbar shows.
    EXPECT_EQ(owners(JoinTrayAreas(visible, overflow, false)), (Keys{{1, 1}, {2, 1}}));

    std::vector<TrayIcon> many;
    for (std::uint32_t i = 0; i < kMaxTrayIcons; ++i) many.push_back(icon(100 + i, 1));
    const auto capped = JoinTrayAreas(many, overflow, true);
    EXPECT_EQ(capped.size(), kMaxTrayIcons);
    EXPECT_EQ(capped.back().owner, 100 + kMaxTrayIcons - 1);
}

} // namespace
} // namespace kestrana::menubar::tray
