// Reading report definitions: what is refused, and what a repeat stands for.
#include "platform/report/definition.h"

#include <gtest/gtest.h>

using namespace report;

namespace {

TEST(Definition, RefusesWhatItCannotRead) {
    const std::pair<const char*, const char*> cases[] = {
        {"{", "at character"},
        {"[1, 2]", "it is not a JSON object"},
        {R"({"sections": [{"height": 9}]})", "it names no tables"},
        {R"({"tables": ["PRIME", "CLASS"], "sections": [{"height": 9}]})", "not linked by any field"},
        {R"({"tables": ["PRIME"]})", "either sections or a label sheet"},
        {R"({"tables": ["PRIME"], "sections": [{"height": 9}], "labels": {"width": 9, "height": 9}})",
         "either sections or a label sheet"},
        {R"({"tables": ["PRIME"], "paper": "A0", "sections": [{"height": 9}]})", "unknown paper \"a0\""},
        {R"({"tables": ["PRIME"], "margins": [1, 2], "sections": [{"height": 9}]})",
         "margins must be four lengths"},
        {R"({"tables": ["PRIME"], "sections": [{"items": [{"type": "picture", "x": 0, "y": 0, "w": 9, "h": 9}]}]})",
         "unknown item type \"picture\""},
        {R"({"tables": ["PRIME"], "sections": [{"items": [{"type": "field", "field": "A", "x": 0, "y": 0, "w": 9}]}]})",
         "a field item without a width and height"},
        {R"({"tables": ["PRIME"], "sections": [{"items": [{"type": "field", "x": 0, "y": 0, "w": 9, "h": 9}]}]})",
         "a field item names no field"},
        {R"({"tables": ["PRIME"], "sections": [{"items": [{"type": "text", "text": "{NAME1", "x": 0, "y": 0, "w": 9, "h": 9}]}]})",
         "an unclosed \"{\""},
        {R"({"tables": ["PRIME"], "sections": [{"items": [{"type": "memo", "field": "A", "x": 0, "y": 0, "w": 9, "h": 9},
                                                             {"type": "text", "text": "x", "x": 0, "y": 9, "w": 9, "h": 9}]}]})",
         "section 1 has an item below its memo"},
        {R"({"tables": ["PRIME"], "sections": [{"items": [{"type": "memo", "field": "A", "x": 0, "y": 0, "w": 9, "h": 9},
                                                             {"type": "memo", "field": "B", "x": 9, "y": 0, "w": 9, "h": 9}]}]})",
         "section 1 holds more than one memo"},
        {R"({"tables": ["PRIME"], "labels": {"width": 9, "height": 9,
             "items": [{"type": "memo", "field": "A", "x": 0, "y": 0, "w": 9, "h": 9}]}})",
         "a memo on a label"},
        {R"({"tables": ["PRIME"], "sections": [{"items": [{"type": "text", "text": "x", "x": 0, "y": 0, "w": 9, "h": 9,
                                                              "when": {"formula": "STATE"}}]}]})",
         "a condition needs \"in\", \"notIn\""},
        {R"({"tables": ["PRIME"], "sections": [{"items": [{"type": "text", "text": "x", "x": 0, "y": 0, "w": 9, "h": 9,
                                                              "font": {"size": 0}}]}]})",
         "a font size of 0"},
        // Hostile files: labels across times down beyond int, repeats and records without end, lines
        // closer than a point, a memo where it cannot run on.
        {R"({"tables": ["PRIME"], "labels": {"columns": 65536, "rows": 65536, "width": 9, "height": 9}})",
         "more than 1000 labels on a sheet"},
        {R"({"tables": ["PRIME"], "sections": [{"items": [{"type": "repeat", "count": 100000000,
             "items": [{"type": "text", "text": "x", "x": 0, "y": 0, "w": 9, "h": 9}]}]}]})",
         "a repeat of 100000000"},
        {R"({"tables": ["PRIME"], "sections": [{"items": [{"type": "repeat", "count": 1000,
             "items": [{"type": "repeat", "count": 1000, "items": []}]}]}]})",
         "more than 10000 items"},
        {R"({"tables": ["PRIME"], "perPage": 2000000000, "sections": [{"height": 9}]})",
         "more than 1000 records per page"},
        {R"({"tables": ["PRIME"], "sections": [{"items": [{"type": "memo", "field": "NOTES", "x": 0, "y": 0, "w": 9, "h": 9,
                                                              "lineHeight": 0.001}]}]})",
         "a line height of 0.001"},
        {R"({"tables": ["PRIME"], "pageHeader": {"items": [{"type": "memo", "field": "NOTES", "x": 0, "y": 0, "w": 9, "h": 9}]},
             "sections": [{"height": 9}]})",
         "a memo in the page header or footer"},
    };
    for (const auto& [json, reason] : cases) {
        try {
            parseDefinition(json, "BAD.RPT");
            ADD_FAILURE() << "accepted: " << json;
        } catch (const ReportError& e) {
            EXPECT_TRUE(
                e.message().startsWith("The report file BAD.RPT is not a report definition we can read: "))
                << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(reason)) << e.message().toStdString() << " / " << reason;
        }
    }
}

