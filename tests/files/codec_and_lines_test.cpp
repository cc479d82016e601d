#include "platform/files/quoted_line.h"
#include "platform/files/win1252.h"

#include <gtest/gtest.h>

using namespace files;

TEST(Win1252, EveryByteSurvivesARoundTrip) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = fromWin1252(all);
    ASSERT_EQ(text.size(), 256);
    bool ok = false;
    EXPECT_EQ(toWin1252(text, &ok), all);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(isWin1252Encodable(text));
}

TEST(Win1252, KnownCharacters) {
    EXPECT_EQ(fromWin1252(QByteArray("\x80")), QString(QChar(0x20AC)));
    EXPECT_EQ(fromWin1252(QByteArray("\x9f")), QString(QChar(0x0178)));
    EXPECT_EQ(fromWin1252(QByteArray("\xe9")), QString(QChar(0x00E9)));
    EXPECT_EQ(toWin1252(QString(QChar(0x2019))), QByteArray("\x92"));
    EXPECT_EQ(toWin1252(QStringLiteral("Caf\u00e9")), QByteArray("Caf\xe9"));
}

TEST(Win1252, UndefinedBytesMapToTheirC1CodePoints) {
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        const QString s = fromWin1252(QByteArray(1, char(b)));
        ASSERT_EQ(s.size(), 1);
        EXPECT_EQ(s.at(0).unicode(), b);
        EXPECT_EQ(toWin1252(s), QByteArray(1, char(b)));
    }
}

TEST(Win1252, UnencodableCharactersBecomeOneQuestionMark) {
    bool ok = true;
    // U+0080 is a C1 control whose byte means the euro sign; a non-BMP character is one "?".
    EXPECT_EQ(toWin1252(QStringLiteral("a\u0080b\u4e2d") + QString::fromUcs4(U"\U0001F600"), &ok),
              QByteArray("a?b??"));
    EXPECT_FALSE(ok);
    EXPECT_FALSE(isWin1252Encodable(QStringLiteral("\u4e2d")));
}

TEST(QuotedLine, WritesTheExactBytes) {
    EXPECT_EQ(writeQuotedLine({QStringLiteral("INITIAL"), QStringLiteral("PA")}),
              QByteArray("\"INITIAL\",\"PA\"\r\n"));
    EXPECT_EQ(writeQuotedLine({QStringLiteral("North"), QStringLiteral("County"), QStringLiteral("001"),
                               QStringLiteral("005"), QStringLiteral("COUNTY"), false}),
              QByteArray("\"North\",\"County\",\"001\",\"005\",\"COUNTY\",#FALSE#\r\n"));
    EXPECT_EQ(writeQuotedLine({QStringLiteral(""), true}), QByteArray("\"\",#TRUE#\r\n"));
}

TEST(QuotedLine, ReadsBackWhatWasWritten) {
    const QVariantList fields{QStringLiteral("Big, small"), QStringLiteral("Zip Code"),
                              QStringLiteral("0101"),       QStringLiteral("M\u00fcller"),
                              QStringLiteral("ZIP"),        true};
    const QByteArray line = writeQuotedLine(fields);
    bool ok = false;
    const QVariantList back = readQuotedLine(line.chopped(2), &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(back.size(), 6);
    EXPECT_EQ(back, fields);
    EXPECT_EQ(back.at(2).typeId(), QMetaType::QString); // "0101" stays text
    EXPECT_EQ(back.at(5).typeId(), QMetaType::Bool);
}

TEST(QuotedLine, ToleratesLineEndsBlanksAndUnquotedFields) {
    bool ok = false;
    EXPECT_EQ(readQuotedLine("\"INITIAL\",\"PA\"\n", &ok),
              (QVariantList{QStringLiteral("INITIAL"), QStringLiteral("PA")}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(readQuotedLine(" \"a\" , 12 ,#false#"),
              (QVariantList{QStringLiteral("a"), QStringLiteral("12"), false}));
    EXPECT_TRUE(readQuotedLine("").isEmpty());
}

TEST(QuotedLine, QuoteInsideTheTextIsKept) {
    // Written without escaping; read back whole rather than cut at the inner quote.
    const QByteArray line = writeQuotedLine({QStringLiteral("Say \"hi\""), QStringLiteral("x")});
    EXPECT_EQ(readQuotedLine(line.chopped(2)),
              (QVariantList{QStringLiteral("Say \"hi\""), QStringLiteral("x")}));
}

TEST(QuotedLine, UnterminatedQuoteIsReported) {
    bool ok = true;
    const QVariantList f = readQuotedLine("\"a\",\"broken", &ok);
    EXPECT_FALSE(ok);
    ASSERT_EQ(f.size(), 2);
    EXPECT_EQ(f.at(0).toString(), QStringLiteral("a"));
}

TEST(QuotedLine, SplitLinesHandlesBothLineEnds) {
    EXPECT_EQ(splitLines("a\r\nb\nc\r\n"), (QList<QByteArray>{"a", "b", "c"}));
    EXPECT_EQ(splitLines("a\r\nb"), (QList<QByteArray>{"a", "b"}));
    EXPECT_TRUE(splitLines("").isEmpty());
}
