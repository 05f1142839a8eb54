// The new-image dialog and the sheet it describes.
#include "app/Newimg.h"

#include "forms/Widgets.h"

#include "image/Dib.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace {

const QString kRecordName = QStringLiteral("NewImage");

// Beyond this a sheet is refused rather than attempted (768 MB at 24 bits).
constexpr qint64 kMaxSheetPixels = qint64(1) << 28;

QImage LoadTile(const QString &file) {
  if (file.isEmpty() || !QFileInfo(file).isFile()) return {};
  // The kit's reader, so that a tile reads exactly as the same file opened
  // as a document would.
  if (KitHasFunction("ImgKitFileLoad")) {
    DibHandle image(Kit.ImgKitFileLoad(QFile::encodeName(file).constData(), "", ""));
    if (!image) return {};
    TMDIB dib(image.get());
    return BitmapFromDib(dib);
  }
  return QImage(file, "BMP");
}

} // namespace

TNewImgForm::TNewImgForm(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("NewImgForm"));
  setWindowTitle(QStringLiteral("新規画像作成"));
  setModal(true);

  auto *outer = new QVBoxLayout(this);
  auto *grid = new QGridLayout;
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit2 = new QLineEdit(this);
  Edit2->setObjectName(QStringLiteral("Edit2"));
  grid->addWidget(new QLabel(QStringLiteral("横"), this), 0, 0);
  grid->addWidget(Edit1, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("縦"), this), 1, 0);
  grid->addWidget(Edit2, 1, 1);
  StaticText = new QLabel(QStringLiteral("色"), this);
  StaticText->setObjectName(QStringLiteral("StaticText"));
  StaticText->setAlignment(Qt::AlignCenter);
  StaticText->setFrameShape(QFrame::Box);
  StaticText->setAutoFillBackground(true);
  StaticText->setMinimumSize(48, 24);
  auto *colourButton = new QPushButton(QStringLiteral("色指定"), this);
  colourButton->setObjectName(QStringLiteral("bColour"));
  colourButton->setAutoDefault(false);
  grid->addWidget(StaticText, 2, 0);
  grid->addWidget(colourButton, 2, 1, Qt::AlignLeft);
  outer->addLayout(grid);

  cbUmekomi = new QCheckBox(QStringLiteral("画像敷詰を行う"), this);
  cbUmekomi->setObjectName(QStringLiteral("cbUmekomi"));
  outer->addWidget(cbUmekomi);
  auto *group = new QGroupBox(QStringLiteral("敷詰める画像(BMP)"), this);
  auto *groupRow = new QHBoxLayout(group);
  UmekomiFile = new QLineEdit(group);
  UmekomiFile->setObjectName(QStringLiteral("UmekomiFile"));
  UmekomiFile->setMinimumWidth(220);
  auto *browse = new QPushButton(QStringLiteral("画像ブラウズ"), group);
  browse->setObjectName(QStringLiteral("bBrowse"));
  browse->setAutoDefault(false);
  groupRow->addWidget(UmekomiFile, 1);
  groupRow->addWidget(browse);
  outer->addWidget(group);

  QPushButton *ok = AddOkCancel(this, outer, QStringLiteral("ＯＫ"));
  connect(ok, &QPushButton::clicked, this, &TNewImgForm::accept);
  connect(colourButton, &QPushButton::clicked, this, [this] { ColourButtonClick(); });
  connect(browse, &QPushButton::clicked, this, [this] { BrowseButtonClick(); });

  // The last values, or the first-time ones.
  CResumeDialog record;
  if (record.Load(kRecordName) == 0) {
    Edit1->setText(QString::number(record.GetInt(0)));
    Edit2->setText(QString::number(record.GetInt(1)));
    SetSwatch(RgbFromColourRef(static_cast<unsigned>(record.GetInt(2))));
    cbUmekomi->setChecked(record.GetInt(3) != 0);
    UmekomiFile->setText(record.GetText(4));
  } else {
    Edit1->setText(QStringLiteral("640"));
    Edit2->setText(QStringLiteral("480"));
    SetSwatch(0xffffff);
    cbUmekomi->setChecked(false);
    UmekomiFile->clear();
  }
}

int TNewImgForm::ImageWidth() const { return width_; }
int TNewImgForm::ImageHeight() const { return height_; }
unsigned TNewImgForm::Colour() const { return colour_; }
bool TNewImgForm::Tile() const { return cbUmekomi->isChecked(); }
QString TNewImgForm::TileFile() const { return UmekomiFile->text(); }

void TNewImgForm::SetSwatch(unsigned rgb) {
  colour_ = rgb & 0xffffffu;
  QPalette p = StaticText->palette();
  const QColor c = QColor::fromRgb(colour_);
  p.setColor(QPalette::Window, c);
  // The caption stays readable on dark and light colours alike.
  p.setColor(QPalette::WindowText, qGray(c.rgb()) < 128 ? Qt::white : Qt::black);
  StaticText->setPalette(p);
}

void TNewImgForm::ColourButtonClick() {
  unsigned rgb = colour_;
  if (UserDialogs::ChooseColour(this, rgb)) SetSwatch(rgb);
}

void TNewImgForm::BrowseButtonClick() {
  const QString current = UmekomiFile->text();
  const QString folder = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
  // Preset to the current file itself, not only its folder.
  const QString chosen = UserDialogs::OpenFileName(
      this, QString(), folder, QStringLiteral("ビットマップ (*.bmp)|*.bmp"), nullptr, current);
  if (!chosen.isEmpty()) UmekomiFile->setText(chosen);
}

void TNewImgForm::accept() {
  const int w = SettingNumber(Edit1->text());
  const int h = SettingNumber(Edit2->text());
  if (w <= 0 || h <= 0) {
    UserDialogs::Message(this, QString(), QStringLiteral("画像サイズを指定してください"));
    return;
  }
  width_ = w;
  height_ = h;
  CResumeDialog record;
  record.AddInt(w);
  record.AddInt(h);
  record.AddInt(static_cast<int>(ColourRefFromRgb(colour_)));
  record.AddInt(cbUmekomi->isChecked() ? 1 : 0);
  record.AddText(UmekomiFile->text());
  record.Save(kRecordName);
  QDialog::accept();
}

QImage MakeNewSheet(int width, int height, unsigned colour, bool tile, const QString &tileFile,
                    bool *tileMissing) {
  if (tileMissing) *tileMissing = false;
  if (width <= 0 || height <= 0 || qint64(width) * height > kMaxSheetPixels) return {};
  QImage sheet(width, height, QImage::Format_RGB888);
  if (sheet.isNull()) return {};
  sheet.fill(QColor::fromRgb(colour & 0xffffffu));
  if (!tile) return sheet;

  QImage pattern = LoadTile(tileFile);
  if (pattern.isNull()) {
    if (tileMissing) *tileMissing = true;
    return sheet;
  }
  pattern = pattern.convertToFormat(QImage::Format_RGB888);
  const int tw = pattern.width();
  const int th = pattern.height();
  // Plain copies from the top left, rightwards and then downwards, cut at
  // the edges of the sheet.
  for (int y = 0; y < height; ++y) {
    const uchar *src = pattern.constScanLine(y % th);
    uchar *dst = sheet.scanLine(y);
    for (int x = 0; x < width; x += tw) {
      const int n = std::min(tw, width - x);
      std::memcpy(dst + static_cast<size_t>(x) * 3, src, static_cast<size_t>(n) * 3);
    }
  }
  return sheet;
}
