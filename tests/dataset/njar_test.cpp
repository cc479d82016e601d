// The assigned-risk month and year, as the record detail form and the printed reports show it.
#include "dataset/data_set.h"

#include <gtest/gtest.h>

namespace {

TEST(NjarMonthYear, ZeroPaddedFromTheStoredNumber) {
    const std::pair<QVariant, const char*> cases[] = {
        {9807, "07/98"},  {507, "07/05"}, {1, "01/00"},      {9912.0, "12/99"},
        {QVariant(), ""}, {0, ""},        {"9805", "05/98"}, {" ", ""},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(dataset::njarMonthYear(value), text) << value.toString().toStdString();
}

} // namespace
