// The frame of the preview area on a document window's image: a dotted
// white outline drawn by difference, so it stays visible on any picture.
// It takes no mouse input; the document window drags it through the
// image's own mouse events.
#pragma once

#include <QWidget>

class PreviewFrame : public QWidget {
  Q_OBJECT
public:
  explicit PreviewFrame(QWidget *parent = nullptr);

  static constexpr int kPenWidth = 2;

protected:
  void paintEvent(QPaintEvent *event) override;
};
