// 1,000 reads of different keys of a 200-section, 2,000-key config.ini, through the
// settings store and through kernel32's GetPrivateProfileStringW in the same run, with
// the answers compared; plus one write each way. Prints medians of several rounds and
// exits with 1 when the answers differ or the store is less than 20 times faster.
#include "foundation/config_store.h"
#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using kestrana::foundation::ConfigStore;

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f{};
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t{};
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const auto n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Key {
    std::wstring section;
    std::wstring key;
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? std::max(3, _wtoi(argv[1])) : 15;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring base = std::wstring(temp) + L"kestrana-config-bench-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    ::CreateDirectoryW(base.c_str(), nullptr);
    const std::wstring path = base + L"config.ini";

    std::wstring text = L"\xFEFF";
    std::vector<Key> keys;
    for (int s = 0; s < 200; ++s) {
        const auto section = L"section" + std::to_wstring(s);
        text += L"[" + section + L"]\r\n";
        for (int k = 0; k < 10; ++k) {
            const auto key = L"key" + std::to_wstring(k);
            text += key + L"=value " + std::to_wstring(s * 10 + k) + L" of the settings file\r\n";
            keys.push_back(Key{section, key});
        }
    }
    kestrana::platform::Win32FileSystem files;
    const auto* raw = reinterpret_cast<const std::uint8_t*>(text.data());
    if (!files.Replace(path, std::vector<std::uint8_t>(raw, raw + text.size() * sizeof(wchar_t)))) {
        std::printf("cannot write %ls\n", path.c_str());
        return 2;
    }
    // Reads within three seconds of a change also compare the file's bytes; measure the
    // settled case, as for a config.ini written before.
    ::Sleep(3200);
    std::mt19937 random(1);
    std::shuffle(keys.begin(), keys.end(), random);
    keys.resize(1000);

    ConfigStore store(files, base);
    std::vector<double> storeTimes;
    std::vector<double> kernelTimes;
    std::vector<double> statTimes; // the one file-system query every store read makes
    std::vector<std::wstring> fromStore(keys.size());
    std::vector<std::wstring> fromKernel(keys.size());
    int mismatches = 0;
    // The two readers take turns in batches of 50 keys, so that a change in the machine's
    // load during a round weighs on both alike.
    constexpr std::size_t kBatch = 50;
    for (int round = 0; round < rounds; ++round) {
        double storeTime = 0;
        double kernelTime = 0;
        double statTime = 0;
        wchar_t buffer[ConfigStore::kValueUnits];
        for (std::size_t first = 0; first < keys.size(); first += kBatch) {
            const std::size_t last = std::min(keys.size(), first + kBatch);
            double start = Now();
            for (std::size_t i = first; i < last; ++i) fromStore[i] = store.ReadString(keys[i].section, keys[i].key);
            storeTime += Now() - start;
            start = Now();
            for (std::size_t i = first; i < last; ++i) {
                const DWORD length = ::GetPrivateProfileStringW(keys[i].section.c_str(), keys[i].key.c_str(), L"", buffer,
                                                                ConfigStore::kValueUnits, path.c_str());
                fromKernel[i].assign(buffer, length);
            }
            kernelTime += Now() - start;
            start = Now();
            for (std::size_t i = first; i < last; ++i) {
                WIN32_FILE_ATTRIBUTE_DATA data;
                ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
            }
            statTime += Now() - start;
        }
        storeTimes.push_back(storeTime);
        kernelTimes.push_back(kernelTime);
        statTimes.push_back(statTime);
        for (std::size_t i = 0; i < keys.size(); ++i) mismatches += fromStore[i] != fromKernel[i] || fromStore[i].empty();
    }

    std::vector<double> storeWrites;
    std::vector<double> kernelWrites;
    for (int round = 0; round < rounds; ++round) {
        const std::wstring value = L"written " + std::to_wstring(round);
        double start = Now();
        const bool stored = store.WriteString(L"section100", L"key5", value);
        storeWrites.push_back(Now() - start);
        start = Now();
        const bool written = ::WritePrivateProfileStringW(L"section100", L"key6", value.c_str(), path.c_str()) != FALSE;
        kernelWrites.push_back(Now() - start);
        mismatches += !stored || !written || store.ReadString(L"section100", L"key6") != value;
    }

    const double storeMedian = Median(storeTimes);
    const double kernelMedian = Median(kernelTimes);
    const double ratio = kernelMedian / storeMedian;
    std::printf("rounds: %d, 1000 reads per round, file %zu bytes\n", rounds, text.size() * sizeof(wchar_t));
    std::printf("store    1000 reads: median %.3f ms (%.2f us per read)\n", storeMedian * 1e3, storeMedian * 1e3);
    std::printf("kernel32 1000 reads: median %.3f ms (%.2f us per read)\n", kernelMedian * 1e3, kernelMedian * 1e3);
    std::printf("GetFileAttributesExW alone, 1000 calls: median %.3f ms\n", Median(statTimes) * 1e3);
    std::printf("store is %.1f times faster\n", ratio);
    std::printf("store    WriteString: median %.3f ms\n", Median(storeWrites) * 1e3);
    std::printf("kernel32 WritePrivateProfileStringW: median %.3f ms\n", Median(kernelWrites) * 1e3);
    std::printf("answers that differ: %d\n", mismatches);

    ::DeleteFileW(path.c_str());
    ::RemoveDirectoryW(base.c_str());
    return mismatches == 0 && ratio >= 20.0 ? 0 : 1;
}
