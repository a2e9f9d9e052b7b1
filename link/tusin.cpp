#include "link/tusin.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <utility>
#include <vector>

#include "model/kiroku.h"

namespace syougi {

namespace {

constexpr const char* kEraTitle = "[ｷｬﾝｾﾙ]中断、[OK]無視";
constexpr const char* kSousinModeJusin = "送信モード中に受信 MSG=";
constexpr const char* kNagasugiru = "長すぎる受信MSG=";
constexpr const char* kHusei = "不正な受信MSG=";
constexpr const char* kTogireta = "途切れた受信MSG=";

constexpr size_t kMaxMsg = 12;  // characters, the LF included

std::string akenai(const Port& p, const std::string& reason) {
  return "通信ポート " + p.name() + " を開けません。\n" + reason;
}

std::string kireta(const Port& p) {
  std::string s = "通信ポート " + p.name() + " との接続が切れました。";
  if (!p.why().empty()) s += "\n" + p.why();
  return s;
}

const char* lineText(int code) {
  switch (code) {
    case kEvCd: return "CD ラインの状態が変化しました。";
    case kEvCts: return "CTS ラインの状態が変化しました。";
    case kEvDsr: return "DSR ラインの状態が変化しました。";
    case kEvRing: return "リング インジケータの状態が変化しました。";
    case kEvEof: return "EOF 文字を受信しました。";
    default: return nullptr;
  }
}

const char* errorText(int code) {
  switch (code) {
    case kErBreak: return "中断信号を受信しました。";
    case kErFrame: return "フレーム エラーです。";
    case kErOverrun: return "データを失いました。";
    case kErRxOver: return "受信バッファがオーバーフローしました。";
    case kErParity: return "パリティ エラーです。";
    case kErTxFull: return "送信バッファがいっぱいです。";
    case kErDcb: return "デバイス コントロール ブロック (DCB)が取得される予期しないエラーです。";
    default: return nullptr;
  }
}

}  // namespace

double TusinHost::ima() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool yomuSasite(std::string_view text, UkeSasite& out) {
  KirokuTe t;
  if (kirokuTeWakeru(text, t) != KirokuKekka::kOk || t.moto == t.saki) return false;
  out.sentaku = t.moto == 0 ? 100 + t.kind : t.moto;
  out.saki = t.saki;
  return true;
}

Tusin::Tusin(Port& port, TusinHost& host, std::string logPath)
    : port_(port), host_(host), logPath_(std::move(logPath)) {}

void Tusin::Command1_Click() {
  host_.showCommand1(false);
  host_.showCommand3(false);
  sousinmode = kFalse;
  send(host_.outMsg());
}

void Tusin::Command2_Click(int index) {
  host_.showCommand2(0, false);
  host_.showCommand2(1, false);
  host_.showCommand4(true);
  if (!port_.isOpen()) {
    std::string reason;
    if (!port_.open(kSettings, reason)) {
      // The box stands over the idle panel, as after a lost connection.
      stop();
      host_.messageBox(akenai(port_, reason));
      return;
    }
    // A fragment left over from an earlier session would spoil the first
    // message of this one.
    zyusinmsg.clear();
    sousinmodemsg.clear();
    watched_ = port_.fd();
    host_.watchPort(watched_);
  }
  if (index == 1) {
    host_.showCommand1(true);
    host_.showCommand3(true);
    sousinmode = kTrue;
  } else {
    sousinmode = kFalse;
  }
}

void Tusin::Command3_Click() { stop(); }

void Tusin::Command4_Click() { stop(); }

void Tusin::stop() {
  host_.showCommand1(false);
  host_.showCommand3(false);
  host_.showCommand4(false);
  host_.showCommand2(0, true);
  host_.showCommand2(1, true);
  if (port_.isOpen()) {
    watched_ = -1;
    host_.watchPort(-1);
    port_.close();
  }
}

void Tusin::send(const std::string& text) {
  // Without a link (an automatic match that was never started) nothing goes
  // out, and nothing is logged as sent.
  if (!port_.isOpen()) return;
  port_.write(text + "\n");
  logLine(text + "\n");
}

void Tusin::MSComm1_OnComm(int code) {
  if (code == kEvReceive) {
    if (sousinmode) {
      sousinmodemsg += port_.readAll();
      if (!sousinmodemsg.empty() &&
          (sousinmodemsg.back() == '\n' || sousinmodemsg.size() >= kMaxMsg)) {
        eramsg = kSousinModeJusin + sousinmodemsg.substr(0, sousinmodemsg.size() - 1);
        sousinmodemsg.clear();
      }
    } else {
      const std::string got = port_.readAll();
      if (!got.empty()) uketaToki_ = host_.ima();
      zyusinmsg += got;
      if (zyusinmsg.size() > kMaxMsg) {
        eramsg = kNagasugiru + zyusinmsg;
        zyusinmsg.clear();
      } else if (!zyusinmsg.empty() && zyusinmsg.back() == '\n') {
        host_.setInMsg(zyusinmsg.substr(0, zyusinmsg.size() - 1));
        host_.showCommand1(true);
        host_.showCommand3(true);
        sousinmode = kTrue;
        logLine(zyusinmsg);
        const bool toryo = uketoru(zyusinmsg);
        zyusinmsg.clear();
        if (toryo) return;
      }
    }
  } else if (const char* t = lineText(code)) {
    ibentomsg = t;
  } else if (const char* t = errorText(code)) {
    eramsg = t;
  }
  hyouzi();
}

void Tusin::hyouzi() {
  if (!ibentomsg.empty()) {
    host_.setMesezi(ibentomsg);
    ibentomsg.clear();
  } else if (!eramsg.empty()) {
    const std::string text = std::move(eramsg);
    eramsg.clear();
    if (!host_.eraDialog(text, kEraTitle)) Command4_Click();
  }
}

void Tusin::portEvents() {
  if (dispatching_ || host_.matu()) return;
  dispatching_ = true;
  const std::vector<int> codes = port_.events();
  for (int code : codes) {
    // Cancel in the error dialog closes the port; the rest is moot.
    if (!port_.isOpen()) break;
    MSComm1_OnComm(code);
  }
  // A vanished device would keep the descriptor readable for ever. A
  // connection that never came about is a port that could not be opened.
  if (port_.isOpen() && port_.hungUp()) {
    const std::string text = port_.reached() ? kireta(port_) : akenai(port_, port_.why());
    Command4_Click();
    host_.messageBox(text);
  } else if (port_.isOpen() && port_.fd() != watched_) {
    // A listening port has handed over to the connection it took.
    watched_ = port_.fd();
    host_.watchPort(watched_);
  }
  // A message whose LF was lost never completes, and both sides would wait
  // for ever with nothing on the screen.
  if (port_.isOpen() && !sousinmode && !zyusinmsg.empty() && host_.ima() - uketaToki_ >= kKireMa) {
    eramsg = kTogireta + zyusinmsg;
    zyusinmsg.clear();
    hyouzi();
  }
  dispatching_ = false;
}

bool Tusin::uketoru(const std::string& m) {
  if (m.compare(0, 6, "%TORYO") == 0) {
    host_.touryou_Click();
    return true;
  }
  const std::string_view text(m.data(), m.size() - 1);  // without the LF
  UkeSasite u;
  if (!yomuSasite(text, u)) {
    eramsg = kHusei + std::string(text);
    return false;
  }
  // The second player's squares are seen from the other side of the board;
  // hand codes have no side to turn.
  if (host_.tesuu() % 2 != 0) {
    host_.e_MouseDown(u.sentaku);
    host_.e_MouseDown(u.saki);
  } else {
    host_.e_MouseDown(u.sentaku >= 100 ? u.sentaku : 110 - u.sentaku);
    host_.e_MouseDown(110 - u.saki);
  }
  // A move the board refuses gets no reply: without a word both sides
  // would wait for ever.
  if (host_.yuuzaaTeban()) eramsg = kHusei + std::string(text);
  return false;
}

void Tusin::logLine(std::string_view bytes) {
  // The log is a convenience: a file that cannot be written stops nothing.
  // One write of the whole line, without a stdio buffer for a few bytes.
  if (logPath_.empty()) return;
  std::string line(bytes);
  line += "\r\n";
  const int fd = ::open(logPath_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  [[maybe_unused]] const ssize_t n = ::write(fd, line.data(), line.size());
  ::close(fd);
}

}  // namespace syougi
