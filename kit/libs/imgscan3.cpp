// libimgscan3: scanning through SANE, with the kit's own device list and
// progress dialogs.
#include "codecs.h"
#include "dib.h"
#include "scan_dialogs.h"
#include "scan_sane.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int StatusOf(kit::ScanResult r) {
  switch (r) {
  case kit::ScanResult::Ok: return IMGKIT_SCANNED_OK;
  case kit::ScanResult::Cancelled: return IMGKIT_SCANNED_CANCELLED;
  case kit::ScanResult::NoDevice:
  case kit::ScanResult::NoDocuments: return IMGKIT_SCANNED_NO_DEVICE;
  case kit::ScanResult::Failed: break;
  }
  return IMGKIT_SCANNED_FAILED;
}

std::string DeviceOf(const IMGKIT_SCANWORK *work) {
  return std::string(work->device, strnlen(work->device, sizeof work->device));
}

} // namespace

extern "C" {

int ImgKitScanSelect(void *window, IMGKIT_SCANWORK *work) {
  if (!work) return 0;
  std::vector<kit::ScanDevice> devices;
  {
    kit::SaneSession sane;
    devices = sane.Devices();
  }
  if (devices.empty()) {
    work->status = IMGKIT_SCANNED_NO_DEVICE;
    return 0;
  }
  const std::string chosen = kit::ChooseDevice(window, devices, DeviceOf(work));
  if (chosen.empty() || chosen.size() >= sizeof work->device) {
    work->status = IMGKIT_SCANNED_CANCELLED;
    return 0;
  }
  std::memset(work->device, 0, sizeof work->device);
  std::memcpy(work->device, chosen.data(), chosen.size());
  work->status = IMGKIT_SCANNED_OK;
  return 1;
}

IMGHANDLE ImgKitScan(void *window, IMGKIT_SCANWORK *work) {
  if (!work) return nullptr;
  kit::SaneSession sane;
  kit::ScanResult r = sane.Open(DeviceOf(work), work->mode, false);
  IMGHANDLE image = nullptr;
  if (r == kit::ScanResult::Ok) {
    kit::ScanProgressDialog progress(window, "画像を取込み中");
    r = sane.ScanPage(progress, image);
  }
  work->status = StatusOf(r);
  return image;
}

int ImgKitScanMulti(void *window, const char *base, IMGKIT_SCANWORK *work) {
  if (!work || !base || !*base) return 0;
  kit::SaneSession sane;
  kit::ScanResult r = sane.Open(DeviceOf(work), work->mode, true);
  int pages = 0;
  if (r == kit::ScanResult::Ok) {
    kit::ScanProgressDialog progress(window, "画像を取込み中 (1 枚目)");
    for (;;) {
      IMGHANDLE page = nullptr;
      r = sane.ScanPage(progress, page);
      if (r != kit::ScanResult::Ok) break;
      char name[4096];
      std::snprintf(name, sizeof name, "%s.%3.3d", base, pages);
      const bool written = kit::WriteBmp(name, page);
      kit::Free(page);
      if (!written) {
        r = kit::ScanResult::Failed;
        break;
      }
      ++pages;
      // Without a feeder one page is all there is.
      if (!sane.HasFeeder()) break;
      progress.SetText("画像を取込み中 (" + std::to_string(pages + 1) + " 枚目)");
    }
    // An empty feeder after the first page is the normal end.
    if (r == kit::ScanResult::NoDocuments && pages > 0) r = kit::ScanResult::Ok;
  }
  work->status = StatusOf(r);
  return pages;
}
}
