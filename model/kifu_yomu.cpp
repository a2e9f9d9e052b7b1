#include "model/kifu_yomu.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "model/board.h"
#include "model/game.h"
#include "model/kiroku.h"
#include "model/kyokumen.h"

namespace syougi {

namespace {

std::string niketa(int v) { return {char('0' + v / 10 % 10), char('0' + v % 10)}; }

// The line as it can be shown in a message: at most 24 characters, UTF-8
// kept whole, other bytes outside ASCII as '?'.
std::string miseru(std::string_view l) {
  std::string s;
  size_t n = 0, at = 0;
  for (; at < l.size() && n < 24; ++n) {
    const unsigned char c = l[at];
    const size_t len = c < 0x80 ? 1 : (c & 0xe0) == 0xc0 ? 2 : (c & 0xf0) == 0xe0 ? 3 : (c & 0xf8) == 0xf0 ? 4 : 0;
    bool whole = len > 1 && at + len <= l.size();
    for (size_t k = 1; whole && k < len; ++k) whole = (static_cast<unsigned char>(l[at + k]) & 0xc0) == 0x80;
    if (whole) {
      s.append(l.substr(at, len));
      at += len;
    } else {
      s += (c >= 0x20 && c < 0x7f) ? char(c) : '?';
      ++at;
    }
  }
  return "\"" + s + (at < l.size() ? "...\"" : "\"");
}

// Checks the move line `l` against position `k` by the window's own rules and
// plays it. Empty on success, else why it cannot be this move.
std::string sasu(Kyokumen& k, const std::string& l, KifuSasite& s) {
  KirokuTe t;
  // The rules forbid mating by a pawn drop; the window refuses it too, so a
  // record that holds one was saved before it did.
  const KirokuKekka r = kirokuTeSasu(k, l, Utifuzume::kKinsi, t);
  s = KifuSasite{l, 0, t.moto, t.saki, t.koma, t.te.naru, t.narazu};
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
    case KirokuKekka::kUtifuzume:
      return "a pawn drop that mates: " + miseru(l);
    case KirokuKekka::kOute:
      break;
  }
  return "the move leaves the mover's own king in check: " + miseru(l);
}

using Gyou = std::vector<std::string>;

struct Yomite {
  KifuAyamari& err;
  std::optional<KifuKiroku> fail(size_t i, std::string why) {
    err = KifuAyamari{static_cast<int>(i) + 1, false, std::move(why)};
    return std::nullopt;
  }
};

const std::string kIgai = "a move after move " + std::to_string(kRekiMax) + ", where the program stops";

// The window's own record: a time line before each move, %MATTA and %TORYO.
std::optional<KifuKiroku> jibunYomu(const Gyou& lines, Yomite y) {
  KifuKiroku kf;
  std::vector<Kyokumen> men(1);  // men[n]: the position after n moves
  hirate(men[0]);
  size_t i = 0;
  // An empty first line: an empty record, or one that begins with a special line.
  if (lines[0].empty()) {
    if (lines.size() > 1 && lines[1].rfind('%', 0) != 0) return y.fail(0, "an empty line before a move");
    i = 1;
  }
  for (; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (kf.toryo) return y.fail(i, "a line after the resignation %TORYO: " + miseru(l));
    if (l == "%TORYO") {
      kf.toryo = true;
      kf.owari = l;
    } else if (l == "%MATTA") {
      // Two moves back is refused before move 3; from there the window
      // restarts the game instead of recording it.
      if (kf.te.size() < 3) return y.fail(i, "%MATTA (two moves taken back) with fewer than three moves played");
      kf.te.resize(kf.te.size() - 2);
      men.resize(men.size() - 2);
    } else if (l.size() > 1 && l[0] == 'T') {
      if (l.size() > 7 || l[1] == '0' || l.find_first_not_of("0123456789", 1) != std::string::npos)
        return y.fail(i, "a time line is T and the seconds, at least 1: " + miseru(l));
      if (i + 1 >= lines.size() || lines[i + 1].empty() || (lines[i + 1][0] != '+' && lines[i + 1][0] != '-'))
        return y.fail(i, "a time line that no move follows: " + miseru(l));
      if (kf.te.size() >= static_cast<size_t>(kRekiMax)) return y.fail(i + 1, kIgai);
      Kyokumen k = men.back();
      KifuSasite s;
      const std::string why = sasu(k, lines[i + 1], s);
      if (!why.empty()) return y.fail(i + 1, why);
      s.byou = std::stoi(l.substr(1));
      kf.te.push_back(s);
      men.push_back(k);
      ++i;
    } else if (l.empty()) {
      return y.fail(i, "an empty line");
    } else if (l[0] == '+' || l[0] == '-') {
      return y.fail(i, "a move without the time line before it: " + miseru(l));
    } else {
      return y.fail(i, "not a line of a saved record: " + miseru(l));
    }
  }
  return kf;
}

// CSA special lines that end a game.
bool csaOwari(const std::string& s) {
  static const char* const kOwari[] = {"%TORYO",    "%CHUDAN",          "%SENNICHITE",      "%OUTE_SENNICHITE",
                                       "%JISHOGI",  "%KACHI",           "%HIKIWAKE",        "%TSUMI",
                                       "%FUZUMI",   "%ERROR",           "%TIME_UP",         "%ILLEGAL_MOVE",
                                       "%MAX_MOVES", "%+ILLEGAL_ACTION", "%-ILLEGAL_ACTION"};
  return std::find(std::begin(kOwari), std::end(kOwari), s) != std::end(kOwari);
}

std::string migiKezuru(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// A CSA record: header, comments, the start position, moves with their time
// lines, the end.
std::optional<KifuKiroku> csaYomu(const Gyou& lines, Yomite y) {
  // Rows 1..9 of the usual start position.
  static const char* const kHirate[9] = {
      "-KY-KE-GI-KI-OU-KI-GI-KE-KY", " * -HI *  *  *  *  * -KA *", "-FU-FU-FU-FU-FU-FU-FU-FU-FU",
      " *  *  *  *  *  *  *  *  *",  " *  *  *  *  *  *  *  *  *", " *  *  *  *  *  *  *  *  *",
      "+FU+FU+FU+FU+FU+FU+FU+FU+FU", " * +KA *  *  *  *  * +HI *", "+KY+KE+GI+KI+OU+KI+GI+KE+KY"};
  const std::string hoka = "another start position; only games from the usual one are read: ";
  KifuKiroku kf;
  Kyokumen k;
  hirate(k);
  int dan = 0;  // rows of the start position given one by one
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (l.empty() || l[0] == '\'') continue;
    for (size_t at = 0; at <= l.size();) {
      size_t comma = l.find(',', at);
      if (comma == std::string::npos) comma = l.size();
      const std::string s = l.substr(at, comma - at);
      at = comma + 1;
      const bool te = s.size() > 1 && (s[0] == '+' || s[0] == '-');
      if (!kf.owari.empty() && (te || s[0] == 'T' || s[0] == '%'))
        return y.fail(i, "a line after the end " + kf.owari + ": " + miseru(s));
      if (s.empty()) {
        return y.fail(i, "an empty statement between commas: " + miseru(l));
      } else if (s[0] == 'V' || s[0] == 'N' || s[0] == '$') {
        if (!kf.te.empty()) return y.fail(i, "a header line after the first move: " + miseru(s));
      } else if (s.rfind("PI", 0) == 0) {
        if (s.size() > 2) return y.fail(i, "a handicap (pieces taken off the start position): " + miseru(s));
      } else if (s.size() >= 2 && s[0] == 'P' && s[1] >= '1' && s[1] <= '9') {
        if (migiKezuru(s.substr(2)) != kHirate[s[1] - '1']) return y.fail(i, hoka + miseru(s));
        ++dan;
      } else if (s.size() >= 2 && s[0] == 'P' && (s[1] == '+' || s[1] == '-')) {
        if (s.size() > 2) return y.fail(i, hoka + miseru(s));
      } else if (s == "+" || s == "-") {
        if (s == "-") return y.fail(i, hoka + "the second player moves first");
        if (dan != 0 && dan != 9) return y.fail(i, "the start position lacks rows: " + std::to_string(dan) + " of 9");
      } else if (te) {
        if (kf.te.size() >= static_cast<size_t>(kRekiMax)) return y.fail(i, kIgai);
        KifuSasite m;
        const std::string why = sasu(k, s, m);
        if (!why.empty()) return y.fail(i, why);
        kf.te.push_back(m);
      } else if (s[0] == 'T') {
        if (kf.te.empty()) return y.fail(i, "a time line before the first move: " + miseru(s));
        if (s.size() < 2 || s.size() > 7 || s.find_first_not_of("0123456789", 1) != std::string::npos)
          return y.fail(i, "a time line is T and the seconds: " + miseru(s));
        kf.te.back().byou = std::stoi(s.substr(1));
      } else if (csaOwari(s)) {
        kf.owari = s;
        kf.toryo = s == "%TORYO";
      } else if (s == "/") {
        return y.fail(i, "a second game in the same file");
      } else {
        return y.fail(i, "not a line of a CSA record: " + miseru(s));
      }
    }
  }
  return kf;
}

bool hajimaru(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// Leading and trailing ASCII and full-width spaces off.
std::string_view kezuru(std::string_view s) {
  for (;;) {
    if (hajimaru(s, " ") || hajimaru(s, "\t"))
      s.remove_prefix(1);
    else if (hajimaru(s, "　"))
      s.remove_prefix(3);
    else
      break;
  }
  for (;;) {
    if (s.ends_with(' ') || s.ends_with('\t'))
      s.remove_suffix(1);
    else if (s.ends_with("　"))
      s.remove_suffix(3);
    else
      break;
  }
  return s;
}

// Takes a digit 1..9 off the front: ASCII, full-width or a kanji numeral.
int suujiToru(std::string_view& s, bool kanji) {
  if (!s.empty() && s[0] >= '1' && s[0] <= '9') {
    const int v = s[0] - '0';
    s.remove_prefix(1);
    return v;
  }
  static const char* const kZen[9] = {"１", "２", "３", "４", "５", "６", "７", "８", "９"};
  static const char* const kKan[9] = {"一", "二", "三", "四", "五", "六", "七", "八", "九"};
  for (int v = 0; v < 9; ++v)
    for (const char* d : {kZen[v], kanji ? kKan[v] : kZen[v]})
      if (hajimaru(s, d)) {
        s.remove_prefix(std::strlen(d));
        return v + 1;
      }
  return 0;
}

struct KifKoma {
  const char* na;
  int kind;
};
const KifKoma kKifKoma[] = {{"成銀", NG}, {"成桂", NK}, {"成香", NY}, {"玉", OU}, {"王", OU}, {"飛", HI}, {"角", KA},
                            {"金", KI},   {"銀", GI},   {"桂", KE},   {"香", KY}, {"歩", FU}, {"龍", RY}, {"竜", RY},
                            {"馬", UM},   {"と", TO},   {"全", NG},   {"圭", NK}, {"杏", NY}};

struct KifOwari {
  const char* na;
  const char* csa;
};
const KifOwari kKifOwari[] = {{"投了", "%TORYO"},     {"中断", "%CHUDAN"},     {"千日手", "%SENNICHITE"},
                              {"詰み", "%TSUMI"},     {"持将棋", "%JISHOGI"},  {"切れ負け", "%TIME_UP"},
                              {"反則負け", "%ILLEGAL_MOVE"}, {"入玉勝ち", "%KACHI"}, {"不詰", "%FUZUMI"}};

// The move part of a KIF move line as a CSA move line of the side to move
// of `k`; `mae` is the previous move's destination. Empty with `why` set
// when it is not a move.
std::string kifTeYomu(std::string_view m, const Kyokumen& k, int mae, std::string& why) {
  int saki = 0;
  if (hajimaru(m, "同")) {
    m.remove_prefix(3);
    m = kezuru(m);
    if (mae == 0) {
      why = "同 (the square of the move before) at the first move";
      return {};
    }
    saki = mae;
  } else {
    const int suji = suujiToru(m, false);
    const int dan = suji ? suujiToru(m, true) : 0;
    if (!dan) {
      why = "a move begins with its square, like ７六, or with 同";
      return {};
    }
    saki = suji * 10 + dan;
  }
  int kind = 0;
  for (const KifKoma& p : kKifKoma)
    if (hajimaru(m, p.na)) {
      kind = p.kind;
      m.remove_prefix(std::strlen(p.na));
      break;
    }
  if (!kind) {
    why = "no piece named after the square";
    return {};
  }
  bool naru = false, utu = false;
  if (hajimaru(m, "不成")) {
    m.remove_prefix(6);
  } else if (hajimaru(m, "成")) {
    m.remove_prefix(3);
    naru = true;
  } else if (hajimaru(m, "打")) {
    m.remove_prefix(3);
    utu = true;
  }
  int moto = 0;
  if (m.size() == 4 && m[0] == '(' && m[3] == ')' && m[1] >= '1' && m[1] <= '9' && m[2] >= '1' && m[2] <= '9' &&
      !utu) {
    moto = (m[1] - '0') * 10 + (m[2] - '0');
  } else if (!m.empty()) {
    why = "a move ends with its source square, like (77), or with 打";
    return {};
  }
  if (naru && (kind == OU || kind == KI || kind > 10)) {
    why = std::string(recordNameOf(100 + kind)) + " does not promote";
    return {};
  }
  return kirokuTeKaku(!k.gote, moto, saki, 100 + kind + (naru ? 10 : 0));
}

// The seconds of "( 0:05/00:00:05)", 0 without it.
bool kifZikan(std::string_view s, int& byou) {
  byou = 0;
  s = kezuru(s);
  if (s.ends_with('+')) s = kezuru(s.substr(0, s.size() - 1));  // a variation follows elsewhere
  if (s.empty()) return true;
  if (s[0] != '(' || !s.ends_with(')')) return false;
  s = kezuru(s.substr(1));
  int m = 0, n = 0;
  size_t at = 0;
  for (; at < s.size() && s[at] >= '0' && s[at] <= '9' && at < 6; ++at) m = m * 10 + (s[at] - '0');
  if (at == 0 || at + 3 > s.size() || s[at] != ':') return false;
  for (size_t k = at + 1; k < at + 3; ++k) {
    if (s[k] < '0' || s[k] > '9') return false;
    n = n * 10 + (s[k] - '0');
  }
  byou = m * 60 + n;
  return true;
}

// A KIF record (as UTF-8): header lines "key：value", comments, the move
// lines "number move (time)", the end; variations after the main line are
// left unread.
std::optional<KifuKiroku> kifYomu(const Gyou& lines, Yomite y) {
  const std::string hoka = "another start position; only games from the usual one are read: ";
  KifuKiroku kf;
  Kyokumen k;
  hirate(k);
  int mae = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view l = kezuru(lines[i]);
    if (l.empty() || l[0] == '#' || l[0] == '*' || l[0] == '&' || hajimaru(l, "＊") || hajimaru(l, "まで") ||
        hajimaru(l, "手数"))
      continue;
    if (hajimaru(l, "変化")) break;
    if (hajimaru(l, "先手番") || hajimaru(l, "後手番") || hajimaru(l, "上手番") || hajimaru(l, "下手番") ||
        l[0] == '|' || hajimaru(l, "+--") || hajimaru(l, "９ ８") || hajimaru(l, "９　８"))
      return y.fail(i, hoka + miseru(l));
    if (l[0] < '0' || l[0] > '9') {
      const size_t colon = l.find("：");
      if (colon == std::string_view::npos) {
        if (l.find(':') != std::string_view::npos) continue;  // a header written with an ASCII colon
        return y.fail(i, "not a line of a KIF record: " + miseru(l));
      }
      const std::string_view key = kezuru(l.substr(0, colon));
      const std::string_view val = kezuru(l.substr(colon + 3));
      if (key == "手合割" && val != "平手") return y.fail(i, "a handicap: " + miseru(l));
      if (key.ends_with("の持駒")) return y.fail(i, hoka + miseru(l));
      continue;
    }
    size_t at = 0;
    int no = 0;
    for (; at < l.size() && l[at] >= '0' && l[at] <= '9' && at < 5; ++at) no = no * 10 + (l[at] - '0');
    std::string_view rest = kezuru(l.substr(at));
    if (no != static_cast<int>(kf.te.size()) + 1)
      return y.fail(i, "move " + std::to_string(no) + " where move " + std::to_string(kf.te.size() + 1) +
                           " comes next: " + miseru(l));
    if (!kf.owari.empty()) return y.fail(i, "a line after the end " + miseru(lines[i]));
    // The move ends at the first space, or where the time follows its
    // source at once; "同　" holds a space of its own.
    size_t head = 0;
    if (hajimaru(rest, "同"))
      for (head = 3; head < rest.size();) {
        if (rest[head] == ' ') ++head;
        else if (hajimaru(rest.substr(head), "　")) head += 3;
        else break;
      }
    size_t end = head;
    while (end < rest.size() && rest[end] != ' ' && rest[end] != '\t' && !hajimaru(rest.substr(end), "　") &&
           !(rest[end] == '(' && end > 0 && rest[end - 1] == ')'))
      ++end;
    const std::string_view te = rest.substr(0, end);
    int byou = 0;
    if (!kifZikan(rest.substr(end), byou))
      return y.fail(i, "the time of a move is written ( m:ss/hh:mm:ss): " + miseru(l));
    bool owari = false;
    for (const KifOwari& o : kKifOwari)
      if (te == o.na) {
        kf.owari = o.csa;
        kf.toryo = kf.owari == "%TORYO";
        owari = true;
      }
    if (te == "反則勝ち") {
      // The side to move wins by the other side's foul.
      kf.owari = k.gote ? "%+ILLEGAL_ACTION" : "%-ILLEGAL_ACTION";
      owari = true;
    }
    if (owari) continue;
    if (kf.te.size() >= static_cast<size_t>(kRekiMax)) return y.fail(i, kIgai);
    std::string why;
    const std::string csa = kifTeYomu(te, k, mae, why);
    if (csa.empty()) return y.fail(i, why + ": " + miseru(l));
    KifuSasite s;
    why = sasu(k, csa, s);
    if (!why.empty()) return y.fail(i, why);
    s.byou = byou;
    kf.te.push_back(s);
    mae = s.saki;
  }
  return kf;
}

bool utf8Ka(std::string_view s) {
  for (size_t at = 0; at < s.size();) {
    const unsigned char c = s[at];
    const size_t len = c < 0x80 ? 1 : (c & 0xe0) == 0xc0 ? 2 : (c & 0xf0) == 0xe0 ? 3 : (c & 0xf8) == 0xf0 ? 4 : 0;
    if (len == 0 || at + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k)
      if ((static_cast<unsigned char>(s[at + k]) & 0xc0) != 0x80) return false;
    at += len;
  }
  return true;
}

void utf8Tasu(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xc0 | (c >> 6));
    out += char(0x80 | (c & 0x3f));
  } else {
    out += char(0xe0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3f));
    out += char(0x80 | (c & 0x3f));
  }
}

