// Writes a record read by the one record reader (the window's own
// "kifu.csa", CSA or KIF) out as a standard CSA V2.2 record or a
// KIF record, which other shogi software opens.
#pragma once

#include <string>

#include "model/kifu_yomu.h"

namespace syougi::kifu {

// The record as read (model/kifu_yomu.h).
using Sasite = KifuSasite;
using Kifu = KifuKiroku;
using Ayamari = KifuAyamari;

// Lines end with LF; names are written as given (UTF-8).
std::string csaKaku(const Kifu& k, const std::string& sente, const std::string& gote);
std::string kifKaku(const Kifu& k, const std::string& sente, const std::string& gote);

// The move part of a KIF move line, e.g. "７六歩(77)", "同　銀(44)",
// "５五角打"; `mae` is the previous move's destination (0 for none).
std::string kifTe(const Sasite& s, int mae);

}  // namespace syougi::kifu
