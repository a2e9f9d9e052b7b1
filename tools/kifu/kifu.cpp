#include "tools/kifu/kifu.h"

#include <algorithm>
#include <cstdio>

#include "model/board.h"
#include "model/game.h"
#include "model/kiroku.h"
#include "model/kyokumen.h"

namespace syougi::kifu {

namespace {

std::string niketa(int v) { return {char('0' + v / 10 % 10), char('0' + v % 10)}; }

}  // namespace

std::string csaKaku(const Kifu& k, const std::string& sente, const std::string& gote) {
  std::string s = "V2.2\nN+" + sente + "\nN-" + gote + "\nPI\n+\n";
  for (const Sasite& t : k.te) s += t.csa + "\nT" + std::to_string(t.byou) + "\n";
  if (!k.owari.empty()) s += k.owari + "\n";
  return s;
}

namespace {

const char* const kSuji[10] = {"", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
const char* const kDan[10] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};

const char* komaKanji(int kind) {
  switch (kind) {
    case OU: return "玉";
    case HI: return "飛";
    case KA: return "角";
    case KI: return "金";
    case GI: return "銀";
    case KE: return "桂";
    case KY: return "香";
    case FU: return "歩";
    case RY: return "龍";
    case UM: return "馬";
    case NG: return "成銀";
    case NK: return "成桂";
    case NY: return "成香";
    case TO: return "と";
  }
  return "";
}

// Columns on screen: the Japanese characters are two wide.
int haba(const std::string& s) {
  int w = 0;
  for (unsigned char c : s) {
    if (c < 0x80) w += 1;
    else if (c >= 0xc0) w += 2;
  }
  return w;
}

std::string fun(int byou) {
  char b[16];
  std::snprintf(b, sizeof b, "%2d:%02d", byou / 60, byou % 60);
  return b;
}

std::string zikan(int byou) {
  char b[24];
  std::snprintf(b, sizeof b, "%02d:%02d:%02d", byou / 3600, byou / 60 % 60, byou % 60);
  return b;
}

// The KIF word of an end other than a resignation.
const char* kifOwari(const std::string& csa) {
  static const char* const kOwari[][2] = {{"%CHUDAN", "中断"},     {"%SENNICHITE", "千日手"}, {"%TSUMI", "詰み"},
                                          {"%JISHOGI", "持将棋"},  {"%TIME_UP", "切れ負け"}, {"%ILLEGAL_MOVE", "反則負け"},
                                          {"%KACHI", "入玉勝ち"}, {"%FUZUMI", "不詰"}};
  for (const auto& o : kOwari)
    if (csa == o[0]) return o[1];
  return nullptr;
}

std::string gyou(int n, const std::string& te, int byou, int goukei) {
  char no[16];
  std::snprintf(no, sizeof no, "%4d ", n);
  std::string s = no + te;
  s += std::string(std::max(1, 13 - haba(te)), ' ');
  return s + "(" + fun(byou) + "/" + zikan(goukei) + ")\n";
}

}  // namespace

std::string kifTe(const Sasite& s, int mae) {
  std::string t = s.saki == mae ? std::string("同　")
                                : std::string(kSuji[s.saki / 10]) + kDan[s.saki % 10];
  t += komaKanji(s.kind);
  if (s.moto == 0) return t + "打";
  // A declined promotion is left unmarked, as readers of KIF expect.
  if (s.naru) t += "成";
  return t + "(" + niketa(s.moto) + ")";
}

std::string kifKaku(const Kifu& k, const std::string& sente, const std::string& gote) {
  std::string s = "#KIF version=2.0 encoding=UTF-8\n手合割：平手\n先手：" + sente + "\n後手：" + gote +
                  "\n手数----指手---------消費時間--\n";
  int goukei[2] = {0, 0};
  int mae = 0;
  for (size_t n = 0; n < k.te.size(); ++n) {
    const Sasite& t = k.te[n];
    goukei[n % 2] += t.byou;
    s += gyou(static_cast<int>(n) + 1, kifTe(t, mae), t.byou, goukei[n % 2]);
    mae = t.saki;
  }
  const size_t n = k.te.size();
  if (const char* w = kifOwari(k.owari); w && !k.toryo) s += gyou(static_cast<int>(n) + 1, w, 0, goukei[n % 2]);
  if (k.toryo) {
    s += gyou(static_cast<int>(n) + 1, "投了", 0, goukei[n % 2]);
    // The side to move resigned; the one that made the last move wins.
    s += "まで" + std::to_string(n) + "手で" + (n % 2 == 1 ? "先手" : "後手") + "の勝ち\n";
  }
  return s;
}

}  // namespace syougi::kifu