struct Sjis {
  uint16_t code;
  const char* utf8;
};
// The kanji and marks of records, by their Shift_JIS codes (sorted).
const Sjis kSjis[] = {
    {0x8140, "　"}, {0x8141, "、"}, {0x8142, "。"}, {0x8143, "，"}, {0x8144, "．"}, {0x8145, "・"},
    {0x8146, "："}, {0x8147, "；"}, {0x8148, "？"}, {0x8149, "！"}, {0x8151, "＿"}, {0x815B, "ー"},
    {0x815C, "―"}, {0x815D, "‐"}, {0x815E, "／"}, {0x815F, "＼"}, {0x8160, "～"}, {0x8162, "｜"},
    {0x8163, "…"}, {0x8164, "‥"}, {0x8165, "‘"}, {0x8166, "’"}, {0x8167, "“"}, {0x8168, "”"},
    {0x8169, "（"}, {0x816A, "）"}, {0x816D, "［"}, {0x816E, "］"}, {0x816F, "｛"}, {0x8170, "｝"},
    {0x8171, "〈"}, {0x8172, "〉"}, {0x8173, "《"}, {0x8174, "》"}, {0x8175, "「"}, {0x8176, "」"},
    {0x8177, "『"}, {0x8178, "』"}, {0x8179, "【"}, {0x817A, "】"}, {0x817B, "＋"}, {0x817C, "－"},
    {0x817D, "±"}, {0x817E, "×"}, {0x8180, "÷"}, {0x8181, "＝"}, {0x8182, "≠"}, {0x8183, "＜"},
    {0x8184, "＞"}, {0x8196, "＊"}, {0x81A2, "△"}, {0x81A3, "▲"}, {0x81A4, "▽"}, {0x81A5, "▼"},
    {0x81A6, "※"}, {0x88C7, "杏"}, {0x88CA, "位"}, {0x88EA, "一"}, {0x88F8, "引"}, {0x8945, "右"},
    {0x8962, "叡"}, {0x8984, "延"}, {0x89A4, "王"}, {0x89BA, "下"}, {0x89BB, "化"}, {0x89D7, "荷"},
    {0x8A4A, "開"}, {0x8A70, "角"}, {0x8A84, "割"}, {0x8AD4, "間"}, {0x8AF1, "寄"}, {0x8AFA, "期"},
    {0x8AFB, "棋"}, {0x8B4B, "規"}, {0x8B4C, "記"}, {0x8B6C, "詰"}, {0x8BC7, "局"}, {0x8BCA, "玉"},
    {0x8BE0, "金"}, {0x8BE2, "銀"}, {0x8BE3, "九"}, {0x8BEE, "駒"}, {0x8C57, "係"}, {0x8C5C, "圭"},
    {0x8C5E, "型"}, {0x8C60, "形"}, {0x8C66, "掲"}, {0x8C6A, "桂"}, {0x8C8E, "月"}, {0x8CDC, "五"},
    {0x8CE3, "後"}, {0x8D6C, "考"}, {0x8D73, "行"}, {0x8D81, "香"}, {0x8D87, "合"}, {0x8DB6, "左"},
    {0x8DDA, "載"}, {0x8DEC, "作"}, {0x8E4F, "三"}, {0x8E6C, "四"}, {0x8E6E, "始"}, {0x8E77, "指"},
    {0x8E9D, "持"}, {0x8E9E, "時"}, {0x8EAE, "式"}, {0x8EB5, "七"}, {0x8ED2, "者"}, {0x8EE8, "手"},
    {0x8F49, "終"}, {0x8F5C, "十"}, {0x8F8A, "所"}, {0x8F9F, "勝"}, {0x8FAB, "将"}, {0x8FC1, "消"},
    {0x8FC8, "省"}, {0x8FE3, "上"}, {0x8FEA, "場"}, {0x907D, "図"}, {0x9094, "数"}, {0x90AC, "成"},
    {0x90B6, "生"}, {0x90B9, "聖"}, {0x90D8, "切"}, {0x90E6, "先"}, {0x90E7, "千"}, {0x90ED, "戦"},
    {0x9149, "選"}, {0x9153, "全"}, {0x91A5, "則"}, {0x91C5, "打"}, {0x91CE, "対"}, {0x91E8, "題"},
    {0x9266, "断"}, {0x9269, "段"}, {0x9286, "中"}, {0x92B7, "長"}, {0x92BC, "直"}, {0x92E8, "定"},
    {0x9349, "的"}, {0x938A, "投"}, {0x93AF, "同"}, {0x93F1, "二"}, {0x93FA, "日"}, {0x93FC, "入"},
    {0x944E, "年"}, {0x946E, "馬"}, {0x9473, "敗"}, {0x94AA, "八"}, {0x94AD, "発"}, {0x94BD, "反"},
    {0x94C5, "版"}, {0x94D4, "番"}, {0x94D5, "盤"}, {0x94EF, "費"}, {0x94F2, "飛"}, {0x94F5, "備"},
    {0x955C, "表"}, {0x9562, "秒"}, {0x9573, "不"}, {0x9574, "付"}, {0x9589, "負"}, {0x95AA, "分"},
    {0x95BD, "平"}, {0x95CF, "変"}, {0x95E0, "歩"}, {0x9687, "枚"}, {0x96BC, "名"}, {0x96CA, "面"},
    {0x96DA, "目"}, {0x975C, "予"}, {0x978E, "落"}, {0x97AA, "略"}, {0x97B3, "竜"}, {0x97B4, "龍"},
    {0x97B9, "了"}, {0x985A, "六"}, {0x985E, "録"},
};

}  // namespace

