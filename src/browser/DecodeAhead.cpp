#include "browser/DecodeAhead.h"

#include <algorithm>
#include <system_error>
#include <utility>

DecodeAhead::DecodeAhead(std::vector<QString> paths, Decode decode, size_t workers, size_t ahead)
    : paths_(std::move(paths)), decode_(std::move(decode)), ahead_(std::max<size_t>(1, ahead)),
      done_(paths_.size()), ready_(paths_.size(), false) {
  if (paths_.empty()) return;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const size_t count = std::min<size_t>({cores, workers, paths_.size()});
  for (size_t i = 0; i < count; ++i) {
    try {
      workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error &) {
      break; // fewer threads, or none: each image is then decoded when asked for
    }
  }
}

DecodeAhead::~DecodeAhead() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread &w : workers_)
    w.join();
}

DibHandle DecodeAhead::Next() {
  if (taken_ >= paths_.size()) return {};
  if (workers_.empty()) {
    try {
      return decode_(paths_[taken_++]);
    } catch (...) {
      return {};
    }
  }
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return bool(ready_[taken_]); });
  DibHandle image = std::move(done_[taken_]);
  ++taken_;
  lock.unlock();
  changed_.notify_all();
  return image;
}

void DecodeAhead::Work() {
  for (;;) {
    size_t index = 0;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock,
                    [this] { return stop_ || next_ >= paths_.size() || next_ < taken_ + ahead_; });
      if (stop_ || next_ >= paths_.size()) return;
      index = next_++;
    }
    DibHandle image;
    try {
      image = decode_(paths_[index]);
    } catch (...) {
      // Out of memory on this thread: the caller treats the image as
      // unreadable here and may try another way.
    }
    {
      std::lock_guard lock(mutex_);
      done_[index] = std::move(image);
      ready_[index] = true;
    }
    changed_.notify_all();
  }
}
