// Printing: the shooting-date routine, the page arithmetic, the settings
// dialog, and a real page printed to PDF and looked at pixel by pixel.
#include "fileops_fixture.h"
#include "image/Dib.h"
#include "output_util.h"
#include "platform/Registry.h"
#include "platform/Settings.h"
#include "print/PrintDate.h"
#include "print/PrintLayout.h"
#include "print/PrintPage.h"
#include "print/dialogs/Print.h"
#include "qt_print.h"

#include <QDate>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using PrintDate::Date;

// ---- the date routine --------------------------------------------------------

TEST(PrintDateTest, KnownDayCounts) {
  EXPECT_EQ(PrintDate::FormatDayCount(1), "1900.01.01");
  EXPECT_EQ(PrintDate::FormatDayCount(36525), "2000.01.01");
  EXPECT_EQ(PrintDate::FormatDayCount(36584), "2000.02.29");
  EXPECT_EQ(PrintDate::FormatDayCount(36585), "2000.03.01");
  // 1900 is no leap year: its day 60 is 1 March.
  EXPECT_EQ(PrintDate::FormatDayCount(60), "1900.03.01");
  EXPECT_EQ(PrintDate::FirstDayOfYear(1990), 32873);
  EXPECT_EQ(PrintDate::FirstDayOfYear(2030), 47483);
  EXPECT_EQ(PrintDate::FormatDayCount(0), "");
  EXPECT_EQ(PrintDate::FormatDayCount(-5), "");
}

TEST(PrintDateTest, ParsesTwoDigitAndFullYears) {
  EXPECT_EQ(PrintDate::FormatDayCount(*PrintDate::Parse("07/3/9")), "2007.03.09");
  EXPECT_EQ(PrintDate::FormatDayCount(*PrintDate::Parse("99.12.31")), "1999.12.31");
  EXPECT_EQ(PrintDate::FormatDayCount(*PrintDate::Parse("80-1-1")), "1980.01.01");
  EXPECT_EQ(PrintDate::FormatDayCount(*PrintDate::Parse("79.12.31")), "2079.12.31");
  EXPECT_EQ(PrintDate::FormatDayCount(*PrintDate::Parse("2007.03.09")), "2007.03.09");
  EXPECT_EQ(*PrintDate::Parse("2000.1.1"), 36525);
}

TEST(PrintDateTest, RefusesWhatIsNoDate) {
  for (const char *text :
       {"", "2007", "2007.03", "2007.03.09.1", "a.b.c", "2007.13.01", "2007.00.10", "2007.02.29",
        "1900.02.29", "2100.02.29", "100.1.1", "1899.12.31", "2007.04.31", "2007..1", "-1.1.1"})
    EXPECT_FALSE(PrintDate::Parse(QString::fromUtf8(text)).has_value()) << text;
  EXPECT_TRUE(PrintDate::Parse("2000.02.29").has_value());
  EXPECT_TRUE(PrintDate::Parse("1996-2-29").has_value());
}

// Every day from 1900 to 2100: the count agrees with the calendar, the text
// reads back to the same count, and the next count is the next day.
TEST(PrintDateTest, RoundTripEveryDay1900To2100) {
  const QDate first(1900, 1, 1);
  int count = 1;
  for (QDate d = first; d.year() <= 2100; d = d.addDays(1), ++count) {
    const std::optional<Date> date = PrintDate::FromDayCount(count);
    ASSERT_TRUE(date.has_value()) << count;
    ASSERT_EQ(date->year, d.year()) << count;
    ASSERT_EQ(date->month, d.month()) << count;
    ASSERT_EQ(date->day, d.day()) << count;
    const QString text = PrintDate::Format(*date);
    ASSERT_EQ(PrintDate::Parse(text), count) << text.toStdString();
    ASSERT_EQ(PrintDate::ToDayCount(*date), count);
  }
  EXPECT_EQ(count - 1, first.daysTo(QDate(2100, 12, 31)) + 1);
}

