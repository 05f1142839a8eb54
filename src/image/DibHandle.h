// A move-only owner of one image handle: frees it with the kit when it goes.
#pragma once

#include "image/Kit.h"

class DibHandle {
public:
  DibHandle() = default;
  explicit DibHandle(IMGHANDLE h) : h_(h) {}
  DibHandle(const DibHandle &) = delete;
  DibHandle &operator=(const DibHandle &) = delete;
  DibHandle(DibHandle &&o) noexcept : h_(o.release()) {}
  DibHandle &operator=(DibHandle &&o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  ~DibHandle() { reset(); }

  IMGHANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  IMGHANDLE release() {
    IMGHANDLE h = h_;
    h_ = nullptr;
    return h;
  }
  void reset(IMGHANDLE h = nullptr) {
    if (h_ && h_ != h) Kit.ImgKitMemFree(h_);
    h_ = h;
  }
  // Takes a kit result by the rule for returned handles: the same handle is
  // kept, a new one replaces (and frees) the old, and a failure (null)
  // keeps the old one. True when the call succeeded.
  bool Adopt(IMGHANDLE result) {
    if (!result) return false;
    reset(result);
    return true;
  }

private:
  IMGHANDLE h_ = nullptr;
};
