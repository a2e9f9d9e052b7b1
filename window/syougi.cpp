#include "window/syougi.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>

#include "model/attacks.h"
#include "model/board.h"
#include "model/kifu_yomu.h"
#include "model/kiroku.h"
#include "model/kyokumen.h"
#include "model/rules.h"

namespace syougi {

namespace {

constexpr const char* kCrLf = "\r\n";

bool isOwn(int32_t code) { return sideOf(code) == 1; }

}  // namespace

Syougi::Syougi(Gamen& gamen, Computer* computer) : gamen_(gamen), computer_(computer) {
  // No game before the first start: every square empty, no piece in hand.
  game.aru.fill(SOTO);
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) game.aru[f * 10 + r] = 0;
}

class Syougi::Hako {
 public:
  explicit Hako(Syougi& s) : s_(s) { ++s_.hako_; }
  ~Hako() {
    if (--s_.hako_ == 0 && s_.tickMatu_) {
      s_.tickMatu_ = false;
      s_.gamen_.taimaa(10);
    }
  }
  Hako(const Hako&) = delete;
  Hako& operator=(const Hako&) = delete;

 private:
  Syougi& s_;
};

void Syougi::msgbox(const std::string& s) {
  Hako h(*this);
  gamen_.msgbox(s);
}

bool Syougi::hai(const std::string& s) {
  Hako h(*this);
  return gamen_.hai(s);
}

bool Syougi::okCancel(const std::string& s, const std::string& title) {
  Hako h(*this);
  return gamen_.okCancel(s, title);
}

void Syougi::Form_Load() {
  gamen_.miseru("Command1", false);
  gamen_.miseru("Command3", false);
  gamen_.miseru("Command4", false);
}

bool Syougi::Form_Unload() {
  if (game.zyoutai == 0) return false;
  return !hai("対局中です。終了しますか？");
}

void Syougi::kaisisennte_Click() {
  game.kaisitoki = static_cast<float>(gamen_.zikoku());
  game.tebannmei = "You";
  youi();
  gamen_.kaisi(false);
  game.zyoutai = 1;
  game.ikeru.fill(0);
}

void Syougi::kaisigote_Click() {
  game.kaisitoki = static_cast<float>(gamen_.zikoku());
  game.tebannmei = "Com";
  youi();
  gamen_.kaisi(false);
  game.zyoutai = 0;
  game.ikeru.fill(0);
  torisirabe(game);
  gamen_.taimaa(50);
}

void Syougi::youi() {
  const double now = gamen_.zikoku();
  if (computer_) computer_->youi(static_cast<uint32_t>(now * 1000.0));
  game.aru.fill(SOTO);
  game.arull.fill(0);
  // The history is cleared whole: element by element it cost more than the
  // rest of the start of a game.
  std::memset(game.rekiaru.data(), 0, sizeof game.rekiaru);
  std::memset(game.rekiarull.data(), 0, sizeof game.rekiarull);
  game.rekitoki1.fill(0);
  game.rekitoki2.fill(0);
  syokihaiti(game.aru, game.arull);
  game.tesuu = 1;
  teban = 1;
  sennkei = "mitei";
  kifu.clear();
  gamen_.text("kifu", kifu);
  gamen_.text("tokipl1l", "0");
  gamen_.text("tokipl2l", "0");
  kakikomu("tusin.txt", kCrLf);
  for (int c = 0; c < 100; ++c) game.rekiaru[0][c] = game.aru[c];
  for (int c = 0; c < 29; ++c) game.rekiarull[0][c] = game.arull[c];
  gamen_.sennKakusu(Senn::senn1);
  gamen_.sennKakusu(Senn::senn11);
  gamen_.sennKakusu(Senn::senn2);
  menuItem("touryou", true);
  // Navigation belongs to a finished game. Resigning while the start panel
  // showed would leave it enabled into the next game, where ">" would copy
  // an empty history entry onto the board.
  kirokuMenu(false);
  arawasu();
}

void Syougi::arawasu() {
  // Runs after every move: the label names and small counts are made once.
  static const auto kNa = [] {
    std::array<std::string, 29> n;
    for (int h = 0; h < 29; ++h) n[h] = "l" + std::to_string(h);
    return n;
  }();
  static const auto kKazu = [] {
    std::array<std::string, 19> k;
    for (int c = 0; c < 19; ++c) k[c] = c ? std::to_string(c) : "";
    return k;
  }();
  static const std::string kTebann = "tebannl", kTesuu = "tesuul";
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) gamen_.e(f * 10 + r, game.aru[f * 10 + r]);
  for (int side = 1; side <= 2; ++side) {
    for (int k = 2; k <= 8; ++k) {
      const int h = side * 10 + k;
      const int32_t n = game.arull[h];
      gamen_.e(side * 100 + k, n != 0 ? side * 100 + k : 0);
      gamen_.text(kNa[h], n >= 0 && n < 19 ? kKazu[n] : std::to_string(n));
    }
  }
  gamen_.text(kTebann, game.tebannmei);
  gamen_.text(kTesuu, std::to_string(game.tesuu));
}

