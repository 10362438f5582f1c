#pragma once
// A thin layer over SQLite: a connection and prepared statements that finalize themselves.
// Errors come back as SQLite result codes; nothing here throws.
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace tp::sql {

class Statement {
 public:
  Statement() = default;
  Statement(sqlite3* db, std::string_view text);
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool ok() const { return stmt_ != nullptr; }
  // Binds by position (1-based); returns *this so calls chain.
  Statement& Bind(int index, int64_t value);
  Statement& Bind(int index, std::string_view text);  // stored as a blob: names may hold any bytes
  Statement& BindNull(int index);
  // One step: SQLITE_ROW, SQLITE_DONE or an error code.
  int Step();
  // Steps to the end (for statements without rows); SQLITE_DONE on success.
  int Run();
  void Reset();
  int64_t Int(int column) const;
  std::string Text(int column) const;
  bool IsNull(int column) const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// Runs statements that take no parameters; the SQLite result code.
int Exec(sqlite3* db, const char* text);

// Results that show the database file can no longer be used (full disk, input or output
// error, damage, a file turned read-only), as opposed to a busy lock or a constraint.
bool IsFatal(int rc);
// Every step, Exec and commit that gives a fatal result marks its connection; the owner
// checks the mark and moves elsewhere. Forget drops the mark of a closed connection.
bool HasFailed(sqlite3* db);
void Forget(sqlite3* db);

// BEGIN IMMEDIATE ... COMMIT, rolled back when not committed.
class Transaction {
 public:
  explicit Transaction(sqlite3* db);
  ~Transaction();
  bool began() const { return began_; }
  bool Commit();

 private:
  sqlite3* db_;
  bool began_ = false;
  bool done_ = false;
};

}  // namespace tp::sql
