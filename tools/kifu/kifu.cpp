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

// The line as it can be shown in a message.
std::string miseru(const std::string& l) {
  std::string s;
  for (char c : l.substr(0, 24)) s += (c >= 0x20 && c < 0x7f) ? c : '?';
  return "\"" + s + (l.size() > 24 ? "...\"" : "\"");
}

// Checks the move line `l` against position `k` by the window's own rules and
// plays it. Empty on success, else why it cannot be this move.
std::string sasu(Kyokumen& k, const std::string& l, Sasite& s) {
  KirokuTe t;
  const KirokuKekka r = kirokuTeSasu(k, l, Utifuzume::kYurusu, t);
  s = Sasite{l, 0, t.moto, t.saki, t.koma, t.te.naru, t.narazu};
  const std::string name = l.size() == 7 ? l.substr(5) : "";
  const std::string mae = t.koma ? recordNameOf(100 + t.koma) : "";
  switch (r) {
    case KirokuKekka::kOk:
      return {};
    case KirokuKekka::kNagasa:
    case KirokuKekka::kSuuji:
      return "a move is a sign, two squares and a piece name, like +7776FU: " + miseru(l);
    case KirokuKekka::kFugou:
      return "move " + std::to_string(k.tesuu) + " is the " + (k.gote ? "second" : "first") +
             " player's and begins with " + (k.gote ? '-' : '+') + ": " + miseru(l);
    case KirokuKekka::kNamae:
      return "no piece is named " + miseru(name);
    case KirokuKekka::kSakiMasu:
      return "no square " + niketa(t.saki) + ": " + miseru(l);
    case KirokuKekka::kUtenaiKoma:
      return "only an unpromoted piece other than the king is dropped: " + miseru(l);
    case KirokuKekka::kMotoMasu:
      return "no square " + niketa(t.moto) + ": " + miseru(l);
    case KirokuKekka::kMotiNasi:
      return "the mover has no " + name + " in hand: " + miseru(l);
    case KirokuKekka::kNifu:
    case KirokuKekka::kUtenaiMasu:
      return name + " cannot be dropped on " + niketa(t.saki) + ": " + miseru(l);
    case KirokuKekka::kKomaNasi:
      return "the mover has no piece on " + niketa(t.moto) + ": " + miseru(l);
    case KirokuKekka::kKomaTigau:
      return "the piece on " + niketa(t.moto) + " is " + mae + ", not " + name + ": " + miseru(l);
    case KirokuKekka::kIkenai:
      return mae + " on " + niketa(t.moto) + " cannot move to " + niketa(t.saki) + ": " + miseru(l);
    case KirokuKekka::kNarenai:
      return mae + " cannot promote moving from " + niketa(t.moto) + " to " + niketa(t.saki) + ": " +
             miseru(l);
    case KirokuKekka::kNaruBeki:
      return mae + " must promote on " + niketa(t.saki) + ": " + miseru(l);
    case KirokuKekka::kOute:
    case KirokuKekka::kUtifuzume:
      break;
  }
  return "the move leaves the mover's own king in check: " + miseru(l);
}

}  // namespace

std::optional<Kifu> yomu(const std::string& text, Ayamari& err) {
  auto fail = [&](size_t i, std::string why) -> std::optional<Kifu> {
    err = Ayamari{static_cast<int>(i) + 1, std::move(why)};
    return std::nullopt;
  };
  if (text.empty()) return fail(0, "the file is empty; a saved record holds at least a line break");
  // Lines end in CR LF as the window writes them; a copy that lost its CRs
  // reads the same.
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t nl = text.find('\n', at);
    std::string l = text.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(std::move(l));
    if (nl == std::string::npos) break;
    at = nl + 1;
  }

  Kifu kf;
  std::vector<Kyokumen> men(1);  // men[n]: the position after n moves
  hirate(men[0]);
  size_t i = 0;
  // An empty first line: an empty record, or one that begins with a special line.
  if (lines[0].empty()) {
    if (lines.size() > 1 && lines[1].rfind('%', 0) != 0) return fail(0, "an empty line before a move");
    i = 1;
  }
  for (; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (kf.toryo) return fail(i, "a line after the resignation %TORYO: " + miseru(l));
    if (l == "%TORYO") {
      kf.toryo = true;
    } else if (l == "%MATTA") {
      // Two moves back is refused before move 3; from there the window
      // restarts the game instead of recording it.
      if (kf.te.size() < 3) return fail(i, "%MATTA (two moves taken back) with fewer than three moves played");
      kf.te.resize(kf.te.size() - 2);
      men.resize(men.size() - 2);
    } else if (l.size() > 1 && l[0] == 'T') {
      if (l.size() > 7 || l[1] == '0' || l.find_first_not_of("0123456789", 1) != std::string::npos)
        return fail(i, "a time line is T and the seconds, at least 1: " + miseru(l));
      if (i + 1 >= lines.size() || lines[i + 1].empty() || (lines[i + 1][0] != '+' && lines[i + 1][0] != '-'))
        return fail(i, "a time line that no move follows: " + miseru(l));
      if (kf.te.size() >= static_cast<size_t>(kRekiMax))
        return fail(i + 1, "a move after move " + std::to_string(kRekiMax) + ", where the program stops");
      Kyokumen k = men.back();
      Sasite s;
      const std::string why = sasu(k, lines[i + 1], s);
      if (!why.empty()) return fail(i + 1, why);
      s.byou = std::stoi(l.substr(1));
      kf.te.push_back(s);
      men.push_back(k);
      ++i;
    } else if (l.empty()) {
      return fail(i, "an empty line");
    } else if (l[0] == '+' || l[0] == '-') {
      return fail(i, "a move without the time line before it: " + miseru(l));
    } else {
      return fail(i, "not a line of a saved record: " + miseru(l));
    }
  }
  return kf;
}

std::string csaKaku(const Kifu& k, const std::string& sente, const std::string& gote) {
  std::string s = "V2.2\nN+" + sente + "\nN-" + gote + "\nPI\n+\n";
  for (const Sasite& t : k.te) s += t.csa + "\nT" + std::to_string(t.byou) + "\n";
  if (k.toryo) s += "%TORYO\n";
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
  if (s.naru) t += "成";
  if (s.narazu) t += "不成";
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
  if (k.toryo) {
    const size_t n = k.te.size();
    s += gyou(static_cast<int>(n) + 1, "投了", 0, goukei[n % 2]);
    // The side to move resigned; the one that made the last move wins.
    s += "まで" + std::to_string(n) + "手で" + (n % 2 == 1 ? "先手" : "後手") + "の勝ち\n";
  }
  return s;
}

}  // namespace syougi::kifu