TEST(PrintDateTest, OneDayStepsAcrossLeapDaysAndYears) {
  EXPECT_EQ(PrintDate::Step("2000.02.28", 1), "2000.02.29");
  EXPECT_EQ(PrintDate::Step("2000.02.29", 1), "2000.03.01");
  EXPECT_EQ(PrintDate::Step("2000.03.01", -1), "2000.02.29");
  EXPECT_EQ(PrintDate::Step("1900.02.28", 1), "1900.03.01");
  EXPECT_EQ(PrintDate::Step("2100.03.01", -1), "2100.02.28");
  EXPECT_EQ(PrintDate::Step("2024.02.29", 1), "2024.03.01");
  EXPECT_EQ(PrintDate::Step("1999.12.31", 1), "2000.01.01");
  EXPECT_EQ(PrintDate::Step("2030.01.01", -1), "2029.12.31");
  EXPECT_EQ(PrintDate::Step("1990.01.01", -1), "1989.12.31");
  EXPECT_FALSE(PrintDate::Step("1900.01.01", -1).has_value());
  EXPECT_FALSE(PrintDate::Step("tomorrow", 1).has_value());
}

// ---- the page arithmetic -------------------------------------------------------

TEST(PrintLayoutTest, LongerSideTakesTheFactorOfThePageWidth) {
  const PlaceRect r = PlaceImage(3000, 2000, 0, 80, 4800, 6800);
  EXPECT_EQ(r.width, 3840);
  EXPECT_EQ(r.height, 2560);
  EXPECT_EQ(r.left, (4800 - 3840) / 2);
  EXPECT_EQ(r.top, (6800 - 2560) * 10 / 26);
  // A portrait picture: its height becomes the factor of the page width.
  const PlaceRect p = PlaceImage(2000, 3000, 0, 50, 4800, 6800);
  EXPECT_EQ(p.height, 2400);
  EXPECT_EQ(p.width, 1600);
}

TEST(PrintLayoutTest, MiniatureArithmetic) {
  // 640 x 480 at 80 %: r = 640 / 265, 640*80/r*0.01 = 212, 480*80/r*0.01 = 159.
  const PlaceRect r = PlaceImage(640, 480, 0, 80, kMiniPageWidth, kMiniPageHeight);
  EXPECT_EQ(r.width, 212);
  EXPECT_EQ(r.height, 159);
  EXPECT_EQ(r.left, (265 - 212) / 2);
  EXPECT_EQ(r.top, (361 - 159) * 10 / 26);
  EXPECT_EQ(TitleTop(r.top, 0), r.top * 16 / 26);
  // 100 % of a square: the whole width.
  const PlaceRect sq = PlaceImage(500, 500, 0, 100, kMiniPageWidth, kMiniPageHeight);
  EXPECT_EQ(sq.width, 265);
  EXPECT_EQ(sq.left, 0);
  // Size mode 1: the picture's own size, even when larger than the page.
  const PlaceRect own = PlaceImage(400, 500, 1, 30, kMiniPageWidth, kMiniPageHeight);
  EXPECT_EQ(own.width, 400);
  EXPECT_EQ(own.height, 500);
  EXPECT_EQ(own.left, (265 - 400) / 2);
  EXPECT_EQ(own.top, (361 - 500) * 10 / 26);
  EXPECT_EQ(FirstCaptionTop(265, 361, 12), 265 + 96 * 10 / 26 + 12);
  EXPECT_EQ(CaptionStep(13), 19);
}

TEST(PrintLayoutTest, StylesDecideTitleAndCaptions) {
  EXPECT_FALSE(StyleHasTitle(0));
  EXPECT_FALSE(StyleHasCaptions(0));
  EXPECT_TRUE(StyleHasTitle(1));
  EXPECT_FALSE(StyleHasCaptions(1));
  EXPECT_TRUE(StyleHasTitle(2));
  EXPECT_TRUE(StyleHasCaptions(2));
  EXPECT_FALSE(StyleHasTitle(3));
  EXPECT_TRUE(StyleHasCaptions(3));
}

// ---- the settings -------------------------------------------------------------

class PrintSettingsTest : public ::testing::Test {
protected:
  void SetUp() override { QFile::remove(Registry::FilePath()); }
};

TEST_F(PrintSettingsTest, MissingValuesAreWrittenWithDefaults) {
  const PrintSettings s = ReadPrintSettings();
  EXPECT_EQ(s.style, 0);
  EXPECT_EQ(s.imageSize, 0);
  EXPECT_EQ(s.sizeFactor, 80);
  EXPECT_EQ(s.resolution, 0);
  EXPECT_EQ(Registry::Read(kPrintKey, "PrintStyle"), "0");
  EXPECT_EQ(Registry::Read(kPrintKey, "SizeFactor"), "80");
  EXPECT_EQ(Registry::Read(kPrintKey, "Resolution"), "0");
}

