// The main search: ai1 (the computer's move, the root) down through ai2..ai4,
// the selective plies tui5..tui8 and the leaf scans ai7 / ai9, with the
// candidate examination of every generated move and the snapshot tables of
// plies 3..6. Runs without the window: the caller supplies the position and
// the per-ply state (shared with the mate search). The definitions are in
// files by subject that search.cpp alone includes, so that the plies inline
// across them: rows.h (what tells the plies apart), generate.h, examine.h and
// snapshot_hooks.h.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/basyo.h"
#include "engine/book.h"
#include "engine/eval.h"
#include "model/ply.h"
#include "engine/snapshot.h"
#include "model/board.h"
#include "model/men.h"

namespace syougi {

// The actual position with its attack data as `torisirabe` left it, the
// weights from `basyosirabe`, the strategy name and the book candidates.
struct SearchInput : Men {
  Basyo basyo;
  std::string sennkei = "mitei";
  ZyousekiKouho zyouseki;
};

class Search {
 public:
  explicit Search(PlyTable& t);

  // Chooses side 2's move. moto/saki stay 0 and saikou1 -32000 when side 2
  // has no legal move.
  void ai1(const SearchInput& in);

  int32_t moto = 0;
  int32_t saki = 0;
  int16_t saikou1 = -32000;
  std::array<std::string, 13> ko{};  // "77-76/35", ">" and the value once searched
  std::string sennkei;               // after the root loop

  // Whether the threat scan is left out where it cannot change the ply's
  // list or best value. Off, every candidate is scanned: the plain order.
  bool kikenHabuku = true;
  // Whether drop cells where the ply's rules turn away a drop of the kind
  // whatever else holds are left out before the move maker is called. Off,
  // every empty cell goes to it: the plain order.
  bool utiSibori = true;

  // Counters of the last ai1 (or of the plies run by hand).
  int64_t kensa = 0;                     // examined candidates
  std::array<int64_t, 10> kensaAt{};     // per ply
  int64_t kensaSarasi = 0;  // of them turned away before their counts
  int64_t nodes = 0;                     // ply procedures entered (ai2.., tui.., leaf scans)
  std::array<int64_t, 10> nodesAt{};     // per ply
  std::array<int64_t, 10> searchedAt{};  // candidates searched per ply
  std::array<int64_t, 10> yomiHits{};    // snapshot hits per ply 3..6
  std::array<int64_t, 10> yomiStores{};  // snapshot store calls per ply 3..6

  // For tests: take the input as ai1 would (ply 0 = the actual position,
  // tables emptied, counters reset) without searching; then fill the
  // ancestors in the table by hand (with their counts and piece squares)
  // and run one ply.
  void prepare(const SearchInput& in);
  // Fills ply N's list (N = 1..8): what the ply does before searching it.
  template <int N>
  void kouhoList() {
    kouhoTukuru<N>();
  }
  // The whole ply procedure: ai2, ai3, ai4, tui5..tui8 (N = 2..8).
  template <int N>
  void ply();
  // The leaf scans ai7 (N = 7) and ai9 (N = 9).
  template <int N>
  void leaf();

  PlyTable& table() { return t_; }
  Yomi& yomi() { return yomi_; }
  const Basyo& basyo() const { return bs_; }

 private:
  // The list of ply N; false when the ply gives up at once after its
  // parent's pass.
  template <int N>
  bool kouhoTukuru();
  template <int N, bool Leaf>
  bool generate();
  template <int N, bool Leaf>
  bool iku(int32_t moto, int32_t saki);
  template <int N, bool Leaf>
  void kouhosirabeN();
  template <int N, bool Leaf>
  int32_t kikenSirabe();
  template <int N, bool Leaf>
  bool kikenIranai(int32_t ten) const;
  // Inlined into both callers, as it was when each had its own copy: out of
  // line the search ran about 1% slower.
  template <int N>
  [[gnu::always_inline]] void hoKousin(int32_t moto, int32_t saki);
  template <int N>
  void resetList();
  template <int N>
  int32_t passTerms() const;
  template <int N>
  void oyaTenMotu();
  template <int N>
  void oyaJunbi();
  template <int N>
  int16_t child();
  template <int N>
  bool leafCut() const;
  bool tuika() const;
  template <int N>
  void quick(YomiQuick& q) const;
  template <int N>
  bool yomidasu(int16_t& atai);
  template <int N>
  void yomioku(int16_t atai);

  PlyTable& t_;
  Yomi yomi_;
  Basyo bs_;
  std::array<Komabit, 2> omoi_{};  // per side, the squares weighing above 19
  std::array<Komabit, 2> omoi25_{};  // and 25 or more, where a selective drop may go
  int32_t kikenMax_ = 32767;       // no threat is larger, by the weights
  int32_t kikenMaxLeaf_ = 43689;   // nor a leaf's charge for it, 4/3 of it
  Sennkei sk_ = Sennkei::kMitei;
  std::array<int32_t, 4> bookMoto_{};
  std::array<int32_t, 4> bookSaki_{};
  std::array<std::string, 4> bookMei_{};
  int32_t bookDeep_ = 0;               // bonus of the ply-1 move being searched
  std::array<int32_t, 10> passAnc_{};  // pass terms of the ancestors, per ply
  // Per ply N, the terms of the position ply N moves from; set by the
  // parent's search of the move (Sumi) or else counted afresh.
  std::array<KomaTen, 10> oyaTen_{};
  std::array<bool, 10> oyaTenSumi_{};
  // Per ply N, its parent with one piece lifted (kikiUku), shared by that
  // piece's moves.
  std::array<Uki, 10> uki_{};
  // Per ply N, what keeps the mover's king attacked in its parent.
  std::array<OuKugi, 10> kugi_{};
  bool rootOute_ = false;              // side 2's king attacked in the actual position
  bool leafStop_ = false;
  int16_t leafMin_ = 32767;  // the lowest value of the side-1 plies above the leaf scan
  YomiKey key_{};
};

}  // namespace syougi
