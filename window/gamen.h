// What the game flow asks of the screen. The Qt window implements it; the
// tests drive the same flow through a recording fake.
#pragma once

#include <cstdint>
#include <string>

namespace syougi {

// The three marker rectangles: selected board piece, selected hand piece,
// destination of the computer's last move.
enum class Senn { senn1, senn11, senn2 };

class Gamen {
 public:
  virtual ~Gamen() = default;

  // Picture of control e(index) becomes koma(code); code 0 is the empty one.
  virtual void e(int index, int32_t code) = 0;
  // Text of a label or text box, by control name ("tebannl", "l12", "ko0",
  // "kifu", "men", ...).
  virtual void text(const std::string& name, const std::string& s) = 0;
  // Marker at the Top/Left of e(index), or hidden.
  virtual void sennMiseru(Senn w, int index) = 0;
  virtual void sennKakusu(Senn w) = 0;
  // Start panel `kaisi`.
  virtual void kaisi(bool visible) = 0;
  // Enabled state of a menu item, by name ("touryou", "saisei", ...).
  virtual void menu(const std::string& name, bool enabled) = 0;
  // Text the user typed into a text box, by name ("OutMsg").
  virtual std::string yomu(const std::string& name) = 0;
  // Visibility of another control, by name ("Command1", ...).
  virtual void miseru(const std::string& name, bool visible) = 0;
  // Modal message boxes titled "ヌバタ".
  virtual void msgbox(const std::string& s) = 0;
  virtual bool hai(const std::string& s) = 0;  // Yes/No; true for Yes
  // Modal OK/Cancel box with a title of its own; true for OK.
  virtual bool okCancel(const std::string& s, const std::string& title) = 0;
  virtual void beep() = 0;
  // File dialog for a record to open; empty when cancelled.
  virtual std::string fairuErabu() = 0;
  // Interval of timer `t` in ms; 0 switches it off.
  virtual void taimaa(int ms) = 0;
  // Time of day in seconds since midnight.
  virtual double zikoku() = 0;
  // Check box `zidou`.
  virtual bool zidou() = 0;
};

}  // namespace syougi
