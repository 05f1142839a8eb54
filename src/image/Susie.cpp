#include "image/Susie.h"

#include "image/Dib.h"
#include "image/Orientation.h"

#include "common/reduce8.h"

#include <QFile>
#include <QImageReader>

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

TSpiload SusieLoader;

// The records are the interface: their layout must not drift.
static_assert(sizeof(SPI_PICTUREINFO) == 22 + sizeof(void *));
static_assert(sizeof(SPI_BITMAPINFOHEADER) == 40 && sizeof(SPI_RGBQUAD) == 4);

namespace {

constexpr size_t kMaxExtension = 31;

bool IsPluginName(const char *name) {
  const size_t n = std::strlen(name);
  return n >= 4 && strcasecmp(name + n - 4, ".spi") == 0;
}

// From the last dot of the file's own name, upper-cased.
std::string ExtensionOf(const std::string &path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot, kMaxExtension);
  for (char &c : ext)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return ext;
}

// A read-only descriptor of a regular file for IsSupported, or -1. A value
// at or above the descriptor limit would read as a buffer address.
int OpenForProbe(const std::string &path) {
  // Non-blocking, so that a FIFO named like an image cannot hang the open.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<unsigned>(fd) >= SPI_DESCRIPTOR_LIMIT) {
    close(fd);
    return -1;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

struct FreeBlock {
  void operator()(void *p) const { std::free(p); }
};
using Block = std::unique_ptr<void, FreeBlock>;

uint32_t ReadU32(const uint8_t *p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// One colour channel of a 16- or 32-bit pixel.
struct ChannelMask {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  // A mask must be one run of set bits within the pixel.
  bool Set(uint32_t m, int pixelBits) {
    if (m == 0 || (pixelBits == 16 && m > 0xffffu)) return false;
    const int s = std::countr_zero(m);
    const uint32_t run = m >> s;
    if ((run & (run + 1)) != 0) return false;
    mask = m;
    shift = s;
    bits = std::popcount(run);
    return true;
  }
  uint8_t Of(uint32_t pixel) const {
    const uint32_t v = (pixel & mask) >> shift;
    return velmir_reduce8(v, (uint64_t{1} << bits) - 1);
  }
};

} // namespace

TSpi_plugin::~TSpi_plugin() {
  if (module) dlclose(module);
}

void TSpiload::LoadPlugins(const std::string &folder) {
  Shutdown();
  folder_ = folder;
  if (folder.empty()) return;
  DIR *dir = opendir(folder.c_str());
  if (!dir) return;
  const std::string prefix = folder.back() == '/' ? folder : folder + '/';
  TSpi_plugin **tail = &firstPlugin_;
  // Directory order, unsorted: which of two claimants wins is the order in
  // which the folder lists them.
  while (const dirent *e = readdir(dir)) {
    if (!IsPluginName(e->d_name)) continue;
    auto entry = std::make_unique<TSpi_plugin>();
    entry->fileName = prefix + e->d_name;
    entry->module = dlopen(entry->fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!entry->module) continue;
#define VELMIR_SPI_BIND(fn)                                                                        \
  entry->fn = reinterpret_cast<decltype(entry->fn)>(dlsym(entry->module, #fn))
    VELMIR_SPI_BIND(IsSupported);
    VELMIR_SPI_BIND(GetPictureInfo);
    VELMIR_SPI_BIND(GetPicture);
    VELMIR_SPI_BIND(GetPreview);
    VELMIR_SPI_BIND(GetArchiveInfo);
    VELMIR_SPI_BIND(GetFile);
#undef VELMIR_SPI_BIND
    if (!entry->IsSupported || !entry->GetPicture) {
      entry->loadError = ENOSYS;
      continue; // the entry goes and unloads its library
    }
    *tail = entry.release();
    tail = &(*tail)->next;
  }
  closedir(dir);
}

bool TSpiload::Probe(const std::string &fileName) {
  currentFile_ = fileName;
  currentExtension_ = ExtensionOf(fileName);
  chosenPlugin_ = nullptr;
  for (TSpi_plugin *p = firstPlugin_; p; p = p->next) {
    const int fd = OpenForProbe(fileName);
    if (fd < 0) return false;
    const int claims = p->IsSupported(fileName.c_str(), static_cast<uintptr_t>(fd));
    close(fd);
    if (claims) {
      chosenPlugin_ = p;
      return true;
    }
  }
  return false;
}

bool TSpiload::Decode() {
  Release();
  colourDepth_ = 0;
  const QString name = QFile::decodeName(QByteArray::fromStdString(currentFile_));
  if (currentExtension_ == ".BMP" || currentExtension_ == ".ICO") {
    QImageReader reader(name, currentExtension_ == ".BMP" ? "bmp" : "ico");
    reader.setAutoDetectImageFormat(false);
    QImage picture;
    if (reader.read(&picture) && !picture.isNull()) {
      bitmap_ = std::move(picture);
      colourDepth_ = bitmap_.depth();
      return true;
    }
  }
  if (!chosenPlugin_ || !chosenPlugin_->GetPictureInfo) return false;

  const char *file = currentFile_.c_str();
  SPI_PICTUREINFO info;
  std::memset(&info, 0, sizeof info);
  if (chosenPlugin_->GetPictureInfo(file, 0, 0, &info) != SPI_ALL_RIGHT) return false;
  std::free(info.hInfo);
  const int32_t width = info.width;
  const int32_t height = info.height;
  if (width <= 0 || height <= 0) {
    lastError_ = EINVAL;
    return false;
  }
  if (int64_t{width} * height > kMaxPluginPixels) {
    lastError_ = EFBIG;
    return false;
  }
  colourDepth_ = info.colorDepth;

  void *infoBlock = nullptr;
  void *bitsBlock = nullptr;
  if (chosenPlugin_->GetPicture(file, 0, 0, &infoBlock, &bitsBlock, nullptr, 0) != SPI_ALL_RIGHT)
    return false;
  const Block header(infoBlock);
  const Block bits(bitsBlock);
  if (!header || !bits) {
    lastError_ = EINVAL;
    return false;
  }
  // The blocks' real sizes bound every read: malloc_usable_size is never
  // below the size that was asked of malloc, so nothing outside the blocks
  // is touched whatever the header claims.
  const int error =
      TransferPluginPicture(header.get(), malloc_usable_size(header.get()), bits.get(),
                            malloc_usable_size(bits.get()), width, height, bitmap_);
  if (error != 0) {
    lastError_ = static_cast<uint32_t>(error);
    bitmap_ = QImage();
    return false;
  }
  return true;
}

void TSpiload::Release() { bitmap_ = QImage(); }

void TSpiload::Shutdown() {
  Release();
  chosenPlugin_ = nullptr;
  while (TSpi_plugin *p = firstPlugin_) {
    firstPlugin_ = p->next;
    delete p;
  }
  folder_.clear();
  currentFile_.clear();
  currentExtension_.clear();
}

int TransferPluginPicture(const void *info, size_t infoBytes, const void *bits, size_t bitsBytes,
                          int width, int height, QImage &out) {
  out = QImage();
  if (!info || !bits || infoBytes < sizeof(SPI_BITMAPINFOHEADER)) return EINVAL;
  SPI_BITMAPINFOHEADER h;
  std::memcpy(&h, info, sizeof h);
  const auto *base = static_cast<const uint8_t *>(info);
  if (h.biSize < sizeof h || h.biSize > infoBytes) return EINVAL;
  if (h.biPlanes != 1 || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN)
    return EINVAL;
  const bool bottomUp = h.biHeight > 0;
  const int64_t rows = bottomUp ? int64_t{h.biHeight} : -int64_t{h.biHeight};
  if (width <= 0 || height <= 0 || h.biWidth != width || rows != height) return EINVAL;
  if (int64_t{width} * height > kMaxPluginPixels) return EFBIG;

  const int bpp = h.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return EINVAL;
  ChannelMask red, green, blue;
  if (h.biCompression == SPI_BI_BITFIELDS) {
    // The masks follow the 40 header bytes, in a longer header or after it.
    if ((bpp != 16 && bpp != 32) || infoBytes < sizeof h + 12) return EINVAL;
    if (!red.Set(ReadU32(base + 40), bpp) || !green.Set(ReadU32(base + 44), bpp) ||
        !blue.Set(ReadU32(base + 48), bpp))
      return EINVAL;
  } else if (h.biCompression != SPI_BI_RGB) {
    return EINVAL;
  } else if (bpp == 16) {
    red.Set(0x7c00, 16);
    green.Set(0x03e0, 16);
    blue.Set(0x001f, 16);
  } else if (bpp == 32) {
    red.Set(0xff0000, 32);
    green.Set(0xff00, 32);
    blue.Set(0xff, 32);
  }

  const uint64_t stride =
      ((static_cast<uint64_t>(width) * static_cast<uint64_t>(bpp) + 31) / 32) * 4;
  if (stride * static_cast<uint64_t>(height) > bitsBytes) return EINVAL;
  const auto *pixels = static_cast<const uint8_t *>(bits);
  auto sourceRow = [&](int y) {
    const int64_t r = bottomUp ? int64_t{height} - 1 - y : y;
    return pixels + static_cast<uint64_t>(r) * stride;
  };

  if (bpp <= 8) {
    // Entries past the possible ones are never looked at; indices past the
    // table's end show black.
    const uint64_t possible = uint64_t{1} << bpp;
    const uint64_t count = std::min<uint64_t>(h.biClrUsed ? h.biClrUsed : possible, possible);
    if (h.biSize + 4 * count > infoBytes) return EINVAL;
    QList<QRgb> table(256, qRgb(0, 0, 0));
    for (uint64_t i = 0; i < count; ++i) {
      const uint8_t *e = base + h.biSize + 4 * i;
      table[static_cast<qsizetype>(i)] = qRgb(e[2], e[1], e[0]);
    }
    QImage picture(width, height, QImage::Format_Indexed8);
    if (picture.isNull()) return ENOMEM;
    picture.setColorTable(table);
    for (int y = 0; y < height; ++y) {
      const uint8_t *s = sourceRow(y);
      uchar *t = picture.scanLine(y);
      switch (bpp) {
      case 8: std::memcpy(t, s, static_cast<size_t>(width)); break;
      case 4:
        for (int x = 0; x < width; ++x)
          t[x] = (x & 1) ? (s[x >> 1] & 0x0f) : (s[x >> 1] >> 4);
        break;
      default:
        for (int x = 0; x < width; ++x)
          t[x] = (s[x >> 3] >> (7 - (x & 7))) & 1;
        break;
      }
    }
    out = std::move(picture);
    return 0;
  }

  QImage picture(width, height, QImage::Format_BGR888);
  if (picture.isNull()) return ENOMEM;
  for (int y = 0; y < height; ++y) {
    const uint8_t *s = sourceRow(y);
    uchar *t = picture.scanLine(y);
    if (bpp == 24) {
      std::memcpy(t, s, static_cast<size_t>(width) * 3);
      continue;
    }
    for (int x = 0; x < width; ++x, t += 3) {
      const uint32_t px = bpp == 16 ? static_cast<uint32_t>(s[2 * x] | s[2 * x + 1] << 8)
                                    : ReadU32(s + 4 * static_cast<size_t>(x));
      t[0] = blue.Of(px);
      t[1] = green.Of(px);
      t[2] = red.Of(px);
    }
  }
  out = std::move(picture);
  return 0;
}

QImage FullColourBitmap(const QImage &bitmap) {
  if (bitmap.isNull()) return {};
  if (!bitmap.hasAlphaChannel()) return bitmap.convertToFormat(QImage::Format_BGR888);
  const QImage source = bitmap.convertToFormat(QImage::Format_ARGB32);
  QImage out(source.size(), QImage::Format_BGR888);
  if (source.isNull() || out.isNull()) return {};
  for (int y = 0; y < source.height(); ++y) {
    const auto *s = reinterpret_cast<const QRgb *>(source.constScanLine(y));
    uchar *t = out.scanLine(y);
    for (int x = 0; x < source.width(); ++x, t += 3) {
      const unsigned a = static_cast<unsigned>(qAlpha(s[x]));
      auto over = [a](int c) {
        return static_cast<uchar>((static_cast<unsigned>(c) * a + 255u * (255u - a) + 127u) / 255u);
      };
      t[0] = over(qBlue(s[x]));
      t[1] = over(qGreen(s[x]));
      t[2] = over(qRed(s[x]));
    }
  }
  return out;
}

DibHandle ReadImageFile(TSpiload &loader, const std::string &path, bool *fromPlugin,
                        const std::function<void()> &claimed) {
  if (fromPlugin) *fromPlugin = false;
  DibHandle image = ReadWithKit(path);
  if (image) return image;
  image = ReadWithPlugins(loader, path, claimed);
  if (image && fromPlugin) *fromPlugin = true;
  return image;
}

DibHandle ReadWithKit(const std::string &path) {
  DibHandle image(Kit.ImgKitFileLoad(path.c_str(), "", ""));
  // A picture that cannot be turned upright is shown as stored.
  if (image) OrientAsFile(image, path);
  return image;
}

DibHandle ReadWithPlugins(TSpiload &loader, const std::string &path,
                          const std::function<void()> &claimed) {
  if (!loader.Probe(path)) return {};
  if (claimed) claimed();
  DibHandle image;
  if (loader.Decode()) image = DibFromBitmap(FullColourBitmap(loader.Bitmap()));
  loader.Release();
  return image;
}
