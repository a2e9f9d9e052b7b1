#include "engine/search.h"

#include <algorithm>
#include <cstdlib>

#include "engine/examine.h"
#include "engine/generate.h"
#include "engine/rows.h"
#include "engine/snapshot_hooks.h"

namespace syougi {

namespace {

// Makes a listed move (saki +100 when it promotes) on a copy of the parent.
template <int M>
inline void sasu(Ply& p, int32_t moto, int32_t saki) {
  if (moto > 100) {
    p.aru[saki] = moto;
    --p.arull[M * 10 + moto % 100];
    return;
  }
  const bool naru = saki > 100;
  const int to = sakiMasu(saki);
  const int32_t pc = p.aru[moto];
  if (const int h = motiMasu(M, p.aru[to]); h != 0) ++p.arull[h];
  p.aru[to] = naru ? pc + 10 : pc;
  p.aru[moto] = 0;
}

}  // namespace

Search::Search(PlyTable& t) : t_(t) {}

void Search::prepare(const SearchInput& in) {
  Ply& r = t_[0];
  static_cast<Men&>(r) = in;
  r.ban = 0;
  r.kmoto.fill(0);
  r.ksaki.fill(0);
  r.kten.fill(0);
  bs_ = in.basyo;
  for (int side = 0; side < 2; ++side) {
    const auto& w = side == 0 ? bs_.basyo1 : bs_.basyo2;
    omoi_[side] = Komabit{};
    omoi25_[side] = Komabit{};
    for (int s = 0; s < 112; ++s) {
      if (w[s] > 19) omoi_[side].set(s);
      if (w[s] >= 25) omoi25_[side].set(s);
    }
  }
  // The largest threat the weights allow: a piece's value, or a weight
  // times a value over 50, or an int16 over 50, and twice a weight more.
  int32_t w = 0;
  for (int s = 0; s < 112; ++s)
    w = std::max({w, std::abs(int32_t{bs_.basyo1[s]}), std::abs(int32_t{bs_.basyo2[s]})});
  const int32_t v = *std::max_element(komaten.begin(), komaten.end());
  kikenMax_ = std::max({v + 30, 32768 / 50, w * v / 50}) + 2 * w;
  // Beyond this a leaf's fourfold threat would leave int16: never skip it.
  if (kikenMax_ > 8191) kikenMax_ = 1 << 20;
  kikenMaxLeaf_ = 4 * kikenMax_ / 3;
  sennkei = in.sennkei;
  sk_ = sennkeiOf(sennkei);
  for (int k = 0; k < 4; ++k) {
    bookMoto_[k] = in.zyouseki.moto[k];
    bookSaki_[k] = in.zyouseki.saki[k];
    bookMei_[k] = in.zyouseki.mei[k];
  }
  bookDeep_ = 0;
  passAnc_.fill(0);
  oyaTenSumi_.fill(false);
  syuruiOf(r.aru, r.syurui);
  rootOute_ = r.toripl1[r.oupl2] > 0;
  leafStop_ = false;
  yomi_.clear();
  moto = 0;
  saki = 0;
  saikou1 = -32000;
  for (auto& s : ko) s.clear();
  kensa = 0;
  kensaAt.fill(0);
  kensaSarasi = 0;
  nodes = 0;
  nodesAt.fill(0);
  searchedAt.fill(0);
  yomiHits.fill(0);
  yomiStores.fill(0);
}

template <int N>
void Search::resetList() {
  Ply& p = t_[N];
  p.saikou = kRow[N].init;
  for (int i = 0; i < kRow[N].width; ++i) {
    p.kmoto[i] = 0;
    p.ksaki[i] = 0;
    p.kten[i] = kRow[N].init;
  }
}

// The pass terms of the searched passes at plies 2..N-1.
template <int N>
int32_t Search::passTerms() const {
  const int32_t tt = bs_.teban * bs_.teban;
  int32_t s = 0;
  for (int j = 2; j < N; ++j) {
    const Ply& a = t_[j];
    if (a.kmoto[a.ban] == 0) s += j % 2 == 0 ? -tt : tt;
  }
  return s;
}

// The terms of the position ply N moves from: the parent's search of the
// move left them, or they are counted afresh.
template <int N>
void Search::oyaTenMotu() {
  if (oyaTenSumi_[N]) {
    oyaTenSumi_[N] = false;
    return;
  }
  const Ply& q = t_[N - 1];
  komaTen(q, bs_, sk_, q.syurui, oyaTen_[N]);
}

// What ply N keeps of its parent while it examines the parent's moves: no
// piece lifted yet, what keeps the mover's king attacked, the ancestors'
// pass terms, the parent's terms, and the parent's board to make moves on.
template <int N>
void Search::oyaJunbi() {
  constexpr int M = sideAt(N);
  Ply& p = t_[N];
  const Ply& q = t_[N - 1];
  uki_[N].moto = 0;
  ouKugi<M>(q.aru, kikiOf<3 - M>(q), q.syurui, ouOf<M>(q), kugi_[N]);
  passAnc_[N] = passTerms<N>();
  oyaTenMotu<N>();
  banUtusu(p.aru, q.aru);
  p.arull = q.arull;
}

// A leaf scan stops once its value beats a side-1 ply above it: the lowest
// of theirs, which stay as they are while the scan runs.
template <int N>
bool Search::leafCut() const {
  return t_[N].saikou > leafMin_;
}

// Ply 6: lines with exchanges, escapes or checks near the root go on through
// tui7 and tui8, the others end in the leaf scan ai7.
bool Search::tuika() const {
  const Ply& a1 = t_[1];
  const Ply& a2 = t_[2];
  const Ply& a3 = t_[3];
  const int32_t s1 = sakiMasu(a1.ksaki[a1.ban]);
  const int32_t m2 = a2.kmoto[a2.ban];
  const int32_t s2 = sakiMasu(a2.ksaki[a2.ban]);
  const int32_t m3 = a3.kmoto[a3.ban];
  const int32_t s3 = sakiMasu(a3.ksaki[a3.ban]);
  if (s2 != 0 && s2 == s1) return true;
  if (s3 != 0 && s3 == s2) return true;
  // Only a board move has a source square: a drop's code and a pass's 0 name
  // off-board cells, whose counts mean nothing.
  if (isSquare(m2) && a1.toripl2[m2] > 0) return true;
  if (isSquare(m3) && a2.toripl1[m3] > 0) return true;
  if (rootOute_) return true;
  return a1.toripl2[a1.oupl1] > 0;
}

// Searches ply N's candidate now made on its board and returns the next
// ply's value (from the snapshot table at plies 3..6 when the position was
// searched before).
template <int N>
int16_t Search::child() {
  Ply& p = t_[N];
  Ply& next = t_[N + 1];
  ++searchedAt[N];
  if constexpr (kYomi<N>) {
    int16_t atai = 0;
    if (yomidasu<N>(atai)) {
      ++yomiHits[N];
      next.saikou = atai;
      return atai;
    }
  }
  hoKousin<N>(p.kmoto[p.ban], p.ksaki[p.ban]);
  // The next ply's parent terms, from this ply's by the one move.
  int32_t ten = 0;
  kouhosirabeSa(p, p.syurui, t_[N - 1], oyaTen_[N], p.kmoto[p.ban], p.ksaki[p.ban], ten, bs_,
                sk_, &oyaTen_[N + 1]);
  oyaTenSumi_[N + 1] = true;
  if constexpr (kTuika<N>) {
    if (tuika()) {
      ply<N + 1>();
      yomioku<N>(next.saikou);
    } else {
      leaf<N + 1>();
    }
  } else if constexpr (kSaigoTui<N>) {
    leaf<N + 1>();
  } else {
    ply<N + 1>();
    if constexpr (kYomi<N>) yomioku<N>(next.saikou);
  }
  return next.saikou;
}

template <int N>
bool Search::kouhoTukuru() {
  constexpr int M = sideAt(N);
  Ply& p = t_[N];
  const Ply& q = t_[N - 1];
  resetList<N>();
  oyaJunbi<N>();
  if constexpr (kPass<N>) {
    if (kikiOf<3 - M>(q)[ouOf<M>(q)] == 0) {
      p.moto = 0;
      p.saki = 0;
      kouhosirabeN<N, false>();
    }
  }

  if constexpr (kPassAkirame<N>) {
    if (q.kmoto[q.ban] == 0) {
      const int16_t sc = q.kten[q.ban];
      for (int j = N - 1; j >= 1; j -= 2) {
        if (better<N>(sc, t_[j].saikou)) {
          p.saikou = M == 2 ? 32000 : -32000;
          return false;
        }
      }
    }
  }

  generate<N, false>();
  return true;
}

// ai2, ai3, ai4 and tui5..tui8.
template <int N>
void Search::ply() {
  constexpr int M = sideAt(N);
  constexpr Row R = kRow[N];
  Ply& p = t_[N];
  const Ply& q = t_[N - 1];
  ++nodes;
  ++nodesAt[N];

  if (!kouhoTukuru<N>()) return;
  if (better<N>(p.saikou, M == 2 ? 10000 : -10000)) return;  // a mate among the candidates

  for (int ban = 0; ban <= R.last; ++ban) {
    const int32_t km = p.kmoto[ban];
    const int32_t ks = p.ksaki[ban];
    if constexpr (kMudaKiri<N>) {
      // The list is sorted: once a static score is already refuted, all are.
      bool futile = false;
      for (int j = N - 2; j >= 1; j -= 2)
        futile = futile || better<N + 1>(p.kten[ban], t_[j].saikou);
      if (futile) break;
    }
    int same = 0;
    for (int j = 0; j < ban; ++j) same += p.kmoto[j] == km;
    if (same >= R.limit) continue;
    p.ban = ban;
    if (km == 0) {
      if constexpr (kPassRenzoku<N>) {
        if (q.kmoto[q.ban] == 0) {
          const int16_t sc = q.kten[q.ban];
          if (better<N>(sc, p.saikou)) p.saikou = sc;
          break;
        }
      }
      banUtusu(p.aru, q.aru);
      p.arull = q.arull;
    } else {
      banUtusu(p.aru, q.aru);
      p.arull = q.arull;
      sasu<M>(p, km, ks);
    }
    const int16_t v = child<N>();
    if (better<N>(v, p.saikou)) p.saikou = v;
    if (km == 0) break;
    bool cut = better<N>(p.saikou, M == 2 ? 10000 : -10000);
    for (int j = N - 1; j >= 1; j -= 2) cut = cut || better<N>(p.saikou, t_[j].saikou);
    if (cut) break;
  }
}

// ai7 and ai9: no list; the best static value of side 2's moves, starting
// from the position as it stands plus 30.
template <int N>
void Search::leaf() {
  Ply& p = t_[N];
  const Ply& q = t_[N - 1];
  ++nodes;
  ++nodesAt[N];
  p.saikou = kRow[N].init;
  leafMin_ = 32767;
  for (int j = N - 1; j >= 2; j -= 2) leafMin_ = std::min(leafMin_, t_[j].saikou);
  oyaJunbi<N>();
  if (q.toripl1[q.oupl2] == 0) {
    p.moto = 0;
    p.saki = 0;
    kouhosirabeN<N, true>();
    p.saikou = static_cast<int16_t>(p.saikou + 30);
    if (leafCut<N>()) return;
  }
  generate<N, true>();
}

void Search::ai1(const SearchInput& in) {
  prepare(in);
  Ply& p = t_[1];
  const Ply& r = t_[0];
  ++nodesAt[1];
  kouhoList<1>();

  for (int i = 0; i <= 12; ++i) {
    ko[i] = std::to_string(p.kmoto[i]) + "-" + std::to_string(p.ksaki[i]) + "/" +
            std::to_string(p.kten[i]);
  }

  if (p.saikou <= 10000) {
    constexpr int32_t bonus[4] = {25, 20, 15, 15};
    for (int ban = 0; ban <= kRow[1].last; ++ban) {
      const int32_t km = p.kmoto[ban];
      const int32_t ks = p.ksaki[ban];
      if (km == 0) break;
      int same = 0;
      for (int j = 0; j < ban; ++j) same += p.kmoto[j] == km;
      if (same >= kRow[1].limit) continue;
      p.ban = ban;
      // The strategy of a book move being searched is the one its line is judged by.
      bookDeep_ = 0;
      for (int k = 0; k < 4; ++k) {
        if (km == bookMoto_[k] && ks == bookSaki_[k]) {
          sennkei = bookMei_[k];
          sk_ = sennkeiOf(sennkei);
          bookDeep_ = bonus[k];
          break;
        }
      }
      banUtusu(p.aru, r.aru);
      p.arull = r.arull;
      sasu<2>(p, km, ks);
      hoKousin<1>(km, ks);
      ++searchedAt[1];
      ply<2>();
      const int16_t v = t_[2].saikou;
      if (v > p.saikou) {
        p.saikou = v;
        moto = km;
        saki = ks;
      }
      if (ban <= 12) {
        ko[ban] += '>';
        ko[ban] += std::to_string(v);
      }
    }
  }
  saikou1 = p.saikou;
}

template bool Search::kouhoTukuru<1>();
template bool Search::kouhoTukuru<2>();
template bool Search::kouhoTukuru<3>();
template bool Search::kouhoTukuru<4>();
template bool Search::kouhoTukuru<5>();
template bool Search::kouhoTukuru<6>();
template bool Search::kouhoTukuru<7>();
template bool Search::kouhoTukuru<8>();
template void Search::ply<2>();
template void Search::ply<3>();
template void Search::ply<4>();
template void Search::ply<5>();
template void Search::ply<6>();
template void Search::ply<7>();
template void Search::ply<8>();
template void Search::leaf<7>();
template void Search::leaf<9>();

}  // namespace syougi
