// The computer player of every front end (window, USI engine, match referee):
// opening book, mate search and main search in that order.
#pragma once

#include <memory>
#include <string>

#include "engine/basyo.h"
#include "engine/book.h"
#include "engine/computer.h"
#include "model/ply.h"
#include "engine/search.h"
#include "mate/tume.h"

namespace syougi {

class Sikou : public Computer {
 public:
  Sikou();
  void youi(uint32_t seed) override;
  ComKekka erabu(const Men& m, int32_t tesuu) override;
  void setBookPath(const std::string& path) override { bookPath_ = path; }
  void setInstalledBook(const std::string& path) override { installedBook_ = path; }

  const Zyouseki& book() const { return book_; }
  const std::string& sennkei() const { return sennkei_; }
  int32_t teban() const { return basyo_.teban; }

 private:
  PlyTable ply_{};  // shared by the mate search and the main search
  Zyouseki book_;
  Basyo basyo_;
  Rng rng_;
  std::string sennkei_ = "mitei";
  std::string bookPath_ = "joseki.lis";
  std::string installedBook_;
  Tume tume_{ply_};
  Search search_{ply_};
  SearchInput in_;
};

std::unique_ptr<Computer> makeComputer();

}  // namespace syougi