TEST(Definition, RepeatStandsForItsItemsOncePerSlot) {
    const Definition def = parseDefinition(R"({"tables": ["prime", "CLASS"], "link": ["FILE"],
        "sections": [{"height": 300, "items": [
          {"type": "repeat", "count": 21, "x": 10, "y": 100, "dy": 9.5,
           "when": {"formula": "state", "notIn": ["NY"]},
           "items": [{"type": "field", "field": "CLASS.class#", "x": 0, "y": 0, "w": 30, "h": 9},
                     {"type": "text", "text": "{CLASSDESC#} #", "x": 30, "y": 0, "w": 90, "h": 9}]}]}]})",
                                           "R.RPT");
    const QVector<Item>& items = def.sections[0].items;
    ASSERT_EQ(items.size(), 42);
    EXPECT_EQ(items[0].field, "CLASS.CLASS0");
    EXPECT_EQ(items[40].field, "CLASS.CLASS20");
    EXPECT_EQ(items[40].box, QRectF(10, 100 + 20 * 9.5, 30, 9));
    // Field names take the slot number; literal text keeps its "#". Fields without a table are table 1's.
    EXPECT_EQ(items[41].text[0].text, "PRIME.CLASSDESC20");
    EXPECT_EQ(items[41].text[1].text, " #");
    ASSERT_TRUE(items[41].when.has_value());
    EXPECT_EQ(items[41].when->formula, "STATE");
    EXPECT_EQ(items[41].when->values, QStringList({"NY"}));
    EXPECT_TRUE(items[41].when->negate);
}

TEST(Definition, TemplatesAndBoxes) {
    const Definition def = parseDefinition(R"({"tables": ["PRIME"], "font": {"size": 8},
        "pageHeader": {"height": 30, "items": [
          {"type": "text", "text": "Page {#page} of {{all}} {@searchname} {#DATE}", "x": 0, "y": 0, "w": 9, "h": 9, "font": {"bold": true}},
          {"type": "box", "x": 10, "y": 20, "w": 100, "h": 50, "width": 1}]},
        "sections": [{"height": 9}]})",
                                           "T.RPT");
    const Item& t = def.pageHeader.items[0];
    ASSERT_EQ(t.text.size(), 6);
    EXPECT_EQ(t.text[0].text, "Page ");
    EXPECT_EQ(t.text[1].kind, Segment::PageNumber);
    EXPECT_EQ(t.text[2].text, " of {all} ");
    EXPECT_EQ(t.text[3].kind, Segment::Formula);
    EXPECT_EQ(t.text[3].text, "SEARCHNAME");
    EXPECT_EQ(t.text[5].kind, Segment::PrintDate);
    EXPECT_EQ(t.font.size, 8); // the report's font, made bold
    EXPECT_TRUE(t.font.bold);
    ASSERT_EQ(def.pageHeader.items.size(), 5); // a box is four lines
    EXPECT_EQ(def.pageHeader.items[2].box, QRectF(QPointF(110, 20), QPointF(110, 70)));
    EXPECT_EQ(def.pageHeader.items[2].penWidth, 1);
    EXPECT_EQ(def.paperSize(), QSizeF(612, 792));
}

} // namespace
