// One thread that serves any number of simulated devices with one epoll set:
// it takes in what the tool sends to each and lets each one's answers out at
// that device's own pace. Devices join and leave while it runs.
#pragma once

#include <memory>

struct SimLine;

class SimRunner {
 public:
  SimRunner();   // starts the thread
  ~SimRunner();  // stops it; every device must have left
  SimRunner(const SimRunner&) = delete;
  SimRunner& operator=(const SimRunner&) = delete;

  bool Ok() const;  // the thread runs
  void Add(SimLine* line);
  // Once this returns the thread no longer touches `line`.
  void Remove(SimLine* line);

  struct State;

 private:
  std::unique_ptr<State> state;
};
