#include "print/PrintDate.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringList>

namespace PrintDate {

namespace {

constexpr int kLastYear = 9999;

// Day of the year on which each month ends, for months 1 ... 11.
constexpr int kMonthEnds[2][11] = {
    {31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
    {31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335},
};

// Year, day count of 31 December of the year before: the starting points
// of the conversion.
struct Base {
  int year;
  int offset;
};
constexpr Base kBases[] = {{2030, 47482}, {2020, 43829}, {2010, 40177},
                           {2000, 36524}, {1990, 32872}, {1900, 0}};

int YearLength(int year) { return LeapYear(year) ? 366 : 365; }

int MonthLength(int year, int month) {
  const int *ends = kMonthEnds[LeapYear(year) ? 1 : 0];
  const int start = month == 1 ? 0 : ends[month - 2];
  const int end = month == 12 ? YearLength(year) : ends[month - 1];
  return end - start;
}

} // namespace

bool LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int FirstDayOfYear(int year) {
  // The largest base strictly below the year; 1900 up to 1990.
  Base base = kBases[5];
  for (const Base &b : kBases)
    if (b.year < year) {
      base = b;
      break;
    }
  int count = base.offset;
  for (int y = base.year; y < year; ++y)
    count += YearLength(y);
  return count + 1;
}

std::optional<Date> FromDayCount(int dayCount) {
  if (dayCount < 1 || dayCount >= FirstDayOfYear(kLastYear + 1)) return std::nullopt;
  Base base = kBases[5];
  for (const Base &b : kBases)
    if (b.offset + 1 <= dayCount) {
      base = b;
      break;
    }
  int rest = dayCount - base.offset;
  int year = base.year;
  while (rest > YearLength(year)) {
    rest -= YearLength(year);
    ++year;
  }
  const int *ends = kMonthEnds[LeapYear(year) ? 1 : 0];
  int month = 1;
  while (month <= 11 && rest > ends[month - 1])
    ++month;
  const int day = rest - (month == 1 ? 0 : ends[month - 2]);
  return Date{year, month, day};
}

std::optional<int> ToDayCount(const Date &date) {
  if (date.year < 1900 || date.year > kLastYear || date.month < 1 || date.month > 12 ||
      date.day < 1 || date.day > MonthLength(date.year, date.month))
    return std::nullopt;
  const int monthStart =
      date.month == 1 ? 0 : kMonthEnds[LeapYear(date.year) ? 1 : 0][date.month - 2];
  return FirstDayOfYear(date.year) - 1 + monthStart + date.day;
}

QString Format(const Date &date) {
  return QString::asprintf("%4.4d.%2.2d.%2.2d", date.year, date.month, date.day);
}

QString FormatDayCount(int dayCount) {
  const std::optional<Date> date = FromDayCount(dayCount);
  return date ? Format(*date) : QString();
}

std::optional<int> Parse(const QString &text) {
  static const QRegularExpression separators(QStringLiteral("[-./]"));
  const QStringList parts = text.trimmed().split(separators);
  if (parts.size() != 3) return std::nullopt;
  int numbers[3];
  for (int i = 0; i < 3; ++i) {
    bool ok = false;
    numbers[i] = parts[i].trimmed().toInt(&ok);
    if (!ok || parts[i].trimmed().isEmpty()) return std::nullopt;
  }
  int year = numbers[0];
  if (year >= 80 && year <= 99)
    year += 1900;
  else if (year >= 0 && year < 80)
    year += 2000;
  else if (year < 1900)
    return std::nullopt;
  return ToDayCount({year, numbers[1], numbers[2]});
}

int Today() {
  const QDate today = QDate::currentDate();
  return ToDayCount({today.year(), today.month(), today.day()}).value_or(1);
}

std::optional<QString> Step(const QString &text, int days) {
  const std::optional<int> count = Parse(text);
  if (!count) return std::nullopt;
  const QString moved = FormatDayCount(*count + days);
  if (moved.isEmpty()) return std::nullopt;
  return moved;
}

} // namespace PrintDate