std::string sjisKaraUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 3 / 2);
  for (size_t at = 0; at < s.size(); ++at) {
    const unsigned char c = s[at];
    if (c < 0x80) {
      out += char(c);
      continue;
    }
    if (c >= 0xa1 && c <= 0xdf) {  // half-width katakana
      utf8Tasu(out, 0xff61 + (c - 0xa1));
      continue;
    }
    const bool lead = (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc);
    const unsigned char d = at + 1 < s.size() ? s[at + 1] : 0;
    if (!lead || d < 0x40 || d == 0x7f || d > 0xfc) {
      utf8Tasu(out, 0xfffd);
      continue;
    }
    ++at;
    const uint16_t code = static_cast<uint16_t>(c << 8 | d);
    char32_t u = 0;
    if (code >= 0x824f && code <= 0x8258) u = 0xff10 + (code - 0x824f);        // ０..９
    else if (code >= 0x8260 && code <= 0x8279) u = 0xff21 + (code - 0x8260);   // Ａ..Ｚ
    else if (code >= 0x8281 && code <= 0x829a) u = 0xff41 + (code - 0x8281);   // ａ..ｚ
    else if (code >= 0x829f && code <= 0x82f1) u = 0x3041 + (code - 0x829f);   // ぁ..ん
    else if (code >= 0x8340 && code <= 0x837e) u = 0x30a1 + (code - 0x8340);   // ァ..ミ
    else if (code >= 0x8380 && code <= 0x8396) u = 0x30e0 + (code - 0x8380);   // ム..ヶ
    if (u) {
      utf8Tasu(out, u);
      continue;
    }
    const Sjis* e = std::lower_bound(std::begin(kSjis), std::end(kSjis), code,
                                     [](const Sjis& a, uint16_t b) { return a.code < b; });
    if (e != std::end(kSjis) && e->code == code)
      out += e->utf8;
    else
      utf8Tasu(out, 0xfffd);
  }
  return out;
}

