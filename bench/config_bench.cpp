// Settings reads and writes through the store on a real disk: 1,000 different keys of a
// config.ini with 200 sections and 2,000 keys, one WriteString on that file, and the
// parse that a changed file costs.
#include "foundation/config_store.h"
#include "foundation/profile_document.h"
#include "foundation/text.h"
#include "platform/posix/posix_file_system.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using kestrana::foundation::ConfigStore;
using kestrana::foundation::ProfileDocument;

struct Key {
    std::wstring section;
    std::wstring key;
};

// config.ini in a scratch folder, built once for every benchmark of the run.
class Fixture {
public:
    Fixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrana-config-bench-XXXXXX").string();
        m_native = ::mkdtemp(pattern.data());
        m_base = L"Z:" + kestrana::foundation::FromUtf8(m_native) + L"\\";
        std::replace(m_base.begin(), m_base.end(), L'/', L'\\');
        std::u16string text;
        for (int s = 0; s < 200; ++s) {
            const auto section = L"section" + std::to_wstring(s);
            text += u"[" + kestrana::foundation::ToUtf16(section) + u"]\r\n";
            for (int k = 0; k < 10; ++k) {
                const auto key = L"key" + std::to_wstring(k);
                text += kestrana::foundation::ToUtf16(key) + u"=value " + kestrana::foundation::ToUtf16(std::to_wstring(s * 10 + k)) +
                        u" of the settings file\r\n";
                m_keys.push_back(Key{section, key});
            }
        }
        m_bytes = {0xFF, 0xFE};
        for (char16_t c : text) {
            m_bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
            m_bytes.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        m_files.Replace(m_base + L"config.ini", m_bytes);
        // Reads of a file changed in the last three seconds compare its bytes, since a
        // coarse file clock could hide a change; measure the settled case.
        std::this_thread::sleep_for(std::chrono::milliseconds(3200));
        std::mt19937 random(1);
        std::shuffle(m_keys.begin(), m_keys.end(), random);
        m_keys.resize(1000);
    }
    ~Fixture() { std::filesystem::remove_all(m_native); }

    kestrana::platform::PosixFileSystem& Files() { return m_files; }
    const std::wstring& Base() const { return m_base; }
    const std::vector<Key>& Keys() const { return m_keys; }
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

private:
    std::string m_native;
    std::wstring m_base;
    kestrana::platform::PosixFileSystem m_files;
    std::vector<Key> m_keys;
    std::vector<std::uint8_t> m_bytes;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

// 1,000 different keys, each read as the program reads a setting.
void BM_Read1000Keys(benchmark::State& state) {
    auto& fixture = Shared();
    ConfigStore store(fixture.Files(), fixture.Base());
    (void)store.ReadString(L"section0", L"key0"); // the first read parses the file
    std::size_t characters = 0;
    for (auto _ : state) {
        for (const auto& key : fixture.Keys()) {
            const auto value = store.ReadString(key.section, key.key);
            characters += value.size();
            benchmark::DoNotOptimize(value.data());
        }
    }
    if (characters == 0) state.SkipWithError("no values read");
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_Read1000Keys)->Unit(benchmark::kMillisecond);

// The same through a store that has not seen the file: the first read parses it.
void BM_FirstReadOfTheFile(benchmark::State& state) {
    auto& fixture = Shared();
    for (auto _ : state) {
        ConfigStore store(fixture.Files(), fixture.Base());
        benchmark::DoNotOptimize(store.ReadString(L"section199", L"key9"));
    }
}
BENCHMARK(BM_FirstReadOfTheFile)->Unit(benchmark::kMicrosecond);

void BM_ParseConfig(benchmark::State& state) {
    auto& fixture = Shared();
    for (auto _ : state) {
        auto document = ProfileDocument::Parse(fixture.Bytes());
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fixture.Bytes().size()));
}
BENCHMARK(BM_ParseConfig)->Unit(benchmark::kMicrosecond);

// One setting written and synced to disk (temporary file, flush, rename, folder sync).
void BM_WriteString(benchmark::State& state) {
    auto& fixture = Shared();
    ConfigStore store(fixture.Files(), fixture.Base());
    int round = 0;
    for (auto _ : state) {
        if (!store.WriteString(L"section100", L"key5", L"value " + std::to_wstring(round++ % 2))) state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_WriteString)->Unit(benchmark::kMillisecond);

} // namespace