TEST_F(PrintSettingsTest, OutOfRangeValuesAreHeldInRange) {
  Registry::Write(kPrintKey, "PrintStyle", "7");
  Registry::Write(kPrintKey, "SizeFactor", "5");
  Registry::Write(kPrintKey, "ImageSize", "x");
  const PrintSettings s = ReadPrintSettings();
  EXPECT_EQ(s.style, 3);
  EXPECT_EQ(s.sizeFactor, 30);
  EXPECT_EQ(s.imageSize, 0);
}

// ---- the dialog ---------------------------------------------------------------

class PrintFormTest : public PrintSettingsTest {
protected:
  void SetUp() override {
    PrintSettingsTest::SetUp();
    picture_ = CreateBlankDib(640, 480);
  }
  void TearDown() override { TPrintForm::SetPrinterChooser(nullptr); }
  template <class T> T *Find(TPrintForm &f, const char *name) {
    T *w = f.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  DibHandle picture_;
};

TEST_F(PrintFormTest, PrepareShowsTheStoredSettingsAndToday) {
  Registry::Write(kPrintKey, "PrintStyle", "2");
  Registry::Write(kPrintKey, "SizeFactor", "50");
  Registry::Write(kPrintKey, "Photographer", "山田");
  TPrintForm f(nullptr);
  f.Prepare(picture_.get(), "photo.jpg");
  EXPECT_EQ(f.windowTitle(), "画像印刷設定");
  EXPECT_EQ(Find<QTabWidget>(f, "PageControl")->currentIndex(), 2);
  EXPECT_EQ(Find<QSlider>(f, "TrackBar1")->value(), 50);
  EXPECT_EQ(Find<QLineEdit>(f, "ePhotographer3")->text(), "山田");
  EXPECT_EQ(Find<QLineEdit>(f, "eFileName2")->text(), "photo.jpg");
  EXPECT_EQ(Find<QLineEdit>(f, "eDate2")->text(), PrintDate::FormatDayCount(PrintDate::Today()));
  EXPECT_EQ(Find<QLineEdit>(f, "eDate2")->text(), QDate::currentDate().toString("yyyy.MM.dd"));
  EXPECT_TRUE(Find<QRadioButton>(f, "rbSize")->isChecked());
  EXPECT_TRUE(Find<QRadioButton>(f, "rbResolution")->isHidden());
}

TEST_F(PrintFormTest, EditsOnTwoTabsAreMirrored) {
  TPrintForm f(nullptr);
  f.Prepare(picture_.get(), "a.jpg");
  Find<QLineEdit>(f, "eTitle1")->setText("春の庭");
  EXPECT_EQ(Find<QLineEdit>(f, "eTitle2")->text(), "春の庭");
  Find<QLineEdit>(f, "eRemarks3")->setText("晴れ");
  EXPECT_EQ(Find<QLineEdit>(f, "eRemarks2")->text(), "晴れ");
  Find<QLineEdit>(f, "ePhotographer2")->setText("佐藤");
  EXPECT_EQ(Find<QLineEdit>(f, "ePhotographer3")->text(), "佐藤");
  Find<QLineEdit>(f, "eDate3")->setText("2007.03.09");
  EXPECT_EQ(Find<QLineEdit>(f, "eDate2")->text(), "2007.03.09");
  Find<QLineEdit>(f, "eFileName3")->setText("b.jpg");
  EXPECT_EQ(Find<QLineEdit>(f, "eFileName2")->text(), "b.jpg");
  EXPECT_EQ(f.Texts().title, "春の庭");
}

TEST_F(PrintFormTest, MiniatureFollowsTabsAndTrackBar) {
  TPrintForm f(nullptr);
  f.Prepare(picture_.get(), "a.jpg");
  EXPECT_EQ(f.Gazou->geometry(), QRect(26, 77, 212, 159));
  Find<QSlider>(f, "TrackBar1")->setValue(100);
  const PlaceRect r = PlaceImage(640, 480, 0, 100, 265, 361);
  EXPECT_EQ(f.Gazou->geometry(), QRect(r.left, r.top, r.width, r.height));
  EXPECT_EQ(f.TitleLabel->y(), r.top * 16 / 26);
  auto *tabs = Find<QTabWidget>(f, "PageControl");
  const std::pair<bool, bool> shown[4] = {
      {false, false}, {true, false}, {true, true}, {false, true}};
  for (int style = 0; style < 4; ++style) {
    tabs->setCurrentIndex(style);
    EXPECT_EQ(!f.TitleLabel->isHidden(), shown[style].first) << style;
    for (QLabel *label : f.CaptionLabels) {
      EXPECT_EQ(!label->isHidden(), shown[style].second) << style;
      // On the miniature page, below where a full-width square would end.
      EXPECT_LE(label->geometry().bottom(), kMiniPageHeight);
      EXPECT_GE(label->y(), kMiniPageWidth);
    }
  }
}

TEST_F(PrintFormTest, OneDayButtonsStepTheDate) {
  TPrintForm f(nullptr);
  f.Prepare(picture_.get(), "a.jpg");
  auto *date = Find<QLineEdit>(f, "eDate2");
  date->setText("00.2.28");
  Find<QPushButton>(f, "bDateUp2")->click();
  EXPECT_EQ(date->text(), "2000.02.29");
  Find<QPushButton>(f, "bDateUp3")->click();
  EXPECT_EQ(date->text(), "2000.03.01");
  Find<QPushButton>(f, "bDateDown3")->click();
  Find<QPushButton>(f, "bDateDown2")->click();
  EXPECT_EQ(date->text(), "2000.02.28");
  date->setText("いつか");
  Find<QPushButton>(f, "bDateUp2")->click();
  EXPECT_EQ(date->text(), "いつか");
}

TEST_F(PrintFormTest, EveryCloseWritesTheFiveSettings) {
  {
    TPrintForm f(nullptr);
    f.Prepare(picture_.get(), "a.jpg");
    Find<QTabWidget>(f, "PageControl")->setCurrentIndex(3);
    Find<QSlider>(f, "TrackBar1")->setValue(65);
    Find<QLineEdit>(f, "ePhotographer3")->setText("鈴木");
    f.reject(); // cancel and Esc
  }
  EXPECT_EQ(Registry::Read(kPrintKey, "PrintStyle"), "3");
  EXPECT_EQ(Registry::Read(kPrintKey, "SizeFactor"), "65");
  EXPECT_EQ(Registry::Read(kPrintKey, "Photographer"), "鈴木");
  EXPECT_EQ(Registry::Read(kPrintKey, "ImageSize"), "0");
  EXPECT_EQ(Registry::Read(kPrintKey, "Resolution"), "0");
}

TEST_F(PrintFormTest, OkWithoutAPrinterStillCloses) {
  TPrintForm::SetPrinterChooser([](QPrinter &, QWidget *) { return false; });
  TPrintForm f(nullptr);
  f.Prepare(picture_.get(), "a.jpg");
  Find<QSlider>(f, "TrackBar1")->setValue(40);
  f.bOKClick();
  EXPECT_EQ(f.result(), QDialog::Accepted);
  EXPECT_EQ(Registry::Read(kPrintKey, "SizeFactor"), "40");
}

// ---- a real page ----------------------------------------------------------------

// The bounding box of the pixels of `page` inside `area` that `hit` picks.
QRect Box(const QImage &page, const QRect &area, const std::function<bool(QRgb)> &hit) {
  QRect box;
  const QRect a = area.intersected(page.rect());
  for (int y = a.top(); y <= a.bottom(); ++y)
    for (int x = a.left(); x <= a.right(); ++x)
      if (hit(page.pixel(x, y))) box = box.united(QRect(x, y, 1, 1));
  return box;
}

bool Dark(QRgb c) { return qRed(c) < 100 && qGreen(c) < 100 && qBlue(c) < 100; }
bool NotWhite(QRgb c) { return qRed(c) < 235 || qGreen(c) < 235 || qBlue(c) < 235; }

QImage Photo() {
  QImage photo(QStringLiteral("/usr/share/backgrounds/mate/nature/Aqua.jpg"));
  if (photo.isNull()) {
    photo = QImage(600, 400, QImage::Format_RGB888);
    photo.fill(QColor(40, 120, 200));
  }
  return photo.convertToFormat(QImage::Format_RGB888);
}

TEST(PrintPdfTest, PageMatchesTheArithmetic) {
  if (!output_test::Installed("pdftoppm") || !output_test::Installed("pdftotext"))
    GTEST_SKIP() << "poppler-utils is not installed (scripts/deps.sh installs it)";
  QTemporaryDir dir;
  const QString pdf = dir.filePath("page.pdf");
  const QImage photo = Photo();
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  printer.setResolution(100);
  printer.setPageSize(QPageSize(QPageSize::A4));
  PrintSettings settings;
  settings.style = ImageTitleCaptions;
  settings.sizeFactor = 70;
  const PrintTexts texts{"春の湖", "2007.03.09", "山田太郎", "Aqua.jpg", "試し刷り"};
  PrintedPage placed;
  ASSERT_TRUE(PrintPicture(printer, photo, settings, texts, &placed));

  const PlaceRect want =
      PlaceImage(photo.width(), photo.height(), 0, 70, printer.width(), printer.height());
  EXPECT_EQ(placed.image.width, want.width);
  EXPECT_EQ(placed.image.top, want.top);

  ASSERT_TRUE(output_test::Run("pdftoppm",
                               {"-r", "100", "-png", "-singlefile", pdf, dir.filePath("page")}));
  const QImage page(dir.filePath("page.png"));
  ASSERT_FALSE(page.isNull());
  // To look at the page: OUTPUT_TEST_KEEP=folder.
  if (const QString keep = qEnvironmentVariable("OUTPUT_TEST_KEEP"); !keep.isEmpty())
    page.save(keep + "/printed_page.png");
  // The painter's origin is the corner of the printable area.
  const QPoint origin = printer.pageLayout().paintRectPixels(100).topLeft();
  auto onPage = [&](const PlaceRect &r) {
    return QRect(origin.x() + r.left, origin.y() + r.top, r.width, r.height);
  };
  const QRect image = onPage(placed.image);
  const QRect seen = Box(page, image.adjusted(-20, -20, 20, 20), NotWhite);
  EXPECT_LE(std::abs(seen.left() - image.left()), 2);
  EXPECT_LE(std::abs(seen.top() - image.top()), 2);
  EXPECT_LE(std::abs(seen.right() - image.right()), 2);
  EXPECT_LE(std::abs(seen.bottom() - image.bottom()), 2);

  // The title sits centred above the picture, inside the box it was given.
  const QRect title = onPage(placed.title);
  ASSERT_GT(title.width(), 0);
  EXPECT_EQ(placed.title.top, TitleTop(placed.image.top, placed.title.height));
  const QRect titleInk = Box(page, title.adjusted(-4, -4, 4, 4), Dark);
  ASSERT_FALSE(titleInk.isNull());
  EXPECT_TRUE(title.adjusted(-3, -3, 3, 3).contains(titleInk));
  EXPECT_LE(std::abs(titleInk.center().x() - (origin.x() + printer.width() / 2)), 3);
  // Nothing else dark between the title and the picture.
  EXPECT_TRUE(
      Box(page, QRect(0, title.bottom() + 4, page.width(), image.top() - title.bottom() - 8), Dark)
          .isNull());

  // The caption lines, at a sixth of the page width, 1.5 lines apart.
  const int first = FirstCaptionTop(printer.width(), printer.height(), placed.captions[0].height);
  EXPECT_EQ(placed.captions[0].top, first);
  for (int i = 0; i < 4; ++i) {
    const QRect line = onPage(placed.captions[i]);
    EXPECT_EQ(placed.captions[i].left, printer.width() / 6);
    if (i > 0) {
      EXPECT_EQ(placed.captions[i].top,
                placed.captions[i - 1].top + CaptionStep(placed.captions[i - 1].height));
    }
    const QRect ink = Box(page, line.adjusted(-6, -6, 6, 6), Dark);
    ASSERT_FALSE(ink.isNull()) << i;
    EXPECT_TRUE(line.adjusted(-3, -3, 3, 3).contains(ink)) << i;
    EXPECT_LE(std::abs(ink.left() - line.left()), 4) << i;
  }

  QByteArray text;
  ASSERT_TRUE(output_test::Run("pdftotext", {"-enc", "UTF-8", pdf, "-"}, &text));
  const QString words = QString::fromUtf8(text);
  for (const char *want : {"春の湖", "撮影日", "2007.03.09", "撮影者", "山田太郎", "画像ファイル名",
                           "Aqua.jpg", "備考", "試し刷り"})
    EXPECT_TRUE(words.contains(QString::fromUtf8(want))) << want;
}

TEST(PrintPdfTest, ImageOnlyPrintsNoTextAndCaptionsOnlyNoTitle) {
  QImage page(850, 1100, QImage::Format_RGB32);
  const QImage photo = Photo();
  PrintSettings settings;
  const PrintTexts texts{"標題", "2007.03.09", "a", "b", "c"};
  for (int style : {0, 3}) {
    page.fill(Qt::white);
    QPainter painter(&page);
    settings.style = style;
    const PrintedPage placed = DrawPrintPage(painter, 850, 1100, photo, settings, texts);
    painter.end();
    const QRect im(placed.image.left, placed.image.top, placed.image.width, placed.image.height);
    // Above the picture: never any ink (no title in either style).
    EXPECT_TRUE(Box(page, QRect(0, 0, 850, im.top() - 1), Dark).isNull()) << style;
    const bool ink = !Box(page, QRect(0, im.bottom() + 2, 850, 1100), Dark).isNull();
    EXPECT_EQ(ink, style == 3);
    EXPECT_EQ(placed.title.width, 0);
  }
}

TEST(PrintPdfTest, OneToOneModeKeepsThePictureSize) {
  QImage page(1000, 1400, QImage::Format_RGB32);
  page.fill(Qt::white);
  QImage small(123, 77, QImage::Format_RGB888);
  small.fill(QColor(200, 0, 0));
  QPainter painter(&page);
  PrintSettings settings;
  settings.imageSize = 1;
  const PrintedPage placed = DrawPrintPage(painter, 1000, 1400, small, settings, {});
  painter.end();
  const QRect seen = Box(page, page.rect(), NotWhite);
  EXPECT_EQ(seen, QRect((1000 - 123) / 2, (1400 - 77) * 10 / 26, 123, 77));
  EXPECT_EQ(placed.image.width, 123);
}

} // namespace

