#include "engine/book.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace syougi {

void Rng::seed(uint32_t s) { state_ = s; }

double Rng::rnd() {
  // splitmix64
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) * 0x1.0p-53;
}

namespace {

// The book file as a stream of fields separated by commas or line breaks.
class Fields {
 public:
  explicit Fields(std::string_view text) : t_(text) {}

  // True when only blanks and line breaks are left.
  bool atEnd() {
    skipSpace();
    return p_ >= t_.size();
  }

  // Reads one field; false when the file ends or a quote is left open.
  bool next(std::string& out) {
    skipSpace();
    if (p_ >= t_.size()) return false;
    out.clear();
    if (t_[p_] == '"') {
      const size_t close = t_.find('"', p_ + 1);
      if (close == std::string_view::npos) return false;
      out.assign(t_.substr(p_ + 1, close - p_ - 1));
      p_ = close + 1;
      skipBlanks();
      if (p_ < t_.size() && !isSeparator(t_[p_])) return false;
    } else {
      size_t e = p_;
      while (e < t_.size() && !isSeparator(t_[e])) ++e;
      size_t b = p_;
      p_ = e;
      while (e > b && isBlank(t_[e - 1])) --e;
      out.assign(t_.substr(b, e - b));
    }
    if (p_ < t_.size() && t_[p_] == ',') ++p_;
    return true;
  }

  bool number(int32_t& v) {
    if (!next(buf_)) return false;
    const char* b = buf_.data();
    const char* e = b + buf_.size();
    if (b < e && *b == '+') ++b;
    if (b == e) return false;
    const auto res = std::from_chars(b, e, v);
    return res.ec == std::errc() && res.ptr == e;
  }

 private:
  static bool isBlank(char c) { return c == ' ' || c == '\t'; }
  static bool isSeparator(char c) { return c == ',' || c == '\n' || c == '\r'; }
  void skipBlanks() {
    while (p_ < t_.size() && isBlank(t_[p_])) ++p_;
  }
  // Blanks and line breaks; a comma is consumed by the field before it.
  void skipSpace() {
    while (p_ < t_.size() && (isBlank(t_[p_]) || t_[p_] == '\n' || t_[p_] == '\r')) ++p_;
  }

  std::string_view t_;
  size_t p_ = 0;
  std::string buf_;
};

constexpr bool isPieceCode(int32_t c) {
  const int32_t side = c / 100, kind = c % 100;
  if (c < 0 || (side != 1 && side != 2)) return false;
  return (kind >= 1 && kind <= 8) || kind == 12 || kind == 13 || (kind >= 15 && kind <= 18);
}

// How many pieces of a kind can be in one hand at most.
constexpr int32_t kMotiMax[9] = {0, 0, 2, 2, 4, 4, 4, 4, 18};

// Board penalty by [rank - 1][file - 1].
constexpr int32_t kBatu[9][9] = {
    {3, 3, 3, 3, 5, 3, 2, 2, 2}, {3, 3, 3, 3, 3, 3, 2, 2, 2}, {2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2}, {2, 3, 2, 2, 2, 2, 2, 2, 2}, {2, 3, 2, 2, 2, 2, 2, 2, 2},
    {2, 3, 2, 2, 2, 2, 2, 2, 2}, {2, 4, 2, 2, 2, 2, 3, 3, 3}, {3, 2, 2, 2, 5, 2, 2, 2, 3},
};

constexpr int kHandCells[14] = {12, 13, 14, 15, 16, 17, 18, 22, 23, 24, 25, 26, 27, 28};

}  // namespace

