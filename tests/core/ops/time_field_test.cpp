// The attributes dialog's time field: read in the locale's short date and time
// or ISO 8601, written so that reading it back gives the same time. TZ is UTC in
// the test runs; local times are built with mktime so that any TZ passes.
#include "core/ops/time_field.h"

#include <gtest/gtest.h>

#include <ctime>

namespace arbel::ops {
namespace {

int64_t local(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

DateTimeFormat fmt(std::string date, std::string time) {
    DateTimeFormat f;
    f.datePattern = std::move(date);
    f.timePattern = std::move(time);
    f.monthNames = {"January", "February", "March",     "April",   "May",      "June",
                    "July",    "August",   "September", "October", "November", "December"};
    f.shortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return f;
}

std::optional<int64_t> secs(std::string_view text, const DateTimeFormat& f) {
    auto t = parseTimeField(text, f);
    if (!t) return std::nullopt;
    return t->sec;
}

TEST(TimeField, ReadsTheLocalesShortFormsWithOrWithoutSeconds) {
    const DateTimeFormat us = fmt("M/d/yy", "h:mm:ss AP");
    EXPECT_EQ(secs("3/7/21  2:05:09 PM", us), local(2021, 3, 7, 14, 5, 9));
    EXPECT_EQ(secs("3/7/21 2:05 pm", us), local(2021, 3, 7, 14, 5));
    EXPECT_EQ(secs("3/7/2021 12:00 AM", us), local(2021, 3, 7, 0, 0));
    EXPECT_EQ(secs("12/31/99 11:59 PM", us), local(1999, 12, 31, 23, 59));
    EXPECT_EQ(secs("3/7/21", us), local(2021, 3, 7));  // a date alone: midnight

    const DateTimeFormat de = fmt("dd.MM.yy", "HH:mm");
    EXPECT_EQ(secs("07.03.21 09:15", de), local(2021, 3, 7, 9, 15));
    EXPECT_EQ(secs("  7.3.2021   9:15  ", de), local(2021, 3, 7, 9, 15));

    const DateTimeFormat named = fmt("d MMM yyyy", "HH:mm");
    EXPECT_EQ(secs("7 mar 2021 09:15", named), local(2021, 3, 7, 9, 15));
    EXPECT_EQ(secs("7 March 2021 09:15", named), local(2021, 3, 7, 9, 15));
}

TEST(TimeField, AcceptsIso8601WithZoneAndFraction) {
    const DateTimeFormat de = fmt("dd.MM.yy", "HH:mm:ss");
    EXPECT_EQ(secs("2021-03-07", de), local(2021, 3, 7));
    EXPECT_EQ(secs("2021-03-07T09:15", de), local(2021, 3, 7, 9, 15));
    EXPECT_EQ(secs("2021-03-07 09:15:30", de), local(2021, 3, 7, 9, 15, 30));
    EXPECT_EQ(secs("2021-03-07T09:15:30Z", de), 1615108530);
    EXPECT_EQ(secs("2021-03-07T10:15:30+01:00", de), 1615108530);
    EXPECT_EQ(secs("2021-03-07T04:15:30-0500", de), 1615108530);
    auto t = parseTimeField("2021-03-07T09:15:30.25Z", de);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->nsec, 250000000);
}

TEST(TimeField, RefusesWhatIsNoTime) {
    const DateTimeFormat de = fmt("dd.MM.yy", "HH:mm:ss");
    for (const char* bad : {"", "   ", "yesterday", "31.02.21 10:00", "29.02.21", "07.13.21",
                            "07.03.21 24:00", "07.03.21 10:60", "07.03.21 10:00 and more", "07.03.2110:00",
                            "2021-02-30", "2021-03-07T25:00", "2021-3-7", "07.03.21 10:00 PM", "07.03.210"}) {
        EXPECT_FALSE(parseTimeField(bad, de)) << '"' << bad << '"';
    }
    EXPECT_TRUE(parseTimeField("29.02.24", de));  // a leap year has it
}

TEST(TimeField, WhatIsWrittenReadsBackToTheSameSecond) {
    for (const DateTimeFormat& f : {fmt("M/d/yy", "h:mm:ss AP"), fmt("dd.MM.yy", "HH:mm:ss"),
                                    fmt("yyyy-MM-dd", "HH:mm:ss"), fmt("d MMM yyyy", "HH:mm:ss")}) {
        // 1965 and 2075 would be misread with two-digit years.
        for (int64_t s : {int64_t(0), local(1965, 6, 1, 12, 0, 1), local(2024, 2, 29, 23, 59, 59),
                          local(2075, 1, 1, 0, 0, 0)}) {
            const std::string text = formatTimeField(s, f);
            EXPECT_EQ(secs(text, f), s) << text << " with " << f.datePattern;
        }
    }
}

}  // namespace
}  // namespace arbel::ops
