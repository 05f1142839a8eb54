// "文字画像の生成": a line of text in a chosen font and colours rendered into
// a picture, with a live preview; the text-insertion command hands the
// picture to the composite paste, the new-text-image command opens it as a
// document.
#pragma once

#include "effects/TextPicture.h"
#include "image/DibHandle.h"

#include <QDialog>

class ColourSwatch;
class Host;
class Document;
class QCheckBox;
class QLabel;
class QLineEdit;

class TLetterForm : public QDialog {
  Q_OBJECT
public:
  static constexpr const char *kSettings = "Letter";
  static constexpr int kShiftJisCharset = 128;

  explicit TLetterForm(Host *main);
  ~TLetterForm() override;

  // The controls at their defaults, then the remembered "Letter" record
  // over them; the preview drawn.
  void Prepare();

  void bFontClick();
  // OK: a margin that is not a whole number of 0 or more is refused with a
  // message, a picture too large with the out-of-memory message (the
  // dialog stays open); otherwise the picture is made, the settings
  // remembered, and the dialog accepted.
  void bOKClick();

  // The style as the controls show it.
  TextStyle Style() const;
  // The margin typed; none when it is not a whole number of 0 or more.
  std::optional<int> Margin() const;
  // The preview as last drawn.
  QImage PreviewPicture() const { return preview_; }

  // The result of OK, taken by the caller.
  DibHandle TakePicture() { return std::move(picture_); }
  bool AntiAliased() const { return antiAliased_; }
  int Charset() const { return charset_; }

  QLineEdit *edText = nullptr;
  QLineEdit *edFont = nullptr;
  QLineEdit *edSize = nullptr;
  QLineEdit *edEffect = nullptr;
  ColourSwatch *swText = nullptr;
  ColourSwatch *swBack = nullptr;
  QLineEdit *edMargin = nullptr;
  QCheckBox *cbAntiAlias = nullptr;
  QLabel *lPreview = nullptr;

protected:
  void showEvent(QShowEvent *event) override;

private:
  void SetStyle(bool bold, bool italic);
  void UpdatePreview();
  void Remember() const;

  Host *main_;
  bool bold_ = false, italic_ = false;
  int charset_ = kShiftJisCharset;
  QImage preview_;
  DibHandle picture_;
  bool antiAliased_ = false;
};

// "文字入れ(&L)": the text picture pasted into the active document through
// the composite paste, which gets it directly (the clipboard is left
// alone), with its smoothing and colours.
void LetterCommand(Host *main, Document *child);
// "文字画像作成(&T)": the text picture opened as a new document.
void NewTextImageCommand(Host *main);
