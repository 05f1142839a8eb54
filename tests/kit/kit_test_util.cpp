#include "kit_test_util.h"

#include <cstdio>
#include <cstring>
#include <fstream>

namespace kittest {

Handle MakeImage(int width, int height, int bpp, const std::function<uint32_t(int, int)> &fill,
                 int colours, const std::function<uint32_t(int)> &palette) {
  const int full = bpp <= 8 ? (1 << bpp) : 0;
  if (colours == 0) colours = full;
  kit::Dib d;
  Handle h(kit::NewDib(width, height, bpp, colours, &d));
  if (!h) return h;
  for (int i = 0; i < d.colourCount; ++i) {
    uint32_t rgb;
    if (palette) {
      rgb = palette(i);
    } else {
      const int v = d.colourCount > 1 ? i * 255 / (d.colourCount - 1) : 0;
      rgb = static_cast<uint32_t>(v * 0x010101);
    }
    d.palette[i] = {static_cast<uint8_t>(rgb), static_cast<uint8_t>(rgb >> 8),
                    static_cast<uint8_t>(rgb >> 16), 0};
  }
  for (int y = 0; y < height; ++y) {
    uint8_t *row = d.TopRow(y);
    for (int x = 0; x < width; ++x) {
      const uint32_t v = fill(x, y);
      if (bpp <= 8) {
        kit::SetPaletteIndex(row, x, bpp, static_cast<int>(v));
      } else if (bpp == 24) {
        row[3 * x] = static_cast<uint8_t>(v);
        row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(v >> 16);
      } else if (bpp == 32) {
        row[4 * x] = static_cast<uint8_t>(v);
        row[4 * x + 1] = static_cast<uint8_t>(v >> 8);
        row[4 * x + 2] = static_cast<uint8_t>(v >> 16);
      } else if (bpp == 16) {
        row[2 * x] = static_cast<uint8_t>(v);
        row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
      }
    }
  }
  return h;
}

uint32_t RgbAt(const kit::Dib &d, int x, int y) {
  uint8_t bgr[3];
  kit::PixelBgr(d, d.TopRow(y), x, bgr);
  return static_cast<uint32_t>(bgr[2] << 16 | bgr[1] << 8 | bgr[0]);
}

int IndexAt(const kit::Dib &d, int x, int y) { return kit::PaletteIndex(d.TopRow(y), x, d.bpp); }

::testing::AssertionResult SamePicture(IMGHANDLE a, IMGHANDLE b) {
  kit::Dib da, db;
  if (!kit::ViewOf(a, da) || !kit::ViewOf(b, db))
    return ::testing::AssertionFailure() << "not an image";
  if (da.width != db.width || da.height != db.height || da.bpp != db.bpp)
    return ::testing::AssertionFailure()
           << da.width << "x" << da.height << "x" << da.bpp << " vs " << db.width << "x"
           << db.height << "x" << db.bpp;
  if (da.colourCount != db.colourCount)
    return ::testing::AssertionFailure() << "colour count " << da.colourCount << " vs "
                                         << db.colourCount;
  for (int i = 0; i < da.colourCount; ++i)
    if (da.palette[i].r != db.palette[i].r || da.palette[i].g != db.palette[i].g ||
        da.palette[i].b != db.palette[i].b)
      return ::testing::AssertionFailure() << "colour table entry " << i;
  const size_t rowBytes = (static_cast<size_t>(da.width) * da.bpp + 7) / 8;
  for (int y = 0; y < da.height; ++y) {
    const uint8_t *ra = da.Row(y);
    const uint8_t *rb = db.Row(y);
    // Compare whole bytes, then the used bits of a trailing partial byte.
    const size_t whole = static_cast<size_t>(da.width) * da.bpp / 8;
    if (std::memcmp(ra, rb, whole) != 0)
      return ::testing::AssertionFailure() << "memory row " << y << " differs";
    if (whole < rowBytes) {
      const int bits = static_cast<int>((static_cast<size_t>(da.width) * da.bpp) % 8);
      const uint8_t mask = static_cast<uint8_t>(0xff << (8 - bits));
      if ((ra[whole] & mask) != (rb[whole] & mask))
        return ::testing::AssertionFailure() << "memory row " << y << " differs in its last byte";
    }
  }
  return ::testing::AssertionSuccess();
}

std::filesystem::path ScratchDir() {
  static const std::filesystem::path root = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmir-test-XXXXXX").string();
    char *made = mkdtemp(pattern.data());
    std::filesystem::path p = made ? made : pattern;
    static struct Cleanup {
      std::filesystem::path p;
      ~Cleanup() {
        std::error_code ec;
        std::filesystem::remove_all(p, ec);
      }
    } cleanup{p};
    return p;
  }();
  const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path dir = root;
  if (info) dir /= std::string(info->test_suite_name()) + "." + info->name();
  std::filesystem::create_directories(dir);
  return dir;
}

std::string WriteFile(const std::string &name, const std::string &bytes) {
  const std::string path = (ScratchDir() / name).string();
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string RunCommand(const std::string &cmd) {
  std::string out;
  FILE *p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

} // namespace kittest
