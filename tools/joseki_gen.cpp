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
#include "model/kiroku.h"
#include "model/kyokumen.h"
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

// Checks the move text `t` as the next move of the record-oriented position
// `k` (first player = side 1 at the bottom) and plays it. On success fills the
// mover's view `te` (side 1 at the bottom); false with `why` otherwise.
bool play(Kyokumen& k, const std::string& t, Te& te, std::string& why) {
  KirokuTe kt;
  const KirokuKekka r = kirokuTeSasu(k, t, Utifuzume::kKinsi, kt);
  te = kt.te;
  switch (r) {
    case KirokuKekka::kOk: return true;
    case KirokuKekka::kNagasa: why = "not a move text"; break;
    case KirokuKekka::kFugou:
      why = std::string("move ") + std::to_string(k.tesuu) + " must start with '" + (k.gote ? "-" : "+") + "'";
      break;
    case KirokuKekka::kSuuji:
    case KirokuKekka::kSakiMasu:
    case KirokuKekka::kMotoMasu: why = "bad square"; break;
    case KirokuKekka::kNamae: why = "unknown piece name"; break;
    case KirokuKekka::kUtenaiKoma: why = "only unpromoted pieces can be dropped"; break;
    case KirokuKekka::kMotiNasi: why = "no such piece in hand"; break;
    case KirokuKekka::kNifu: why = "two pawns on one file"; break;
    case KirokuKekka::kKomaNasi: why = "no own piece on the source square"; break;
    case KirokuKekka::kKomaTigau:
      why = std::string("the piece on the source square is ") + recordNameOf(100 + kt.koma);
      break;
    case KirokuKekka::kNarenai: why = "promotion not allowed here"; break;
    case KirokuKekka::kNaruBeki: why = "the piece must promote here"; break;
    case KirokuKekka::kUtenaiMasu:
    case KirokuKekka::kIkenai: why = "not a legal move"; break;
    case KirokuKekka::kOute: why = "leaves the own king in check"; break;
    case KirokuKekka::kUtifuzume: why = "pawn drop mate"; break;
  }
  return false;
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
    Kyokumen k;
    hirate(k);
    std::string mei;
    for (const Item& it : line.items) {
      if (it.isName) {
        mei = it.text;
        continue;
      }
      const int tesuu = k.tesuu;
      const bool com = (tesuu % 2 == 1) == line.comSente;
      Record rec;
      if (com) {
        if (mei.empty()) {
          res.error = where(it.srcLine) + it.text + ": no strategy name before the computer's move";
          return res;
        }
        // The computer is side 2 at the top: the mover's view turned around.
        Ban v;
        Mochi vll;
        tebanMen(k, v, vll);
        hanten(v, vll, rec.aru, rec.arull);
      }
      Te te{};
      std::string why;
      if (!play(k, it.text, te, why)) {
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
