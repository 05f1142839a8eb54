// The shooting date of a printed caption: a day count (day 1 is 1 January
// 1900) that the one-day buttons step, and its text "2007.03.09".
#pragma once

#include <QString>

#include <optional>

namespace PrintDate {

bool LeapYear(int year);
// The day count of 1 January of `year` (1900 gives 1).
int FirstDayOfYear(int year);

struct Date {
  int year = 0;
  int month = 0;
  int day = 0;
};

// The date of a day count; nothing for a count below 1 or past 9999.12.31.
std::optional<Date> FromDayCount(int dayCount);
// The day count of a date; nothing when the date does not exist (month 1 ...
// 12, the month's days, years 1900 ... 9999).
std::optional<int> ToDayCount(const Date &date);

// "%4.4d.%2.2d.%2.2d".
QString Format(const Date &date);
QString FormatDayCount(int dayCount); // empty for a count with no date
// Three numbers split at '-', '.' or '/': year, month, day. A year of 80 ...
// 99 is 1980 ... 1999, one below 80 is 2000 + year, one of 1900 ... 9999 is
// taken as written; anything else, or a date that does not exist, fails.
std::optional<int> Parse(const QString &text);
// Today's day count.
int Today();
// The text of the date `text` moved by `days`; nothing when `text` is no date.
std::optional<QString> Step(const QString &text, int days);

} // namespace PrintDate
