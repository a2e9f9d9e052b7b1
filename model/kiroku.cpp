#include "model/kiroku.h"

namespace syougi {

namespace {

bool suuji(char c) { return c >= '0' && c <= '9'; }

int niketa(std::string_view l, size_t at) { return (l[at] - '0') * 10 + (l[at + 1] - '0'); }

// The line read alone; `fugou` is the sign the mover needs, 0 for either.
KirokuKekka wakeru(std::string_view l, char fugou, KirokuTe& t) {
  if (l.size() != 7) return KirokuKekka::kNagasa;
  if (!suuji(l[1]) || !suuji(l[2]) || !suuji(l[3]) || !suuji(l[4])) return KirokuKekka::kSuuji;
  if (fugou ? l[0] != fugou : l[0] != '+' && l[0] != '-') return KirokuKekka::kFugou;
  const std::string name(l.substr(5));
  t = KirokuTe{};
  t.moto = niketa(l, 1);
  t.saki = niketa(l, 3);
  t.kind = kindOfRecordName(name.c_str());
  if (t.kind == 0) return KirokuKekka::kNamae;
  if (!isSquare(t.saki)) return KirokuKekka::kSakiMasu;
  if (t.moto == 0) {
    if (t.kind == OU || t.kind > 10) return KirokuKekka::kUtenaiKoma;
  } else if (!isSquare(t.moto)) {
    return KirokuKekka::kMotoMasu;
  }
  return KirokuKekka::kOk;
}

}  // namespace

KirokuKekka kirokuTeWakeru(std::string_view line, KirokuTe& t) { return wakeru(line, 0, t); }

KirokuKekka kirokuTeYomu(const Kyokumen& k, std::string_view line, Utifuzume u, KirokuTe& t) {
  const KirokuKekka w = wakeru(line, k.gote ? '-' : '+', t);
  if (w != KirokuKekka::kOk) return w;
  Ban b;
  Mochi m;
  tebanMen(k, b, m);
  const int q = tebanMasu(k, t.saki);
  Ikeru ik;
  Te te{0, q, false};
  if (t.moto == 0) {
    t.koma = t.kind;
    if (m[10 + t.kind] <= 0) return KirokuKekka::kMotiNasi;
    te.moto = 100 + t.kind;
    if (t.kind == FU)
      for (int r = 1; r <= 9; ++r)
        if (b[fileOf(q) * 10 + r] == 100 + FU) return KirokuKekka::kNifu;
    ikerusirabe(b, m, te.moto, ik);
    if (!ik[q]) return KirokuKekka::kUtenaiMasu;
  } else {
    te.moto = tebanMasu(k, t.moto);
    const int32_t code = b[te.moto];
    if (sideOf(code) != 1) return KirokuKekka::kKomaNasi;
    t.koma = kindOf(code);
    if (t.kind != t.koma && t.kind != t.koma + 10) return KirokuKekka::kKomaTigau;
    ikerusirabe(b, m, te.moto, ik);
    if (!ik[q]) return KirokuKekka::kIkenai;
    te.naru = t.kind != t.koma;
    const Nari nari = nariKubun(code, te.moto, q);
    if (te.naru && nari == Nari::kNone) return KirokuKekka::kNarenai;
    if (!te.naru && nari == Nari::kForced) return KirokuKekka::kNaruBeki;
    t.narazu = !te.naru && nari == Nari::kChoice;
  }
  t.te = te;
  Ban ato = b;
  Mochi atoll = m;
  sasu1(ato, atoll, te.moto, te.saki, te.naru);
  if (outeSide1(ato)) return KirokuKekka::kOute;
  if (u == Utifuzume::kKinsi && utifuzume(b, m, te)) return KirokuKekka::kUtifuzume;
  return KirokuKekka::kOk;
}

KirokuKekka kirokuTeSasu(Kyokumen& k, std::string_view line, Utifuzume u, KirokuTe& t) {
  const KirokuKekka r = kirokuTeYomu(k, line, u, t);
  if (r == KirokuKekka::kOk) teSasu(k, t.te);
  return r;
}

std::string kirokuTeKaku(bool sente, int moto, int saki, int32_t code) {
  std::string s = sente ? "+" : "-";
  s += char('0' + moto / 10);
  s += char('0' + moto % 10);
  s += char('0' + saki / 10);
  s += char('0' + saki % 10);
  s += recordNameOf(code);
  return s;
}

std::string csaTeKaku(const Kyokumen& k, const Te& te) {
  Ban b;
  Mochi m;
  tebanMen(k, b, m);
  const int32_t code = te.moto > 100 ? te.moto : b[te.moto] + (te.naru ? 10 : 0);
  const int moto = te.moto > 100 ? 0 : tebanMasu(k, te.moto);
  return kirokuTeKaku(!k.gote, moto, tebanMasu(k, te.saki), code);
}

}  // namespace syougi
