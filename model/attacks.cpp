#include "model/attacks.h"

#include "model/kiki.h"

namespace syougi {

namespace {

// Counts one piece's single steps, and its sliding lines when Lines.
template <int Side, bool Lines>
inline void piece(const Ban& b, Kiki& a, int s, int32_t kind, int32_t& ou) {
  if (static_cast<uint32_t>(kind) > TO) return;  // not a piece code
  if (kind == OU) ou = s;
  kiki::hoKiki<Side, 1>(a, s, kind);
  if constexpr (Lines) {
    if (kiki::hasiru(kind)) kiki::senKiki<Side>(b, a, s, kind);
  }
}

}  // namespace

void hoSirabe(const Ban& aru, KikiHo& ho) {
  ho.hopl1.fill({});
  ho.hopl2.fill({});
  int32_t ou = 0;
  for (int s = 11; s <= 99; ++s) {
    const int32_t c = aru[s];
    if (c & 32) {
      piece<1, false>(aru, ho.hopl1, s, c - 100, ou);
    } else if ((c & 96) == 64) {
      piece<2, false>(aru, ho.hopl2, s, c - 200, ou);
    }
  }
  syuruiOf(aru, ho.syurui);
}

void torisirabe(Men& m) {
  const Ban& toriaru = m.aru;
  Kiki& toripl1 = m.toripl1;
  Kiki& toripl2 = m.toripl2;
  toripl1.fill({});
  toripl2.fill({});
  for (int s = 11; s <= 99; ++s) {
    const int32_t c = toriaru[s];
    if (c & 32) {
      piece<1, true>(toriaru, toripl1, s, c - 100, m.oupl1);
    } else if ((c & 96) == 64) {
      piece<2, true>(toriaru, toripl2, s, c - 200, m.oupl2);
    }
  }
}

}  // namespace syougi
