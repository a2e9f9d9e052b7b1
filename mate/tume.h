// The mate search: side 2 (the computer) gives check at every one of its
// moves, side 1 answers; at most eleven plies, one procedure per ply.
#pragma once

#include <array>
#include <cstdint>

#include "model/ply.h"
#include "model/board.h"

namespace syougi {

// Files the candidate (ten, moto, saki) of ply N (1..10) into its list:
// highest score first at odd plies, lowest first at even plies, after the
// entries it ties with; the last entry of a full list falls out.
template <int N>
void tumenarabekae(Ply& p);

// Empties ply N's list and sets its starting value.
template <int N>
void tumesyoki(Ply& p);

// The score a candidate at the current index of checking ply N (5, 7 or 9)
// needs to be searched, from the indices of the checking plies 1..N.
template <int N>
int tumesikii(const PlyTable& p);

class Tume {
 public:
  explicit Tume(PlyTable& plies) : p_(plies) {}

  // Searches the game position (side 2 to move, side 2's king not attacked).
  // A forced mate leaves its first move in moto/saki and its value (27000 or
  // more) in saikou1. Otherwise moto/saki are untouched and saikou1 is 10000,
  // or 32000 when a mate in one was recognised at ply 1 (no move then).
  // Of m's attack data only the kings are read: the plies count their own.
  void tumeai1(const Men& m);

  int32_t moto = 0;
  int32_t saki = 0;
  int16_t saikou1 = 10000;
  uint64_t sirabe = 0;    // candidate moves examined
  uint64_t kyokumen = 0;  // plies entered
  std::array<uint64_t, 12> sirabeAt{};    // the same per ply 1..11
  std::array<uint64_t, 12> kyokumenAt{};

  // The first half of ply N alone: list and value set up, the checking piece
  // identified (even plies from 4), every candidate generated, examined and
  // filed. Reads ply N-1 (ply 1: the position given to `kyokumenSet`).
  template <int N>
  void tumeseisei();

  void kyokumenSet(const Men& m);

  // Ply N entire: sets up, generates, and searches its candidates through
  // the deeper plies; the result is ply N's saikou.
  template <int N>
  void tumeai();

  // Re-makes ply N's candidate at index ban from ply N-1 and counts attacks,
  // as the search does before it enters ply N+1.
  template <int N>
  void saigen();

 private:
  template <int N>
  void outeseisei();
  template <int N>
  void ukeseisei();
  template <int N>
  void kikensirabe();
  template <int N>
  void tumeiku();
  template <int N>
  void tumekouhosirabe();
  template <int N>
  void outeTe(int d);
  template <int N>
  void outeSen(int s, int D);
  template <int N>
  void outeUti(int32_t code, int sq);
  template <int N>
  void outeUtiSen(int32_t code, int K, int D, int n);
  template <int N>
  void ukeTe(int d);
  template <int N>
  void ukeSen(int s, int D);
  template <int N>
  void ukeUti(int32_t code, int firstRank);

  template <int N>
  const Ply& mae() const {
    if constexpr (N == 1) return game_;
    else return p_[N - 1];
  }

  PlyTable& p_;
  Ply game_{};  // the game position, the one before ply 1
};

}  // namespace syougi
