#include "dock/item_list_manager.h"

#include "foundation/diagnostic_log.h"

#include <chrono>
#include <string>

namespace kestrana::dock {

ItemListManager::ItemListManager(foundation::ConfigStore& store, const ItemShell& shell, const LocalClock& clock,
                                 PictureLoader& pictures, foundation::JobRunner& jobs, const foundation::CodePage& codePage)
    : m_store(store), m_shell(shell), m_clock(clock), m_pictures(pictures), m_codePage(codePage),
      m_saver(store.Files(), store.BaseFolder(), jobs) {}

std::unique_ptr<Dockico> ItemListManager::NewItem(const ItemRecord& record) const {
    bool upgraded = false;
    return BuildItem(record, m_shell, m_store.Files(), m_store.BaseFolder(), upgraded);
}

LoadedRow ItemListManager::Load(DockItems& row, const PictureState& state, const PictureDelivery& delivery) {
    const auto start = std::chrono::steady_clock::now();
    LoadedItemList loaded = LoadItemList(m_store, m_shell, m_codePage);
    ReplaceItems(row, std::move(loaded.items));
    ApplyItemLabels(row, m_store, m_clock);
    const auto listed = std::chrono::steady_clock::now();
    LoadedRow result{loaded.source, m_pictures.Request(row, state, delivery)};
    if (foundation::DetailLogging()) {
        const auto ms = [](auto from, auto to) {
            const auto us = std::chrono::duration_cast<std::chrono::microseconds>(to - from).count();
            return std::to_wstring(us / 1000) + L"." + std::to_wstring(us % 1000 / 100) + L" ms";
        };
        foundation::LogDetail("item list", L"list and labels " + ms(start, listed) + L", pictures asked for in " +
                                               ms(listed, std::chrono::steady_clock::now()));
    }
    // The upgrade is in memory either way; a dropped save is logged by the saver and the
    // next change of the list writes it.
    if (loaded.saveRequested) m_saver.RequestSave(row);
    return result;
}

bool ItemListManager::Restore(DockItems& row, const PictureState& state, const PictureDelivery& delivery) {
    if (!RestoreItemList(m_store)) return false;
    Load(row, state, delivery);
    return true;
}

} // namespace kestrana::dock
