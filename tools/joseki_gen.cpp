// joseki_gen: builds the opening book "joseki.lis" from readable opening
// lines. Every move of every line is replayed and checked; any error refuses
// the whole source and nothing is written.
//
//   joseki_gen data/joseki.src data/joseki.lis
//
// The source syntax is described in data/README.md.

#include <cctype>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/board.h"
#include "model/rules.h"

namespace syougi::josekigen {

constexpr int kMaxRecords = 1001;  // the reader uses no more than this

// One book record: the position before the computer's move, in the internal
// numbering (computer = side 2 at the top), and the move in moto/saki form.
struct Record {
  int32_t moto = 0;
  int32_t saki = 0;
  std::string mei;
  Ban aru{};
  Mochi arull{};
  bool comSente = false;  // the computer made move 1 in this line
  int tesuu = 0;          // number of the move the record answers with
};

struct Result {
  bool ok = false;
  std::string error;
  std::vector<Record> records;
  int lines = 0;
};

namespace {

// A move or a strategy change inside a line, with its source line number.
struct Item {
  int srcLine = 0;
  bool isName = false;
  std::string text;
};

struct Line {
  bool comSente = false;
  int srcLine = 0;
  std::vector<Item> items;
};

std::string where(int srcLine) { return "line " + std::to_string(srcLine) + ": "; }

bool validName(const std::string& s) {
  if (s.empty() || s.size() > 16) return false;
  for (char c : s)
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

int moveCount(const std::vector<Item>& items) {
  int n = 0;
  for (const Item& it : items) n += it.isName ? 0 : 1;
  return n;
}

// Splits the source into lines of items; false with `err` on a syntax error.
bool parse(const std::string& text, std::vector<Line>& lines, std::string& err) {
  std::istringstream in(text);
  std::string raw;
  int srcLine = 0;
  while (std::getline(in, raw)) {
    ++srcLine;
    if (const auto hash = raw.find('#'); hash != std::string::npos) raw.erase(hash);
    std::istringstream ws(raw);
    std::vector<std::string> toks;
    for (std::string t; ws >> t;) toks.push_back(t);
    if (toks.empty()) continue;
    size_t i = 0;
    if (toks[0] == "sente" || toks[0] == "gote") {
      lines.push_back(Line{toks[0] == "sente", srcLine, {}});
      i = 1;
    } else if (toks[0].size() >= 2 && toks[0].back() == ':') {
      const std::string num = toks[0].substr(0, toks[0].size() - 1);
      if (num.size() > 3) {
        err = where(srcLine) + "bad branch \"" + toks[0] + "\"";
        return false;
      }
      for (char c : num)
        if (!std::isdigit(static_cast<unsigned char>(c))) {
          err = where(srcLine) + "bad branch \"" + toks[0] + "\"";
          return false;
        }
      const int from = std::stoi(num);
      if (lines.empty()) {
        err = where(srcLine) + "branch \"" + toks[0] + "\" without a line before it";
        return false;
      }
      const Line& prev = lines.back();
      if (from < 1 || moveCount(prev.items) < from - 1) {
        err = where(srcLine) + "branch \"" + toks[0] + "\": the line before has only " +
              std::to_string(moveCount(prev.items)) + " moves";
        return false;
      }
      // Repeat everything written before move `from`, names included.
      Line br{prev.comSente, srcLine, {}};
      int moves = 0;
      for (const Item& it : prev.items) {
        if (!it.isName && ++moves == from) break;
        br.items.push_back(it);
      }
      lines.push_back(br);
      i = 1;
    } else if (lines.empty()) {
      err = where(srcLine) + "moves before the first \"sente\" or \"gote\" line";
      return false;
    }
    for (; i < toks.size(); ++i) {
      const std::string& t = toks[i];
      if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
        const std::string name = t.substr(1, t.size() - 2);
        if (!validName(name)) {
          err = where(srcLine) + "bad strategy name \"" + t + "\"";
          return false;
        }
        lines.back().items.push_back(Item{srcLine, true, name});
      } else if (t.front() == '+' || t.front() == '-') {
        lines.back().items.push_back(Item{srcLine, false, t});
      } else {
        err = where(srcLine) + "unknown word \"" + t + "\"";
        return false;
      }
    }
  }
  return true;
}

bool twoDigits(const std::string& s, size_t at, int& v) {
  if (!std::isdigit(static_cast<unsigned char>(s[at])) ||
      !std::isdigit(static_cast<unsigned char>(s[at + 1])))
    return false;
  v = (s[at] - '0') * 10 + (s[at + 1] - '0');
  return true;
}

bool hasMove(const Ban& v, const Mochi& vll, const Te& te) {
  Te list[600];
  const int n = gouhousyu(v, vll, list, 600);
  for (int k = 0; k < n && k < 600; ++k)
    if (list[k].moto == te.moto && list[k].saki == te.saki && list[k].naru == te.naru)
      return true;
  return false;
}

// Checks the move text `t` as move number `tesuu` on the record-oriented
// position (first player = side 1 at the bottom) and plays it. On success fills
// the mover's view `te` (side 1 at the bottom); false with `why` otherwise.
bool play(Ban& b, Mochi& bll, int tesuu, const std::string& t, Te& te, std::string& why) {
  if (t.size() != 7) {
    why = "not a move text";
    return false;
  }
  const bool first = tesuu % 2 == 1;
  if ((t[0] == '+') != first) {
    why = std::string("move ") + std::to_string(tesuu) + " must start with '" +
          (first ? "+" : "-") + "'";
    return false;
  }
  int from = 0, to = 0;
  if (!twoDigits(t, 1, from) || !twoDigits(t, 3, to) || !isSquare(to) ||
      (from != 0 && !isSquare(from))) {
    why = "bad square";
    return false;
  }
  const int32_t named = kindOfRecordName(t.c_str() + 5);
  if (named == 0 || !std::isupper(static_cast<unsigned char>(t[5])) ||
      !std::isupper(static_cast<unsigned char>(t[6]))) {
    why = "unknown piece name";
    return false;
  }
  // Look at the move from the mover's side, where it is a side-1 move.
  Ban v;
  Mochi vll;
  if (first) {
    v = b;
    vll = bll;
  } else {
    hanten(b, bll, v, vll);
  }
  const auto view = [first](int sq) { return first ? sq : 110 - sq; };
  te.saki = view(to);
  if (from == 0) {
    if (named < HI || named > FU) {
      why = "only unpromoted pieces can be dropped";
      return false;
    }
    if (vll[10 + named] <= 0) {
      why = "no such piece in hand";
      return false;
    }
    te.moto = 100 + named;
    te.naru = false;
  } else {
    te.moto = view(from);
    const int32_t c = v[te.moto];
    if (sideOf(c) != 1) {
      why = "no own piece on the source square";
      return false;
    }
    if (named == kindOf(c)) {
      te.naru = false;
    } else if (named == kindOf(c) + 10) {
      te.naru = true;
    } else {
      why = std::string("the piece on the source square is ") + recordNameOf(c);
      return false;
    }
    if (nariKubun(c, te.moto, te.saki) == Nari::kNone && te.naru) {
      why = "promotion not allowed here";
      return false;
    }
    if (nariKubun(c, te.moto, te.saki) == Nari::kForced && !te.naru) {
      why = "the piece must promote here";
      return false;
    }
  }
  if (te.moto > 100 && named == FU) {
    bool fileHasPawn = false;
    for (int r = 1; r <= 9; ++r) fileHasPawn = fileHasPawn || v[fileOf(te.saki) * 10 + r] == 108;
    if (fileHasPawn) {
      why = "two pawns on one file";
      return false;
    }
  }
  if (!hasMove(v, vll, te)) {
    Ban after = v;
    Mochi afterll = vll;
    sasu1(after, afterll, te.moto, te.saki, te.naru);
    Ikeru ik;
    ikerusirabe(v, vll, te.moto, ik);
    why = ik[te.saki] && outeSide1(after) ? "leaves the own king in check" : "not a legal move";
    return false;
  }
  sasu1(v, vll, te.moto, te.saki, te.naru);
  if (te.moto > 100 && named == FU) {
    // A pawn drop may give check but not mate.
    Ban o;
    Mochi oll;
    hanten(v, vll, o, oll);
    Te reply[8];
    if (outeSide1(o) && gouhousyu(o, oll, reply, 8) == 0) {
      why = "pawn drop mate";
      return false;
    }
  }
  if (first) {
    b = v;
    bll = vll;
  } else {
    hanten(v, vll, b, bll);
  }
  return true;
}

std::string key(const Record& r) {
  std::string k = std::to_string(r.moto) + "," + std::to_string(r.saki);
  for (int s = 11; s <= 99; ++s)
    if (s % 10 != 0) k += "," + std::to_string(r.aru[s]);
  for (int h : {12, 13, 14, 15, 16, 17, 18, 22, 23, 24, 25, 26, 27, 28})
    k += "," + std::to_string(r.arull[h]);
  return k;
}

}  // namespace

// Replays every line of the source and collects the computer's moves.
Result generate(const std::string& text) {
  Result res;
  std::vector<Line> lines;
  if (!parse(text, lines, res.error)) return res;
  std::set<std::string> seen;
  for (const Line& line : lines) {
    Ban b;
    Mochi bll;
    syokihaiti(b, bll);
    std::string mei;
    int tesuu = 0;
    for (const Item& it : line.items) {
      if (it.isName) {
        mei = it.text;
        continue;
      }
      ++tesuu;
      const bool com = (tesuu % 2 == 1) == line.comSente;
      Record rec;
      if (com) {
        if (mei.empty()) {
          res.error = where(it.srcLine) + it.text + ": no strategy name before the computer's move";
          return res;
        }
        // The computer is side 2 at the top: turn the record board around
        // when it moved first.
        if (line.comSente)
          hanten(b, bll, rec.aru, rec.arull);
        else {
          rec.aru = b;
          rec.arull = bll;
        }
      }
      Te te{};
      std::string why;
      if (!play(b, bll, tesuu, it.text, te, why)) {
        res.error = where(it.srcLine) + it.text + " (move " + std::to_string(tesuu) + "): " + why;
        return res;
      }
      if (!com) continue;
      rec.moto = te.moto > 100 ? te.moto + 100 : 110 - te.moto;
      rec.saki = 110 - te.saki + (te.naru ? 100 : 0);
      rec.mei = mei;
      rec.comSente = line.comSente;
      rec.tesuu = tesuu;
      if (seen.insert(key(rec)).second) res.records.push_back(rec);
    }
  }
  res.lines = static_cast<int>(lines.size());
  if (static_cast<int>(res.records.size()) > kMaxRecords) {
    res.error = std::to_string(res.records.size()) + " records; the book holds at most " +
                std::to_string(kMaxRecords);
    return res;
  }
  res.ok = true;
  return res;
}

// The book text: one record per line, CR LF.
std::string format(const std::vector<Record>& records) {
  std::string out;
  for (const Record& r : records) {
    out += std::to_string(r.moto) + "," + std::to_string(r.saki) + ",\"" + r.mei + "\"";
    for (int s = 11; s <= 99; ++s)
      if (s % 10 != 0) out += "," + std::to_string(r.aru[s]);
    for (int h : {12, 13, 14, 15, 16, 17, 18, 22, 23, 24, 25, 26, 27, 28})
      out += "," + std::to_string(r.arull[h]);
    out += "\r\n";
  }
  return out;
}

// Reads `srcPath`, writes `outPath` only when the whole source is sound.
// Returns the exit code.
int run(const std::string& srcPath, const std::string& outPath, std::ostream& log,
        std::ostream& info) {
  std::ifstream in(srcPath, std::ios::binary);
  if (!in) {
    log << "joseki_gen: cannot read " << srcPath << "\n";
    return 1;
  }
  std::stringstream ss;
  ss << in.rdbuf();
  const Result res = generate(ss.str());
  if (!res.ok) {
    log << srcPath << ": " << res.error << "\n";
    return 1;
  }
  std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
  out << format(res.records);
  out.close();
  if (!out) {
    log << "joseki_gen: cannot write " << outPath << "\n";
    return 1;
  }
  int sente = 0;
  for (const Record& r : res.records) sente += r.comSente ? 1 : 0;
  info << outPath << ": " << res.records.size() << " records from " << res.lines << " lines ("
      << sente << " with the computer moving first, " << res.records.size() - sente
      << " moving second)\n";
  return 0;
}

}  // namespace syougi::josekigen

#ifndef JOSEKI_GEN_NO_MAIN
int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: joseki_gen SOURCE OUTPUT\n";
    return 2;
  }
  return syougi::josekigen::run(argv[1], argv[2], std::cerr, std::cout);
}
#endif
