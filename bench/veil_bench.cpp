// What drawing the veil costs on the CPU: building the grain and its tinted
// tile (once per appearance change), the mask column of a 4K monitor (once per
// frame while the mode glides), and, for comparison, composing a whole 4K frame
// in software, which the X Render path avoids.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "look/veil_animation.h"
#include "look/veil_appearance.h"
#include "look/veil_easing.h"
#include "look/veil_grain.h"
#include "look/veil_mask.h"

namespace quorvel::look {
namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;

VeilAppearance darkAmbient() {
    return makeVeilAppearance(settings::FocusMode::ambient, 0.5, false, 1.0,
                              settings::ThemeMode::dark, ColorScheme::light, true);
}

void BM_GrainTile(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(makeGrainTile());
}
BENCHMARK(BM_GrainTile)->Unit(benchmark::kMicrosecond);

void BM_VeilTile(benchmark::State& state) {
    const GrainTile grain = makeGrainTile();
    const VeilAppearance appearance = darkAmbient();
    for (auto _ : state) benchmark::DoNotOptimize(makeVeilTile(grain, appearance));
}
BENCHMARK(BM_VeilTile)->Unit(benchmark::kMicrosecond);

void BM_RowAlphas4k(benchmark::State& state) {
    const VeilAppearance appearance = darkAmbient();
    for (auto _ : state) benchmark::DoNotOptimize(veilRowAlphas(kHeight, appearance));
}
BENCHMARK(BM_RowAlphas4k)->Unit(benchmark::kMicrosecond);

void BM_GlideFrameMaskColumn4k(benchmark::State& state) {
    // One frame of the mode glide: sample the animation, then the A8 column.
    VeilAnimation animation(darkAmbient());
    animation.setFocusMode(settings::FocusMode::deep, 0.0, 0.5);
    double now = 0.0;
    for (auto _ : state) {
        now = now >= 0.5 ? 0.0 : now + 1.0 / 60.0;
        const VeilAppearance shown = animation.appearanceAt(now);
        benchmark::DoNotOptimize(veilMaskColumn8(kHeight, shown));
    }
}
BENCHMARK(BM_GlideFrameMaskColumn4k)->Unit(benchmark::kMicrosecond);

void BM_EaseInOut(benchmark::State& state) {
    double x = 0.0;
    for (auto _ : state) {
        x = x >= 1.0 ? 0.0 : x + 0.001;
        benchmark::DoNotOptimize(easeInOut(x));
    }
}
BENCHMARK(BM_EaseInOut);

void BM_SoftwareFrame4k(benchmark::State& state) {
    const ArgbTile tile = makeVeilTile(makeGrainTile(), darkAmbient());
    const std::vector<std::uint8_t> mask = veilMaskColumn8(kHeight, darkAmbient());
    std::vector<std::uint32_t> frame(static_cast<std::size_t>(kWidth) * kHeight);
    for (auto _ : state) {
        std::uint32_t* out = frame.data();
        for (int y = 0; y < kHeight; ++y) {
            const std::uint32_t m = mask[static_cast<std::size_t>(y)];
            for (int x = 0; x < kWidth; ++x) {
                const std::uint32_t p = tile.at(x % tile.size, y % tile.size);
                // Premultiplied pixel IN mask, per channel, as X Render does.
                std::uint32_t r = 0;
                for (int shift = 0; shift < 32; shift += 8) {
                    const std::uint32_t c = (p >> shift) & 0xFFu;
                    r |= ((c * m + 127u) / 255u) << shift;
                }
                *out++ = r;
            }
        }
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SoftwareFrame4k)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvel::look

BENCHMARK_MAIN();
