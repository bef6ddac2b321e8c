// The machine's change stamp: caches of settings trust a value read under an even
// stamp until it changes, so every commit must leave it even again, including
// commits that wrote nothing, and every commit that wrote must change it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "platform/base/machine_db.h"
#include "tests/support/machine_fixture.h"

namespace {

using platform::db::Session;
using platform::db::Statement;
using platform::db::Transaction;

class ChangeStamp : public testsupport::FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    Session session;
    session.Exec("CREATE TABLE IF NOT EXISTS stamp_probe (k INTEGER PRIMARY KEY, v TEXT)");
  }
};

int64_t Stamp() {
  Session session;
  return session.DataVersion();
}

// Runs body in a child process with its own connection; true when it exited 0.
bool InChild(const std::function<void()>& body) {
  pid_t pid = fork();
  if (pid == 0) {
    try {
      body();
    } catch (...) {
      _exit(1);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(ChangeStamp, CommitsThatWriteNothingLeaveItCachable) {
  struct Case {
    const char* name;
    std::function<void()> commit;
  };
  const Case cases[] = {
      {"empty transaction",
       [] {
         Session session;
         Transaction transaction(session);
         transaction.Commit();
       }},
      {"update that matches no row",
       [] {
         Session session;
         Statement(session, "UPDATE stamp_probe SET v = 'x' WHERE k = -1").Step();
       }},
      {"transaction rolled back",
       [] {
         Session session;
         Transaction transaction(session);
         Statement(session, "INSERT INTO stamp_probe (v) VALUES ('gone')").Step();
       }},
      {"another process opens the database (its schemas are in place)",
       [] { ASSERT_TRUE(InChild([] { Session session; })); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int64_t before = Stamp();
    ASSERT_GE(before, 0);
    c.commit();
    int64_t after = Stamp();
    EXPECT_GE(after, 0) << "a stamp left odd makes every cache miss";
    EXPECT_EQ(after % 2, 0);
    // Two reads in a row agree, so a cached value is actually reused.
    EXPECT_EQ(Stamp(), after);
  }
}

TEST_F(ChangeStamp, EveryWriteChangesItInThisProcessAndOthers) {
  int64_t start = Stamp();
  {
    Session session;
    Statement(session, "INSERT INTO stamp_probe (v) VALUES ('here')").Step();
  }
  int64_t afterOwn = Stamp();
  EXPECT_GE(afterOwn, 0);
  EXPECT_NE(afterOwn, start);

  ASSERT_TRUE(InChild([] {
    Session session;
    Transaction transaction(session);
    Statement(session, "INSERT INTO stamp_probe (v) VALUES ('there')").Step();
    transaction.Commit();
  }));
  int64_t afterOther = Stamp();
  EXPECT_GE(afterOther, 0);
  EXPECT_NE(afterOther, afterOwn);
}

}  // namespace
