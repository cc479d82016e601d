// Prepared statements and transactions: binding, stepping, reuse after a failure, and the
// transaction that rolls back unless it is committed.
#include "dao_fixture.h"
#include "platform/dao/statement.h"

#include <gtest/gtest.h>

#include <stdexcept>

using dao::DaoError;
using dao::Statement;
using dao::Transaction;
using daotest::DaoTest;

namespace {

class StatementTest : public DaoTest {
protected:
    void SetUp() override {
        DaoTest::SetUp();
        makePrime();
    }
    int rows() { return db->scalar("SELECT count(*) FROM PRIME").toInt(); }
};

TEST_F(StatementTest, BindsByIndexAndNameStepsAndIsReadyAgainAfterAFailure) {
    Statement insert(*db, "INSERT INTO PRIME (FILE, SEQUENCE, NAME1, EXPIRE) VALUES (?, ?, :name, ?)");
    insert.bindText(1, "1");
    insert.bind(2, "01");
    insert.bind(":name", QVariant()); // Null
    insert.bind(4, QDate(1999, 12, 31));
    EXPECT_EQ(insert.run(), 1);
    // The same key again breaks the unique index: the statement says so and can be used again.
    insert.bindText(1, "1");
    insert.bind(2, "01");
    try {
        insert.run();
        ADD_FAILURE() << "no error";
    } catch (const DaoError& e) {
        EXPECT_TRUE(e.message().startsWith("VELK could not write to ")) << e.message().toStdString();
        EXPECT_FALSE(e.message().contains("INSERT")) << "no SQL in a message";
    }
    insert.bindText(1, "2");
    insert.bind(2, "01");
    insert.bind(":name", "B");
    EXPECT_EQ(insert.run(), 1);
    EXPECT_THROW(insert.bind(":missing", 1), DaoError);

    Statement select(*db, "SELECT NAME1, EXPIRE FROM PRIME WHERE FILE >= ? ORDER BY FILE");
    select.bind(1, "1");
    ASSERT_TRUE(select.step());
    EXPECT_FALSE(select.column(0).isValid());
    EXPECT_EQ(select.column(1).toString(), "1999-12-31");
    select.reset(); // ended early: ready for the next use
    select.bind(1, "2");
    ASSERT_TRUE(select.step());
    EXPECT_EQ(select.column(0).toString(), "B");
    EXPECT_FALSE(select.step());
}

TEST_F(StatementTest, TransactionRollsBackUnlessCommitted) {
    try {
        Transaction t(*db);
        addPrime("1", "01", "A");
        throw std::runtime_error("stop");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(rows(), 0);
    EXPECT_FALSE(db->inTransaction());
    {
        Transaction t(*db);
        addPrime("1", "01", "A");
        t.commit();
        EXPECT_TRUE(t.committed());
    }
    EXPECT_EQ(rows(), 1);
}

TEST_F(StatementTest, InnerTransactionIsASavepointOfTheOuter) {
    {
        Transaction outer(*db);
        addPrime("1", "01", "A");
        {
            Transaction inner(*db);
            addPrime("2", "01", "B");
        } // not committed: only B goes
        {
            Transaction inner(*db);
            addPrime("3", "01", "C");
            inner.commit();
        }
        EXPECT_EQ(db->transactionDepth(), 1);
        outer.commit();
    }
    EXPECT_EQ(
        db->scalar("SELECT group_concat(NAME1, '') FROM (SELECT NAME1 FROM PRIME ORDER BY FILE)").toString(),
        "AC");
    {
        Transaction outer(*db);
        Transaction inner(*db);
        addPrime("4", "01", "D");
        inner.commit(); // kept only as long as the outer one is
    }
    EXPECT_EQ(rows(), 2);
    EXPECT_FALSE(db->inTransaction());
}

} // namespace