void Syougi::e_MouseDown(int i) {
  Game& g = game;
  const bool square = isSquare(i);
  const bool hand = i >= 102 && i <= 108;
  if (g.zyoutai == 0) {
    gamen_.beep();
    return;
  }
  if (!square && !hand) {  // nothing else is clickable
    gamen_.beep();
    return;
  }
  if (g.zyoutai == 1 && square && !isOwn(g.aru[i])) {
    gamen_.beep();
    return;
  }
  if (g.zyoutai == 2 && i == g.sentaku) {
    gamen_.sennKakusu(Senn::senn1);
    gamen_.sennKakusu(Senn::senn11);
    g.zyoutai = 1;
    return;
  }
  if (hand && g.arull[i - 90] == 0) {
    gamen_.sennKakusu(Senn::senn1);
    gamen_.sennKakusu(Senn::senn11);
    g.zyoutai = 1;
    gamen_.beep();
    return;
  }
  if (hand || isOwn(g.aru[i])) {
    if (hand) {
      gamen_.sennMiseru(Senn::senn11, i);
      gamen_.sennKakusu(Senn::senn1);
    } else {
      gamen_.sennMiseru(Senn::senn1, i);
      gamen_.sennKakusu(Senn::senn11);
    }
    g.zyoutai = 2;
    g.sentaku = static_cast<int16_t>(i);
    ikerusirabe(g.aru, g.arull, i, g.ikeru);
    // A pawn drop that mates is not a move; the link's moves come this way too.
    if (i == 100 + FU)
      for (int q = 11; q <= 99; ++q)
        if (g.ikeru[q] == 1 && utifuzume(g.aru, g.arull, Te{i, q, false})) g.ikeru[q] = 0;
    return;
  }

  // A move attempt onto square i.
  if (g.ikeru[i] != 1) {
    gamen_.sennKakusu(Senn::senn1);
    gamen_.sennKakusu(Senn::senn11);
    g.zyoutai = 1;
    gamen_.beep();
    return;
  }
  if (g.tesuu > kRekiMax) {  // the history has no room for this move
    gamen_.sennKakusu(Senn::senn1);
    gamen_.sennKakusu(Senn::senn11);
    g.zyoutai = 1;
    msgbox("手数が上限の" + std::to_string(kRekiMax) + "手に達したため、これ以上指せません。");
    return;
  }
  const int s = g.sentaku;
  const bool drop = s > 100;
  bool naru = false;
  if (!drop) {
    const int32_t c = g.aru[s];
    const Nari nari = nariKubun(c, s, i);
    const std::string* m = zyusinmsg;
    if (gamen_.zidou() && m && m->size() >= 7 && m->back() == '\n') {
      // A received move names the piece after it; a name that is neither the
      // moving piece nor its promotion (inside the zone) is a wrong move. A
      // forced promotion stands whatever the name.
      KirokuTe uketa;
      const std::string_view text(m->data(), m->size() - 1);  // without the LF
      const int32_t k = kirokuTeWakeru(text, uketa) == KirokuKekka::kOk ? uketa.kind : 0;
      const bool nariNa = k != 0 && nari != Nari::kNone && k == kindOf(c) + 10;
      if (k == 0 || (k != kindOf(c) && !nariNa)) {
        gamen_.sennKakusu(Senn::senn1);
        gamen_.sennKakusu(Senn::senn11);
        g.zyoutai = 1;
        gamen_.beep();
        return;
      }
      naru = nari == Nari::kForced || nariNa;
    } else if (gamen_.zidou()) {
      naru = nari == Nari::kForced;
    } else {
      naru = nari == Nari::kForced || (nari == Nari::kChoice && hai("成りますか？"));
    }
  }
  sasu1(g.aru, g.arull, s, i, naru);
  zenntelMiseru(std::to_string(i) + kanjiOf(g.aru[i]));
  g.sasite = recordNameOf(g.aru[i]);

  torisirabe(g);
  if (g.toripl2[g.oupl1] != 0) {
    for (int c = 0; c < 100; ++c) g.aru[c] = g.rekiaru[g.tesuu - 1][c];
    for (int c = 0; c < 29; ++c) g.arull[c] = g.rekiarull[g.tesuu - 1][c];
    zenntelMiseru("---");
    arawasu();
    gamen_.beep();
    return;
  }

  const double now = gamen_.zikoku();
  const int d = kirokuSuru(s, i, true, now);
  g.rekitoki1[g.tesuu] = g.tesuu < 3 ? d : d + g.rekitoki1[g.tesuu - 2];
  g.kaisitoki = static_cast<float>(now);
  gamen_.text("tokipl1l", std::to_string(g.rekitoki1[g.tesuu]));

  gamen_.sennKakusu(Senn::senn1);
  gamen_.sennKakusu(Senn::senn11);
  gamen_.sennKakusu(Senn::senn2);
  g.zyoutai = 0;
  g.tesuu += 1;
  g.tebannmei = "Com";
  arawasu();
  gamen_.taimaa(10);
}

