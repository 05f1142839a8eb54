// The scanning library's dialogs: the device list and the progress of a scan.
#pragma once

#include "scan_sane.h"

#include <memory>
#include <string>
#include <vector>

namespace kit {

// Shows the devices, `current` chosen; the name picked on OK, or empty.
std::string ChooseDevice(void *window, const std::vector<ScanDevice> &devices,
                         const std::string &current);

// A progress dialog with a stop button; Update answers false once the
// user has pressed it. `what` is the line of text shown.
class ScanProgressDialog : public ScanProgress {
public:
  ScanProgressDialog(void *window, const std::string &what);
  ~ScanProgressDialog() override;
  void SetText(const std::string &what);
  bool Update(int64_t done, int64_t total) override;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace kit
