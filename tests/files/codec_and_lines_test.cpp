#include "platform/files/quoted_line.h"
#include "platform/files/win1252.h"

#include <gtest/gtest.h>

#include <utility>

using namespace files;

TEST(Win1252, EveryByteRoundTripsAndKnownBytesGiveTheirCharacters) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = fromWin1252(all);
    ASSERT_EQ(text.size(), 256);
    bool ok = false;
    EXPECT_EQ(toWin1252(text, &ok), all);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(isWin1252Encodable(text));
    // Euro, Y with diaeresis, e acute, right quote; the five undefined bytes keep their C1 code points.
    const std::pair<int, char16_t> known[] = {{0x80, 0x20AC}, {0x9F, 0x0178}, {0xE9, 0x00E9},
                                              {0x92, 0x2019}, {0x81, 0x0081}, {0x8D, 0x008D},
                                              {0x8F, 0x008F}, {0x90, 0x0090}, {0x9D, 0x009D}};
    for (const auto& [byte, unicode] : known)
        EXPECT_EQ(text.at(byte).unicode(), unicode) << "byte " << byte;
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
    EXPECT_EQ(writeQuotedLine({"INITIAL", "PA"}), "\"INITIAL\",\"PA\"\r\n");
    EXPECT_EQ(writeQuotedLine({"North", "County", "001", "005", "COUNTY", false}),
              "\"North\",\"County\",\"001\",\"005\",\"COUNTY\",#FALSE#\r\n");
    EXPECT_EQ(writeQuotedLine({"", true}), "\"\",#TRUE#\r\n");
}

TEST(QuotedLine, ReadsBackWhatWasWritten) {
    // A quote inside a text is written without escaping and read back whole.
    const QVariantList fields{"Say \"hi\"", "Big, small", "0101", QStringLiteral("M\u00fcller"), true};
    bool ok = false;
    const QVariantList back = readQuotedLine(writeQuotedLine(fields).chopped(2), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(back, fields);
    ASSERT_EQ(back.size(), 5);
    EXPECT_EQ(back.at(2).typeId(), QMetaType::QString); // "0101" stays text
    EXPECT_EQ(back.at(4).typeId(), QMetaType::Bool);
}

TEST(QuotedLine, ToleratesLineEndsBlanksAndUnquotedFields) {
    bool ok = false;
    EXPECT_EQ(readQuotedLine("\"INITIAL\",\"PA\"\n", &ok), (QVariantList{"INITIAL", "PA"}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(readQuotedLine(" \"a\" , 12 ,#false#"), (QVariantList{"a", "12", false}));
    EXPECT_TRUE(readQuotedLine("").isEmpty());
}

TEST(QuotedLine, UnterminatedQuoteIsReported) {
    bool ok = true;
    const QVariantList f = readQuotedLine("\"a\",\"broken", &ok);
    EXPECT_FALSE(ok);
    ASSERT_EQ(f.size(), 2);
    EXPECT_EQ(f.at(0).toString(), "a");
}

TEST(QuotedLine, SplitLinesHandlesBothLineEnds) {
    EXPECT_EQ(splitLines("a\r\nb\nc\r\n"), (QList<QByteArray>{"a", "b", "c"}));
    EXPECT_EQ(splitLines("a\r\nb"), (QList<QByteArray>{"a", "b"}));
    EXPECT_TRUE(splitLines("").isEmpty());
}