int Syougi::kirokuSuru(int moto, int saki, bool user, double now) {
  Game& g = game;
  // The record numbers the squares from the first player's side; the board
  // has the user at the bottom.
  const bool sente = g.tesuu % 2 == 1;
  auto kiroku = [&](int sq) { return sente == user ? sq : 110 - sq; };
  g.sasite = kirokuTeKaku(sente, moto > 100 ? 0 : kiroku(moto), kiroku(saki), g.aru[saki]);
  const int d = keika(now);
  if (g.tesuu > 1) kifu += kCrLf;
  kifu += "T" + std::to_string(d) + kCrLf + g.sasite;
  gamen_.text("kifu", kifu);

  for (int c = 0; c < 100; ++c) g.rekiaru[g.tesuu][c] = g.aru[c];
  for (int c = 0; c < 29; ++c) g.rekiarull[g.tesuu][c] = g.arull[c];
  return d;
}

void Syougi::t_Timer() {
  // Off before the move, so that one arming gives one move; a tick inside
  // a box (Com's own included) waits until the box has closed.
  gamen_.taimaa(0);
  if (hako_ > 0) {
    tickMatu_ = true;
    return;
  }
  Com();
}

bool Syougi::tadasiiTe(int32_t moto, int32_t saki) const {
  const int to = saki > 100 ? saki - 100 : saki;
  if (!isSquare(to) || sideOf(game.aru[to]) == 2) return false;
  if (moto > 100) return moto >= 202 && moto <= 208 && saki < 100 && game.aru[to] == 0 &&
                         game.arull[moto - 180] > 0;
  if (!isSquare(moto) || sideOf(game.aru[moto]) != 2) return false;
  const int k = kindOf(game.aru[moto]);
  return saki < 100 || (k != OU && k != KI && k < 10);  // only unpromoted pieces promote
}

void Syougi::Com() {
  if (!computer_) return;
  Game& g = game;
  if (g.tesuu > kRekiMax) {
    msgbox("手数が上限の" + std::to_string(kRekiMax) + "手に達したため、対局を終了します。");
    owari();
    return;
  }
  const ComKekka k = computer_->erabu(g, g.tesuu);
  int32_t moto = k.moto;
  int32_t saki = k.saki;
  sennkei = k.sennkei;
  teban = k.teban;
  if (k.searched)
    for (int n = 0; n < 13; ++n) gamen_.text("ko" + std::to_string(n), k.ko[n]);

  if (k.saikou1 < -30000) {
    kifu += std::string(kCrLf) + "%TORYO";
    gamen_.text("kifu", kifu);
    if (gamen_.zidou() && sousin) sousin("%TORYO");
    msgbox("あなたの勝ちです");
    owari();
    return;
  }
  if (!tadasiiTe(moto, saki)) {  // never write a broken move into the arrays
    msgbox("コンピュータの指し手が不正なため、対局を終了します。");
    owari();
    return;
  }

  if (saki > 100) {
    g.aru[moto] += 10;
    saki -= 100;
  }
  const int32_t cap = g.aru[saki];
  if (sideOf(cap) == 1 && cap != 101) g.arull[20 + cap % 10] += 1;
  g.aru[saki] = moto < 100 ? g.aru[moto] : moto;
  if (moto < 100)
    g.aru[moto] = 0;
  else
    g.arull[g.aru[saki] - 180] -= 1;
  zenntelMiseru(std::to_string(saki) + kanjiOf(g.aru[saki]));

  const double now = gamen_.zikoku();
  const int d = kirokuSuru(moto, saki, false, now);
  g.rekitoki2[g.tesuu] = d + (g.tesuu > 2 ? g.rekitoki2[g.tesuu - 2] : 0);
  g.kaisitoki = static_cast<float>(now);
  gamen_.text("tokipl2l", std::to_string(g.rekitoki2[g.tesuu]));

  g.zyoutai = 1;
  g.tesuu += 1;
  g.tebannmei = "You";
  gamen_.sennMiseru(Senn::senn2, saki);
  arawasu();
  gamen_.text("sennkeil", sennkei);
  gamen_.text("hannl", std::to_string(teban));
  if (gamen_.zidou() && sousin) sousin(g.sasite);
}

