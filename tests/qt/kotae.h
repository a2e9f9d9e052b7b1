// A computer player for window tests: answers the first move with the pawn
// 33-34 and every later one with 43-44, counting its calls.
#pragma once

#include "engine/computer.h"

namespace syougi::test {

class Kotae : public Computer {
 public:
  int calls = 0;
  void youi(uint32_t) override {}
  ComKekka erabu(const Men&, int32_t) override {
    ComKekka k;
    k.moto = calls == 0 ? 33 : 43;
    k.saki = calls == 0 ? 34 : 44;
    k.sennkei = "ibisya";
    k.teban = 2;
    ++calls;
    return k;
  }
};

}  // namespace syougi::test
