#include "model/board.h"

#include <cstring>

namespace syougi {

namespace {
struct Name {
  int kind;
  const char* kanji;
  const char* record;
};
constexpr Name kNames[] = {
    {1, "王", "OU"}, {2, "飛", "HI"}, {3, "角", "KA"}, {4, "金", "KI"},
    {5, "銀", "GI"}, {6, "桂", "KE"}, {7, "香", "KY"}, {8, "歩", "FU"},
    {12, "龍", "RY"}, {13, "馬", "UM"}, {15, "全", "NG"}, {16, "圭", "NK"},
    {17, "杏", "NY"}, {18, "と", "TO"},
};
const Name* find(int32_t code) {
  if (code < 100) return nullptr;
  const int k = kindOf(code);
  for (const Name& n : kNames)
    if (n.kind == k) return &n;
  return nullptr;
}
}  // namespace

const char* kanjiOf(int32_t code) {
  const Name* n = find(code);
  return n ? n->kanji : "";
}

const char* recordNameOf(int32_t code) {
  const Name* n = find(code);
  return n ? n->record : "";
}

int32_t kindOfRecordName(const char* name2) {
  for (const Name& n : kNames)
    if (std::strncmp(n.record, name2, 2) == 0 && name2[0] && name2[1]) return n.kind;
  return 0;
}

void syokihaiti(Ban& aru, Mochi& arull) {
  aru.fill(SOTO);
  arull.fill(0);
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) aru[f * 10 + r] = 0;
  constexpr int back[10] = {0, 7, 6, 5, 4, 1, 4, 5, 6, 7};  // by file
  for (int f = 1; f <= 9; ++f) {
    aru[f * 10 + 1] = 200 + back[f];
    aru[f * 10 + 9] = 100 + back[f];
    aru[f * 10 + 3] = 208;
    aru[f * 10 + 7] = 108;
  }
  aru[22] = 203;
  aru[82] = 202;
  aru[28] = 102;
  aru[88] = 103;
}

void hanten(const Ban& aru, const Mochi& arull, Ban& out, Mochi& outll) {
  out.fill(SOTO);
  for (int s = 11; s <= 99; ++s) {
    if (s % 10 == 0) continue;
    const int32_t c = aru[s];
    out[110 - s] = c >= 200 ? c - 100 : c >= 100 ? c + 100 : c;
  }
  outll.fill(0);
  for (int k = 2; k <= 8; ++k) {
    outll[10 + k] = arull[20 + k];
    outll[20 + k] = arull[10 + k];
  }
}

}  // namespace syougi
