// How a long pixel routine reports progress: one step per row. The wait
// window implements it; batch jobs and the command-line tool pass none.
#pragma once

class Progress {
public:
  virtual ~Progress() = default;
  virtual void SetRange(int maximum) = 0;
  virtual void Step() = 0;
};
