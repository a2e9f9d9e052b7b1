// syougi-usi: the computer player behind the USI protocol on stdin/stdout.
#include <iostream>

#include "engine/sikou.h"
#include "usi/usi.h"

int main() {
  std::ios::sync_with_stdio(false);
  syougi::UsiEngine engine(syougi::makeComputer());
  engine.run(std::cin, std::cout);
  return 0;
}
