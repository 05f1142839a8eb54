// The new-image dialog ("色付台紙作成"): size, colour, optional tiling with a
// bitmap; remembered in the dialog record "NewImage".
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;

class TNewImgForm : public QDialog {
  Q_OBJECT
public:
  explicit TNewImgForm(QWidget *parent = nullptr);

  // Valid after the dialog ended with OK.
  int ImageWidth() const;
  int ImageHeight() const;
  unsigned Colour() const; // 0xRRGGBB
  bool Tile() const;
  QString TileFile() const;

  // OK (button or Enter): checks the size, stores the record and closes;
  // an invalid size is reported and the dialog stays open.
  void accept() override;

  QLineEdit *Edit1 = nullptr;   // width
  QLineEdit *Edit2 = nullptr;   // height
  QLabel *StaticText = nullptr; // colour swatch
  QCheckBox *cbUmekomi = nullptr;
  QLineEdit *UmekomiFile = nullptr;

private:
  void SetSwatch(unsigned rgb);
  void ColourButtonClick();
  void BrowseButtonClick();

  int width_ = 0;
  int height_ = 0;
  unsigned colour_ = 0xffffff;
};

// The coloured sheet (tiled with the bitmap when asked and readable) as a
// 24-bit framework bitmap; `tileMissing` tells that the tile file could not
// be read. A null bitmap for a size that is not positive or too large to
// hold (more than 2^28 pixels).
class QImage;
QImage MakeNewSheet(int width, int height, unsigned colour, bool tile, const QString &tileFile,
                    bool *tileMissing);
