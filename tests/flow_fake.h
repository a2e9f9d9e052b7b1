// A recording screen and a scripted computer for driving the game flow
// headless, and a scratch working directory for the files it writes.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/computer.h"
#include "window/gamen.h"
#include "window/syougi.h"
#include "tests/board_helpers.h"
#include "tests/temp_dir.h"

namespace syougi::fake {

struct Marker {
  bool visible = false;
  int at = 0;
};

class FakeGamen : public Gamen {
 public:
  std::map<int, int32_t> pic;
  std::map<std::string, std::string> texts;
  std::map<Senn, Marker> senn;
  bool kaisiVisible = true;
  std::map<std::string, bool> menus;
  std::map<std::string, bool> visible;
  std::vector<std::string> msgs;       // OK message boxes
  std::vector<std::string> questions;  // Yes/No message boxes
  std::deque<bool> answers;            // answers to the next questions
  std::vector<std::string> okCancels;  // "title|text" of OK/Cancel boxes
  std::deque<bool> okAnswers;          // true OK, false Cancel; OK when empty
  bool defaultAnswer = true;
  int beeps = 0;
  int timer = 0;
  std::vector<int> timerLog;
  double now = 36000.0;
  bool zidouOn = false;
  std::function<void()> onMsgbox;  // runs inside an OK message box
  std::function<void()> inBox;     // runs inside every box, as its loop would

  void e(int index, int32_t code) override { pic[index] = code; }
  void text(const std::string& name, const std::string& s) override { texts[name] = s; }
  void sennMiseru(Senn w, int index) override { senn[w] = {true, index}; }
  void sennKakusu(Senn w) override { senn[w].visible = false; }
  void kaisi(bool v) override { kaisiVisible = v; }
  void menu(const std::string& name, bool enabled) override { menus[name] = enabled; }
  void miseru(const std::string& name, bool v) override { visible[name] = v; }
  void msgbox(const std::string& s) override {
    msgs.push_back(s);
    if (onMsgbox) onMsgbox();
    if (inBox) inBox();
  }
  bool hai(const std::string& s) override {
    questions.push_back(s);
    if (inBox) inBox();
    if (answers.empty()) return defaultAnswer;
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
  bool okCancel(const std::string& s, const std::string& title) override {
    okCancels.push_back(title + "|" + s);
    if (inBox) inBox();
    if (okAnswers.empty()) return true;
    const bool a = okAnswers.front();
    okAnswers.pop_front();
    return a;
  }
  std::string yomu(const std::string& name) override { return texts[name]; }
  void beep() override { ++beeps; }
  std::string erabu;  // the file the dialog gives
  std::string fairuErabu() override { return erabu; }
  void taimaa(int ms) override {
    timer = ms;
    timerLog.push_back(ms);
  }
  double zikoku() override { return now; }
  bool zidou() override { return zidouOn; }

  std::string t(const std::string& name) { return texts[name]; }
  bool shown(Senn w) { return senn[w].visible; }
};

// Plays the moves it is given, in order; records what it was asked.
class ScriptComputer : public Computer {
 public:
  std::deque<ComKekka> te;
  std::vector<int32_t> askedAt;  // tesuu at each erabu
  std::vector<uint32_t> seeds;
  std::function<void()> duringErabu;

  void youi(uint32_t seed) override { seeds.push_back(seed); }
  ComKekka erabu(const Men&, int32_t tesuu) override {
    askedAt.push_back(tesuu);
    if (duringErabu) duringErabu();
    if (te.empty()) {
      ADD_FAILURE() << "no scripted move left at move " << tesuu;
      ComKekka k;
      k.saikou1 = -32000;
      return k;
    }
    ComKekka k = te.front();
    te.pop_front();
    return k;
  }
  void push(int32_t moto, int32_t saki, int16_t saikou1 = 0, const std::string& sennkei = "mitei",
            int32_t teban = 1) {
    ComKekka k;
    k.moto = moto;
    k.saki = saki;
    k.saikou1 = saikou1;
    k.sennkei = sennkei;
    k.teban = teban;
    te.push_back(k);
  }
};

// Runs each test in a fresh empty working directory.
class ScratchDir : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.made());
    tmp_.enter();
  }
  static std::string slurp(const std::string& name) {
    std::ifstream f(name, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
  test::TempDir tmp_{"flow"};
};

// Puts a position on the board as the one before the move now to be
// played, so that an undone move restores it.
inline void setPosition(Syougi& s, const Ban& aru, const Mochi& arull) {
  s.game.aru = aru;
  s.game.arull = arull;
  for (int c = 0; c < 100; ++c) s.game.rekiaru[s.game.tesuu - 1][c] = aru[c];
  for (int c = 0; c < 29; ++c) s.game.rekiarull[s.game.tesuu - 1][c] = arull[c];
}

using test::emptyBoard;

}  // namespace syougi::fake
