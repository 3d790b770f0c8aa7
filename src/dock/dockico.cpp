#include "dock/dockico.h"

#include <algorithm>

namespace kestrana::dock {

namespace {

std::atomic<std::int32_t> g_nextItemId{1};

std::unique_ptr<Dockico> MakePlaceholder() {
    auto entry = std::make_unique<Dockico>();
    entry->kept = true;
    entry->sizeFactor = kItemFactor;
    return entry;
}

} // namespace

std::int32_t NewItemId() noexcept {
    for (;;) {
        // Atomic arithmetic wraps; after two billion items the ids simply start over.
        const std::int32_t id = g_nextItemId.fetch_add(1, std::memory_order_relaxed);
        if (id != kNoItemId && id != kDragGapItemId) return id;
    }
}

std::mutex& BarsListMutex() noexcept {
    static std::mutex barsList;
    return barsList;
}

std::unique_ptr<Dockico> MakeDockico(bool separator) {
    auto item = std::make_unique<Dockico>();
    item->delimiter = separator;
    item->sizeFactor = separator ? kSeparatorFactor : kItemFactor;
    item->kept = true;
    item->id = NewItemId();
    return item;
}

DockItems::DockItems() : m_link(new RowLink(this)) {
    m_entries.reserve(2 * kPlaceholders + 16);
    for (std::size_t i = 0; i < 2 * kPlaceholders; ++i) m_entries.push_back(MakePlaceholder());
}

DockItems::DockItems(DockItems&& other) noexcept
    : m_entries(std::move(other.m_entries)), m_link(new RowLink(this)) {}

DockItems::~DockItems() {
    if (!m_linked) return;
    std::lock_guard bars(BarsListMutex());
    m_link->m_row = nullptr;
}

std::shared_ptr<const RowLink> DockItems::Link() const {
    m_linked = true;
    return m_link;
}

std::shared_ptr<RowLink> DockItems::Link() {
    m_linked = true;
    return m_link;
}

std::size_t DockItems::Insert(std::size_t index, std::unique_ptr<Dockico> item) {
    if (!item) return 0;
    index = std::clamp(index, kFirstReal, EndReal());
    m_entries.insert(m_entries.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
    return index;
}

std::unique_ptr<Dockico> DockItems::Take(std::size_t index) {
    if (index < kFirstReal || index >= EndReal()) return nullptr;
    auto item = std::move(m_entries[index]);
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
    return item;
}

bool DockItems::Move(std::size_t from, std::size_t to) {
    if (from < kFirstReal || from >= EndReal() || to < kFirstReal || to >= EndReal()) return false;
    if (from == to) return true;
    const auto first = m_entries.begin();
    if (from < to)
        std::rotate(first + static_cast<std::ptrdiff_t>(from), first + static_cast<std::ptrdiff_t>(from) + 1,
                    first + static_cast<std::ptrdiff_t>(to) + 1);
    else
        std::rotate(first + static_cast<std::ptrdiff_t>(to), first + static_cast<std::ptrdiff_t>(from),
                    first + static_cast<std::ptrdiff_t>(from) + 1);
    return true;
}

std::size_t DockItems::IndexOfId(std::int32_t id) const {
    if (id == kNoItemId) return 0;
    for (std::size_t i = kFirstReal; i < EndReal(); ++i)
        if (m_entries[i]->id == id) return i;
    return 0;
}

float DockItems::FactorSum() const {
    float sum = 0;
    for (std::size_t i = kFirstReal; i < EndReal(); ++i) sum += m_entries[i]->sizeFactor;
    return sum;
}

} // namespace kestrana::dock
