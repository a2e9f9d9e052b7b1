// A serial port for tests: what is written is kept, what the test puts in
// `input` and `pending` is read and reported as events, and opening can be
// made to fail or the line to hang up.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "link/port.h"

namespace syougi::fake {

class ScriptPort : public Port {
 public:
  std::string name() const override { return "/dev/ttyS0"; }
  bool open(std::string_view settings, std::string& reason) override {
    settingsSeen = std::string(settings);
    ++opens;
    if (!failReason.empty()) {
      reason = failReason;
      return false;
    }
    isOpen_ = true;
    return true;
  }
  void close() override { isOpen_ = false; }
  bool isOpen() const override { return isOpen_; }
  void write(std::string_view bytes) override {
    if (isOpen_) written += bytes;
  }
  std::string readAll() override {
    std::string s = std::move(input);
    input.clear();
    return s;
  }
  std::vector<int> events() override {
    std::vector<int> e = std::move(pending);
    pending.clear();
    return e;
  }
  int fd() const override { return isOpen_ ? 42 : -1; }
  bool hungUp() const override { return isOpen_ && hung; }

  std::string input;
  std::vector<int> pending;
  std::string written;
  std::string failReason;
  std::string settingsSeen;
  int opens = 0;
  bool isOpen_ = false;
  bool hung = false;
};

}  // namespace syougi::fake
