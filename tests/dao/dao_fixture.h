// A fresh database of ours in a temporary folder, with helpers to make small tables.
#pragma once

#include "platform/dao/dao.h"
#include "support/temp_dir.h"

#include <memory>

namespace daotest {

class DaoTest : public testsupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        db = dao::Database::create(path("TEST.MDB"), QStringLiteral("secret"));
    }

    // PRIME-like table: FILE, SEQUENCE, NAME1, EXPIRE, MOD, ASSOCIATES, ISSUE1; index PRIMARY on
    // (FILE, SEQUENCE) unique and KEY2 on NAME1.
    void makePrime() {
        db->createTable("PRIME", {{"FILE", "TEXT", 9},
                                  {"SEQUENCE", "TEXT", 2},
                                  {"NAME1", "TEXT", 35},
                                  {"EXPIRE", "DATE"},
                                  {"MOD", "DOUBLE"},
                                  {"ASSOCIATES", "YESNO"},
                                  {"ISSUE1", "LONG"},
                                  {"NOTES", "MEMO"}});
        db->createIndex("PRIME", "PRIMARY", {"FILE", "SEQUENCE"}, true);
        db->createIndex("PRIME", "KEY2", {"NAME1"});
    }

    void addPrime(const QString& file, const QString& seq, const QVariant& name, const QVariant& expire = {},
                  const QVariant& mod = {}) {
        db->executeBound("INSERT INTO PRIME (FILE, SEQUENCE, NAME1, EXPIRE, MOD) VALUES (?, ?, ?, ?, ?)",
                         {file, seq, name, expire, mod});
    }

    std::unique_ptr<dao::Database> db;
};

} // namespace daotest
