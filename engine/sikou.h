// The computer player attached to the window.
#pragma once

#include <memory>

#include "engine/computer.h"

namespace syougi {

std::unique_ptr<Computer> makeComputer();

}  // namespace syougi
