#include "mate/tume.h"

#include "mate/attacks.h"
#include "model/ugoki.h"

namespace syougi {

namespace {

// What tells the eleven plies apart.
struct Row {
  int cap;           // list entries (0: no list)
  int16_t start;     // starting saikou
  int16_t listStart; // starting list score, the bound a candidate must beat
  int16_t mate;      // value of a mate recognised by the mate test (odd plies)
  int narrow;        // offset of the narrowing bound (plies 5, 7, 9)
};

constexpr Row kRows[12] = {
    {0, 0, 0, 0, 0},
    {40, 10000, -32000, 32000, 0},
    {40, 32000, 32000, 0, 0},
    {40, -31000, -30000, 31000, 0},
    {40, 31000, 31000, 0, 0},
    {21, -30000, -30000, 30000, 100},
    {21, 30000, 30000, 0, 0},
    {21, -29000, -29000, 29000, 50},
    {21, 29000, 29000, 0, 0},
    {21, -28000, -28000, 28000, 0},
    {21, 28000, 28000, 0, 0},
    {0, -27000, 0, 27000, 0},
};

template <int N>
constexpr bool kOute = N % 2 == 1;        // side 2 checks
template <int N>
constexpr bool kHayagiri = N >= 3;        // ends at the first mate in one
template <int N>
constexpr bool kUkeAtoKinsi = N >= 3;     // no step onto the square the answer left
template <int N>
constexpr bool kKikenSirabe = N >= 4 && N % 2 == 0;
template <int N>
constexpr bool kNariNomi = N >= 5;        // pawn, rook, bishop only promoted in the zone
template <int N>
constexpr bool kSiboru = N == 5 || N == 7 || N == 9;
template <int N>
constexpr bool kIppan = N == 10;          // the generic blocking drop 111
template <int N>
constexpr bool kSaigo = N == 11;
// Searching stops once the value passes this.
template <int N>
constexpr int16_t kSikii = N == 1 ? 10000 : 0;

constexpr int32_t kIppanKoma = 111;

// Side-2 pieces that attack the king from the neighbour in each direction.
constexpr bool mae1(int32_t c) {  // k-1
  return c == 202 || c == 212 || c == 213 || c == 205 || c == 215 || c == 204 || c == 216 ||
         c == 207 || c == 217 || c == 208 || c == 218;
}
constexpr bool maeNaname(int32_t c) {  // k-11, k+9
  return c == 203 || c == 213 || c == 212 || c == 205 || c == 215 || c == 204 || c == 216 ||
         c == 217 || c == 218;
}
constexpr bool yoko(int32_t c) {  // k-10, k+10, k+1
  return c == 202 || c == 212 || c == 213 || c == 215 || c == 204 || c == 216 || c == 217 ||
         c == 218;
}
constexpr bool usiroNaname(int32_t c) {  // k+11, k-9
  return c == 203 || c == 213 || c == 212 || c == 205;
}
constexpr bool hisya(int32_t c) { return c == 202 || c == 212; }
constexpr bool kaku(int32_t c) { return c == 203 || c == 213; }

static_assert(outeNoRui([](int k) { return mae1(200 + k); },
                        [](int k) { return maeNaname(200 + k); },
                        [](int k) { return yoko(200 + k); },
                        [](int k) { return usiroNaname(200 + k); }));

// The squares around side 1's king where a dropped gold or silver checks it,
// in the order they are tried: those from which the piece reaches the king,
// that is the kind's side-1 steps from the king.
constexpr int kKinUti[] = {9, -1, -11, -10, 10, 1};
constexpr int kGinUti[] = {9, -1, -11, 11, -9};
static_assert(tobiWa(KI, kKinUti, 6) && tobiWa(GI, kGinUti, 5));

// Only the promoted form is made.
template <int N>
bool nariNomi(int kind, int rankFrom, int rankTo) {
  if constexpr (kOute<N>) {
    if (kind == FU && rankTo == 9) return true;
    if ((kind == KE || kind == KY) && rankTo >= 8) return true;
    if constexpr (kNariNomi<N>) {
      if ((kind == FU || kind == HI || kind == KA) && (rankFrom >= 7 || rankTo >= 7)) return true;
    }
  } else {
    if (kind == FU && rankTo == 1) return true;
    if ((kind == KE || kind == KY) && rankTo <= 2) return true;
    if constexpr (kNariNomi<N>) {
      if ((kind == FU || kind == HI || kind == KA) && (rankFrom <= 3 || rankTo <= 3)) return true;
    }
  }
  return false;
}

constexpr bool nareru(int kind) {
  return kind == HI || kind == KA || kind == GI || kind == KE || kind == KY || kind == FU;
}

// The king-surroundings terms of the ordering score, from side 2's view.
int kakoi(const Ban& B, const Kiki& A2, int k, int32_t saki) {
  int t = 0;
  for (int d : {10, -10, -11, -1, 9})
    if (A2[k + d] > 0) t += 30;
  for (int d : {11, 1, -9})
    if (A2[k + d] > 0) t += 20;
  if (saki > 100) t += 30;
  auto aki = [&](int n) { return A2[n] == 0 && sideOf(B[n]) != 1; };
  if (aki(k + 11) || aki(k + 9) || aki(k + 10)) t -= 50;
  if (aki(k - 11) || aki(k - 9) || aki(k - 10)) t -= 50;
  if (aki(k - 1)) t -= 31;
  return t;
}

// Hand terms: kinds 2..8, first piece and second piece.
constexpr int kMochi1[9] = {0, 0, 30, 30, 20, 20, 15, 15, 20};
constexpr int kMochi2[9] = {0, 0, 15, 15, 10, 10, 5, 5, 5};

int motigoma(const Mochi& h, int side) {
  int t = 0;
  for (int kind = 2; kind <= 8; ++kind) {
    const int32_t n = h[side * 10 + kind];
    if (n >= 1) t += kMochi1[kind];
    if (n >= 2) t += kMochi2[kind];
  }
  return t;
}

// Capture into `side`'s hand, unpromoted; a king (or the generic blocker)
// adds nothing.
inline void toru(Mochi& h, int side, int32_t c) {
  if (c == 0) return;
  const int kind = c % 10;
  if (kind != 1) ++h[side * 10 + kind];
}

}  // namespace

template <int N>
int tumesikii(const PlyTable& p) {
  int wa = 0;
  for (int i = 1; i <= N; i += 2) wa += p[i].ban;
  return 3 * wa - kRows[N].narrow;
}

template <int N>
void tumesyoki(Ply& p) {
  constexpr Row r = kRows[N];
  for (int i = 0; i < r.cap; ++i) {
    p.kmoto[i] = 0;
    p.ksaki[i] = 0;
    p.kten[i] = r.listStart;
  }
  p.saikou = r.start;
}

template <int N>
void tumenarabekae(Ply& p) {
  constexpr int C = kRows[N].cap;
  int i = 0;
  for (; i < C; ++i) {
    if constexpr (kOute<N>) {
      if (p.kten[i] < p.ten) break;
    } else {
      if (p.kten[i] > p.ten) break;
    }
  }
  if (i == C) return;
  for (int j = C - 1; j > i; --j) {
    p.kten[j] = p.kten[j - 1];
    p.kmoto[j] = p.kmoto[j - 1];
    p.ksaki[j] = p.ksaki[j - 1];
  }
  p.kten[i] = static_cast<int16_t>(p.ten);
  p.kmoto[i] = p.moto;
  p.ksaki[i] = p.saki;
}

void Tume::kyokumenSet(const Men& m) { static_cast<Men&>(game_) = m; }

void Tume::tumeai1(const Men& m) {
  kyokumenSet(m);
  tumeai<1>();
  saikou1 = p_[1].saikou;
}

// ---- checking plies -------------------------------------------------------

template <int N>
void Tume::outeTe(int d) {
  const int32_t c = mae<N>().aru[d];
  if (c == 0 || sideOf(c) == 1) {
    p_[N].saki = d;
    tumeiku<N>();
  }
}

template <int N>
void Tume::outeSen(int s, int D) {
  const Ban& b = mae<N>().aru;
  for (int i = 1; i <= 8; ++i) {
    const int d = s + D * i;
    const int32_t c = b[d];
    if (c == 0 || sideOf(c) == 1) {
      p_[N].saki = d;
      tumeiku<N>();
    }
    if (c != 0) return;
  }
}

template <int N>
void Tume::outeUti(int32_t code, int sq) {
  if (mae<N>().aru[sq] != 0) return;
  p_[N].moto = code;
  p_[N].saki = sq;
  tumeiku<N>();
}

template <int N>
void Tume::outeUtiSen(int32_t code, int K, int D, int n) {
  for (int i = 1; i <= n; ++i) {
    const int sq = K + D * i;
    if (mae<N>().aru[sq] != 0) return;
    outeUti<N>(code, sq);
  }
}

template <int N>
void Tume::outeseisei() {
  Ply& p = p_[N];
  const Ply& q = mae<N>();
  const Ban& b = q.aru;
  for (int f = 1; f <= 9; ++f) {
    for (int r = 1; r <= 9; ++r) {
      const int s = f * 10 + r;
      const int32_t c = b[s];
      if (sideOf(c) != 2) continue;
      p.moto = s;
      ugokiGoto<2>(
          c - 200,
          [&](int d) {
            outeTe<N>(s + d);
            return false;
          },
          [&](int d) {
            outeSen<N>(s, d);
            return false;
          });
      if constexpr (kHayagiri<N>) {
        if (p.saikou > 0) return;
      }
    }
  }

  const Mochi& h = q.arull;
  const int K = q.oupl1;
  // After a mate in one the remaining kinds are not dropped.
  auto sono = [&](int cell) {
    if (h[cell] <= 0) return false;
    if constexpr (kHayagiri<N>) return p.saikou < 1;
    return true;
  };
  if (h[22] > 0) {
    if constexpr (kSaigo<N>) {
      for (int d : {-1, 1, -10, 10}) outeUti<N>(202, K + d);
    } else {
      outeUtiSen<N>(202, K, -1, 3);
      outeUtiSen<N>(202, K, 1, 3);
      outeUtiSen<N>(202, K, -10, 3);
      outeUtiSen<N>(202, K, 10, 3);
    }
  }
  if (sono(23)) {
    if constexpr (kSaigo<N>) {
      for (int d : {-11, 11, -9, 9}) outeUti<N>(203, K + d);
    } else {
      outeUtiSen<N>(203, K, -11, 3);
      outeUtiSen<N>(203, K, 11, 3);
      outeUtiSen<N>(203, K, -9, 3);
      outeUtiSen<N>(203, K, 9, 3);
    }
  }
  if (sono(24))
    for (int d : kKinUti) outeUti<N>(204, K + d);
  if (sono(25))
    for (int d : kGinUti) outeUti<N>(205, K + d);
  if (sono(26) && K % 10 != 1) {
    outeUti<N>(206, K + 8);
    outeUti<N>(206, K - 12);
  }
  if (sono(27)) {
    if constexpr (kSaigo<N>) {
      outeUti<N>(207, K - 1);
    } else {
      outeUtiSen<N>(207, K, -1, 3);
    }
  }
  if constexpr (!kSaigo<N>) {
    if (sono(28)) {
      bool nifu = false;
      const int f10 = K / 10 * 10;
      for (int r = 1; r <= 8; ++r)
        if (b[f10 + r] == 208) nifu = true;
      if (!nifu) outeUti<N>(208, K - 1);
    }
  }
}

// ---- answering plies ------------------------------------------------------

template <int N>
void Tume::ukeTe(int d) {
  const int32_t c = p_[N - 1].aru[d];
  if (c == 0 || sideOf(c) == 2) {
    p_[N].saki = d;
    tumeiku<N>();
  }
}

template <int N>
void Tume::ukeSen(int s, int D) {
  const Ban& b = p_[N - 1].aru;
  for (int i = 1; i <= 8; ++i) {
    const int d = s + D * i;
    const int32_t c = b[d];
    if (c == 0 || sideOf(c) == 2) {
      p_[N].saki = d;
      tumeiku<N>();
    }
    if (c != 0) return;
  }
}

template <int N>
void Tume::ukeUti(int32_t code, int firstRank) {
  const Ply& q = p_[N - 1];
  for (int f = 1; f <= 9; ++f) {
    if (code == 108) {
      bool nifu = false;
      for (int r = 2; r <= 9; ++r)
        if (q.aru[f * 10 + r] == 108) nifu = true;
      if (nifu) continue;
    }
    for (int r = firstRank; r <= 9; ++r) {
      const int sq = f * 10 + r;
      if (q.aru[sq] != 0 || q.toripl2[sq] <= 0) continue;
      p_[N].moto = code;
      p_[N].saki = sq;
      tumeiku<N>();
    }
  }
}

// Finds the piece that gives check to the king of ply N-1 and keeps it in
// that ply's kikenbasyo (+100 for a piece checking from a distance).
template <int N>
void Tume::kikensirabe() {
  Ply& q = p_[N - 1];
  const Ban& B = q.aru;
  const int K = q.oupl1;
  int32_t C = 0;
  if (mae1(B[K - 1])) C = K - 1;
  for (int d : {-11, 9})
    if (maeNaname(B[K + d])) C = K + d;
  for (int d : {-10, 10, 1})
    if (yoko(B[K + d])) C = K + d;
  for (int d : {11, -9})
    if (usiroNaname(B[K + d])) C = K + d;
  if (B[K + 8] == 206) C = K + 8;
  if (K >= 12 && B[K - 12] == 206) C = K - 12;
  auto tooku = [&](int D, auto kiku) {
    if (B[K + D] != 0) return;
    for (int i = 2; i <= 8; ++i) {
      const int32_t c = B[K + D * i];
      if (c == 0) continue;
      if (kiku(c)) C = K + D * i + 100;
      return;
    }
  };
  tooku(-1, [](int32_t c) { return c == 207 || hisya(c); });
  tooku(1, hisya);
  tooku(10, hisya);
  tooku(-10, hisya);
  tooku(-11, kaku);
  tooku(11, kaku);
  tooku(-9, kaku);
  tooku(9, kaku);
  q.kikenbasyo = C;
}

template <int N>
void Tume::ukeseisei() {
  Ply& p = p_[N];
  const Ply& q = p_[N - 1];
  const Ban& b = q.aru;
  for (int f = 1; f <= 9; ++f) {
    for (int r = 1; r <= 9; ++r) {
      const int s = f * 10 + r;
      const int32_t c = b[s];
      if (sideOf(c) != 1) continue;
      p.moto = s;
      // The generic blocker 111 is no kind and moves nowhere.
      ugokiGoto<1>(
          c - 100,
          [&](int d) {
            ukeTe<N>(s + d);
            return false;
          },
          [&](int d) {
            ukeSen<N>(s, d);
            return false;
          });
    }
  }

  const Mochi& h = q.arull;
  if constexpr (kIppan<N>) {
    if (h[12] > 0 || h[13] > 0 || h[14] > 0 || h[15] > 0) ukeUti<N>(kIppanKoma, 1);
  } else {
    for (int kind = HI; kind <= GI; ++kind)
      if (h[10 + kind] > 0) ukeUti<N>(100 + kind, 1);
  }
  if (h[16] > 0) ukeUti<N>(106, 3);
  if (h[17] > 0) ukeUti<N>(107, 2);
  if (h[18] > 0) ukeUti<N>(108, 2);
}

// ---- making and examining a generated move --------------------------------

template <int N>
void Tume::tumeiku() {
  Ply& p = p_[N];
  const Ply& q = mae<N>();
  const int32_t moto = p.moto;
  const int32_t saki = p.saki;
  constexpr int side = kOute<N> ? 2 : 1;

  if constexpr (kOute<N>) {
    if constexpr (kUkeAtoKinsi<N>) {
      // Do not step onto the square the answer left when that answer added
      // defence to it.
      const Ply& u = p_[N - 1];
      const int32_t um = u.kmoto[u.ban] % 100;
      if (moto < 100 && saki == um && u.toripl1[saki] > p_[N - 2].toripl1[saki]) return;
    }
  } else {
    const Kiki& A1 = q.toripl1;
    const Kiki& A2 = q.toripl2;
    const int K = q.oupl1;
    if (moto > 100) {
      if (A2[K] > 1 || A2[saki] == 0 || A1[saki] == 0) return;
      if constexpr (N >= 4) {
        if (q.kikenbasyo < 100) return;
      }
    } else if (q.aru[moto] != 101) {
      if (A2[K] > 1) return;
      if constexpr (N == 2) {
        if (q.aru[saki] == 0 && (A2[saki] == 0 || A1[saki] == 0)) return;
      } else {
        const int32_t C = q.kikenbasyo;
        const bool toru = saki == (C >= 100 ? C - 100 : C);
        const bool aida = C >= 100 && q.aru[saki] == 0 && A2[saki] > 0 && A1[saki] > 0;
        if (!toru && !aida) return;
      }
    }
  }

  p.aru = q.aru;
  p.arull = q.arull;
  if (moto > 100) {
    if constexpr (kIppan<N>) {
      p.aru[saki] = kIppanKoma;  // stands for any piece; nothing leaves the hand
    } else {
      p.aru[saki] = moto;
      --p.arull[moto - (side * 100 - side * 10)];
    }
    tumekouhosirabe<N>();
    return;
  }
  const int32_t c = q.aru[moto];
  toru(p.arull, side, q.aru[saki]);
  p.aru[moto] = 0;
  const int kind = c % 100;
  const int rf = moto % 10;
  const int rt = saki % 10;
  const bool zone = kOute<N> ? (rf >= 7 || rt >= 7) : (rf <= 3 || rt <= 3);
  if (nariNomi<N>(kind, rf, rt)) {
    p.aru[saki] = c + 10;
    p.saki = saki + 100;
    tumekouhosirabe<N>();
    return;
  }
  p.aru[saki] = c;
  tumekouhosirabe<N>();
  if (zone && nareru(kind)) {
    p.aru[saki] = c + 10;
    p.saki = saki + 100;
    tumekouhosirabe<N>();
  }
}

template <int N>
void Tume::tumekouhosirabe() {
  Ply& p = p_[N];
  ++sirabe;
  ++sirabeAt[N];
  const Ban& B = p.aru;
  const Kiki& A1 = p.toripl1;
  const Kiki& A2 = p.toripl2;
  p.ten = 0;
  if constexpr (kOute<N>) {
    p.kikenbasyo = 0;
    tumetorisirabe(p);
    const int k = p.oupl1;
    if (A2[k] <= 0 || A1[p.oupl2] != 0) return;

    bool nigeru = false;
    for (int d : {-1, -11, -10, -9, 1, 11, 10, 9}) {
      const int32_t c = B[k + d];
      if (c != SOTO && A2[k + d] == 0 && sideOf(c) != 1) {
        nigeru = true;
        break;
      }
    }
    if (!nigeru) {
      bool tumi = false;
      if (A2[k] >= 2) {
        tumi = true;
      } else {
        int32_t ks = 0;
        if (mae1(B[k - 1])) ks = k - 1;
        for (int d : {-11, 9})
          if (maeNaname(B[k + d])) ks = k + d;
        for (int d : {-10, 10, 1})
          if (yoko(B[k + d])) ks = k + d;
        for (int d : {11, -9})
          if (usiroNaname(B[k + d])) ks = k + d;
        bool keima = false;
        if (ks == 0) {
          if (B[k + 8] == 206) ks = k + 8;
          if (k >= 12 && B[k - 12] == 206) ks = k - 12;
          keima = ks != 0;
        }
        p.kikenbasyo = ks;
        if (ks != 0) {
          if (keima) {
            tumi = A1[ks] == 0;
          } else if (A1[ks] <= 1 && A2[ks] != 0) {
            if (p.moto == 208) return;  // a pawn drop may not give mate
            tumi = true;
          }
        }
      }
      if (tumi) {
        p.saikou = kRows[N].mate;
        return;
      }
    }
    if constexpr (kSaigo<N>) {
      return;
    } else {
      p.ten = kakoi(B, A2, k, p.saki) + motigoma(p.arull, 2);
      tumenarabekae<N>(p);
    }
  } else {
    tumetorisirabe(p);
    const int k = p.oupl1;
    if (A2[k] != 0) return;
    p.ten = kakoi(B, A2, k, p.saki) - motigoma(p.arull, 1);
    tumenarabekae<N>(p);
  }
}

// Re-makes the candidate at p.ban from the previous position.
template <int N>
void Tume::saigen() {
  Ply& p = p_[N];
  const Ply& q = mae<N>();
  constexpr int side = kOute<N> ? 2 : 1;
  const int32_t m = p.kmoto[p.ban];
  const int32_t s = p.ksaki[p.ban];
  p.aru = q.aru;
  p.arull = q.arull;
  if (m > 100) {
    p.aru[s] = m;
    if (m != kIppanKoma) --p.arull[m - (side * 100 - side * 10)];
  } else {
    int32_t c = q.aru[m];
    int dest = s;
    if (s > 99) {
      dest = s - 100;
      c += 10;
    }
    toru(p.arull, side, q.aru[dest]);
    p.aru[dest] = c;
    p.aru[m] = 0;
  }
  tumetorisirabe(p);
}

template <int N>
void Tume::tumeseisei() {
  tumesyoki<N>(p_[N]);
  if constexpr (kOute<N>) {
    outeseisei<N>();
  } else {
    if constexpr (kKikenSirabe<N>) kikensirabe<N>();
    ukeseisei<N>();
  }
}

template <int N>
void Tume::tumeai() {
  ++kyokumen;
  ++kyokumenAt[N];
  tumeseisei<N>();
  if constexpr (!kSaigo<N>) {
    Ply& p = p_[N];
    constexpr int cap = kRows[N].cap;
    if constexpr (kOute<N>) {
      if (p.saikou > kSikii<N>) return;  // mate in one recognised
      for (p.ban = 0; p.ban < cap && p.kmoto[p.ban] != 0; ++p.ban) {
        if constexpr (kSiboru<N>) {
          // Lines through later candidates of the checking plies above need
          // ever better scores.
          if (p.kten[p.ban] < tumesikii<N>(p_)) break;
        }
        saigen<N>();
        tumeai<N + 1>();
        if (p_[N + 1].saikou > p.saikou) {
          p.saikou = p_[N + 1].saikou;
          if constexpr (N == 1) {
            moto = p.kmoto[p.ban];
            saki = p.ksaki[p.ban];
          }
        }
        if (p.saikou > kSikii<N>) break;
      }
    } else {
      for (p.ban = 0; p.ban < cap && p.kmoto[p.ban] != 0; ++p.ban) {
        saigen<N>();
        tumeai<N + 1>();
        if (p_[N + 1].saikou < p.saikou) p.saikou = p_[N + 1].saikou;
        if (p.saikou < 0) break;
      }
    }
  }
}

template int tumesikii<5>(const PlyTable&);
template int tumesikii<7>(const PlyTable&);
template int tumesikii<9>(const PlyTable&);
template void tumesyoki<1>(Ply&);
template void tumesyoki<2>(Ply&);
template void tumesyoki<3>(Ply&);
template void tumesyoki<4>(Ply&);
template void tumesyoki<5>(Ply&);
template void tumesyoki<6>(Ply&);
template void tumesyoki<7>(Ply&);
template void tumesyoki<8>(Ply&);
template void tumesyoki<9>(Ply&);
template void tumesyoki<10>(Ply&);
template void tumesyoki<11>(Ply&);
template void tumenarabekae<1>(Ply&);
template void tumenarabekae<2>(Ply&);
template void tumenarabekae<3>(Ply&);
template void tumenarabekae<4>(Ply&);
template void tumenarabekae<5>(Ply&);
template void tumenarabekae<6>(Ply&);
template void tumenarabekae<7>(Ply&);
template void tumenarabekae<8>(Ply&);
template void tumenarabekae<9>(Ply&);
template void tumenarabekae<10>(Ply&);
template void Tume::tumeseisei<1>();
template void Tume::tumeseisei<2>();
template void Tume::tumeseisei<3>();
template void Tume::tumeseisei<4>();
template void Tume::tumeseisei<5>();
template void Tume::tumeseisei<6>();
template void Tume::tumeseisei<7>();
template void Tume::tumeseisei<8>();
template void Tume::tumeseisei<9>();
template void Tume::tumeseisei<10>();
template void Tume::tumeseisei<11>();
template void Tume::tumeai<1>();
template void Tume::tumeai<2>();
template void Tume::tumeai<3>();
template void Tume::tumeai<4>();
template void Tume::tumeai<5>();
template void Tume::tumeai<6>();
template void Tume::tumeai<7>();
template void Tume::tumeai<8>();
template void Tume::tumeai<9>();
template void Tume::tumeai<10>();
template void Tume::tumeai<11>();
template void Tume::saigen<1>();
template void Tume::saigen<2>();
template void Tume::saigen<3>();
template void Tume::saigen<4>();
template void Tume::saigen<5>();
template void Tume::saigen<6>();
template void Tume::saigen<7>();
template void Tume::saigen<8>();
template void Tume::saigen<9>();
template void Tume::saigen<10>();

}  // namespace syougi