namespace {

// OK through a PDF printer, and the main window's print command.
class PrintCommand : public fileops_test::MainWindowTest {
protected:
  void TearDown() override {
    TPrintForm::SetPrinterChooser(nullptr);
    MainWindowTest::TearDown();
  }
};

TEST_F(PrintCommand, WithoutADocumentNothingOpens) {
  bool opened = false;
  test_wait::WhenModal([this] { main->Act("mPrint")->trigger(); }, [](QWidget *) { return true; },
                       [&opened](QWidget *w) {
                         opened = true;
                         w->close();
                       },
                       300);
  EXPECT_FALSE(opened);
}

TEST_F(PrintCommand, OkPrintsTheDocumentToTheChosenPrinter) {
  QImage image(300, 200, QImage::Format_RGB888);
  image.fill(QColor(0, 90, 200));
  ASSERT_TRUE(image.save(Path("blue.bmp")));
  ASSERT_TRUE(main->OpenImageFile(Path("blue.bmp")));
  const QString pdf = Path("out.pdf");
  int resolution = 0;
  TPrintForm::SetPrinterChooser([&](QPrinter &printer, QWidget *) {
    resolution = printer.resolution();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    return true;
  });
  QString fileName;
  EXPECT_TRUE(test_wait::WhileModal<TPrintForm>(
      [this] { main->Act("tb31")->trigger(); },
      [&fileName](TPrintForm *f) {
        fileName = f->Texts().fileName;
        f->findChild<QLineEdit *>("eTitle1")->setText("見出し");
        f->findChild<QTabWidget *>("PageControl")->setCurrentIndex(3);
        f->bOKClick();
      }));
  EXPECT_EQ(fileName, main->ActiveChild()->Caption());
  // Laid out at the printer's own resolution, not the screen's.
  EXPECT_GE(resolution, 300);
  const QByteArray bytes = fileops_test::ReadFile(pdf);
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  EXPECT_EQ(Registry::Read(kPrintKey, "PrintStyle"), "3");
  if (output_test::Installed("pdftotext")) {
    QByteArray text;
    ASSERT_TRUE(output_test::Run("pdftotext", {"-enc", "UTF-8", pdf, "-"}, &text));
    EXPECT_TRUE(QString::fromUtf8(text).contains("画像ファイル名"));
    // Style 3: the captions, no title.
    EXPECT_FALSE(QString::fromUtf8(text).contains("見出し"));
  }
}

} // namespace
