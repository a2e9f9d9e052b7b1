#include "link/port.h"

#include "link/tcp_port.h"
#include "link/termios_port.h"

namespace syougi {

std::unique_ptr<Port> makePort(const std::string& text) {
  // A device whose name begins so is still reached as "./tcp:...".
  if (text.rfind("tcp:", 0) == 0 || text.rfind("tcp-listen:", 0) == 0)
    return std::make_unique<TcpPort>(text);
  return std::make_unique<TermiosPort>(text);
}

}  // namespace syougi
