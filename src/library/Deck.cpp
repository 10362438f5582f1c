#include "library/Deck.h"

#include <algorithm>
#include <ctime>
#include <vector>

#include "library/Sql.h"

namespace tp {

namespace {

const char* DealtColumn(DeckOrder order) {
  switch (order) {
    case DeckOrder::Shuffle: return "dealt0";
    case DeckOrder::Name: return "dealt1";
    case DeckOrder::Date: return "dealt2";
    case DeckOrder::Newest: return "dealt3";
  }
  return "dealt0";
}

// The orders that walk the index (the shuffle seeks a random row instead).
const char* OrderBy(DeckOrder order) {
  switch (order) {
    case DeckOrder::Shuffle: return "p.id";
    case DeckOrder::Name: return "f.path, p.name";
    case DeckOrder::Date: return "p.taken, p.folder, p.name";
    case DeckOrder::Newest: return "p.taken DESC, p.folder, p.name";
  }
  return "p.id";
}

int64_t Now() { return int64_t(std::time(nullptr)); }

// The row still holds the picture of folder path ?3 and name ?4.
const std::string kSamePicture = "folder = (SELECT id FROM folders WHERE path = ?3) AND name = ?4";

// The folders are read only where the order needs their paths.
const char* From(DeckOrder order) {
  return order == DeckOrder::Name ? "pictures p JOIN folders f ON f.id = p.folder" : "pictures p";
}

std::string With(const std::string& text, DeckOrder order) {
  std::string out;
  for (char c : text) {
    if (c == '@') out += DealtColumn(order);
    else if (c == '$') out += From(order);
    else if (c == '#') out += OrderBy(order);
    else out += c;
  }
  return out;
}

}  // namespace

Deck::PictureName Deck::NameOf(const LibraryPicture& picture) {
  const std::string_view path = picture.path;
  if (path.size() > picture.folder.size() && path.substr(0, picture.folder.size()) == picture.folder &&
      path[picture.folder.size()] == '/')
    return {picture.folder, path.substr(picture.folder.size() + 1)};
  return {picture.folder, path};
}

void Deck::FreeExpired() {
  sql::Statement expired(db_, "UPDATE pictures SET res_token = NULL, res_pid = NULL, res_start = NULL, res_until = NULL "
                              "WHERE res_pid IS NOT NULL AND res_until < ?1");
  expired.Bind(1, Now()).Run();
  std::vector<std::pair<int64_t, int64_t>> owners;
  sql::Statement list(db_, "SELECT DISTINCT res_pid, res_start FROM pictures WHERE res_pid IS NOT NULL");
  while (list.Step() == SQLITE_ROW) owners.emplace_back(list.Int(0), list.Int(1));
  sql::Statement free(db_, "UPDATE pictures SET res_token = NULL, res_pid = NULL, res_start = NULL, res_until = NULL "
                           "WHERE res_pid = ?1 AND res_start = ?2");
  for (const auto& [pid, start] : owners)
    if (!OwnerIsAlive(pid, start)) free.Bind(1, pid).Bind(2, start).Run();
}

int64_t Deck::CurrentPass(int64_t& last) {
  sql::Statement get(db_, "SELECT pass, last FROM decks WHERE deck = ?1");
  get.Bind(1, int64_t(order_));
  if (get.Step() == SQLITE_ROW) {
    last = get.Int(1);
    return get.Int(0);
  }
  sql::Statement put(db_, "INSERT INTO decks(deck, pass, last) VALUES(?1, 1, 0)");
  put.Bind(1, int64_t(order_)).Run();
  last = 0;
  return 1;
}

std::optional<int64_t> Deck::Pick(int64_t pass, int64_t last, bool freeOnly) {
  // Not the picture shown last while another one is there (it may end one pass and would
  // start the next).
  // Not free: held by another show (pictures this show holds already count as dealt
  // for the choice, so that a show holding the last ones starts the next pass).
  const std::string where =
      freeOnly ? "p.@ < ?1 AND p.res_token IS NULL" : "p.@ < ?1 AND (p.res_token IS NULL OR p.res_token != ?3)";
  // The shuffle takes the first picture not yet dealt from a random row on, wrapping round:
  // two seeks in the table, where sorting by a random key would read all of it. A new
  // picture is as likely as any other to come next; every one still comes once per pass.
  std::vector<std::string> ranges = {""};
  int64_t from = 0;
  if (order_ == DeckOrder::Shuffle) {
    // Two lookups: min and max in one SELECT would read the whole table.
    sql::Statement bounds(db_, "SELECT (SELECT min(id) FROM pictures), (SELECT max(id) FROM pictures)");
    if (bounds.Step() != SQLITE_ROW || bounds.IsNull(0)) return std::nullopt;
    from = std::uniform_int_distribution<int64_t>(bounds.Int(0), bounds.Int(1))(random_);
    ranges = {" AND p.id >= ?4", " AND p.id < ?4"};
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    for (const std::string& range : ranges) {
      std::string text = "SELECT p.id FROM $ WHERE " + where + range + (attempt == 0 ? " AND p.id != ?2" : "") +
                         " ORDER BY # LIMIT 1";
      sql::Statement pick(db_, With(text, order_));
      pick.Bind(1, pass).Bind(3, owner_.token);
      if (attempt == 0) pick.Bind(2, last);
      if (!range.empty()) pick.Bind(4, from);
      if (pick.Step() == SQLITE_ROW) return pick.Int(0);
    }
  }
  return std::nullopt;
}

std::optional<LibraryPicture> Deck::Reserve(bool mayStartPass) {
  sql::Transaction tx(db_);
  if (!tx.began()) return std::nullopt;
  FreeExpired();
  int64_t last = 0;
  int64_t pass = CurrentPass(last);
  std::optional<int64_t> id = Pick(pass, last, true);
  if (!id && !mayStartPass) return std::nullopt;
  if (!id && !Pick(pass, last, false)) {
    // Every picture dealt (or skipped) in this pass, or held by this show: the next pass begins.
    ++pass;
    sql::Statement next(db_, "UPDATE decks SET pass = ?2, dealt = 0 WHERE deck = ?1");
    next.Bind(1, int64_t(order_)).Bind(2, pass).Run();
    id = Pick(pass, last, true);
  }
  if (!id) {
    // The rest of the pass is held by other shows: the one dealt longest ago not held by this show.
    sql::Statement any(db_, With("SELECT p.id FROM $ WHERE p.res_token IS NULL OR p.res_token != ?1 "
                                 "ORDER BY p.@, # LIMIT 1", order_));
    any.Bind(1, owner_.token);
    if (any.Step() == SQLITE_ROW) id = any.Int(0);
  }
  if (!id) return std::nullopt;
  sql::Statement hold(db_, "UPDATE pictures SET res_token = ?2, res_pid = ?3, res_start = ?4, res_until = ?5 WHERE id = ?1");
  hold.Bind(1, *id).Bind(2, owner_.token).Bind(3, owner_.pid).Bind(4, owner_.start).Bind(5, Now() + kReservationSeconds).Run();
  sql::Statement get(db_, "SELECT p.id, p.name, f.path, p.width, p.height, p.orientation, p.taken "
                          "FROM pictures p JOIN folders f ON f.id = p.folder WHERE p.id = ?1");
  get.Bind(1, *id);
  if (get.Step() != SQLITE_ROW) return std::nullopt;
  LibraryPicture picture;
  picture.id = get.Int(0);
  picture.folder = get.Text(2);
  picture.path = picture.folder + "/" + get.Text(1);
  picture.width = int(get.Int(3));
  picture.height = int(get.Int(4));
  picture.orientation = int(get.Int(5));
  picture.taken = get.Int(6);
  get.Reset();
  if (!tx.Commit()) return std::nullopt;
  return picture;
}

bool Deck::Deal(int64_t id, const PictureName& name, int64_t pass) {
  sql::Statement dealt(db_, With("UPDATE pictures SET @ = ?2 WHERE id = ?1 AND @ < ?2 AND " + kSamePicture, order_));
  dealt.Bind(1, id).Bind(2, pass).Bind(3, name.folder).Bind(4, name.name).Run();
  const bool counted = sqlite3_changes(db_) > 0;
  if (counted) {
    sql::Statement count(db_, "UPDATE decks SET dealt = dealt + 1 WHERE deck = ?1");
    count.Bind(1, int64_t(order_)).Run();
  }
  sql::Statement free(db_, "UPDATE pictures SET res_token = NULL, res_pid = NULL, res_start = NULL, res_until = NULL "
                           "WHERE id = ?1 AND res_token IS NOT NULL AND " + kSamePicture);
  free.Bind(1, id).Bind(3, name.folder).Bind(4, name.name).Run();
  return counted;
}

DeckPosition Deck::Shown(int64_t id, const PictureName& name) {
  DeckPosition at;
  sql::Transaction tx(db_);
  if (!tx.began()) return at;
  int64_t last = 0;
  at.pass = CurrentPass(last);
  Deal(id, name, at.pass);
  sql::Statement mark(db_, "UPDATE decks SET last = ?2 WHERE deck = ?1");
  mark.Bind(1, int64_t(order_)).Bind(2, id).Run();
  // The count kept per deck also holds pictures dealt and removed since; the position
  // never runs past the deck.
  sql::Statement count(db_, "SELECT (SELECT count(*) FROM pictures), dealt FROM decks WHERE deck = ?1");
  count.Bind(1, int64_t(order_));
  if (count.Step() == SQLITE_ROW) {
    at.of = count.Int(0);
    at.position = std::min(count.Int(1), at.of);
  }
  count.Reset();
  tx.Commit();
  return at;
}

void Deck::Release(int64_t id, const PictureName& name) {
  sql::Statement free(db_, "UPDATE pictures SET res_token = NULL, res_pid = NULL, res_start = NULL, res_until = NULL "
                           "WHERE id = ?1 AND res_token = ?2 AND " + kSamePicture);
  free.Bind(1, id).Bind(2, owner_.token).Bind(3, name.folder).Bind(4, name.name).Run();
}

void Deck::Skip(int64_t id, const PictureName& name) {
  sql::Transaction tx(db_);
  if (!tx.began()) return;
  int64_t last = 0;
  Deal(id, name, CurrentPass(last));
  tx.Commit();
}

void Deck::ReleaseAll() {
  sql::Statement free(db_, "UPDATE pictures SET res_token = NULL, res_pid = NULL, res_start = NULL, res_until = NULL "
                           "WHERE res_token = ?1");
  free.Bind(1, owner_.token).Run();
}

}  // namespace tp
