// How long the installer takes to turn its banner into the pixels the window
// shows, next to libjpeg's own plain decode loop of the same bytes.
//
// Both decode the banner file's bytes, read into memory once before any
// timing. Without flags of its own the program runs 20 repetitions of each,
// randomly interleaved; later --benchmark_* flags override these.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include <jpeglib.h>

#include "window/Banner.h"

namespace {

std::vector<unsigned char> banner;

// libjpeg's decode loop as its documentation writes it: the standard error
// manager, the default output colour space, one row buffer from libjpeg's
// pool, each row read in turn. `keep`, when given, receives every row.
void PlainDecode(int& width, int& height, int& components, std::vector<JSAMPLE>* keep) {
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, banner.data(), static_cast<unsigned long>(banner.size()));
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  const JDIMENSION stride = info.output_width * static_cast<JDIMENSION>(info.output_components);
  JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                             stride, 1);
  while (info.output_scanline < info.output_height) {
    jpeg_read_scanlines(&info, row, 1);
    benchmark::DoNotOptimize(row[0]);
    if (keep != nullptr) keep->insert(keep->end(), row[0], row[0] + stride);
  }
  width = static_cast<int>(info.output_width);
  height = static_cast<int>(info.output_height);
  components = info.output_components;
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
}

void BM_DecodePicture(benchmark::State& state) {
  window::Picture picture;
  for (auto _ : state) {
    bool decoded = window::DecodePicture(banner.data(), banner.size(), picture);
    benchmark::DoNotOptimize(decoded);
    benchmark::DoNotOptimize(picture.pixels.data());
    benchmark::ClobberMemory();
    if (!decoded) {
      state.SkipWithError("DecodePicture failed");
      break;
    }
  }
}

void BM_LibjpegLoop(benchmark::State& state) {
  int width = 0, height = 0, components = 0;
  for (auto _ : state) {
    PlainDecode(width, height, components, nullptr);
    benchmark::DoNotOptimize(width);
    benchmark::DoNotOptimize(height);
  }
}

// Both must give the same picture: the same size, and each pixel of the
// window's picture the grey sample libjpeg reads at that place.
bool SamePicture() {
  window::Picture picture;
  if (!window::DecodePicture(banner.data(), banner.size(), picture)) {
    std::fprintf(stderr, "DecodePicture cannot decode the banner\n");
    return false;
  }
  int width = 0, height = 0, components = 0;
  std::vector<JSAMPLE> samples;
  PlainDecode(width, height, components, &samples);
  if (picture.width != width || picture.height != height) {
    std::fprintf(stderr, "DecodePicture gives %d x %d, the libjpeg loop %d x %d\n",
                 picture.width, picture.height, width, height);
    return false;
  }
  if (components != 1) {
    std::fprintf(stderr, "the banner has %d components, a grey picture has 1\n", components);
    return false;
  }
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if ((picture.pixels[i] & 0xFFFFFFu) != samples[i] * 0x010101u) {
      std::fprintf(stderr, "pixel %zu: DecodePicture 0x%06x, the libjpeg loop grey 0x%02x\n", i,
                   picture.pixels[i], samples[i]);
      return false;
    }
  }
  std::fprintf(stderr, "banner: %zu bytes, %d x %d, both decodes agree\n", banner.size(), width,
               height);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::ifstream file(QUORVANE_BANNER_FILE, std::ios::binary);
  banner.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (banner.empty()) {
    std::fprintf(stderr, "cannot read the banner: %s\n", QUORVANE_BANNER_FILE);
    return 1;
  }
  if (!SamePicture()) return 1;

  std::vector<char*> args{argv[0], const_cast<char*>("--benchmark_repetitions=20"),
                          const_cast<char*>("--benchmark_enable_random_interleaving=true")};
  args.insert(args.end(), argv + 1, argv + argc);
  int count = static_cast<int>(args.size());
  benchmark::RegisterBenchmark("DecodePicture", BM_DecodePicture)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("libjpeg loop", BM_LibjpegLoop)->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