std::optional<KifuKiroku> kifuYomu(std::string_view text, KifuAyamari& err) {
  Yomite y{err};
  if (hajimaru(text, "\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte order mark
  if (text.empty()) return y.fail(0, "the file is empty; a saved record holds at least a line break");
  for (size_t cr = text.find('\r'); cr != std::string_view::npos; cr = text.find('\r', cr + 1))
    if (cr + 1 == text.size() || text[cr + 1] != '\n')
      return y.fail(static_cast<size_t>(std::count(text.begin(), text.begin() + cr, '\n')),
                    "a line ends in CR alone; the lines of a record end in CR LF or LF");

  const size_t eol = text.find('\n');
  std::string_view first = text.substr(0, eol == std::string_view::npos ? text.size() : eol);
  if (first.ends_with('\r')) first.remove_suffix(1);
  enum { kJibun, kCsa, kKif } kind = kJibun;
  if (first.empty() || first[0] == 'T' || first[0] == '+' || first[0] == '-' || first[0] == '%')
    kind = kJibun;
  else if (std::string_view("VN$'P").find(first[0]) != std::string_view::npos)
    kind = kCsa;
  else if (first[0] == '#' || std::any_of(text.begin(), text.end(), [](char c) { return c & 0x80; }))
    kind = kKif;
  std::string utf8;
  if (kind == kKif && !utf8Ka(text)) {
    utf8 = sjisKaraUtf8(text);
    text = utf8;
  }

  // Lines end in CR LF as the window writes them; a copy that lost its CRs
  // reads the same.
  Gyou lines;
  for (size_t at = 0; at < text.size();) {
    const size_t nl = text.find('\n', at);
    std::string l(text.substr(at, nl == std::string_view::npos ? std::string_view::npos : nl - at));
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(std::move(l));
    if (nl == std::string_view::npos) break;
    at = nl + 1;
  }
  switch (kind) {
    case kCsa:
      return csaYomu(lines, y);
    case kKif:
      return kifYomu(lines, y);
    case kJibun:
      break;
  }
  return jibunYomu(lines, y);
}

std::optional<KifuKiroku> kifuFairuYomu(const std::string& path, KifuAyamari& err) {
  auto yomenai = [&](int e) -> std::optional<KifuKiroku> {
    err = KifuAyamari{0, true, std::strerror(e)};
    return std::nullopt;
  };
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return yomenai(EISDIR);
  errno = 0;
  std::ifstream f(path, std::ios::binary);
  if (!f) return yomenai(errno ? errno : EACCES);
  // Read in pieces up to one byte past the limit: a device without end
  // gives no size.
  std::string text;
  char buf[65536];
  while (text.size() <= kKifuSaidai && f.read(buf, sizeof buf).gcount() > 0) {
    text.append(buf, static_cast<size_t>(f.gcount()));
    if (!f) break;
  }
  if (f.bad()) return yomenai(EIO);
  if (text.size() > kKifuSaidai) {
    err = KifuAyamari{0, false, "the file is larger than any saved record"};
    return std::nullopt;
  }
  return kifuYomu(text, err);
}

}  // namespace syougi
