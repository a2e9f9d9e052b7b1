#include "usi/usi.h"

#include <chrono>
#include <istream>
#include <ostream>
#include <sstream>
#include <vector>

#include "model/attacks.h"

namespace syougi {

namespace {

std::vector<std::string> words(const std::string& s) {
  std::istringstream is(s);
  std::vector<std::string> w;
  for (std::string x; is >> x;) w.push_back(x);
  return w;
}

uint32_t tokeiSeed() {
  return static_cast<uint32_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

}  // namespace

int32_t comMen(const Kyokumen& k, Men& m) {
  // The mover is side 2: white already is, black is turned around.
  if (k.gote) {
    m.aru = k.aru;
    m.arull = k.arull;
  } else {
    hanten(k.aru, k.arull, m.aru, m.arull);
  }
  torisirabe(m);
  return k.tesuu;
}

Te comTe(const ComKekka& r) {
  Te te{};
  te.naru = r.saki > 100;
  const int saki = te.naru ? r.saki - 100 : r.saki;
  te.saki = 110 - saki;
  te.moto = r.moto > 200 ? r.moto - 100 : 110 - r.moto;
  return te;
}

UsiEngine::UsiEngine(std::unique_ptr<Computer> com) : com_(std::move(com)) { hirate(ima_); }

void UsiEngine::run(std::istream& in, std::ostream& out) {
  for (std::string line; std::getline(in, line);) {
    if (!meirei(line, out)) break;
    out.flush();
  }
  out.flush();
}

bool UsiEngine::meirei(const std::string& line0, std::ostream& out) {
  std::string line = line0;
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
    line.pop_back();
  const size_t a = line.find_first_not_of(" \t");
  if (a == std::string::npos) return true;  // empty lines are ignored
  line = line.substr(a);
  const size_t sp = line.find(' ');
  const std::string cmd = line.substr(0, sp);
  const std::string rest = sp == std::string::npos ? "" : line.substr(sp + 1);

  if (cmd == "usi") {
    usi(out);
  } else if (cmd == "isready") {
    out << "readyok\n";
  } else if (cmd == "setoption") {
    setoption(rest, out);
  } else if (cmd == "usinewgame") {
    youi();
    hirate(ima_);
  } else if (cmd == "position") {
    position(rest, out);
  } else if (cmd == "go") {
    go(rest, out);
  } else if (cmd == "stop" || cmd == "ponderhit" || cmd == "gameover") {
    // The move is chosen within "go"; nothing is left running.
  } else if (cmd == "quit") {
    return false;
  } else {
    out << "info string unknown command " << cmd << "\n";
  }
  return true;
}

void UsiEngine::usi(std::ostream& out) {
  out << "id name syougi\n"
      << "id author the syougi developers\n"
      << "option name BookFile type string default joseki.lis\n"
      << "option name Seed type string default\n"
      << "usiok\n";
}

void UsiEngine::setoption(const std::string& rest, std::ostream& out) {
  const std::vector<std::string> w = words(rest);
  if (w.size() < 2 || w[0] != "name") {
    out << "info string setoption needs: name <id> [value <x>]\n";
    return;
  }
  std::string value;
  size_t i = 2;
  if (i < w.size() && w[i] == "value") {
    for (++i; i < w.size(); ++i) value += (value.empty() ? "" : " ") + w[i];
  } else if (i < w.size()) {
    out << "info string setoption needs: name <id> [value <x>]\n";
    return;
  }
  if (w[1] == "Seed") {
    if (!value.empty() &&
        (value.size() > 10 || value.find_first_not_of("0123456789") != std::string::npos ||
         std::stoull(value) > 0xffffffffULL)) {
      out << "info string Seed must be empty or a number 0..4294967295\n";
      return;
    }
    seed_ = value;
  } else if (w[1] == "BookFile") {
    bookFile_ = value.empty() ? "joseki.lis" : value;
    if (com_) com_->setBookPath(bookFile_);
  } else if (w[1] != "USI_Hash" && w[1] != "USI_Ponder") {
    // Those two every GUI sends; the search has a fixed size and never ponders.
    out << "info string unknown option " << w[1] << "\n";
  }
}

void UsiEngine::youi() {
  if (!com_) return;
  uint32_t s = tokeiSeed();
  if (!seed_.empty()) s = static_cast<uint32_t>(std::stoull(seed_));
  com_->youi(s);
  youiSumi_ = true;
}

void UsiEngine::position(const std::string& rest, std::ostream& out) {
  const std::vector<std::string> w = words(rest);
  Kyokumen k;
  size_t i = 0;
  if (!w.empty() && w[0] == "startpos") {
    hirate(k);
    i = 1;
  } else if (!w.empty() && w[0] == "sfen") {
    std::string sfen;
    for (i = 1; i < w.size() && w[i] != "moves"; ++i) sfen += w[i] + " ";
    std::string why;
    if (!sfenYomu(sfen, k, why)) {
      out << "info string bad position: " << why << "\n";
      return;
    }
  } else {
    out << "info string position needs startpos or sfen\n";
    return;
  }
  if (i < w.size()) {
    if (w[i] != "moves") {
      out << "info string bad position: unexpected " << w[i] << "\n";
      return;
    }
    for (++i; i < w.size(); ++i) {
      Te te;
      std::string why;
      if (usiTeYomu(k, w[i], te, why) != TeKekka::kOk) {
        out << "info string bad position: " << why << "\n";
        return;
      }
      teSasu(k, te);
    }
  }
  ima_ = k;
}

void UsiEngine::go(const std::string& rest, std::ostream& out) {
  const std::vector<std::string> w = words(rest);
  if (!w.empty() && w[0] == "mate") {
    out << "checkmate notimplemented\n";
    return;
  }
  if (!com_) {
    out << "info string no computer player in this build\n";
    out << "bestmove resign\n";
    return;
  }
  if (!youiSumi_) youi();
  const auto t0 = std::chrono::steady_clock::now();
  TeList list;
  if (gouhou(ima_, list) == 0) {
    out << "info string no legal move\n";
    out << "bestmove resign\n";
    return;
  }
  Men m;
  const int32_t tesuu = comMen(ima_, m);
  const ComKekka r = com_->erabu(m, tesuu);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - t0)
                      .count();

  out << "info time " << ms << " nodes " << r.nodes;
  if (r.tume) {
    // A mate given by the checking move of ply N scores 32000 less 500 per
    // ply after the first.
    out << " score mate " << (32000 - r.saikou1) / 500 + 1;
  } else {
    out << " score cp " << r.saikou1;
  }
  out << " string candidates " << r.kensa << (r.book ? " book" : "") << "\n";
  if (!r.sennkei.empty()) out << "info string strategy " << r.sennkei << " stage " << r.teban << "\n";

  if (r.saikou1 < -30000) {
    out << "bestmove resign\n";
    return;
  }
  const Te te = comTe(r);
  if (list.fukumu(te)) {
    out << "bestmove " << usiTeKaku(ima_, te) << "\n";
    return;
  }
  out << "info string the computer chose an illegal move (moto " << r.moto << ", saki " << r.saki
      << ")\n";
  out << "bestmove resign\n";
}

}  // namespace syougi
