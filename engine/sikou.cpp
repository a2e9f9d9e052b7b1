#include "engine/sikou.h"

#include "model/kyokumen.h"

namespace syougi {

namespace {

// An exact book match is played without a search, so its move must be one
// of side 2's legal moves here: a record with a wrong move would otherwise
// put an impossible position on the board.
bool gouhouTe(const Men& g, int32_t moto, int32_t saki) {
  Kyokumen k;
  k.aru = g.aru;
  k.arull = g.arull;
  k.gote = true;
  TeList list;
  gouhou(k, list);
  return list.fukumu(Te{moto > 100 ? moto - 100 : 110 - moto, 110 - saki % 100, saki > 100});
}

}  // namespace

Sikou::Sikou() = default;

void Sikou::youi(uint32_t seed) {
  rng_.seed(seed);
  basyo_.teban = 1;
  sennkei_ = "mitei";
}

ComKekka Sikou::erabu(const Men& m, int32_t tesuu) {
  ComKekka r;
  int32_t moto = 0;
  int32_t saki = 0;
  int16_t saikou1 = 0;

  book_.zyouseki(m.aru, m.arull, rng_, bookFile(bookPath_, installedBook_));
  basyosirabe(basyo_, m, tesuu);
  const ZyousekiKouho& z = book_.kouho;

  if (z.ten[0] >= 50 && gouhouTe(m, z.moto[0], z.saki[0])) {
    moto = z.moto[0];
    saki = z.saki[0];
    sennkei_ = z.mei[0];
    r.book = true;
  } else if (m.toripl1[m.oupl2] == 0) {
    tume_.moto = 0;
    tume_.saki = 0;
    tume_.sirabe = 0;
    tume_.kyokumen = 0;
    tume_.sirabeAt.fill(0);
    tume_.kyokumenAt.fill(0);
    tume_.tumeai1(m);
    r.kensa += static_cast<int64_t>(tume_.sirabe);
    r.nodes += static_cast<int64_t>(tume_.kyokumen);
    saikou1 = tume_.saikou1;
    if (tume_.moto != 0) {
      moto = tume_.moto;
      saki = tume_.saki;
      r.tume = true;
    }
  }

  if (moto == 0) {
    static_cast<Men&>(in_) = m;
    in_.basyo = basyo_;
    in_.sennkei = sennkei_;
    in_.zyouseki = z;
    search_.ai1(in_);
    moto = search_.moto;
    saki = search_.saki;
    saikou1 = search_.saikou1;
    sennkei_ = search_.sennkei;
    for (int k = 0; k < 4; ++k)
      if (z.saki[k] == saki && z.moto[k] == moto) sennkei_ = z.mei[k];
    r.searched = true;
    r.ko = search_.ko;
    r.kensa += search_.kensa;
    r.nodes += search_.nodes;
  }

  r.moto = moto;
  r.saki = saki;
  r.saikou1 = saikou1;
  r.sennkei = sennkei_;
  r.teban = basyo_.teban;
  return r;
}

std::unique_ptr<Computer> makeComputer() { return std::make_unique<Sikou>(); }

}  // namespace syougi
