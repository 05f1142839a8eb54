// Images decoded ahead of the thread that uses them: worker threads run a
// decode function over a list of paths while the caller works on the
// previous ones. Results are taken in the order of the paths, so the caller
// sees exactly what a sequential run would give it.
#pragma once

#include "image/DibHandle.h"

#include <QString>

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class DecodeAhead {
public:
  // Must be safe to call from several threads at once; none means the path
  // cannot be read. An exception counts as none.
  using Decode = std::function<DibHandle(const QString &path)>;

  // At most `workers` threads (fewer on a machine with fewer cores), none
  // starting an image more than `ahead` places beyond the one taken last.
  DecodeAhead(std::vector<QString> paths, Decode decode, size_t workers, size_t ahead);
  DecodeAhead(const DecodeAhead &) = delete;
  DecodeAhead &operator=(const DecodeAhead &) = delete;
  // Waits for the images being decoded; the others are not started.
  ~DecodeAhead();

  // The next path's image, or none when it cannot be read (or every path
  // was taken). Waits at most for the images being decoded. Without worker
  // threads the image is decoded here.
  DibHandle Next();

private:
  void Work();

  const std::vector<QString> paths_;
  const Decode decode_;
  const size_t ahead_;
  std::vector<DibHandle> done_;
  std::vector<bool> ready_;
  size_t taken_ = 0; // written by the caller under the lock
  size_t next_ = 0;  // the next path a worker takes
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stop_ = false;
  std::vector<std::thread> workers_;
};
