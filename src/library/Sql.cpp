#include "library/Sql.h"

#include <mutex>
#include <set>
#include <utility>

namespace tp::sql {

namespace {

std::mutex failedLock;
std::set<sqlite3*> failed;

int Note(sqlite3* db, int rc) {
  if (db && IsFatal(rc)) {
    std::lock_guard<std::mutex> hold(failedLock);
    failed.insert(db);
  }
  return rc;
}

}  // namespace

bool IsFatal(int rc) {
  switch (rc & 0xff) {
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
      return true;
    default:
      return false;
  }
}

bool HasFailed(sqlite3* db) {
  std::lock_guard<std::mutex> hold(failedLock);
  return failed.count(db) != 0;
}

void Forget(sqlite3* db) {
  std::lock_guard<std::mutex> hold(failedLock);
  failed.erase(db);
}

Statement::Statement(sqlite3* db, std::string_view text) {
  if (Note(db, sqlite3_prepare_v3(db, text.data(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr)) != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement::Statement(Statement&& other) noexcept : stmt_(std::exchange(other.stmt_, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(stmt_);
    stmt_ = std::exchange(other.stmt_, nullptr);
  }
  return *this;
}

Statement& Statement::Bind(int index, int64_t value) {
  if (stmt_) sqlite3_bind_int64(stmt_, index, value);
  return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
  if (stmt_) sqlite3_bind_blob64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT);
  return *this;
}

Statement& Statement::BindNull(int index) {
  if (stmt_) sqlite3_bind_null(stmt_, index);
  return *this;
}

int Statement::Step() { return stmt_ ? Note(sqlite3_db_handle(stmt_), sqlite3_step(stmt_)) : SQLITE_MISUSE; }

int Statement::Run() {
  int rc;
  while ((rc = Step()) == SQLITE_ROW) {
  }
  Reset();
  return rc;
}

void Statement::Reset() {
  if (!stmt_) return;
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

int64_t Statement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string Statement::Text(int column) const {
  const void* data = sqlite3_column_blob(stmt_, column);
  const int size = sqlite3_column_bytes(stmt_, column);
  return data ? std::string(static_cast<const char*>(data), size_t(size)) : std::string();
}

bool Statement::IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

int Exec(sqlite3* db, const char* text) { return Note(db, sqlite3_exec(db, text, nullptr, nullptr, nullptr)); }

Transaction::Transaction(sqlite3* db) : db_(db) { began_ = Exec(db, "BEGIN IMMEDIATE") == SQLITE_OK; }

Transaction::~Transaction() {
  if (began_ && !done_) Exec(db_, "ROLLBACK");
}

bool Transaction::Commit() {
  if (!began_ || done_) return false;
  done_ = Exec(db_, "COMMIT") == SQLITE_OK;
  return done_;
}

}  // namespace tp::sql
