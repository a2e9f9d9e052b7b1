#include "engine/sikou.h"

namespace syougi {

// The computer player is not linked yet: the window then plays no replies.
std::unique_ptr<Computer> makeComputer() { return nullptr; }

}  // namespace syougi