void Zyouseki::yomikomu(const std::string& path) {
  count_ = 0;
  josekimoto[0] = 111;
  // Read with stdio: a stream throws when the name is a directory or the disk
  // fails, and that would take the whole game down inside the computer's move.
  // A read that fails part-way counts as the end of the file.
  std::string text;
  if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) text.append(buf, n);
    std::fclose(in);
  }
  Fields f(text);

  std::string mei;
  std::array<int32_t, 100> aru{};
  std::array<int32_t, 29> arull{};
  int read = 0;
  while (read < kBookMax && !f.atEnd()) {
    int32_t moto = 0, saki = 0;
    if (!f.number(moto) || !f.number(saki) || !f.next(mei)) break;
    aru.fill(0);
    arull.fill(0);
    bool whole = true;
    bool sound = true;
    for (int s = 11; s <= 99 && whole; ++s) {
      if (!isSquare(s)) continue;
      whole = f.number(aru[s]);
      sound = sound && (aru[s] == 0 || isPieceCode(aru[s]));
    }
    for (int k : kHandCells) {
      if (!whole) break;
      whole = f.number(arull[k]);
      sound = sound && arull[k] >= 0 && arull[k] <= kMotiMax[k % 10];
    }
    // A record cut short or holding a non-number ends the book here.
    if (!whole) break;
    ++read;

    // The move must be one of side 2's in the record's own position, else
    // playing it would touch cells that are not squares or not its pieces.
    const int32_t d = saki % 100;
    const bool promote = saki > 100;
    if (saki < 11 || saki > 199 || !isSquare(d) || sideOf(aru[d]) == 2) sound = false;
    if (!sound) continue;  // d may be no cell at all
    if (moto >= 202 && moto <= 208) {
      if (promote || aru[d] != 0) sound = false;
    } else if (isSquare(moto)) {
      if (sideOf(aru[moto]) != 2 || moto == d) sound = false;
    } else {
      sound = false;
    }
    if (!sound) continue;

    josekimoto[count_] = moto;
    josekisaki[count_] = saki;
    josekimei[count_] = mei;
    josekiaru[count_] = aru;
    josekiarull[count_] = arull;
    ++count_;
  }
  if (count_ < kBookMax) josekimoto[count_] = 111;
}

void Zyouseki::zyouseki(const Ban& aru, const Mochi& arull, Rng& rng, const std::string& path) {
  for (int k = 0; k < 4; ++k) {
    kouho.moto[k] = 0;
    kouho.saki[k] = 0;
    kouho.ten[k] = 0;
    kouho.mei[k].clear();
  }
  yomikomu(path);

  for (int r = 0; r < count_ && josekimoto[r] != 111; ++r) {
    const int32_t m = josekimoto[r];
    const int32_t sakiFull = josekisaki[r];
    const int32_t d = sakiFull % 100;
    const auto& ja = josekiaru[r];
    const auto& jl = josekiarull[r];

    int32_t s = 50;
    if (m >= 100) {
      if (arull[m % 10 + 20] <= 0 || aru[d] != 0) s = 0;
    } else if (ja[m] != aru[m]) {
      s = 0;
    }
    if (ja[d] != aru[d]) s = 0;

    for (int k = 12; k <= 18; ++k)
      if (jl[k] < arull[k]) s -= 7 + 2 * (arull[k] - jl[k]);
    for (int k = 22; k <= 28; ++k)
      if (jl[k] > arull[k]) s -= 7 + 2 * (jl[k] - arull[k]);

    for (int q = 11; q <= 99; ++q)
      if (isSquare(q) && ja[q] != aru[q]) s -= kBatu[rankOf(q) - 1][fileOf(q) - 1];

    if (s == 50) s = 50 + static_cast<int32_t>(rng.rnd() * 10);
    if (s > 0) teian(m, sakiFull, s, josekimei[r]);
  }
}

void Zyouseki::teian(int32_t moto, int32_t saki, int32_t ten, const std::string& mei) {
  int j = 0;
  while (j < 4 && !(kouho.moto[j] == moto && kouho.saki[j] == saki)) ++j;
  const int last = j < 4 ? j : 3;  // slots that may move down end here
  int i = 0;
  while (i <= last && kouho.ten[i] >= ten) ++i;
  if (i > last) return;  // ties never displace
  for (int k = last; k > i; --k) {
    kouho.moto[k] = kouho.moto[k - 1];
    kouho.saki[k] = kouho.saki[k - 1];
    kouho.ten[k] = kouho.ten[k - 1];
    kouho.mei[k] = kouho.mei[k - 1];
  }
  kouho.moto[i] = moto;
  kouho.saki[i] = saki;
  kouho.ten[i] = ten;
  kouho.mei[i] = mei;
}

const std::string& bookFile(const std::string& working, const std::string& installed) {
  std::error_code ec;
  if (installed.empty() || std::filesystem::exists(working, ec) ||
      !std::filesystem::exists(installed, ec))
    return working;
  return installed;
}

}  // namespace syougi
