// The position with its side to move: its SFEN text, the legality of its
// moves and their texts.
#include "model/kyokumen.h"

#include <gtest/gtest.h>

#include <string>

#include "model/kiroku.h"

namespace syougi {
namespace {

TEST(KyokumenSfen, SfenHandsSideAndMoveNumber) {
  Kyokumen k;
  std::string why;
  ASSERT_TRUE(sfenYomu("4k4/9/9/9/9/9/9/9/4K4 w 2PBr 37", k, why)) << why;
  EXPECT_EQ(k.aru[51], 201);
  EXPECT_EQ(k.aru[59], 101);
  EXPECT_EQ(k.arull[18], 2);
  EXPECT_EQ(k.arull[13], 1);
  EXPECT_EQ(k.arull[22], 1);
  EXPECT_TRUE(k.gote);
  EXPECT_EQ(k.tesuu, 37);
}

TEST(KyokumenSfen, SfenPromotedPiecesAndWrite) {
  Kyokumen k;
  std::string why;
  ASSERT_TRUE(sfenYomu("4k4/9/4+P4/9/9/9/9/1+r7/4K4 b - 12", k, why)) << why;
  EXPECT_EQ(k.aru[53], 118);
  EXPECT_EQ(k.aru[88], 212);
  EXPECT_EQ(sfenKaku(k), "4k4/9/4+P4/9/9/9/9/1+r7/4K4 b - 12");
}

TEST(KyokumenSfen, StartposWritesTheUsualSfen) {
  Kyokumen k;
  hirate(k);
  EXPECT_EQ(sfenKaku(k), "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1");
}

TEST(KyokumenRules, PawnDropMateIsRefusedButAPawnDropCheckIsNot) {
  // White king 1a; black gold 2c covers 1b and 2b, the knight on 3c covers 2a;
  // black holds a pawn, and P*1b would mate.
  Kyokumen k;
  std::string why;
  ASSERT_TRUE(sfenYomu("8k/9/6NG1/9/9/9/9/9/K8 b P 1", k, why)) << why;
  Te te;
  EXPECT_EQ(usiTeYomu(k, "P*1b", te, why), TeKekka::kIllegal);
  // Without the knight the king escapes to 2a: the drop is allowed.
  ASSERT_TRUE(sfenYomu("8k/9/7G1/9/9/9/9/9/K8 b P 1", k, why)) << why;
  EXPECT_EQ(usiTeYomu(k, "P*1b", te, why), TeKekka::kOk) << why;
}

TEST(KyokumenRules, WhiteIsCheckedInItsOwnDirection) {
  Kyokumen k;
  hirate(k);
  Te te;
  std::string why;
  EXPECT_EQ(usiTeYomu(k, "3c3d", te, why), TeKekka::kIllegal);  // not white's turn
  k.gote = true;
  EXPECT_EQ(usiTeYomu(k, "3c3d", te, why), TeKekka::kOk);
  EXPECT_EQ(te.moto, 110 - 33);
  EXPECT_EQ(te.saki, 110 - 34);
  EXPECT_EQ(usiTeKaku(k, te), "3c3d");
  EXPECT_EQ(csaTeKaku(k, te), "-3334FU");
}

TEST(KyokumenRules, MoveTextsOfPromotionAndDrop) {
  Kyokumen k;
  std::string why;
  ASSERT_TRUE(sfenYomu("4k4/9/9/9/9/9/9/1B7/4K4 b P 1", k, why)) << why;
  Te te;
  ASSERT_EQ(usiTeYomu(k, "8h3c+", te, why), TeKekka::kOk) << why;
  EXPECT_EQ(csaTeKaku(k, te), "+8833UM");
  ASSERT_EQ(usiTeYomu(k, "P*5e", te, why), TeKekka::kOk) << why;
  EXPECT_EQ(csaTeKaku(k, te), "+0055FU");
  EXPECT_EQ(usiTeKaku(k, te), "P*5e");
}

}  // namespace
}  // namespace syougi