void Syougi::touryou_Click() {
  if (!touryouOn_) return;
  kifu += std::string(kCrLf) + "%TORYO";
  gamen_.text("kifu", kifu);
  msgbox("コンピュータの勝ちです");
  owari();
}

void Syougi::owari() {
  // A reply still pending must not be played into a finished game.
  gamen_.taimaa(0);
  arawasu();
  game.zyoutai = 0;
  game.tebannmei.clear();
  menuItem("touryou", false);
  zenntelMiseru("---");
  kirokuMenu(true);
  gamen_.sennKakusu(Senn::senn1);
  gamen_.sennKakusu(Senn::senn2);
  gamen_.sennKakusu(Senn::senn11);
  if (game.tesuu <= kRekiMax) game.rekiaru[game.tesuu][11] = 999;
}

void Syougi::saisenn_Click() {
  gamen_.taimaa(0);
  gamen_.kaisi(true);
  kirokuMenu(false);
}

void Syougi::miseruKyokumenn(int k) {
  for (int c = 0; c < 100; ++c) game.aru[c] = game.rekiaru[k][c];
  for (int c = 0; c < 29; ++c) game.arull[c] = game.rekiarull[k][c];
  gamen_.text("tokipl1l", std::to_string(game.rekitoki1[k]));
  gamen_.text("tokipl2l", std::to_string(game.rekitoki2[k]));
  arawasu();
}

void Syougi::makimodosi2_Click() {
  if (!navOn_) return;
  game.tesuu = 0;
  miseruKyokumenn(0);
}

void Syougi::makimodosi_Click() {
  if (!navOn_) return;
  if (game.tesuu == 0) {
    gamen_.beep();
    return;
  }
  game.tesuu -= 1;
  miseruKyokumenn(game.tesuu);
}

void Syougi::saisei_Click() {
  if (!navOn_) return;
  const int t = game.tesuu;
  // Past the end of the history counts as the end of the game.
  if (t + 1 > kRekiMax || game.rekiaru[t + 1][11] == 999 || game.rekiaru[t][11] == 999) {
    gamen_.beep();
    return;
  }
  game.tesuu += 1;
  miseruKyokumenn(game.tesuu);
}

void Syougi::modosu_Click() {
  Game& g = game;
  if (g.tesuu <= 2 || g.zyoutai == 0) {
    gamen_.beep();
    return;
  }
  kifu += std::string(kCrLf) + "%MATTA";
  gamen_.text("kifu", kifu);
  if (g.tesuu == 3) {
    g.tesuu = 1;
    youi();
    arawasu();
  } else {
    g.tesuu -= 2;
    const int t = g.tesuu;
    for (int c = 0; c < 100; ++c) g.aru[c] = g.rekiaru[t - 1][c];
    for (int c = 0; c < 29; ++c) g.arull[c] = g.rekiarull[t - 1][c];
    g.rekitoki1[t] = g.rekitoki1[t - 2];
    g.rekitoki2[t] = g.rekitoki2[t - 1];
    gamen_.text("tokipl1l", std::to_string(g.rekitoki1[t - 2]));
    gamen_.text("tokipl2l", std::to_string(g.rekitoki2[t - 1]));
  }
  zenntelMiseru("---");
  arawasu();
  gamen_.sennKakusu(Senn::senn1);
  gamen_.sennKakusu(Senn::senn11);
  gamen_.sennKakusu(Senn::senn2);
  g.zyoutai = 1;
  g.kaisitoki = static_cast<float>(gamen_.zikoku());
}

void Syougi::hozonn_Click() { kakikomu("kifu.csa", kifu + kCrLf); }

void Syougi::yomikomi_Click() {
  const std::string path = gamen_.fairuErabu();
  if (!path.empty()) hiraku(path);
}

