#include "engine/search.h"

#include <bit>

#include "model/attacks.h"

namespace syougi {

namespace {

// One row per ply: starting value of saikou and of the list scores, the value
// a mate found by the examination gives, the last slot searched, how many
// candidates from one source are searched, and the list width.
struct Row {
  int16_t init;
  int16_t mate;
  int last;
  int limit;
  int width;
};

constexpr Row kRow[10] = {
    {0, 0, 0, 0, 0},
    {-32000, 32000, 25, 5, 40},  // ai1
    {32000, -32000, 20, 4, 40},  // ai2
    {-30000, 32000, 17, 3, 40},  // ai3
    {32000, -31000, 15, 3, 40},  // ai4
    {-29000, 32000, 13, 2, 21},  // tui5
    {32000, -30000, 12, 2, 21},  // tui6
    {-28000, 32000, 12, 2, 21},  // tui7 / ai7
    {32000, -29000, 12, 2, 21},  // tui8
    {-28000, 32000, 0, 0, 0},    // ai9
};

// Side 2 moves on odd plies and maximises; side 1 on even plies and minimises.
constexpr int sideAt(int n) { return n % 2 == 1 ? 2 : 1; }

template <int N>
constexpr bool better(int v, int than) {
  if constexpr (N % 2 == 1) {
    return v > than;
  } else {
    return v < than;
  }
}

constexpr bool minorPromoted(int k) { return k >= NG && k <= TO; }

// Kinds that can give check from each neighbour class of the mate test:
// front, front diagonal, side or back, back diagonal.
constexpr bool atariFront(int k) { return k != OU && k != KA && k != KE; }
constexpr bool atariFrontDiag(int k) {
  return k == KA || k == UM || k == RY || k == KI || k == GI || minorPromoted(k);
}
constexpr bool atariSide(int k) {
  return k == HI || k == RY || k == UM || k == KI || minorPromoted(k);
}
constexpr bool atariBackDiag(int k) { return k == KA || k == UM || k == RY || k == GI; }

template <int M>
inline const Kiki& kikiOf(const Ply& p) {
  if constexpr (M == 1) {
    return p.toripl1;
  } else {
    return p.toripl2;
  }
}

template <int M>
inline int32_t ouOf(const Ply& p) {
  if constexpr (M == 1) {
    return p.oupl1;
  } else {
    return p.oupl2;
  }
}

// Makes a listed move (saki +100 when it promotes) on a copy of the parent.
template <int M>
inline void sasu(Ply& p, int32_t moto, int32_t saki) {
  if (moto > 100) {
    p.aru[saki] = moto;
    --p.arull[M * 10 + moto % 100];
    return;
  }
  const bool naru = saki > 100;
  const int to = naru ? saki - 100 : saki;
  const int32_t pc = p.aru[moto];
  const int32_t cap = p.aru[to];
  if (cap != 0 && cap % 100 != OU) ++p.arull[M * 10 + cap % 100 % 10];
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
  sennkei = in.sennkei;
  sk_ = sennkeiOf(sennkei);
  for (int k = 0; k < 4; ++k) {
    bookMoto_[k] = in.zyouseki.moto[k];
    bookSaki_[k] = in.zyouseki.saki[k];
    bookMei_[k] = in.zyouseki.mei[k];
  }
  bookDeep_ = 0;
  passAnc_.fill(0);
  hoSirabe(r.aru, r.ho);
  rootOute_ = r.toripl1[r.oupl2] > 0;
  leafStop_ = false;
  yomi_.clear();
  moto = 0;
  saki = 0;
  saikou1 = -32000;
  for (auto& s : ko) s.clear();
  kensa = 0;
  kensaAt.fill(0);
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

template <int N>
void Search::narabekae() {
  Ply& p = t_[N];
  constexpr int W = kRow[N].width;
  const int16_t v = static_cast<int16_t>(p.ten);
  if (!better<N>(v, p.kten[W - 1])) return;  // not better than the last slot
  for (int i = 0; i < W; ++i) {
    if (!better<N>(v, p.kten[i])) continue;
    for (int j = W - 1; j > i; --j) {
      p.kmoto[j] = p.kmoto[j - 1];
      p.ksaki[j] = p.ksaki[j - 1];
      p.kten[j] = p.kten[j - 1];
    }
    p.kmoto[i] = p.moto;
    p.ksaki[i] = p.saki;
    p.kten[i] = v;
    return;
  }
}

// Ply N's attack counts after the candidate made on its board, from the
// parent's by the one move.
template <int N>
void Search::kikiKousin() {
  Ply& p = t_[N];
  const Ply& q = t_[N - 1];
  // A captured king leaves the old square in place rather than garbage.
  p.oupl1 = q.oupl1;
  p.oupl2 = q.oupl2;
  kikiSasu<sideAt(N)>(q.aru, q.ho, p.aru, p.moto, p.saki, p.toripl1, p.toripl2, p.syurui,
                      p.oupl1, p.oupl2);
}

// Ply N's searched move moto -> saki, made on its board: the counts and
// what its own children's counts follow from.
template <int N>
void Search::hoKousin(int32_t moto, int32_t saki) {
  Ply& p = t_[N];
  const Ply& q = t_[N - 1];
  p.oupl1 = q.oupl1;
  p.oupl2 = q.oupl2;
  hoSasu<sideAt(N)>(q.aru, q.ho, p.aru, moto, saki, p.ho.hopl1, p.ho.hopl2, p.ho.syurui,
                    p.oupl1, p.oupl2);
  p.toripl1 = p.ho.hopl1;
  p.toripl2 = p.ho.hopl2;
  senKikiTasu(p.aru, p.ho.syurui, p.toripl1, p.toripl2);
}

// The candidate examination (kouhosirabe1..4, tuikouhosirabe5..8, and the
// leaf examinations kouhosirabe7 / kouhosirabe9): the move is made on ply N's
// board and described by its moto/saki (both 0 for a pass).
template <int N, bool Leaf>
void Search::kouhosirabeN() {
  constexpr int M = sideAt(N);
  constexpr int O = 3 - M;
  Ply& p = t_[N];
  const Ply& q = t_[N - 1];
  ++kensa;
  ++kensaAt[N];

  p.ten = 0;
  p.kiken = 0;
  p.kikenbasyo = 0;
  kikiKousin<N>();
  const Kiki& aM = kikiOf<M>(p);
  const Kiki& aO = kikiOf<O>(p);
  const int kM = ouOf<M>(p);
  const int kO = ouOf<O>(p);

  // A side without a king (set-up positions) has nothing to expose or mate.
  if (isSquare(kM) && aO[kM] > 0) return;

  int32_t ten = 0;
  if (isSquare(kO) && aM[kO] > 0) {
    ten += M == 2 ? 200 : -200;
    // Neighbours of O's king: front, front diagonals, sides, back, back
    // diagonals ("front" is toward O's opponent).
    constexpr int F = O == 1 ? -1 : 1;
    constexpr int d[8] = {F, 11 * F, -9 * F, 10 * F, -10 * F, -F, -11 * F, 9 * F};
    bool nige = false;
    int32_t basyo = 0;
    for (int i = 0; i < 8; ++i) {
      const int n = kO + d[i];
      const int32_t c = p.aru[n];
      if (c != SOTO && c / 100 != O && aM[n] == 0) nige = true;
      if (c / 100 != M) continue;
      const int k = c % 100;
      const bool atari = i == 0   ? atariFront(k)
                         : i <= 2 ? atariFrontDiag(k)
                         : i <= 5 ? atariSide(k)
                                  : atariBackDiag(k);
      if (atari) basyo = n;
    }
    p.kikenbasyo = basyo;
    if (!nige && basyo != 0 && aO[basyo] <= 1 && aM[basyo] > 0) {
      // A mate by a pawn drop is against the rules: the move is dropped.
      if (p.moto != M * 100 + FU) {
        p.saikou = kRow[N].mate;
        if constexpr (N == 1) {
          moto = p.moto;
          saki = p.saki;
        }
      }
      return;
    }
  }

  // Threats: the largest loss O can inflict on one of M's pieces.
  {
    const auto& w = M == 2 ? bs_.basyo2 : bs_.basyo1;
    constexpr int F = M == 2 ? 1 : -1;  // M's forward
    constexpr int o = O * 100;
    const int to = p.saki % 100;
    const bool toru = p.saki != 0 && q.aru[to] != 0;
    int16_t kiken = 0;
    const Komabit bM = p.syurui.zenbu(M);
    // M's pieces in square order: the first square with the largest loss is kept.
    for (int i = 0; i < 2; ++i) {
      for (uint64_t x = bM.w[i]; x != 0; x &= x - 1) {
        const int s = i * 64 + std::countr_zero(x);
        if (aO[s] == 0) continue;
        const int32_t c = p.aru[s];
        const int kd = c % 100;
        const bool oogoma = kd == OU || kd == HI || kd == KA || kd == RY || kd == UM;
        if (!oogoma && w[s] <= 19) continue;
        const int32_t v = komaten[c];
        const int32_t ws = w[s];
        const int32_t wk = kd == KY ? w[s / 10 * 10] : ws;
        int32_t k = 0;
        if (aM[s] > 0) {
          // O's pieces standing where they attack s; the last match wins.
          // Squares from which an O piece reaches s, written from M's side:
          // O's piece at s + F*x moves by -F*x.
          const int32_t f1 = p.aru[s + F];                               // in front of s
          const int32_t fl = p.aru[s + F + 10], fr = p.aru[s + F - 10];  // front diagonals
          const int32_t sl = p.aru[s + 10], sr = p.aru[s - 10];          // sides
          const int32_t b1 = p.aru[s - F];                               // behind
          const int32_t bl = p.aru[s - F + 10], br = p.aru[s - F - 10];  // back diagonals
          const auto kin = [&](int32_t code) {
            return f1 == code || fl == code || fr == code || sl == code || sr == code || b1 == code;
          };
          const auto gin = [&](int32_t code) {
            return f1 == code || fl == code || fr == code || bl == code || br == code;
          };
          if (kin(o + KI)) k = v - komaten[100 + KI];
          if (kin(o + NG)) k = v - komaten[100 + GI];
          if (gin(o + GI)) k = v - komaten[100 + GI];
          if (kin(o + NK)) k = v - komaten[100 + KE] + 10;
          if (kin(o + NY)) k = v - komaten[100 + KY] + 10;
          // Seen from side 1's piece on 11 the second knight square is cell -1.
          if (p.aru[s + 2 * F + 10] == o + KE ||
              (s + 2 * F - 10 >= 0 && p.aru[s + 2 * F - 10] == o + KE))
            k = v - komaten[100 + KE];
          for (int x = s + F;; x += F) {
            const int32_t e = p.aru[x];
            if (e == 0) continue;
            if (e == o + KY) k = v - komaten[100 + KY];
            break;
          }
          if (kin(o + TO)) k = v - komaten[100 + FU] + 30;
          if (f1 == o + FU) k = v - komaten[100 + FU];
          if (kd == KI || kd == GI || kd == KE || kd == FU || minorPromoted(kd)) {
            k = static_cast<int16_t>(k * ws) / 50;
          } else if (kd == KY) {
            k = static_cast<int16_t>(k * wk) / 50;
          }
          if (aO[s] > aM[s]) k += 2 * wk;
        } else if (kd == HI || kd == KA || kd == RY || kd == UM) {
          k = v;
        } else if (kd == KY) {
          k = wk * v / 50;
        } else if (kd != OU) {
          k = ws * v / 50;
        }
        if (k > kiken) {
          kiken = static_cast<int16_t>(k);
          p.kikenbasyo = s;
        }
        if constexpr (!Leaf && (N == 6 || N == 8)) {
          // A quiet move that puts the piece where it is lost is not listed.
          constexpr int genkai = N == 6 ? 100 : 30;
          if (k > genkai && !toru && p.kikenbasyo == to) return;
        }
      }
    }
    p.kiken = kiken;
    if (kiken > 0) {
      if constexpr (Leaf) {
        ten -= static_cast<int16_t>(4 * kiken) / 3;
      } else {
        ten += M == 2 ? -kiken : kiken;
      }
    }
  }

  // Recapture on the square where the parent's move ended.
  if constexpr (N >= 2 && !Leaf) {
    if (p.saki != 0 && p.saki % 100 == q.ksaki[q.ban] % 100) ten += M == 2 ? 50 : -50;
  }

  kouhosirabe(p, ten, bs_, sk_, p.syurui);

  if constexpr (N == 1) {
    constexpr int32_t bonus[4] = {50, 40, 30, 30};
    for (int k = 0; k < 4; ++k) {
      if (p.moto == bookMoto_[k] && p.saki == bookSaki_[k]) {
        ten += bonus[k];
        break;
      }
    }
  } else {
    ten += bookDeep_;
  }

  ten += passAnc_[N];
  if constexpr (!Leaf) {
    if (p.moto == 0) {
      const int32_t tt = bs_.teban * bs_.teban;
      ten += N % 2 == 0 ? -tt : tt;
    }
  }

  if constexpr (N == 1) {
    if (p.saki > 100) {
      const int s = p.saki - 100;
      const int32_t c = p.aru[s];
      if (c == 200 + NK || c == 200 + NY) ten += bs_.basyo2[s];
      if (c == 200 + TO) ten += bs_.basyo2[s] + 10;
    }
  }

  p.ten = ten;
  if constexpr (Leaf) {
    const int16_t v = static_cast<int16_t>(ten);
    if (v > p.saikou) p.saikou = v;
  } else {
    narabekae<N>();
  }
}

// The move makers (iku1..4, tuiiku5..8, iku7 / iku9 of the leaves): decide
// whether the generated move is made and how it promotes, make it on ply N's
// board (a copy of the parent's), examine it, and take it back. Returns true
// when a leaf scan has refuted an ancestor and must stop.
template <int N, bool Leaf>
bool Search::iku(int32_t moto, int32_t saki) {
  constexpr int M = sideAt(N);
  constexpr int O = 3 - M;
  constexpr int F = M == 2 ? 1 : -1;
  Ply& p = t_[N];
  const Ply& q = t_[N - 1];
  const Kiki& qM = kikiOf<M>(q);
  const Kiki& qO = kikiOf<O>(q);
  const auto& wM = M == 2 ? bs_.basyo2 : bs_.basyo1;

  if (moto > 100) {
    const int kd = moto % 100;
    if constexpr (Leaf) {
      if (wM[saki] <= 24 || qM[saki] < qO[saki] || kd == HI || kd == KA ||
          q.aru[saki + 1] == 100 + FU)
        return false;
    } else if constexpr (N >= 5) {
      if (kd != FU) {
        if ((kd == KI || kd == GI || kd == KE) && wM[saki] < 25) return false;
        if (qM[saki] < qO[saki]) return false;
      }
    }
    const int h = M * 10 + kd;
    p.aru[saki] = moto;
    --p.arull[h];
    p.moto = moto;
    p.saki = saki;
    kouhosirabeN<N, Leaf>();
    p.aru[saki] = 0;
    ++p.arull[h];
    if constexpr (Leaf) return leafCut<N>();
    return false;
  }

  const int32_t pc = q.aru[moto];
  const int kd = pc % 100;
  const int32_t cap = q.aru[saki];
  const bool toru = cap != 0;
  const bool nerawa = qO[moto] > 0;  // the piece is attacked where it stands
  const int fs = moto / 10;
  const int rs = moto % 10;
  const int rd = saki % 10;
  const bool zone = M == 2 ? (rs >= 7 || rd >= 7) : (rs <= 3 || rd <= 3);

  if (kd == OU) {
    if constexpr (N <= 4 || Leaf) {
      if (qO[saki] > 0) return false;
    } else {
      if (toru && qO[saki] > 0) return false;
    }
  }

  if constexpr (N == 1) {
    if (kd == KY && !(nerawa || toru || rd >= 7 || (fs != 1 && fs != 9) ||
                      (fs == 1 && q.oupl2 > 49) || (fs == 9 && q.oupl2 <= 60)))
      return false;
  }
  if constexpr (N >= 3 && !Leaf) {
    // Quiet lance and pawn pushes only from the inner files, or when it matters.
    if ((kd == KY || (kd == FU && q.aru[saki + F] == 0)) &&
        !(nerawa || toru || (fs >= 2 && fs <= 8)))
      return false;
  }
  if constexpr (N >= 5 && !Leaf) {
    if (!(qO[saki] < qM[saki] || kd == FU || toru)) return false;
  }
  if constexpr (N == 8) {
    if ((kd == GI || kd == KE || kd == KY || kd == NG || kd == NK || kd == NY) && !toru &&
        !nerawa && bs_.basyo1[saki] < bs_.basyo1[moto])
      return false;
  }
  if constexpr (Leaf) {
    const bool yasui = qO[saki] < qM[saki];
    if (!(wM[moto] > 19 || toru || kd == HI || kd == KA || kd == RY || kd == UM)) return false;
    if (!(yasui || !nerawa || toru)) return false;
    if (!(nerawa || yasui || (toru && komaten[cap] >= komaten[pc]))) return false;
  }

  // How the move promotes: 0 never, 1 only promoted, 2 both (unpromoted first).
  int naru = 0;
  if constexpr (N <= 2) {
    constexpr int r1 = M == 2 ? 7 : 3;  // first rank of the zone
    constexpr int r2 = M == 2 ? 8 : 2;  // the last two ranks
    const bool inZone = M == 2 ? rd >= r1 : rd <= r1;
    const bool lastTwo = M == 2 ? rd >= r2 : rd <= r2;
    if (kd == FU && inZone) {
      naru = 1;
    } else if ((kd == HI || kd == KA) && zone) {
      naru = 1;
    } else if ((kd == KE || kd == KY) && lastTwo) {
      naru = 1;
    } else if ((kd == GI || kd == KE || kd == KY || kd == FU) && zone) {
      naru = 2;
    }
  } else {
    if ((kd == HI || kd == KA || kd == KE || kd == KY || kd == FU) && zone) {
      naru = 1;
    } else {
      if constexpr (Leaf) {
        if ((kd == KI || kd == GI || kd == KE || kd == KY || minorPromoted(kd)) && !toru && !nerawa)
          return false;
        if (!toru && q.aru[saki + 1] == 100 + FU) return false;
      }
      if (kd == GI && zone) naru = 2;
    }
  }

  int h = 0;
  if (toru && cap % 100 != OU) {
    h = M * 10 + cap % 100 % 10;
    ++p.arull[h];
  }
  p.aru[moto] = 0;
  p.moto = moto;
  bool stop = false;
  if (naru != 1) {
    p.aru[saki] = pc;
    p.saki = saki;
    kouhosirabeN<N, Leaf>();
    if constexpr (Leaf) stop = leafCut<N>();
  }
  if (naru != 0 && !stop) {
    p.aru[saki] = pc + 10;
    p.saki = saki + 100;
    kouhosirabeN<N, Leaf>();
    if constexpr (Leaf) stop = leafCut<N>();
  }
  p.aru[saki] = cap;
  p.aru[moto] = pc;
  if (h != 0) --p.arull[h];
  return stop;
}

// Every move of the side to move on the parent's board, in the fixed order:
// squares file by file and rank by rank with each piece's steps in turn, then
// drops rook..pawn.
template <int N, bool Leaf>
bool Search::generate() {
  constexpr int M = sideAt(N);
  constexpr int O = 3 - M;
  constexpr int G = M == 2 ? 1 : -1;  // the steps of the forward-moving pieces turn round
  const Ply& q = t_[N - 1];
  const Ban& b = q.aru;

  for (int f = 1; f <= 9; ++f) {
    for (int r = 1; r <= 9; ++r) {
      const int s = f * 10 + r;
      const int32_t c = b[s];
      if (c / 100 != M) continue;
      const auto step = [&](int d) {
        const int to = s + d;
        const int32_t x = b[to];
        if (x == 0 || x / 100 == O) return iku<N, Leaf>(s, to);
        return false;
      };
      const auto slide = [&](int d) {
        for (int to = s + d;; to += d) {
          const int32_t x = b[to];
          if (x == 0) {
            if (iku<N, Leaf>(s, to)) return true;
            continue;
          }
          if (x / 100 == O) return iku<N, Leaf>(s, to);
          return false;
        }
      };
      bool stop = false;
      switch (c % 100) {
        case OU:
          stop = step(-11) || step(-10) || step(-9) || step(1) || step(11) || step(10) || step(9) ||
                 step(-1);
          break;
        case RY:
          stop = step(-11) || step(-9) || step(11) || step(9);
          [[fallthrough]];
        case HI:
          stop = stop || slide(-10) || slide(10) || slide(-1) || slide(1);
          break;
        case UM:
          stop = step(-10) || step(1) || step(10) || step(-1);
          [[fallthrough]];
        case KA:
          stop = stop || slide(-11) || slide(11) || slide(-9) || slide(9);
          break;
        case KI:
        case NG:
        case NK:
        case NY:
        case TO:
          stop = step(-10 * G) || step(-9 * G) || step(1 * G) || step(11 * G) || step(10 * G) ||
                 step(-1 * G);
          break;
        case GI:
          stop = step(-11 * G) || step(-9 * G) || step(1 * G) || step(11 * G) || step(9 * G);
          break;
        case KE:
          // A side-1 knight on 11 cannot occur in play; keep the jump inside the cells anyway.
          stop = step(-8 * G) || (s + 12 * G >= 0 && step(12 * G));
          break;
        case KY:
          stop = slide(G);
          break;
        case FU:
          stop = step(G);
          break;
        default:
          break;
      }
      if (stop) return true;
    }
  }

  for (int kd = HI; kd <= FU; ++kd) {
    if (q.arull[M * 10 + kd] <= 0) continue;
    int rlo = 1;
    int rhi = 9;
    if constexpr (M == 2) {
      if constexpr (Leaf) {
        if (kd == KI || kd == FU) rhi = 8;
        if (kd == KE || kd == KY) rhi = 7;
      } else {
        if (kd == KE) rhi = 7;
        if (kd == KY || kd == FU) rhi = 8;
      }
    } else {
      if (kd == KE) rlo = 3;
      if (kd == KY || kd == FU) rlo = 2;
    }
    const int32_t code = M * 100 + kd;
    for (int f = 1; f <= 9; ++f) {
      if (kd == FU) {
        bool nifu = false;
        for (int r = 1; r <= 9; ++r) nifu = nifu || b[f * 10 + r] == M * 100 + FU;
        if (nifu) continue;
      }
      for (int r = rlo; r <= rhi; ++r) {
        const int s = f * 10 + r;
        if (b[s] == 0 && iku<N, Leaf>(code, s)) return true;
      }
    }
  }
  return false;
}

// A leaf scan stops once its value beats a side-1 ply above it.
template <int N>
bool Search::leafCut() const {
  const int16_t v = t_[N].saikou;
  for (int j = N - 1; j >= 2; j -= 2)
    if (v > t_[j].saikou) return true;
  return false;
}

// Ply 6: lines with exchanges, escapes or checks near the root go on through
// tui7 and tui8, the others end in the leaf scan ai7.
bool Search::tuika() const {
  const Ply& a1 = t_[1];
  const Ply& a2 = t_[2];
  const Ply& a3 = t_[3];
  const int32_t s1 = a1.ksaki[a1.ban] % 100;
  const int32_t m2 = a2.kmoto[a2.ban];
  const int32_t s2 = a2.ksaki[a2.ban] % 100;
  const int32_t m3 = a3.kmoto[a3.ban];
  const int32_t s3 = a3.ksaki[a3.ban] % 100;
  if (s2 != 0 && s2 == s1) return true;
  if (s3 != 0 && s3 == s2) return true;
  // A source below 100 names a cell: a square, or cell 0 for a pass, whose
  // count is as fresh as any off-board cell's. A drop's code names none.
  if (m2 < 100 && a1.toripl2[m2] > 0) return true;
  if (m3 < 100 && a2.toripl1[m3] > 0) return true;
  if (rootOute_) return true;
  return a1.toripl2[a1.oupl1] > 0;
}

// The cells that the searched moves of plies 1..N changed.
template <int N>
void Search::quick(YomiQuick& qk) const {
  qk.n = 0;
  qk.cell0 = false;
  for (int j = 1; j <= N; ++j) {
    const Ply& a = t_[j];
    const int32_t m = a.kmoto[a.ban];
    if (m == 0) {
      qk.cell0 = true;
      qk.ban0 = t_[N].aru[0];
      continue;
    }
    if (m > 100) {
      qk.cell[qk.n++] = static_cast<uint8_t>(yomiMochiCell((j % 2 == 1 ? 20 : 10) + m % 100));
    } else {
      qk.cell[qk.n++] = static_cast<uint8_t>(yomiBanCell(m));
    }
    qk.cell[qk.n++] = static_cast<uint8_t>(yomiBanCell(a.ksaki[a.ban] % 100));
  }
}

template <int N>
bool Search::yomidasu(int16_t& atai) {
  const Ply& p = t_[N];
  YomiQuick qk;
  quick<N>(qk);
  yomiPack(p.aru, p.arull, key_);
  bool hit = false;
  if constexpr (N == 3) hit = yomi_.t3.yomidasu(key_, qk, atai);
  if constexpr (N == 4) hit = yomi_.t4.yomidasu(key_, qk, atai);
  if constexpr (N == 5) hit = yomi_.t5.yomidasu(key_, qk, atai);
  if constexpr (N == 6) hit = yomi_.t6.yomidasu(key_, qk, atai);
  return hit;
}

// Stores ply N's position (packed in key_ by the look-up just before).
template <int N>
void Search::yomioku(int16_t atai) {
  const Ply& p = t_[N];
  yomiPack(p.aru, p.arull, key_);
  ++yomiStores[N];
  if constexpr (N == 3) yomi_.t3.yomioku(key_, atai);
  if constexpr (N == 4) yomi_.t4.yomioku(key_, atai);
  if constexpr (N == 5) yomi_.t5.yomioku(key_, atai);
  if constexpr (N == 6) yomi_.t6.yomioku(key_, atai);
}

// Searches ply N's candidate now made on its board and returns the next
// ply's value (from the snapshot table at plies 3..6 when the position was
// searched before).
template <int N>
int16_t Search::child() {
  Ply& p = t_[N];
  Ply& next = t_[N + 1];
  ++searchedAt[N];
  if constexpr (N >= 3 && N <= 6) {
    int16_t atai = 0;
    if (yomidasu<N>(atai)) {
      ++yomiHits[N];
      next.saikou = atai;
      return atai;
    }
  }
  hoKousin<N>(p.kmoto[p.ban], p.ksaki[p.ban]);
  if constexpr (N == 6) {
    if (tuika()) {
      ply<7>();
      yomioku<6>(next.saikou);
    } else {
      leaf<7>();
    }
  } else if constexpr (N == 8) {
    leaf<9>();
  } else {
    ply<N + 1>();
    if constexpr (N >= 3 && N <= 5) yomioku<N>(next.saikou);
  }
  return next.saikou;
}

template <int N>
void Search::kouhoList() {
  Ply& p = t_[N];
  const Ply& q = t_[N - 1];
  resetList<N>();
  passAnc_[N] = passTerms<N>();
  p.aru = q.aru;
  p.arull = q.arull;
  if constexpr (N >= 2) {
    // A pass is examined first when the side to move is not in check.
    constexpr int M = sideAt(N);
    if (kikiOf<3 - M>(q)[ouOf<M>(q)] == 0) {
      p.moto = 0;
      p.saki = 0;
      kouhosirabeN<N, false>();
    }
  }
  generate<N, false>();
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

  resetList<N>();
  passAnc_[N] = passTerms<N>();
  p.aru = q.aru;
  p.arull = q.arull;
  if (kikiOf<3 - M>(q)[ouOf<M>(q)] == 0) {
    p.moto = 0;
    p.saki = 0;
    kouhosirabeN<N, false>();
  }

  // After a pass of the parent: give up at once when that pass is already
  // worse for the parent than what its side holds.
  if constexpr (N >= 3) {
    if (q.kmoto[q.ban] == 0) {
      const int16_t sc = q.kten[q.ban];
      for (int j = N - 1; j >= 1; j -= 2) {
        if (better<N>(sc, t_[j].saikou)) {
          p.saikou = M == 2 ? 32000 : -32000;
          return;
        }
      }
    }
  }

  generate<N, false>();
  if (better<N>(p.saikou, M == 2 ? 10000 : -10000)) return;  // a mate among the candidates

  for (int ban = 0; ban <= R.last; ++ban) {
    const int32_t km = p.kmoto[ban];
    const int32_t ks = p.ksaki[ban];
    if constexpr (N >= 5) {
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
      if constexpr (N >= 3) {
        if (q.kmoto[q.ban] == 0) {
          // Two passes in a row: the parent's score for its pass stands.
          const int16_t sc = q.kten[q.ban];
          if (better<N>(sc, p.saikou)) p.saikou = sc;
          break;
        }
      }
      p.aru = q.aru;
      p.arull = q.arull;
    } else {
      p.aru = q.aru;
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
  passAnc_[N] = passTerms<N>();
  p.aru = q.aru;
  p.arull = q.arull;
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
      p.aru = r.aru;
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
      if (ban <= 12) ko[ban] += ">" + std::to_string(v);
    }
  }
  saikou1 = p.saikou;
}

template void Search::kouhoList<1>();
template void Search::kouhoList<2>();
template void Search::kouhoList<3>();
template void Search::kouhoList<4>();
template void Search::kouhoList<5>();
template void Search::kouhoList<6>();
template void Search::kouhoList<7>();
template void Search::kouhoList<8>();
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
