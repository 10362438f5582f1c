#pragma once
// The deck kept in the index: every picture dealt once per pass, in the order chosen, and
// shared by every show that runs on the same index (each reservation one transaction, so
// two shows never hold the same picture while another one is free).
//
// Per order the index keeps the pass under way and the picture shown last; per picture,
// the pass in which it was dealt (or skipped) and the show that holds it reserved. A
// reservation is free again when its show ends, when the process holding it no longer
// runs, and after kReservationSeconds in any case. Per deck the index also counts the
// pictures dealt in this pass, for the position the event log gives.
#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "library/PictureLibrary.h"
#include "library/ShowOwner.h"

namespace tp {

constexpr int64_t kReservationSeconds = 30 * 60;

struct DeckPosition {
  int64_t pass = 0;
  int64_t position = 0;  // pictures dealt in this pass, this one included
  int64_t of = 0;        // pictures in the deck
};

class Deck {
 public:
  Deck(sqlite3* db, DeckOrder order, ShowOwner owner) : db_(db), order_(order), owner_(owner) {}

  // The next picture not yet dealt in this pass and held by no other show; when the pass
  // is dealt out, a new one starts (shuffled again, not with the picture shown last).
  // With every picture held by other shows, one of those. Without mayStartPass (while
  // the scan is still finding pictures) a pass dealt out gives nothing instead.
  std::optional<LibraryPicture> Reserve(bool mayStartPass = true);
  // A picture is named by its row, folder and name (a row of another index names nothing).
  struct PictureName {
    std::string_view folder, name;
  };
  static PictureName NameOf(const LibraryPicture& picture);
  DeckPosition Shown(int64_t id, const PictureName& name);
  void Release(int64_t id, const PictureName& name);
  void Skip(int64_t id, const PictureName& name);
  // Gives back every reservation of this show.
  void ReleaseAll();

 private:
  std::optional<int64_t> Pick(int64_t pass, int64_t last, bool freeOnly);
  // Marks the picture dealt in this pass (counted once) and frees its reservation; true
  // when it was not dealt in this pass before.
  bool Deal(int64_t id, const PictureName& name, int64_t pass);
  int64_t CurrentPass(int64_t& last);
  void FreeExpired();

  sqlite3* db_;
  DeckOrder order_;
  ShowOwner owner_;
  std::mt19937_64 random_{std::random_device{}()};
};

}  // namespace tp