bool Syougi::hiraku(const std::string& path) {
  KifuAyamari err;
  const std::optional<KifuKiroku> kf = kifuFairuYomu(path, err);
  if (!kf) {
    msgbox(path + " を開けません。\n" + (err.gyou > 0 ? std::to_string(err.gyou) + "行目: " : "") + err.why);
    return false;
  }
  Game& g = game;
  const int n = static_cast<int>(kf->te.size());
  const bool owatta = kf->owatta();
  // The user is always at the bottom. An unfinished game goes on with the
  // user to move, so after an odd number of moves the user is the second
  // player and the board is turned as in a game the computer began; a
  // finished one is shown from the first player's side.
  const bool userSente = owatta || n % 2 == 0;
  gamen_.taimaa(0);
  youi();
  Kyokumen k;
  hirate(k);
  int goukei[2] = {0, 0};  // user, computer
  for (int t = 1; t <= n; ++t) {
    const KifuSasite& te = kf->te[t - 1];
    KirokuTe kt;
    kirokuTeSasu(k, te.csa, Utifuzume::kYurusu, kt);  // read and checked already
    if (userSente)
      g.aru = k.aru, g.arull = k.arull;
    else
      hanten(k.aru, k.arull, g.aru, g.arull);
    for (int c = 0; c < 100; ++c) g.rekiaru[t][c] = g.aru[c];
    for (int c = 0; c < 29; ++c) g.rekiarull[t][c] = g.arull[c];
    const bool user = (t % 2 == 1) == userSente;
    goukei[user ? 0 : 1] += te.byou;
    (user ? g.rekitoki1 : g.rekitoki2)[t] = goukei[user ? 0 : 1];
    // The window writes at least one second for a move.
    if (t > 1) kifu += kCrLf;
    kifu += "T" + std::to_string(std::max(te.byou, 1)) + kCrLf + te.csa;
  }
  if (kf->toryo) kifu += std::string(kCrLf) + "%TORYO";
  g.tesuu = n + 1;
  gamen_.text("kifu", kifu);
  gamen_.text("tokipl1l", std::to_string(goukei[0]));
  gamen_.text("tokipl2l", std::to_string(goukei[1]));
  gamen_.kaisi(false);
  g.ikeru.fill(0);
  if (owatta) {
    owari();
    return true;
  }
  g.zyoutai = 1;
  g.tebannmei = "You";
  torisirabe(g);
  if (n > 0) {
    const int saki = userSente ? kf->te.back().saki : 110 - kf->te.back().saki;
    zenntelMiseru(std::to_string(saki) + kanjiOf(g.aru[saki]));
    gamen_.sennMiseru(Senn::senn2, saki);
  }
  arawasu();
  g.kaisitoki = static_cast<float>(gamen_.zikoku());
  return true;
}

void Syougi::kyokumdenn_Click() {
  men.clear();
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) {
      const int sq = f * 10 + r;
      men += "aru(" + std::to_string(sq) + ") = " + std::to_string(game.aru[sq]) + kCrLf;
    }
  for (int side = 1; side <= 2; ++side)
    for (int k = 2; k <= 8; ++k) {
      const int h = side * 10 + k;
      men += "arull(" + std::to_string(h) + ") = " + std::to_string(game.arull[h]) + kCrLf;
    }
  gamen_.text("men", men);
  kakikomu("men.txt", men + kCrLf);
}

bool Syougi::kakikomu(const char* name, const std::string& data) {
  // The text goes out in one write, so the stream needs no buffer of its own.
  std::ofstream f;
  f.rdbuf()->pubsetbuf(nullptr, 0);
  f.open(name, std::ios::binary | std::ios::trunc);
  if (f) f.write(data.data(), static_cast<std::streamsize>(data.size()));
  if (f) f.close();
  if (!f) {
    msgbox(std::string(name) + " に書き込めません。");
    return false;
  }
  return true;
}

void Syougi::zenntelMiseru(const std::string& s) {
  zenntel = s;
  gamen_.text("zenntel", s);
}

void Syougi::kirokuMenu(bool enabled) {
  menuItem("makimodosi", enabled);
  menuItem("makimodosi2", enabled);
  menuItem("saisei", enabled);
}

void Syougi::menuItem(const std::string& name, bool enabled) {
  if (name == "touryou") touryouOn_ = enabled;
  if (name == "saisei") navOn_ = enabled;
  gamen_.menu(name, enabled);
}

int Syougi::keika(double now) const {
  // Both times as the single-precision clock holds them. Only a jump back of
  // more than half a day is midnight; a clock set back a little counts as
  // no time at all.
  double d = static_cast<double>(static_cast<float>(now)) - static_cast<double>(game.kaisitoki);
  if (d < -43200.0)
    d += 86400.0;
  else if (d < 0)
    d = 0;
  return static_cast<int>(std::floor(d)) + 1;
}

}  // namespace syougi
