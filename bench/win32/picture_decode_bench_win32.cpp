// Decoding the dock's default item pictures (256 px PNG files of the shipped theme) with
// the imaging component and with the native reader, on one thread with an apartment:
// the first decode of a fresh process (the imaging component loads and looks its
// decoders up then), and the median of later decodes. Prints the figures in ms; exits
// with 1 when the two readers give pictures of different sizes.
//   bench_picture_decode_win32.exe <theme icons folder> [rounds]
#include "gfx/image_decoder.h"
#include "gfx/win32/wic_image_decoder.h"
#include "foundation/win32/unique_handle.h"
#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f{};
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
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

std::vector<std::uint8_t> ReadAll(const std::wstring& path) {
    return kestrana::platform::Win32FileSystem().Read(path).value_or(std::vector<std::uint8_t>());
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_picture_decode_win32 <icons folder> [rounds]\n");
        return 2;
    }
    const std::wstring folder = std::wstring(argv[1]) + L"\\";
    const int rounds = argc > 2 ? std::max(3, _wtoi(argv[2])) : 25;
    kestrana::win32::ComApartment com;
    std::vector<std::vector<std::uint8_t>> files;
    for (const wchar_t* name : {L"explorer.png", L"pad.png", L"Calendar.png", L"Trash_Empty.png"}) {
        files.push_back(ReadAll(folder + name));
        if (files.back().empty()) {
            std::fwprintf(stderr, L"cannot read %ls\n", (folder + name).c_str());
            return 2;
        }
    }
    // The four pictures as start-up decodes them: the factory is made first.
    double start = NowMs();
    const auto wic = kestrana::gfx::WicImageDecoder::Create();
    const double factoryMs = NowMs() - start;
    if (!wic) return 2;
    start = NowMs();
    for (const auto& bytes : files) (void)wic->Decode(bytes);
    const double wicFirstMs = NowMs() - start;
    const kestrana::gfx::NativeImageDecoder native;
    start = NowMs();
    for (const auto& bytes : files) (void)native.Decode(bytes);
    const double nativeFirstMs = NowMs() - start;

    std::vector<double> wicMs, nativeMs;
    bool same = true;
    for (int round = 0; round < rounds; ++round) {
        for (const auto& bytes : files) {
            start = NowMs();
            const auto a = wic->Decode(bytes);
            wicMs.push_back(NowMs() - start);
            start = NowMs();
            const auto b = native.Decode(bytes);
            nativeMs.push_back(NowMs() - start);
            same = same && a && b && a->Width() == b->Width() && a->Height() == b->Height();
        }
    }
    std::printf("imaging factory made: %.2f ms\n", factoryMs);
    std::printf("first 4 pictures: imaging component %.2f ms, native reader %.2f ms\n", wicFirstMs, nativeFirstMs);
    std::printf("one picture later (median of %zu): imaging component %.3f ms, native reader %.3f ms\n", wicMs.size(),
                Median(wicMs), Median(nativeMs));
    return same ? 0 : 1;
}
