#include "engine/snapshot.h"

namespace syougi {

void yomiPack(const Ban& aru, const Mochi& arull, YomiKey& out) {
  for (int sq = 11; sq <= 99; ++sq) out[yomiBanCell(sq)] = static_cast<uint8_t>(aru[sq]);
  for (int i = 12; i <= 28; ++i) out[yomiMochiCell(i)] = static_cast<uint8_t>(arull[i]);
}

}  // namespace syougi
