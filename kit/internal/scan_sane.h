// The scanning library's talk with SANE: the device list, opening a device
// with the wanted mode and source, and reading one page into a new image.
// No widgets here; the dialogs report progress through ScanProgress.
#pragma once

#include "imgkit.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kit {

struct ScanDevice {
  std::string name;  // as SANE names it, "test:0"
  std::string label; // vendor, model and kind for the list
};

enum class ScanResult { Ok, Cancelled, NoDevice, Failed, NoDocuments };

// Told of the bytes read so far (total 0 when the page length is unknown);
// answers false to stop the scan.
class ScanProgress {
public:
  virtual ~ScanProgress() = default;
  virtual bool Update(int64_t done, int64_t total) = 0;
};

// SANE from sane_init to sane_exit; the configuration (SANE_CONFIG_DIR) is
// read afresh by every session.
class SaneSession {
public:
  SaneSession();
  ~SaneSession();
  SaneSession(const SaneSession &) = delete;
  SaneSession &operator=(const SaneSession &) = delete;

  bool Ready() const { return ready_; }
  std::vector<ScanDevice> Devices();

  // Opens `name` (the first device when empty) and sets the mode; with
  // `feeder` picks the document feeder as source when the device has one.
  // NoDevice when the device is not there.
  ScanResult Open(const std::string &name, int mode, bool feeder);
  bool HasFeeder() const { return feeder_; }
  // One page into a new image (24-bit colour, 8-bit grey or 1-bit).
  ScanResult ScanPage(ScanProgress &progress, IMGHANDLE &out);

private:
  bool ready_ = false;
  void *device_ = nullptr;
  bool feeder_ = false;
};

} // namespace kit
